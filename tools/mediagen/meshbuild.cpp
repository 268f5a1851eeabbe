#include "meshbuild.h"

#include <cstdio>

void addQuad(MeshPart& part, Vec3 a, Vec3 b, Vec3 c, Vec3 d, const float uv[8])
{
    Vec3 n = normalized(cross(b - a, c - a));
    uint32_t base = uint32_t(part.vertices.size());
    Vec3 corners[4] = {a, b, c, d};
    for (int i = 0; i < 4; ++i) {
        Vertex v;
        v.pos = corners[i];
        v.normal = n;
        v.u = uv[i * 2];
        v.v = uv[i * 2 + 1];
        part.vertices.push_back(v);
    }
    for (uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u})
        part.indices.push_back(base + i);
}

void addTriangle(MeshPart& part, Vec3 a, Vec3 b, Vec3 c)
{
    Vec3 n = normalized(cross(b - a, c - a));
    uint32_t base = uint32_t(part.vertices.size());
    for (Vec3 p : {a, b, c}) {
        Vertex v;
        v.pos = p;
        v.normal = n;
        part.vertices.push_back(v);
    }
    for (uint32_t i : {0u, 1u, 2u})
        part.indices.push_back(base + i);
}

static Vec3 turn(Vec3 p, float pitch, float roll)
{
    const float k = 3.14159265358979f / 180.0f;
    float cp = std::cos(pitch * k), sp = std::sin(pitch * k);
    Vec3 q{p.x, p.y * cp - p.z * sp, p.y * sp + p.z * cp};
    float cr = std::cos(roll * k), sr = std::sin(roll * k);
    return {q.x * cr - q.y * sr, q.x * sr + q.y * cr, q.z};
}

void addEllipsoid(MeshPart& part, Vec3 centre, Vec3 radii, int rings, int segments, int bone,
                  float pitch, float roll)
{
    const float pi = 3.14159265358979f;
    uint32_t base = uint32_t(part.vertices.size());
    for (int r = 0; r <= rings; ++r) {
        float theta = pi * float(r) / float(rings);  // from the top pole down
        for (int s = 0; s <= segments; ++s) {
            float phi = 2 * pi * float(s) / float(segments);
            Vec3 unit{std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
            Vertex v;
            v.pos = centre + turn({unit.x * radii.x, unit.y * radii.y, unit.z * radii.z}, pitch, roll);
            v.normal = normalized(turn({unit.x / radii.x, unit.y / radii.y, unit.z / radii.z}, pitch, roll));
            v.u = float(s) / float(segments);
            v.v = float(r) / float(rings);
            v.bone = bone;
            part.vertices.push_back(v);
        }
    }
    uint32_t row = uint32_t(segments + 1);
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            uint32_t a = base + uint32_t(r) * row + uint32_t(s);
            uint32_t b = a + 1, c = a + row, d = a + row + 1;
            // Seen from outside, phi grows clockwise in this left-handed frame.
            if (r != 0) {
                part.indices.push_back(a);
                part.indices.push_back(b);
                part.indices.push_back(c);
            }
            if (r != rings - 1) {
                part.indices.push_back(b);
                part.indices.push_back(d);
                part.indices.push_back(c);
            }
        }
}

void addLathe(MeshPart& part, const std::vector<std::pair<float, float>>& profile, int segments)
{
    const float pi = 3.14159265358979f;
    uint32_t base = uint32_t(part.vertices.size());
    size_t n = profile.size();
    for (size_t i = 0; i < n; ++i) {
        // Profile slope gives the normal's tilt.
        size_t i0 = i == 0 ? 0 : i - 1, i1 = i + 1 < n ? i + 1 : n - 1;
        float dr = profile[i1].first - profile[i0].first;
        float dy = profile[i1].second - profile[i0].second;
        for (int s = 0; s <= segments; ++s) {
            float phi = 2 * pi * float(s) / float(segments);
            float c = std::cos(phi), sn = std::sin(phi);
            Vertex v;
            v.pos = {profile[i].first * c, profile[i].second, profile[i].first * sn};
            v.normal = normalized({dy * c, -dr, dy * sn});
            v.u = float(s) / float(segments);
            v.v = float(i) / float(n - 1);
            part.vertices.push_back(v);
        }
    }
    uint32_t row = uint32_t(segments + 1);
    for (size_t i = 0; i + 1 < n; ++i)
        for (int s = 0; s < segments; ++s) {
            uint32_t a = base + uint32_t(i) * row + uint32_t(s);
            uint32_t b = a + 1, c = a + row, d = a + row + 1;
            if (profile[i].first > 0) {
                part.indices.push_back(a);
                part.indices.push_back(c);
                part.indices.push_back(b);
            }
            if (profile[i + 1].first > 0) {
                part.indices.push_back(b);
                part.indices.push_back(c);
                part.indices.push_back(d);
            }
        }
}

bool writeObj(const std::string& path, const std::string& mtlName, const std::vector<MeshPart>& parts)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fprintf(f, "# Zarvik media generator\nmtllib %s\n", mtlName.c_str());
    // The reader negates x and reverses each face, so we write x negated and faces reversed.
    for (const MeshPart& p : parts)
        for (const Vertex& v : p.vertices)
            std::fprintf(f, "v %.5f %.5f %.5f\nvt %.5f %.5f\nvn %.5f %.5f %.5f\n", -v.pos.x, v.pos.y,
                         v.pos.z, v.u, 1.0f - v.v, -v.normal.x, v.normal.y, v.normal.z);
    size_t base = 1;
    for (size_t i = 0; i < parts.size(); ++i) {
        const MeshPart& p = parts[i];
        std::fprintf(f, "g part%zu\nusemtl %s\n", i, p.material.c_str());
        for (size_t t = 0; t + 2 < p.indices.size(); t += 3) {
            size_t a = base + p.indices[t + 2], b = base + p.indices[t + 1], c = base + p.indices[t];
            std::fprintf(f, "f %zu/%zu/%zu %zu/%zu/%zu %zu/%zu/%zu\n", a, a, a, b, b, b, c, c, c);
        }
        base += p.vertices.size();
    }
    return std::fclose(f) == 0;
}
