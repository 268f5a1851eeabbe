// The meshes as the game uses them: platform boxes, carrot size and colours, the rabbits'
// boxes, poses and timing.
#include "nulldevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace irr;

namespace {

// Every triangle must face the way its normals point, or the engine culls the wrong side.
void expectFacesMatchNormals(scene::IMesh* mesh, const char* file)
{
    int checked = 0;
    for (u32 b = 0; b < mesh->getMeshBufferCount(); ++b) {
        scene::IMeshBuffer* mb = mesh->getMeshBuffer(b);
        ASSERT_EQ(mb->getVertexType(), video::EVT_STANDARD);
        auto* v = static_cast<video::S3DVertex*>(mb->getVertices());
        const u16* idx = mb->getIndices();
        for (u32 i = 0; i + 2 < mb->getIndexCount(); i += 3) {
            const video::S3DVertex &a = v[idx[i]], &bb = v[idx[i + 1]], &c = v[idx[i + 2]];
            core::vector3df face = (bb.Pos - a.Pos).crossProduct(c.Pos - a.Pos);
            if (face.getLength() < 1e-5f)
                continue;
            core::vector3df normal = a.Normal + bb.Normal + c.Normal;
            ASSERT_GT(face.dotProduct(normal), 0.0f) << file << " buffer " << b << " triangle " << i / 3;
            ++checked;
        }
    }
    EXPECT_GT(checked, 0) << file;
}

class PlatformMesh : public ::testing::TestWithParam<const char*> {};

TEST_P(PlatformMesh, isCentredWideFlatToppedAndThick)
{
    NullDevice engine;
    ASSERT_NE(engine.device, nullptr);
    scene::IAnimatedMesh* mesh = engine.scene()->getMesh(GetParam());
    ASSERT_NE(mesh, nullptr) << GetParam();
    core::aabbox3df box = mesh->getBoundingBox();
    core::vector3df size = box.getExtent();
    EXPECT_NEAR(box.getCenter().X, 0.0f, 0.01f);
    EXPECT_NEAR(box.getCenter().Z, 0.0f, 0.01f);
    EXPECT_GE(size.Z, 30.0f);
    EXPECT_LE(size.Z, 60.0f);
    EXPECT_GE(size.X, 16.0f) << "carrots and decorations sit up to 6 units to either side";
    EXPECT_GT(box.MaxEdge.Y, 2.0f);
    EXPECT_LT(box.MaxEdge.Y, 6.0f) << "small carrots stand at y = 6";
    EXPECT_GE(size.Y, 6.0f) << "thick enough to bump a head on";
    expectFacesMatchNormals(mesh->getMesh(0), GetParam());

    // The top is a flat, upward-facing, textured grass surface that covers the carrots' lanes.
    bool topFound = false;
    for (u32 b = 0; b < mesh->getMeshBufferCount(); ++b) {
        scene::IMeshBuffer* mb = mesh->getMeshBuffer(b);
        auto* v = static_cast<video::S3DVertex*>(mb->getVertices());
        float minX = 1e9f, maxX = -1e9f;
        for (u32 i = 0; i < mb->getVertexCount(); ++i) {
            if (std::fabs(v[i].Pos.Y - box.MaxEdge.Y) > 1e-4f)
                continue;
            EXPECT_GT(v[i].Normal.Y, 0.5f);
            if (v[i].Normal.Y > 0.999f) {
                minX = std::min(minX, v[i].Pos.X);
                maxX = std::max(maxX, v[i].Pos.X);
            }
        }
        if (minX < maxX) {
            topFound = true;
            EXPECT_LE(minX, -7.0f);
            EXPECT_GE(maxX, 7.0f);
            EXPECT_NE(mb->getMaterial().getTexture(0), nullptr) << "the grass is textured";
        }
    }
    EXPECT_TRUE(topFound);
}

INSTANTIATE_TEST_SUITE_P(Media, PlatformMesh,
                         ::testing::Values("media/plat0.obj", "media/plat1.obj", "media/plat2.obj"));

TEST(PlatformMeshes, haveClearlyDifferentLengths)
{
    NullDevice engine;
    std::vector<float> lengths;
    for (const char* f : {"media/plat0.obj", "media/plat1.obj", "media/plat2.obj"}) {
        scene::IAnimatedMesh* mesh = engine.scene()->getMesh(f);
        ASSERT_NE(mesh, nullptr) << f;
        lengths.push_back(mesh->getBoundingBox().getExtent().Z);
    }
    std::sort(lengths.begin(), lengths.end());
    EXPECT_GE(lengths[1] - lengths[0], 8.0f);
    EXPECT_GE(lengths[2] - lengths[1], 8.0f);
}

TEST(CarrotMesh, isSmallOrangeWithGreenLeavesAndStandsOnTheGrass)
{
    NullDevice engine;
    scene::IAnimatedMesh* carrot = engine.scene()->getMesh("media/carrotsmall.obj");
    scene::IAnimatedMesh* platform = engine.scene()->getMesh("media/plat0.obj");
    ASSERT_NE(carrot, nullptr);
    ASSERT_NE(platform, nullptr);
    core::aabbox3df box = carrot->getBoundingBox();
    EXPECT_GE(box.getExtent().Y, 2.5f);
    EXPECT_LE(box.getExtent().Y, 6.0f);
    EXPECT_LT(box.getExtent().X, 3.0f);
    EXPECT_LT(box.getExtent().Z, 3.0f);
    // A small carrot is placed 6 above the platform's origin: its tip meets the top.
    EXPECT_NEAR(6.0f + box.MinEdge.Y, platform->getBoundingBox().MaxEdge.Y, 0.5f);
    expectFacesMatchNormals(carrot->getMesh(0), "carrotsmall.obj");

    bool orange = false, green = false;
    for (u32 b = 0; b < carrot->getMeshBufferCount(); ++b) {
        video::SColor c = carrot->getMeshBuffer(b)->getMaterial().DiffuseColor;
        orange |= c.getRed() > 200 && c.getGreen() > 70 && c.getGreen() < 180 && c.getBlue() < 60;
        green |= c.getGreen() > c.getRed() + 60 && c.getGreen() > c.getBlue() + 60;
    }
    EXPECT_TRUE(orange);
    EXPECT_TRUE(green);
}

// Vertex positions of a skinned mesh posed at an engine frame.
std::vector<core::vector3df> posed(scene::IAnimatedMesh* mesh, s32 frame)
{
    scene::IMesh* m = mesh->getMesh(frame);
    std::vector<core::vector3df> out;
    for (u32 b = 0; b < m->getMeshBufferCount(); ++b) {
        scene::IMeshBuffer* mb = m->getMeshBuffer(b);
        auto* v = static_cast<video::S3DVertex*>(mb->getVertices());
        for (u32 i = 0; i < mb->getVertexCount(); ++i)
            out.push_back(v[i].Pos);
    }
    return out;
}

float largestMove(const std::vector<core::vector3df>& a, const std::vector<core::vector3df>& b)
{
    float m = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        m = std::max(m, a[i].getDistanceFrom(b[i]));
    return m;
}

struct RabbitCase {
    const char* file;
    float slowest, fastest;                // animation speeds the game plays it at
    float minLoopSeconds, maxLoopSeconds;  // what one cycle may last at those speeds
};

class RabbitMesh : public ::testing::TestWithParam<RabbitCase> {};

TEST_P(RabbitMesh, boxIsCentredAndAsHighAsItIsLong)
{
    NullDevice engine;
    scene::IAnimatedMesh* mesh = engine.scene()->getMesh(GetParam().file);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->getMeshType(), scene::EAMT_SKINNED);
    core::aabbox3df box = mesh->getBoundingBox();
    EXPECT_NEAR(box.MinEdge.Y, -box.MaxEdge.Y, 0.01f);
    EXPECT_NEAR(box.MinEdge.Z, -box.MaxEdge.Z, 0.01f);
    // Half the y extent is the probe size; the feet, at the box's far z, must sit that low.
    EXPECT_NEAR(box.getExtent().Z, box.getExtent().Y, 0.02f * box.getExtent().Y);
    expectFacesMatchNormals(mesh->getMesh(0), GetParam().file);
}

TEST_P(RabbitMesh, loopsSeamlesslyWithAVisibleMove)
{
    NullDevice engine;
    scene::IAnimatedMesh* mesh = engine.scene()->getMesh(GetParam().file);
    ASSERT_NE(mesh, nullptr);
    scene::IAnimatedMeshSceneNode* node = engine.scene()->addAnimatedMeshSceneNode(mesh);
    ASSERT_NE(node, nullptr);
    s32 end = node->getEndFrame();
    EXPECT_GT(end, 0);
    float frames = float(end - node->getStartFrame());
    EXPECT_GE(frames / GetParam().fastest, GetParam().minLoopSeconds);
    EXPECT_LE(frames / GetParam().slowest, GetParam().maxLoopSeconds);

    float height = mesh->getBoundingBox().getExtent().Y;
    auto first = posed(mesh, 0), middle = posed(mesh, end / 2), last = posed(mesh, end);
    ASSERT_FALSE(first.empty());
    EXPECT_LT(largestMove(first, last), 0.001f * height) << "the last pose equals the first";
    EXPECT_GT(largestMove(first, middle), 0.1f * height) << "the pose changes mid-loop";
}

TEST_P(RabbitMesh, standsUprightFacingAwayFromTheCamera)
{
    NullDevice engine;
    scene::IAnimatedMesh* mesh = engine.scene()->getMesh(GetParam().file);
    ASSERT_NE(mesh, nullptr);
    scene::IAnimatedMeshSceneNode* node = engine.scene()->addAnimatedMeshSceneNode(mesh);
    ASSERT_NE(node, nullptr);
    float half = node->getBoundingBox().getExtent().Y / 2;
    node->setRotation(core::vector3df(90, 0, 0));
    node->updateAbsolutePosition();
    node->setCurrentFrame(0);
    node->animateJoints(true);
    auto joint = [&](const char* name) {
        scene::IBoneSceneNode* j = node->getJointNode(name);
        EXPECT_NE(j, nullptr) << name;
        if (!j)
            return core::vector3df();
        j->updateAbsolutePositionOfAllChildren();
        return j->getAbsolutePosition();
    };
    core::vector3df head = joint("head"), body = joint("body"), tail = joint("tail"), ear = joint("earL");
    EXPECT_GT(head.Y, body.Y);
    EXPECT_GT(ear.Y, head.Y);
    EXPECT_GT(head.Z, tail.Z) << "faces +z, so the camera behind it sees its back";

    // Turned upright, the lowest point (the feet) is half the probe size below the centre.
    core::matrix4 turn;
    turn.setRotationDegrees(core::vector3df(90, 0, 0));
    float lowest = 1e9f;
    for (const core::vector3df& p : posed(mesh, 0)) {
        core::vector3df q = p;
        turn.transformVect(q);
        lowest = std::min(lowest, q.Y);
    }
    EXPECT_NEAR(lowest, -half, 0.02f * half);
}

INSTANTIATE_TEST_SUITE_P(Media, RabbitMesh,
                         ::testing::Values(RabbitCase{"media/rabbit.b3d", 12000, 12000, 0.4f, 0.6f},
                                           RabbitCase{"media/rabbit2.b3d", 2000, 3999, 1.4f, 3.1f}),
                         [](const ::testing::TestParamInfo<RabbitCase>& i) {
                             return std::string(i.param.file).find('2') == std::string::npos ? "player"
                                                                                             : "decoration";
                         });

TEST(RabbitMeshes, runnerProbeSizeBarelyChangesWithThePoseLastShown)
{
    // The mesh is shared: a new runner reads the box of whatever pose the last one showed.
    NullDevice engine;
    scene::IAnimatedMesh* mesh = engine.scene()->getMesh("media/rabbit.b3d");
    ASSERT_NE(mesh, nullptr);
    float rest = mesh->getBoundingBox().getExtent().Y;
    for (s32 frame = 0; frame <= 6000; frame += 250) {
        mesh->getMesh(frame);
        EXPECT_NEAR(mesh->getBoundingBox().getExtent().Y, rest, 0.05f * rest) << "frame " << frame;
    }
}

TEST(RabbitMeshes, runnerStandsOnAPlatformAndDecorationSitsOnTheGrass)
{
    NullDevice engine;
    scene::IAnimatedMesh* runner = engine.scene()->getMesh("media/rabbit.b3d");
    scene::IAnimatedMesh* deco = engine.scene()->getMesh("media/rabbit2.b3d");
    scene::IAnimatedMesh* platform = engine.scene()->getMesh("media/plat1.obj");
    ASSERT_TRUE(runner && deco && platform);
    float top = platform->getBoundingBox().MaxEdge.Y;
    float half = runner->getBoundingBox().getExtent().Y / 2;
    // Big enough to read on screen from 24 units away, small enough to leap between platforms.
    EXPECT_GE(half, 2.5f);
    EXPECT_LE(half, 5.0f);
    // A decoration at a middle scale (1.45) and height (6.5) has its feet near the top.
    float decoHalf = deco->getBoundingBox().getExtent().Y / 2;
    EXPECT_NEAR(6.5f - 1.45f * decoHalf, top, 1.0f);
}

}  // namespace
