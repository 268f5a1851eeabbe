#pragma once
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

struct Vec3 {
    float x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 normalized(Vec3 a)
{
    float l = std::sqrt(dot(a, a));
    return l > 0 ? a * (1.0f / l) : a;
}

struct Vertex {
    Vec3 pos;
    Vec3 normal;
    float u = 0, v = 0;
    int bone = 0;  // only the rabbit uses it: the joint that moves this vertex
};

// One material's triangles. Coordinates are the engine's: x right, y up, z forward
// (left-handed); a triangle (a, b, c) faces outward when (b - a) x (c - a) points outward.
struct MeshPart {
    std::string material;
    std::vector<Vertex> vertices;
    std::vector<uint32_t> indices;
};

// A flat quad a-b-c-d (counted clockwise seen from outside) with its own vertices.
void addQuad(MeshPart& part, Vec3 a, Vec3 b, Vec3 c, Vec3 d, const float uv[8]);
void addTriangle(MeshPart& part, Vec3 a, Vec3 b, Vec3 c);
// A smooth closed ellipsoid, optionally turned by `pitch` degrees about x then `roll` about z.
void addEllipsoid(MeshPart& part, Vec3 centre, Vec3 radii, int rings, int segments, int bone,
                  float pitch = 0, float roll = 0);
// A smooth surface of revolution about +y through the given (radius, y) profile, bottom to top.
void addLathe(MeshPart& part, const std::vector<std::pair<float, float>>& profile, int segments);

// Writes the parts as OBJ (mirrored and rewound the way the engine's OBJ reader undoes it).
bool writeObj(const std::string& path, const std::string& mtlName, const std::vector<MeshPart>& parts);
