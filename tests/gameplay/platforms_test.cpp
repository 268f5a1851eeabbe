#include <cmath>
#include <cstdlib>
#include <unistd.h>

#include "carrots.h"
#include "engine.h"
#include "gamestate.h"
#include "platforms.h"
#include "random.h"
#include "runner.h"
#include "world.h"

using namespace irr;

namespace {

class Platforms : public World {
protected:
    void SetUp() override
    {
        World::SetUp();
        useBox("media/plat0.obj", platformSize);
        useBox("media/plat1.obj", platformSize);
        useBox("media/plat2.obj", platformSize);
        useBox("media/carrotsmall.obj", core::vector3df(1, 1, 1));
        useBox("media/rabbit2.b3d", core::vector3df(2, 2, 2));
    }
};

// Draws for one spawn outside a run that places no carrots and no decoration.
std::vector<int> plainSpawn(int gapDraw)
{
    return {0, 999, gapDraw, 99};
}

}  // namespace

TEST(RandomHelpers, EachTakesOneDrawAndStaysBelowOne)
{
    scriptRand({0, 1, 0, 999, 1999, 1000, 3007});
    long before = drawCount();
    EXPECT_EQ(randomSign(), -1.0f);
    EXPECT_EQ(randomSign(), 1.0f);
    EXPECT_EQ(randomUnit(), 0.0f);
    EXPECT_FLOAT_EQ(randomUnit(), 0.999f);
    EXPECT_FLOAT_EQ(randomSigned(), 0.999f);
    EXPECT_EQ(randomSigned(), 0.0f);
    EXPECT_FLOAT_EQ(randomSigned(), 0.007f);  // 3007 mod 2000 = 1007
    EXPECT_EQ(drawCount() - before, 7);

    srand(99);
    for (int i = 0; i < 100000; ++i) {
        float unit = randomUnit();
        float sign = randomSigned();
        ASSERT_GE(unit, 0.0f);
        ASSERT_LT(unit, 1.0f);
        ASSERT_GE(sign, -1.0f);
        ASSERT_LT(sign, 1.0f);
    }
}

TEST_F(Platforms, ResetEmptiesTheStreamAndRestoresTheStart)
{
    gameState = Playing;
    for (int now = 1; now < 5000; now += 500)
        spawnPlatform(now);
    updateSpeed(25.0);
    ASSERT_FALSE(stream.platforms.empty());
    ASSERT_FALSE(carrotNodes.empty());
    int before = countNodes();

    resetPlatforms();
    EXPECT_TRUE(stream.platforms.empty());
    EXPECT_TRUE(carrotNodes.empty());
    EXPECT_EQ(countNodes(), 1);  // the camera alone
    EXPECT_GT(before, 1);
    EXPECT_EQ(stream.spawnPosition, core::vector3df(0, 0, 300));
    EXPECT_EQ(stream.removeLimitZ, -100.0f);
    EXPECT_EQ(stream.speed, 0.05f);
    EXPECT_EQ(stream.lastSpawnTime, 0);
    EXPECT_EQ(stream.passTime, 0);
    EXPECT_EQ(stream.gapTime, 0);
    EXPECT_EQ(stream.gapMin, 200);
    EXPECT_EQ(stream.gapMax, 300);
    EXPECT_EQ(stream.stepMin, 15.0f);
    EXPECT_EQ(stream.stepMax, 25.0f);
    EXPECT_EQ(stream.speedUpTimer, 0.0);

    // after a reset the next call spawns whatever the time says
    spawnPlatform(-7);
    EXPECT_EQ(stream.platforms.size(), 1u);
}

TEST_F(Platforms, SpawnsOnlyWhenStrictlyDue)
{
    struct Case {
        int32_t last, pass, gap, now;
        bool spawns;
    } cases[] = {
        {5000, 400, 250, 5650, false},
        {5000, 400, 250, 5651, true},
        {5000, 400, 250, 100, false},
        {0, 400, 250, 1, true},  // nothing spawned since the reset
        {0, 400, 250, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.now);
        resetPlatforms();
        stream.lastSpawnTime = c.last;
        stream.passTime = c.pass;
        stream.gapTime = c.gap;
        spawnPlatform(c.now);
        EXPECT_EQ(stream.platforms.size(), c.spawns ? 1u : 0u);
        EXPECT_EQ(stream.lastSpawnTime, c.spawns ? c.now : c.last);
    }
}

TEST_F(Platforms, ASpawnAtTimeZeroSpawnsAgainNextCall)
{
    spawnPlatform(0);
    EXPECT_EQ(stream.lastSpawnTime, 0);
    spawnPlatform(0);
    EXPECT_EQ(stream.platforms.size(), 2u);
    spawnPlatform(16);
    EXPECT_EQ(stream.platforms.size(), 3u);
    spawnPlatform(17);  // only now a spawn time is on record
    EXPECT_EQ(stream.platforms.size(), 3u);
}

TEST_F(Platforms, PassTimeIsTheLengthOverTheSpeedTruncated)
{
    stream.speed = 0.0525f;
    scriptRand(plainSpawn(0));
    spawnPlatform(1000);
    ASSERT_EQ(stream.platforms.size(), 1u);
    EXPECT_EQ(stream.passTime, 761);  // 761.9
    EXPECT_EQ(stream.gapTime, 200);
    // the near end sits on the spawn position
    EXPECT_EQ(stream.platforms[0]->getAbsolutePosition(), core::vector3df(0, 0, 320));
}

TEST_F(Platforms, SpawnDrawsInOrder)
{
    useBox("media/plat2.obj", core::vector3df(10, 4, 30));
    gameState = Playing;
    stream.spawnPosition.Y = 7.0f;
    scriptRand({
        5,     // mesh: 5 mod 3 = 2
        800,   // no carrots
        500,   // height step size u = 0.5
        3,     // sign: odd, up
        1242,  // gap: 1242 mod 100 = 42
        29,    // decoration: 29 is still in
        250,   // turn 0.25
        1500,  // a = 0.5
        400,   // b = 0.4
        500,   // c = -0.5
        3999,  // animation speed 1999 + 2000
        7,     // start frame draw
        600,   // scale 1.2 + 0.3
    });
    long before = drawCount();
    spawnPlatform(2000);
    EXPECT_EQ(drawCount() - before, 13);
    EXPECT_EQ(scriptedLeft(), 0u);

    ASSERT_EQ(stream.platforms.size(), 1u);
    scene::IAnimatedMeshSceneNode* platform = stream.platforms[0];
    EXPECT_EQ(platform->getMesh(), engine.scene->getMesh("media/plat2.obj"));
    EXPECT_EQ(platform->getPosition(), core::vector3df(0, 7, 315));
    EXPECT_FLOAT_EQ(stream.spawnPosition.Y, 7.0f + 20.0f);
    EXPECT_EQ(stream.gapTime, 242);
    EXPECT_EQ(stream.passTime, 600);
    EXPECT_EQ(stream.lastSpawnTime, 2000);

    ASSERT_EQ(platform->getChildren().size(), 1u);
    auto* rabbit = static_cast<scene::IAnimatedMeshSceneNode*>(*platform->getChildren().begin());
    EXPECT_EQ(rabbit->getMesh(), engine.scene->getMesh("media/rabbit2.b3d"));
    EXPECT_EQ(rabbit->getRotation(), core::vector3df(90, 90, 0));
    EXPECT_TRUE(rabbit->getPosition().equals(core::vector3df(-3.0f, 6.4f, 1.0f)));
    EXPECT_FLOAT_EQ(rabbit->getAnimationSpeed(), 3999.0f);
    EXPECT_EQ(rabbit->getFrameNr(), 0.0f);  // a box has no frames to start in
    EXPECT_TRUE(rabbit->getScale().equals(core::vector3df(1.5f, 1.5f, 1.5f)));
}

TEST_F(Platforms, DecorationStartsOnADrawnFrameOfTheAnimation)
{
    useMediaFiles();  // the generated rabbit is animated
    useBox("media/plat0.obj", platformSize);
    scene::IAnimatedMesh* mesh = engine.scene->getMesh("media/rabbit2.b3d");
    ASSERT_NE(mesh, nullptr) << "media/rabbit2.b3d is missing";
    scene::IAnimatedMeshSceneNode* probe = engine.scene->addAnimatedMeshSceneNode(mesh);
    int32_t endFrame = probe->getEndFrame();
    probe->remove();
    ASSERT_GT(endFrame, 1);

    scriptRand({0, 999, 0, 0, 0, 0, 0, 0, 0, endFrame + 1, 0});
    spawnPlatform(3000);
    ASSERT_EQ(stream.platforms[0]->getChildren().size(), 1u);
    auto* rabbit =
        static_cast<scene::IAnimatedMeshSceneNode*>(*stream.platforms[0]->getChildren().begin());
    EXPECT_EQ(rabbit->getFrameNr(), 1.0f);
    EXPECT_FLOAT_EQ(rabbit->getAnimationSpeed(), 2000.0f);
}

TEST_F(Platforms, HeightsStayLevelOutsideARunAndStepDuringOne)
{
    for (int32_t state : {Title, EndScreen}) {
        gameState = state;
        for (int now = 1; stream.platforms.size() < 20; now += 17)
            spawnPlatform(now);
        for (scene::ISceneNode* platform : stream.platforms)
            EXPECT_EQ(platform->getAbsolutePosition().Y, 0.0f);
        clearPlatforms();
        stream.lastSpawnTime = 0;
    }

    gameState = Title;
    spawnPlatform(1);
    gameState = Playing;
    int spawnedInRun = 0;
    int ups = 0;
    for (int now = 2; spawnedInRun < 200; now += 17) {
        size_t count = stream.platforms.size();
        spawnPlatform(now);
        if (stream.platforms.size() == count)
            continue;
        ++spawnedInRun;
        float y = stream.platforms.back()->getAbsolutePosition().Y;
        float previous = stream.platforms[stream.platforms.size() - 2]->getAbsolutePosition().Y;
        if (spawnedInRun == 1) {
            EXPECT_EQ(y, previous);  // the first platform of a run keeps the title's height
            continue;
        }
        float step = std::fabs(y - previous);
        EXPECT_GE(step, 15.0f - 1e-3f);
        EXPECT_LT(step, 25.0f);
        if (y > previous)
            ++ups;
    }
    EXPECT_GT(ups, 60);  // both directions turn up
    EXPECT_LT(ups, 140);
}

TEST_F(Platforms, CullingAtTheLimitKeepsTheRestInOrder)
{
    stream.speed = 0.0f;
    scene::ISceneNode* a = addPlatform(core::vector3df(0, 0, -150));
    scene::ISceneNode* b = addPlatform(core::vector3df(0, 0, -99.99f));
    scene::ISceneNode* c = addPlatform(core::vector3df(0, 0, -100));
    scene::ISceneNode* d = addPlatform(core::vector3df(0, 0, 50));
    a->grab();
    c->grab();
    scrollPlatforms(0.017);
    ASSERT_EQ(stream.platforms.size(), 2u);
    EXPECT_EQ(stream.platforms[0], b);
    EXPECT_EQ(stream.platforms[1], d);
    EXPECT_EQ(a->getParent(), nullptr);
    EXPECT_EQ(c->getParent(), nullptr);
    EXPECT_EQ(a->getReferenceCount(), 1);  // the scene let go of them
    a->drop();
    c->drop();
}

TEST_F(Platforms, ScrollMovesBySpeedTimesMilliseconds)
{
    stream.speed = 0.05f;
    scene::ISceneNode* near = addPlatform(core::vector3df(3, 4, -50));
    scene::ISceneNode* far = addPlatform(core::vector3df(0, 0, 200));
    scrollPlatforms(0.5);
    EXPECT_TRUE(far->getAbsolutePosition().equals(core::vector3df(0, 0, 175)));
    EXPECT_TRUE(near->getAbsolutePosition().equals(core::vector3df(3, 4, -75)));
    scrollPlatforms(0.5);  // reaches -100 exactly
    ASSERT_EQ(stream.platforms.size(), 1u);
    EXPECT_EQ(stream.platforms[0], far);
}

TEST_F(Platforms, SpeedUpsComeStrictlyAfterTwentySeconds)
{
    updateSpeed(20.0);
    EXPECT_EQ(stream.speed, 0.05f);
    EXPECT_TRUE(sounds.played.empty());
    updateSpeed(0.5);
    EXPECT_FLOAT_EQ(stream.speed, 0.0525f);
    EXPECT_EQ(stream.speedUpTimer, 0.0);  // restarts from zero, not from the excess
    ASSERT_EQ(sounds.played.size(), 1u);
    EXPECT_EQ(sounds.played[0].file, "media/speed.wav");
    EXPECT_EQ(sounds.played[0].mode, 2);
    EXPECT_FALSE(sounds.played[0].looped || sounds.played[0].paused || sounds.played[0].track);
    EXPECT_EQ(textsShowing(L"< administering speed >"), 1);
}

TEST_F(Platforms, SixtyFiveSecondsAliveGiveThreeSpeedUps)
{
    for (int step = 0; step < 65 * 60; ++step)
        updateSpeed(1.0 / 60.0);
    EXPECT_EQ(sounds.played.size(), 3u);
    EXPECT_NEAR(stream.speed, 0.0575f, 1e-6f);
    EXPECT_EQ(stream.gapMin, 350);
    EXPECT_EQ(stream.gapMax, 450);
    EXPECT_EQ(stream.stepMin, 15.0f);
    EXPECT_EQ(stream.stepMax, 28.0f);

    // the gaps drawn from here on lie in 350 .. 449
    scriptRand({0, 999, 0, 99, 0, 999, 99, 99});
    gameState = EndScreen;
    stream.lastSpawnTime = 0;
    spawnPlatform(0);
    EXPECT_EQ(stream.gapTime, 350);
    spawnPlatform(0);
    EXPECT_EQ(stream.gapTime, 449);
}

TEST_F(Platforms, ADeadRunnerHoldsSpeedUpsBack)
{
    runner.dead = true;
    for (int step = 0; step < 30 * 60; ++step)
        updateSpeed(1.0 / 60.0);
    EXPECT_EQ(stream.speed, 0.05f);
    EXPECT_GT(stream.speedUpTimer, 29.9);
    EXPECT_TRUE(sounds.played.empty());
}

TEST_F(Platforms, ClearingKeepsTheScheduleAndTheSpeed)
{
    gameState = Playing;
    for (int now = 1; now < 8000; now += 17)
        spawnPlatform(now);
    updateSpeed(21.0);
    PlatformStream before = stream;
    ASSERT_GT(before.platforms.size(), 2u);
    scene::ISceneNode* carrot = carrotNodes.at(0);
    carrot->grab();

    clearPlatforms();
    EXPECT_TRUE(stream.platforms.empty());
    EXPECT_TRUE(carrotNodes.empty());
    EXPECT_EQ(carrot->getReferenceCount(), 1);  // only ours is left
    carrot->drop();
    EXPECT_EQ(countNodes(), 1);
    EXPECT_EQ(stream.lastSpawnTime, before.lastSpawnTime);
    EXPECT_EQ(stream.passTime, before.passTime);
    EXPECT_EQ(stream.gapTime, before.gapTime);
    EXPECT_EQ(stream.speed, before.speed);
    EXPECT_EQ(stream.gapMin, before.gapMin);
    EXPECT_EQ(stream.spawnPosition, before.spawnPosition);
}

TEST_F(Platforms, QueriesOnTheStream)
{
    core::aabbox3df box;
    EXPECT_FALSE(findPlatformAt(core::vector3df(0, 0, 0), box));
    EXPECT_EQ(nearestPlatformDistance(core::vector3df(0, 0, 0)), 100000.0f);
    EXPECT_EQ(lowestPlatformY(), 100000.0f);

    // boxes x -10..10, y -15..-5, z 10..50 and x -5..15, y -17..-7, z 20..60
    scene::ISceneNode* older = addPlatform(core::vector3df(0, -10, 30));
    scene::ISceneNode* newer = addPlatform(core::vector3df(5, -12, 40));
    struct Case {
        core::vector3df point;
        scene::ISceneNode* found;
    } cases[] = {
        {{0, -5, 30}, older},       // on the top face
        {{-10, -5, 50}, older},     // on a corner
        {{0, -4.99f, 30}, nullptr}, // just above
        {{2, -8, 30}, older},       // inside both: the older one answers
        {{12, -17, 55}, newer},     // on the newer one's bottom face
        {{12, -17.01f, 55}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.point.Y);
        bool hit = findPlatformAt(c.point, box);
        EXPECT_EQ(hit, c.found != nullptr);
        if (hit && c.found) {
            EXPECT_EQ(box, c.found->getTransformedBoundingBox());
        }
    }

    EXPECT_FLOAT_EQ(nearestPlatformDistance(core::vector3df(3, 500, 34)), 5.0f);  // y ignored
    EXPECT_EQ(lowestPlatformY(), -12.0f);
}

TEST_F(Platforms, MissingMeshesSkipNodesWithoutTouchingTheSchedule)
{
    char empty[] = "/tmp/zarvik-nomedia-XXXXXX";
    ASSERT_NE(mkdtemp(empty), nullptr);
    char* here = getcwd(nullptr, 0);
    useMediaFiles();
    ASSERT_EQ(chdir(empty), 0);

    stream.lastSpawnTime = 500;
    stream.passTime = 10;
    stream.gapTime = 10;
    long before = drawCount();
    spawnPlatform(600);
    spawnPlatform(601);
    EXPECT_EQ(drawCount() - before, 2);  // the mesh draws only
    EXPECT_TRUE(stream.platforms.empty());
    EXPECT_EQ(stream.lastSpawnTime, 500);
    EXPECT_EQ(stream.passTime, 10);
    EXPECT_EQ(stream.gapTime, 10);

    // platforms there, carrots and decoration missing: the draws are spent all the same
    useBox("media/plat0.obj", platformSize);
    useBox("media/plat1.obj", platformSize);
    useBox("media/plat2.obj", platformSize);
    scriptRand({0, 0, 0, 50, 1000, 1000, 1, 0, 0, 0, 0, 0, 0, 0, 0});
    spawnPlatform(700);
    EXPECT_EQ(scriptedLeft(), 0u);
    ASSERT_EQ(stream.platforms.size(), 1u);
    EXPECT_TRUE(stream.platforms[0]->getChildren().empty());
    EXPECT_TRUE(carrotNodes.empty());
    EXPECT_EQ(stream.gapTime, 201);
    EXPECT_EQ(stream.lastSpawnTime, 700);

    EXPECT_EQ(chdir(here), 0);
    free(here);
    rmdir(empty);
}
