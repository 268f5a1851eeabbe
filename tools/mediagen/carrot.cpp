// The small carrot: an orange root with a tuft of three leaves, standing tip-down so that
// at y = 6 above a platform's origin its tip just touches the grass.
#include "generators.h"
#include "meshbuild.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const float scale = 0.75f;
const float tipY = -2.1f;  // a hair below the platform top once placed

}  // namespace

bool writeCarrot(const std::string& dir)
{
    MeshPart root{"carrot", {}, {}};
    addLathe(root,
             {{0.0f, -2.2f}, {0.12f, -1.9f}, {0.3f, -1.3f}, {0.45f, -0.6f}, {0.58f, 0.1f},
              {0.66f, 0.7f}, {0.66f, 1.0f}, {0.55f, 1.2f}, {0.3f, 1.33f}, {0.0f, 1.36f}},
             12);
    MeshPart leaves{"leaves", {}, {}};
    struct Leaf {
        float pitch, roll, length;
    };
    for (const Leaf& l : {Leaf{0, -30, 0.75f}, Leaf{-25, 4, 0.85f}, Leaf{22, 26, 0.7f}, Leaf{8, 0, 0.95f}}) {
        const float k = 3.14159265f / 180.0f;
        // The blade's centre sits along its own axis so its base meets the carrot's top.
        float sy = std::cos(l.pitch * k) * l.length, sz = std::sin(l.pitch * k) * l.length;
        Vec3 c{-sy * std::sin(l.roll * k), 1.25f + sy * std::cos(l.roll * k), sz};
        addEllipsoid(leaves, c, {0.2f, l.length, 0.07f}, 6, 8, 0, l.pitch, l.roll);
    }
    float minY = 1e9f;
    for (MeshPart* p : {&root, &leaves})
        for (Vertex& v : p->vertices)
            minY = std::min(minY, v.pos.y * scale);
    for (MeshPart* p : {&root, &leaves})
        for (Vertex& v : p->vertices)
            v.pos = {v.pos.x * scale, v.pos.y * scale - minY + tipY, v.pos.z * scale};

    if (!writeObj(dir + "/carrotsmall.obj", "carrotsmall.mtl", {root, leaves})) {
        std::printf("Error: cannot write carrotsmall.obj\n");
        return false;
    }
    FILE* f = std::fopen((dir + "/carrotsmall.mtl").c_str(), "wb");
    if (!f)
        return false;
    std::fprintf(f,
                 "newmtl carrot\nKa 1 0.45 0.05\nKd 1 0.5 0.06\nKe 0.7 0.3 0.03\nKs 0.3 0.3 0.3\nNs 40\n\n"
                 "newmtl leaves\nKa 0.3 0.8 0.15\nKd 0.3 0.85 0.15\nKe 0.18 0.45 0.08\nKs 0 0 0\n");
    return std::fclose(f) == 0;
}
