// The rabbits: rigid egg-shaped parts on a small skeleton, with a hop cycle in bone keys.
// Modelled standing (x right, y up, z forward) and stored lying along the file's y axis with
// up along -z, which the game's rotation of 90 degrees about x stands up again.
#include "b3dfile.h"
#include "canvas.h"
#include "generators.h"
#include "meshbuild.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const float pi = 3.14159265358979f;

enum Bone { Root, Body, Head, EarL, EarR, LegL, LegR, ArmL, ArmR, Tail, BoneCount };
const char* const boneNames[BoneCount] = {"rabbit", "body", "head", "earL", "earR",
                                          "legL", "legR", "armL", "armR", "tail"};
const int boneParent[BoneCount] = {-1, Root, Body, Head, Head, Body, Body, Body, Body, Body};
// Pivots in the modelling frame, feet at y = 0.
const Vec3 bonePivot[BoneCount] = {{0, 0, 0},          {0, 1.3f, -0.3f},     {0, 2.45f, 0.65f},
                                   {-0.36f, 3.5f, 0.7f}, {0.36f, 3.5f, 0.7f}, {-0.78f, 1.25f, -0.75f},
                                   {0.78f, 1.25f, -0.75f}, {-0.42f, 1.45f, 0.95f}, {0.42f, 1.45f, 0.95f},
                                   {0, 1.45f, -1.75f}};

// A bone's pose relative to its bind pose: a shift and turns in degrees.
struct BonePose {
    Vec3 shift;
    float pitch = 0, yaw = 0, roll = 0;
};
struct Pose {
    BonePose bone[BoneCount];
};
struct Key {
    float phase;
    Pose pose;
};

// Frames on the game's x100 scale: one cycle is 6000 frames (half a second at speed 12000).
const int cycleFrames = 6000;
const int samples = 24;

enum Brush { Fur, Light, Pink, Eye, BrushCount };

struct RabbitLook {
    const char* file;
    Rgba fur, light;
    float size;  // full height and length of the bounding box
    float detail;
    bool player;
};

std::vector<MeshPart> buildBody(float detail)
{
    // Rings and segments per part; the small decoration needs fewer.
    auto q = [detail](int n) { return std::max(4, int(float(n) * detail + 0.5f)); };
    std::vector<MeshPart> parts(BrushCount);
    MeshPart& fur = parts[Fur];
    MeshPart& light = parts[Light];
    MeshPart& pink = parts[Pink];
    MeshPart& eye = parts[Eye];
    addEllipsoid(fur, {0, 1.55f, -0.35f}, {1.2f, 1.3f, 1.55f}, q(12), q(16), Body, -12);
    addEllipsoid(light, {0, 1.35f, 0.35f}, {0.85f, 0.95f, 0.95f}, q(10), q(14), Body, -10);
    for (float s : {-1.0f, 1.0f}) {
        Bone leg = s < 0 ? LegL : LegR, arm = s < 0 ? ArmL : ArmR, ear = s < 0 ? EarL : EarR;
        addEllipsoid(fur, {0.78f * s, 1.05f, -0.8f}, {0.55f, 0.8f, 0.9f}, q(10), q(12), leg, 10);
        addEllipsoid(light, {0.78f * s, 0.22f, -0.2f}, {0.36f, 0.22f, 0.85f}, q(8), q(12), leg);
        addEllipsoid(fur, {0.42f * s, 0.7f, 1.0f}, {0.24f, 0.62f, 0.26f}, q(8), q(10), arm, 8);
        addEllipsoid(light, {0.42f * s, 0.16f, 1.12f}, {0.24f, 0.16f, 0.3f}, q(6), q(10), arm);
        // Ears lean slightly outward; the pink inner ear faces forward.
        addEllipsoid(fur, {0.52f * s, 4.5f, 0.62f}, {0.34f, 1.15f, 0.17f}, q(10), q(12), ear, -8, -10 * s);
        addEllipsoid(pink, {0.51f * s, 4.45f, 0.73f}, {0.2f, 0.9f, 0.09f}, q(8), q(10), ear, -8, -10 * s);
        addEllipsoid(light, {0.34f * s, 2.62f, 1.62f}, {0.36f, 0.3f, 0.3f}, q(8), q(10), Head);
        addEllipsoid(eye, {0.47f * s, 3.12f, 1.5f}, {0.17f, 0.22f, 0.13f}, q(8), q(10), Head);
        addEllipsoid(parts[Light], {0.5f * s, 3.18f, 1.6f}, {0.05f, 0.06f, 0.04f}, q(4), q(6), Head);
    }
    addEllipsoid(fur, {0, 2.95f, 0.95f}, {0.95f, 0.88f, 0.92f}, q(12), q(16), Head);
    addEllipsoid(pink, {0, 2.85f, 1.88f}, {0.14f, 0.1f, 0.09f}, q(6), q(8), Head);
    addEllipsoid(light, {0, 1.6f, -1.85f}, {0.48f, 0.48f, 0.42f}, q(8), q(12), Tail);
    return parts;
}

BonePose bp(float dy, float pitch, float yaw = 0, float roll = 0)
{
    BonePose p;
    p.shift = {0, dy, 0};
    p.pitch = pitch;
    p.yaw = yaw;
    p.roll = roll;
    return p;
}

Pose pose(BonePose body, BonePose head, float earPitch, float earRoll, float legPitch, float armPitch,
          float tailYaw = 0, float earLExtra = 0)
{
    Pose p;
    p.bone[Body] = body;
    p.bone[Head] = head;
    p.bone[EarL] = bp(0, earPitch + earLExtra, 0, earRoll);
    p.bone[EarR] = bp(0, earPitch, 0, -earRoll);
    p.bone[LegL] = p.bone[LegR] = bp(0, legPitch);
    p.bone[ArmL] = p.bone[ArmR] = bp(0, armPitch);
    p.bone[Tail] = bp(0, 0, tailYaw);
    return p;
}

// The player's hop: crouch, push off, stretch in the air, reach down, squash, stand.
std::vector<Key> hopCycle()
{
    return {
        {0.00f, pose(bp(0, 0), bp(0, 0), 0, 0, 0, 0)},
        {0.12f, pose(bp(-0.35f, 8), bp(0, -6), -6, 4, -12, 4)},
        {0.28f, pose(bp(0.7f, -22), bp(0, 12), -18, 5, 60, -35, 15)},
        {0.45f, pose(bp(1.6f, -6), bp(0, 4), -22, 8, 40, -50, -15)},
        {0.65f, pose(bp(0.9f, 14), bp(0, -8), 6, 16, 8, -25, 10)},
        {0.80f, pose(bp(-0.25f, 5), bp(0, -4), 14, 6, -6, 6)},
        {1.00f, pose(bp(0, 0), bp(0, 0), 0, 0, 0, 0)},
    };
}

// The decoration's idle: a little hop, then a look around with an ear twitch and a sniff.
std::vector<Key> idleCycle()
{
    return {
        {0.00f, pose(bp(0, 0), bp(0, 0), 0, 0, 0, 0)},
        {0.07f, pose(bp(-0.2f, 6), bp(0, -4), -4, 2, -8, 4)},
        {0.17f, pose(bp(0.9f, -14), bp(0, 8), -22, 8, 45, -30, 12)},
        {0.28f, pose(bp(-0.15f, 5), bp(0, -4), 12, 6, -4, 4)},
        {0.38f, pose(bp(0, 0), bp(0, 0), 0, 0, 0, 0)},
        {0.50f, pose(bp(0, 0), bp(0, 0, 28), 0, 0, 0, 0, 0, -30)},
        {0.58f, pose(bp(0, 0), bp(0, 0, 28), 0, 0, 0, 0, 0, 0)},
        {0.66f, pose(bp(0, 0), bp(0, 0, 28), 0, 0, 0, 0, 0, -30)},
        {0.78f, pose(bp(0, 0), bp(0, 0, -18), 0, 10, 0, 0, -20)},
        {0.90f, pose(bp(0, 2), bp(0, 10, 0), 5, 4, 0, 0, 10)},
        {1.00f, pose(bp(0, 0), bp(0, 0), 0, 0, 0, 0)},
    };
}

BonePose mixPose(const BonePose& a, const BonePose& b, float t)
{
    BonePose p;
    p.shift = a.shift + (b.shift - a.shift) * t;
    p.pitch = a.pitch + (b.pitch - a.pitch) * t;
    p.yaw = a.yaw + (b.yaw - a.yaw) * t;
    p.roll = a.roll + (b.roll - a.roll) * t;
    return p;
}

Pose sampleCycle(const std::vector<Key>& keys, float phase)
{
    size_t i = 0;
    while (i + 2 < keys.size() && keys[i + 1].phase <= phase)
        ++i;
    float t = (phase - keys[i].phase) / (keys[i + 1].phase - keys[i].phase);
    t = std::clamp(t, 0.0f, 1.0f);
    t = t * t * (3 - 2 * t);  // ease in and out between poses
    Pose p;
    for (int b = 0; b < BoneCount; ++b)
        p.bone[b] = mixPose(keys[i].pose.bone[b], keys[i + 1].pose.bone[b], t);
    return p;
}

// Modelling frame to file frame: up becomes -z, forward becomes +y.
Vec3 toFile(Vec3 v) { return {v.x, v.z, -v.y}; }

struct Quat {
    float w = 1, x = 0, y = 0, z = 0;
};
Quat mul(Quat a, Quat b)
{
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z, a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x, a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}
Quat axisAngle(Vec3 axis, float degrees)
{
    float h = degrees * pi / 360.0f;
    return {std::cos(h), axis.x * std::sin(h), axis.y * std::sin(h), axis.z * std::sin(h)};
}

void writeRotation(B3dWriter& w, const BonePose& p)
{
    // Turns about the modelling axes, expressed about the file's axes.
    Quat q = mul(axisAngle(toFile({0, 1, 0}), p.yaw),
                 mul(axisAngle(toFile({1, 0, 0}), p.pitch), axisAngle(toFile({0, 0, 1}), p.roll)));
    // The reader applies the conjugate of what is stored.
    b3dFloat(w, q.w);
    b3dFloat(w, -q.x);
    b3dFloat(w, -q.y);
    b3dFloat(w, -q.z);
}

void writeVec(B3dWriter& w, Vec3 v)
{
    b3dFloat(w, v.x);
    b3dFloat(w, v.y);
    b3dFloat(w, v.z);
}

struct Fitted {
    std::vector<MeshPart> parts;
    Vec3 pivot[BoneCount];
    Vec3 scale;
    Vec3 offset;
};

// Scales and shifts the model so its box is `size` high and `size` long, centred on the origin.
Fitted fit(const std::vector<MeshPart>& parts, float size)
{
    Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    for (const MeshPart& p : parts)
        for (const Vertex& v : p.vertices) {
            lo = {std::min(lo.x, v.pos.x), std::min(lo.y, v.pos.y), std::min(lo.z, v.pos.z)};
            hi = {std::max(hi.x, v.pos.x), std::max(hi.y, v.pos.y), std::max(hi.z, v.pos.z)};
        }
    Fitted f;
    float s = size / (hi.y - lo.y);
    f.scale = {s, s, size / (hi.z - lo.z)};
    Vec3 centre = (lo + hi) * 0.5f;
    auto place = [&](Vec3 p) {
        return Vec3{(p.x - centre.x) * f.scale.x, (p.y - centre.y) * f.scale.y, (p.z - centre.z) * f.scale.z};
    };
    f.parts = parts;
    for (MeshPart& p : f.parts)
        for (Vertex& v : p.vertices) {
            v.pos = place(v.pos);
            v.normal = normalized({v.normal.x / f.scale.x, v.normal.y / f.scale.y, v.normal.z / f.scale.z});
        }
    for (int b = 0; b < BoneCount; ++b)
        f.pivot[b] = place(bonePivot[b]);
    f.pivot[Root] = {0, 0, 0};
    return f;
}

// The game's light is dim and sits far above the camera; the rabbits carry their own light
// instead: a sky above, a key light from above and behind (where the camera looks from).
Rgba shade(const Rgba& base, Vec3 normal)
{
    Vec3 key = normalized({-0.35f, 0.9f, -0.45f});
    float hemi = 0.5f + 0.5f * normal.y;
    float s = 0.45f + 0.22f * hemi + 0.45f * std::max(0.0f, dot(normal, key));
    s = std::min(s, 1.05f);
    return {std::min(1.0f, base.r * s), std::min(1.0f, base.g * s), std::min(1.0f, base.b * s), 1};
}

void writeBoneTree(B3dWriter& w, const Fitted& f, const std::vector<Key>& cycle,
                   const std::vector<std::vector<int>>& weights, int bone)
{
    for (int child = 0; child < BoneCount; ++child) {
        if (boneParent[child] != bone)
            continue;
        Vec3 local = toFile(f.pivot[child] - f.pivot[bone]);
        b3dBegin(w, "NODE");
        b3dString(w, boneNames[child]);
        writeVec(w, local);
        writeVec(w, {1, 1, 1});
        writeRotation(w, BonePose{});
        if (!weights[child].empty()) {
            b3dBegin(w, "BONE");
            for (int id : weights[child]) {
                b3dInt(w, id);
                b3dFloat(w, 1.0f);
            }
            b3dEnd(w);
        }
        b3dBegin(w, "KEYS");
        b3dInt(w, 1 | 4);
        // Keys start at frame 1; the last pose equals the first, and a hold key follows it.
        for (int i = 0; i <= samples + 1; ++i) {
            int k = std::min(i, samples);
            BonePose p = sampleCycle(cycle, float(k) / float(samples)).bone[child];
            Vec3 shift{p.shift.x * f.scale.x, p.shift.y * f.scale.y, p.shift.z * f.scale.z};
            b3dInt(w, i <= samples ? 1 + i * cycleFrames / samples : 2 + cycleFrames);
            writeVec(w, local + toFile(shift));
            writeRotation(w, p);
        }
        b3dEnd(w);
        writeBoneTree(w, f, cycle, weights, child);
        b3dEnd(w);
    }
}

bool writeRabbit(const std::string& dir, const RabbitLook& look, const std::vector<Key>& cycle)
{
    Fitted f = fit(buildBody(look.detail), look.size);
    B3dWriter w;
    b3dBegin(w, "BB3D");
    b3dInt(w, 1);
    b3dBegin(w, "BRUS");
    b3dInt(w, 0);
    const Rgba colours[BrushCount] = {look.fur, look.light, rgbaHex(0xff8fb0), rgbaHex(0x2a1a22)};
    const char* names[BrushCount] = {"fur", "light", "pink", "eye"};
    for (int b = 0; b < BrushCount; ++b) {
        b3dString(w, names[b]);
        b3dFloat(w, colours[b].r);
        b3dFloat(w, colours[b].g);
        b3dFloat(w, colours[b].b);
        b3dFloat(w, 1.0f);
        b3dFloat(w, 0.0f);
        b3dInt(w, 1);
        b3dInt(w, 1 | 2);  // full-bright with our own shading in the vertex colours
    }
    b3dEnd(w);

    b3dBegin(w, "NODE");
    b3dString(w, boneNames[Root]);
    writeVec(w, {0, 0, 0});
    writeVec(w, {1, 1, 1});
    writeRotation(w, BonePose{});
    b3dBegin(w, "MESH");
    b3dInt(w, -1);
    b3dBegin(w, "VRTS");
    b3dInt(w, 1 | 2);
    b3dInt(w, 0);
    b3dInt(w, 0);
    std::vector<std::vector<int>> weights(BoneCount);
    int id = 0;
    for (const MeshPart& p : f.parts) {
        // Weights only for vertices a triangle uses; the reader rejects the others.
        std::vector<bool> used(p.vertices.size(), false);
        for (uint32_t i : p.indices)
            used[i] = true;
        for (size_t i = 0; i < p.vertices.size(); ++i, ++id) {
            writeVec(w, toFile(p.vertices[i].pos));
            writeVec(w, toFile(p.vertices[i].normal));
            Rgba c = shade(colours[&p - f.parts.data()], p.vertices[i].normal);
            b3dFloat(w, c.r);
            b3dFloat(w, c.g);
            b3dFloat(w, c.b);
            b3dFloat(w, 1.0f);
            if (used[i])
                weights[size_t(p.vertices[i].bone)].push_back(id);
        }
    }
    b3dEnd(w);
    int base = 0;
    for (int b = 0; b < BrushCount; ++b) {
        const MeshPart& p = f.parts[size_t(b)];
        b3dBegin(w, "TRIS");
        b3dInt(w, b);
        for (uint32_t i : p.indices)
            b3dInt(w, base + int(i));
        b3dEnd(w);
        base += int(p.vertices.size());
    }
    b3dEnd(w);  // MESH
    b3dBegin(w, "ANIM");
    b3dInt(w, 0);
    b3dInt(w, cycleFrames + 2);
    b3dFloat(w, look.player ? 12000.0f : 3000.0f);
    b3dEnd(w);
    writeBoneTree(w, f, cycle, weights, Root);
    b3dEnd(w);  // NODE
    b3dEnd(w);  // BB3D
    std::string path = dir + "/" + look.file;
    if (!b3dSave(w, path)) {
        std::printf("Error: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool writeRabbits(const std::string& dir)
{
    RabbitLook player{"rabbit.b3d", rgbaHex(0xf4f1f6), rgbaHex(0xffffff), 7.0f, 1.0f, true};
    RabbitLook decoration{"rabbit2.b3d", rgbaHex(0xc98a55), rgbaHex(0xf6e6d2), 3.8f, 0.7f, false};
    return writeRabbit(dir, player, hopCycle()) && writeRabbit(dir, decoration, idleCycle());
}
