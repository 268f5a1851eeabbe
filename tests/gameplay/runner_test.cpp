#include <algorithm>
#include <cstdlib>
#include <unistd.h>

#include "engine.h"
#include "platforms.h"
#include "runner.h"
#include "world.h"

using namespace irr;

namespace {

const double subStep = 1.0 / 600.0;  // a tenth of a step at 60 steps per second

class RunnerTest : public World {
protected:
    void SetUp() override
    {
        World::SetUp();
        useBox("media/rabbit.b3d", core::vector3df(4, 4, 4));  // halfHeight 2
        useBox("media/plat0.obj", platformSize);
        useBox("media/plat1.obj", core::vector3df(20, 10, 200));
    }

    static void run(double seconds)
    {
        for (int i = 0; i < static_cast<int>(seconds / subStep + 0.5); ++i)
            updateRunner(subStep);
    }
    static float y() { return runner.runnerNode->getAbsolutePosition().Y; }

    // A runner that has met its first platform (far below it) and is falling freely.
    scene::ISceneNode* startFalling()
    {
        createRunner();
        scene::ISceneNode* below = addPlatform(core::vector3df(0, -1000, 30));
        updateRunner(subStep);
        EXPECT_TRUE(runner.started);
        return below;
    }

    // A runner standing on a platform whose top is at y = 17, after a second to settle.
    scene::ISceneNode* standOnPlatform()
    {
        createRunner();
        scene::ISceneNode* floor = addPlatform(core::vector3df(0, 12, 0));
        run(1.0);
        return floor;
    }
};

}  // namespace

TEST_F(RunnerTest, CreatesTheRabbitWithItsStarTrail)
{
    int before = countNodes();
    createRunner();
    scene::IAnimatedMeshSceneNode* node = runner.runnerNode;
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->getParent(), engine.scene->getRootSceneNode());
    EXPECT_EQ(node->getMesh(), engine.scene->getMesh("media/rabbit.b3d"));
    EXPECT_EQ(node->getAbsolutePosition(), core::vector3df(0, startHeight, 0));
    EXPECT_EQ(node->getRotation(), core::vector3df(90, 0, 0));
    EXPECT_FLOAT_EQ(node->getAnimationSpeed(), 12000.0f);
    EXPECT_EQ(runner.halfHeight, 2.0f);  // the mesh's own box, not turned by the pose
    EXPECT_EQ(runner.fallSpeed, 0.0f);
    EXPECT_EQ(runner.jumpStrength, 100.0f);
    EXPECT_FALSE(runner.started);
    EXPECT_FALSE(runner.dead);

    ASSERT_NE(runner.trailNode, nullptr);
    EXPECT_EQ(runner.trailNode->getParent(), node);
    EXPECT_EQ(runner.trailNode->getPosition(), core::vector3df(1, 1, 2));
    expectStars(runner.trailNode, core::vector3df(0, -0.025f, -0.025f), 40, 50, 1000, 20,
                "media/star.png");
    EXPECT_EQ(countNodes(), before + 2);

    removeRunner();
    EXPECT_EQ(runner.runnerNode, nullptr);
    EXPECT_EQ(countNodes(), before);
    removeRunner();  // nothing left to remove
    EXPECT_EQ(countNodes(), before);
}

TEST_F(RunnerTest, HoversUntilAPlatformComesWithinFortyUnits)
{
    createRunner();
    scene::ISceneNode* platform = addPlatform(core::vector3df(0, -300, 40));  // 40 is not near
    run(10.0);
    jump();
    run(1.0);
    EXPECT_EQ(y(), startHeight);
    EXPECT_FALSE(runner.started);
    EXPECT_EQ(runner.fallSpeed, 0.0f);
    EXPECT_TRUE(sounds.played.empty());
    EXPECT_EQ(textsShowing(L"GO!"), 0);
    EXPECT_EQ(camera->getPosition(), core::vector3df(0, startHeight, 0) + cameraOffset);
    EXPECT_EQ(camera->getTarget(), core::vector3df(0, startHeight, 0));

    platform->setPosition(core::vector3df(0, -300, 39.99f));
    platform->updateAbsolutePosition();
    updateRunner(subStep);
    EXPECT_TRUE(runner.started);
    EXPECT_EQ(textsShowing(L"GO!"), 1);
    run(1.0);
    EXPECT_EQ(textsShowing(L"GO!"), 1);  // once per run
    EXPECT_LT(y(), startHeight - 40.0f);
}

TEST_F(RunnerTest, AProbeInsideAPlatformStartsTheRunnerToo)
{
    createRunner();
    // 200 long: it reaches the runner while its centre is still 100 away
    addPlatform(core::vector3df(0, 15, 100), "media/plat1.obj");
    ASSERT_GT(nearestPlatformDistance(core::vector3df(0, 20, 0)), 40.0f);
    updateRunner(subStep);
    EXPECT_TRUE(runner.started);
    EXPECT_EQ(textsShowing(L"GO!"), 1);
}

TEST_F(RunnerTest, JumpsInTheAirHalveUntilSpent)
{
    startFalling();
    scriptRand({0, 1, 2, 3, 4, 5, 6, 7});
    const float expected[] = {100, 50, 25, 12.5f, 6.25f, 3.125f, 1.5625f};
    for (float speed : expected) {
        jump();
        EXPECT_EQ(runner.fallSpeed, -speed);
        updateRunner(subStep);
    }
    EXPECT_EQ(runner.jumpStrength, 0.78125f);
    float before = runner.fallSpeed;
    jump();
    EXPECT_EQ(runner.fallSpeed, before);  // the eighth press only makes its sound
    EXPECT_EQ(runner.jumpStrength, 0.78125f);
    std::vector<std::string> la = {"media/la0.wav", "media/la1.wav", "media/la2.wav",
                                   "media/la0.wav", "media/la1.wav", "media/la2.wav",
                                   "media/la0.wav", "media/la1.wav"};
    EXPECT_EQ(sounds.files(), la);
    for (const RecordingSound::Played& p : sounds.played)
        EXPECT_FALSE(p.looped || p.paused || p.track || p.mode != 0);
}

TEST_F(RunnerTest, StandingKeepsFullStrength)
{
    standOnPlatform();
    EXPECT_EQ(runner.jumpStrength, 100.0f);
    EXPECT_NEAR(y(), 19.0f, 0.1f);  // lower probes on the top face
    run(3.0);
    EXPECT_EQ(runner.jumpStrength, 100.0f);
    EXPECT_NEAR(y(), 19.0f, 0.1f);

    jump();
    EXPECT_EQ(runner.jumpStrength, 50.0f);
    updateRunner(subStep);  // still in the box, so on top again
    EXPECT_EQ(runner.jumpStrength, 100.0f);
    run(0.2);
    jump();
    EXPECT_EQ(runner.fallSpeed, -100.0f);  // the first jump in the air is full again
}

TEST_F(RunnerTest, AFullJumpRisesAboutFiftyUnitsInASecond)
{
    standOnPlatform();
    float ground = y();
    jump();
    float top = ground;
    double topTime = 0;
    for (int i = 1; i <= 900; ++i) {
        updateRunner(subStep);
        if (y() > top) {
            top = y();
            topTime = i * subStep;
        }
        if (i < 300) {
            EXPECT_EQ(runner.runnerNode->getRotation(), core::vector3df(45, 0, 0));
        }
    }
    EXPECT_NEAR(top - ground, 50.0f, 1.0f);
    EXPECT_NEAR(topTime, 1.0, 0.02);
}

TEST_F(RunnerTest, PoseFollowsTheVerticalSpeed)
{
    startFalling();
    jump();
    updateRunner(subStep);
    EXPECT_EQ(runner.runnerNode->getRotation(), core::vector3df(45, 0, 0));
    EXPECT_FALSE(runner.runnerNode->getLoopMode());
    run(1.5);
    EXPECT_GT(runner.fallSpeed, 0.0f);
    EXPECT_EQ(runner.runnerNode->getRotation(), core::vector3df(90, 0, 0));
    EXPECT_TRUE(runner.runnerNode->getLoopMode());
}

TEST_F(RunnerTest, AHeadBumpStopsTheRise)
{
    standOnPlatform();
    addPlatform(core::vector3df(0, 35, 0));  // its underside at y = 30
    jump();
    float top = y();
    bool stopped = false;
    for (int i = 0; i < 600; ++i) {
        updateRunner(subStep);
        top = std::max(top, y());
        if (y() > 25.0f && runner.fallSpeed >= 0.0f)
            stopped = true;
    }
    EXPECT_TRUE(stopped);
    EXPECT_LE(top, 28.2f);  // upper probes barely into the ceiling
    EXPECT_NEAR(y(), 19.0f, 0.2f);  // back down on the floor
    EXPECT_EQ(runner.jumpStrength, 100.0f);
}

TEST_F(RunnerTest, FallSpeedReachesItsLimitAfterOneSecond)
{
    startFalling();
    run(1.0 - subStep);
    EXPECT_NEAR(runner.fallSpeed, 100.0f, 0.01f);
    run(0.5);
    EXPECT_EQ(runner.fallSpeed, 100.0f);
}

TEST_F(RunnerTest, FallDepthsAreStrict)
{
    struct Case {
        float y;
        bool dies, over;
    } cases[] = {
        {-200.0f, false, false},
        {-200.01f, true, false},
        {-600.0f, true, false},
        {-600.01f, true, true},
    };
    addPlatform(core::vector3df(0, 0, 500));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.y);
        sounds.played.clear();
        removeRunner();
        createRunner();
        runner.runnerNode->setPosition(core::vector3df(0, c.y, 0));
        runner.runnerNode->updateAbsolutePosition();
        scriptRand({5});
        EXPECT_EQ(checkFall(), c.over);
        EXPECT_EQ(runner.dead, c.dies);
        EXPECT_EQ(sounds.files(), c.dies ? std::vector<std::string>{"media/die2.wav"}
                                         : std::vector<std::string>{});
        checkFall();
        EXPECT_EQ(sounds.played.size(), c.dies ? 1u : 0u);  // dying happens once
    }
}

TEST_F(RunnerTest, AnEmptyStreamKillsAndEndsInOneCall)
{
    createRunner();
    EXPECT_TRUE(checkFall());
    EXPECT_TRUE(runner.dead);
    EXPECT_EQ(sounds.played.size(), 1u);
}

TEST_F(RunnerTest, AfterDeathTheCameraStaysAndKeepsLooking)
{
    scene::ISceneNode* platform = startFalling();
    run(0.5);
    core::vector3df p = runner.runnerNode->getAbsolutePosition();
    EXPECT_EQ(camera->getPosition(), p + cameraOffset);
    EXPECT_EQ(camera->getTarget(), p);

    platform->setPosition(core::vector3df(0, 500, 30));  // now far above: dead at once
    platform->updateAbsolutePosition();
    EXPECT_FALSE(checkFall());
    ASSERT_TRUE(runner.dead);
    core::vector3df cameraPlace = camera->getPosition();
    core::vector3df turn = runner.runnerNode->getRotation();
    sounds.played.clear();
    jump();
    EXPECT_TRUE(sounds.played.empty());

    run(1.0);
    p = runner.runnerNode->getAbsolutePosition();
    EXPECT_LT(p.Y, cameraPlace.Y - cameraOffset.Y - 50.0f);
    EXPECT_EQ(camera->getPosition(), cameraPlace);
    EXPECT_EQ(camera->getTarget(), p);
    core::vector3df tumbled = runner.runnerNode->getRotation() - turn;
    EXPECT_NEAR(tumbled.X, 120.0f, 0.1f);  // 120 degrees a second about each axis
    EXPECT_NEAR(tumbled.Y, 120.0f, 0.1f);
    EXPECT_NEAR(tumbled.Z, 120.0f, 0.1f);
}

TEST_F(RunnerTest, ReachIgnoresSidewaysDistanceAndScale)
{
    createRunner();
    useBox("media/carrotsmall.obj", core::vector3df(1, 1, 1));  // diagonal 1.732
    scene::ISceneNode* carrot =
        engine.scene->addAnimatedMeshSceneNode(engine.scene->getMesh("media/carrotsmall.obj"));
    carrot->setScale(core::vector3df(4, 4, 4));
    struct Case {
        core::vector3df at;
        bool touches;
    } cases[] = {
        {{5, 20, 0}, true},
        {{-300, 20, 3.73f}, true},
        {{0, 20, 3.74f}, false},
        {{0, 20 - 3.73f, 0}, true},
        {{0, 17.5f, 2.5f}, true},
        {{0, 17.3f, 2.6f}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at.X + c.at.Y + c.at.Z);
        carrot->setPosition(c.at);
        carrot->updateAbsolutePosition();
        EXPECT_EQ(touchesRunner(carrot), c.touches);
    }
}

TEST_F(RunnerTest, WithoutItsMeshTheRunnerStillPlays)
{
    char empty[] = "/tmp/zarvik-nomedia-XXXXXX";
    ASSERT_NE(mkdtemp(empty), nullptr);
    char* here = getcwd(nullptr, 0);
    useMediaFiles();
    useBox("media/plat0.obj", platformSize);
    ASSERT_EQ(chdir(empty), 0);

    createRunner();
    ASSERT_NE(runner.runnerNode, nullptr);
    EXPECT_EQ(runner.runnerNode->getMesh(), nullptr);
    EXPECT_GT(runner.halfHeight, 0.0f);
    addPlatform(core::vector3df(0, 12, 0));
    run(1.0);
    EXPECT_TRUE(runner.started);
    EXPECT_NEAR(y(), 17.0f + runner.halfHeight, 0.1f);  // standing on the top face
    jump();
    run(0.5);
    EXPECT_GT(y(), 30.0f);
    EXPECT_FALSE(checkFall());
    animate();  // the engine can animate and remove the bare node
    removeRunner();

    EXPECT_EQ(chdir(here), 0);
    free(here);
    rmdir(empty);
}
