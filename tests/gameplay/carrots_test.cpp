#include <algorithm>
#include <cstdlib>

#include "carrots.h"
#include "engine.h"
#include "gamestate.h"
#include "platforms.h"
#include "runner.h"
#include "textoverlay.h"
#include "world.h"

using namespace irr;

namespace {

class Carrots : public World {
protected:
    void SetUp() override
    {
        World::SetUp();
        useBox("media/plat0.obj", platformSize);
        useBox("media/plat1.obj", platformSize);
        useBox("media/plat2.obj", platformSize);
        useBox("media/rabbit.b3d", core::vector3df(4, 4, 4));
        useBox("media/rabbit2.b3d", core::vector3df(2, 2, 2));
        useBox("media/carrotsmall.obj", core::vector3df(1, 1, 1));  // reach 2 + 1.732
    }

    // The carrots a platform got from one placement, made from scripted draws.
    static std::vector<scene::ISceneNode*> place(scene::ISceneNode* platform,
                                                 const std::vector<int>& draws)
    {
        size_t first = carrotNodes.size();
        scriptRand(draws);
        placeCarrots(platform);
        EXPECT_EQ(scriptedLeft(), 0u);
        return std::vector<scene::ISceneNode*>(carrotNodes.begin() + first, carrotNodes.end());
    }

    static std::vector<scene::ISceneNode*> particlesUnder(scene::ISceneNode* parent)
    {
        std::vector<scene::ISceneNode*> found;
        for (scene::ISceneNode* child : parent->getChildren())
            if (child->getType() == scene::ESNT_PARTICLE_SYSTEM)
                found.push_back(child);
        return found;
    }

    static gui::IGUIElement* counter()
    {
        gui::IGUIElement* found = nullptr;
        for (gui::IGUIElement* child : engine.gui->getRootGUIElement()->getChildren())
            if (child->getType() == gui::EGUIET_STATIC_TEXT &&
                child->getRelativePosition().UpperLeftCorner.X == 120) {
                EXPECT_EQ(found, nullptr) << "two counters";
                found = child;
            }
        return found;
    }
};

}  // namespace

TEST_F(Carrots, RowsRunAlongThePlatform)
{
    struct Case {
        int n;
        float firstZ, lastZ;
    } cases[] = {{2, -4, 4}, {9, -18, 46}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        scene::ISceneNode* platform = addPlatform(core::vector3df(0, 0, 100));
        std::vector<int> draws = {799, c.n - 2 + 8, 5};  // carrots, row length, not big
        for (int i = 0; i < c.n; ++i)
            draws.push_back(1000 + 100 * i);  // s_i = 0.1 i
        std::vector<scene::ISceneNode*> row = place(platform, draws);
        ASSERT_EQ(row.size(), static_cast<size_t>(c.n));
        EXPECT_EQ(row.front()->getPosition().Z, c.firstZ);
        EXPECT_EQ(row.back()->getPosition().Z, c.lastZ);
        for (int i = 0; i < c.n; ++i) {
            scene::ISceneNode* carrot = row[i];
            EXPECT_EQ(carrot->getParent(), platform);
            EXPECT_TRUE(carrot->getPosition().equals(
                core::vector3df(0.6f * i, 6.0f, 8.0f * i - 2.0f * c.n)));
            EXPECT_EQ(carrot->getScale(), core::vector3df(1, 1, 1));
            EXPECT_EQ(carrot->getRotation(), core::vector3df(0, 0, 0));
            EXPECT_EQ(carrot->getReferenceCount(), 2);  // its platform's and the list's
        }
    }
}

TEST_F(Carrots, OneInFivePlatformsGoesWithout)
{
    scene::ISceneNode* platform = addPlatform(core::vector3df(0, 0, 100));
    long before = drawCount();
    EXPECT_TRUE(place(platform, {800}).empty());
    EXPECT_EQ(drawCount() - before, 1);
    EXPECT_TRUE(place(platform, {1999}).empty());
    EXPECT_EQ(place(platform, {1799, 0, 99, 1000, 1000}).size(), 2u);  // 1799 mod 1000 = 799
}

TEST_F(Carrots, TheBigCarrotStandsHighAndTurned)
{
    struct Case {
        int aDraw;
        float height;
    } cases[] = {{0, 20.0f}, {999, 59.96f}, {1500, 40.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.aDraw);
        scene::ISceneNode* platform = addPlatform(core::vector3df(0, 0, 100));
        // carrots, a row draw that is spent anyway, big (4 is still big), a, b, c, s_0
        std::vector<scene::ISceneNode*> big = place(platform, {0, 7, 4, c.aDraw, 500, 250, 0});
        ASSERT_EQ(big.size(), 1u);
        EXPECT_TRUE(big[0]->getPosition().equals(core::vector3df(-6.0f, c.height, -2.0f), 1e-4f));
        EXPECT_EQ(big[0]->getScale(), core::vector3df(4, 4, 4));
        EXPECT_TRUE(big[0]->getRotation().equals(core::vector3df(5, 180, 0)));
    }
}

TEST_F(Carrots, PointsAndSoundsGoByScale)
{
    gameState = Playing;
    createRunner();
    struct Case {
        float scale;
        int points;
        const char* sound;
    } cases[] = {
        {1.0f, 1, "media/pop0.wav"},
        {1.01f, 1, "media/pop0.wav"},
        {1.02f, 100, "media/boom.wav"},
        {4.0f, 100, "media/boom.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        resetCarrotCount();
        sounds.played.clear();
        scene::ISceneNode* platform = addPlatform(core::vector3df(0, 14, 0));
        scene::ISceneNode* carrot = place(platform, {0, 0, 99, 1000, 1000})[0];
        carrot->setPosition(core::vector3df(0, 6, 0));
        carrot->setScale(core::vector3df(c.scale, c.scale, c.scale));
        animate();
        collectCarrots();
        EXPECT_EQ(carrotCount, c.points);
        EXPECT_EQ(sounds.files(), std::vector<std::string>{c.sound});
        EXPECT_EQ(sounds.played[0].mode, 0);
        clearPlatforms();
    }
}

TEST_F(Carrots, TwoInOneStepEachSoundAndSparkle)
{
    gameState = Playing;
    createRunner();
    showCarrotHud();
    scene::ISceneNode* rowPlatform = addPlatform(core::vector3df(0, 14, 0));
    scene::ISceneNode* bigPlatform = addPlatform(core::vector3df(0, 14, 0));
    std::vector<scene::ISceneNode*> row = place(rowPlatform, {0, 0, 99, 1000, 1000});
    std::vector<scene::ISceneNode*> big = place(bigPlatform, {0, 0, 0, 0, 0, 0, 1000});
    row[0]->setPosition(core::vector3df(0, 6, 0));
    row[1]->setPosition(core::vector3df(0, 6, 30));  // out of reach
    big[0]->setPosition(core::vector3df(5, 6, 1));
    for (scene::ISceneNode* carrot : {row[0], big[0]})
        carrot->grab();
    int nodes = countNodes();
    animate();
    collectCarrots();

    EXPECT_EQ(carrotCount, 101);
    EXPECT_EQ(sounds.files(), (std::vector<std::string>{"media/pop0.wav", "media/boom.wav"}));
    ASSERT_EQ(carrotNodes.size(), 1u);
    EXPECT_EQ(carrotNodes[0], row[1]);
    for (scene::ISceneNode* carrot : {row[0], big[0]}) {
        EXPECT_EQ(carrot->getParent(), nullptr);
        EXPECT_EQ(carrot->getReferenceCount(), 1);  // only ours is left
        carrot->drop();
    }
    EXPECT_EQ(countNodes(), nodes);  // two carrots gone, two sparkles in their places
    std::vector<scene::ISceneNode*> rowSparkle = particlesUnder(rowPlatform);
    std::vector<scene::ISceneNode*> bigSparkle = particlesUnder(bigPlatform);
    ASSERT_EQ(rowSparkle.size(), 1u);
    ASSERT_EQ(bigSparkle.size(), 1u);
    EXPECT_EQ(rowSparkle[0]->getPosition(), core::vector3df(0, 6, 0));
    EXPECT_EQ(bigSparkle[0]->getPosition(), core::vector3df(5, 6, 1));
    expectStars(static_cast<scene::IParticleSystemSceneNode*>(rowSparkle[0]),
                core::vector3df(0, 0.05f, 0), 10, 20, 2000, 360, "media/star.png");

    // the counter shows the sum at the end of the pass
    gui::IGUIElement* text = counter();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(core::stringw(text->getText()), L"101");
    core::recti box = text->getRelativePosition();
    EXPECT_NEAR((box.UpperLeftCorner.Y + box.LowerRightCorner.Y) / 2.0, 65.0, 1.0);
}

TEST_F(Carrots, ACarrotIsCollectedInTheStepItsPlatformIsCulled)
{
    gameState = Playing;
    createRunner();
    scene::ISceneNode* platform = addPlatform(core::vector3df(0, 14, -90));
    scene::ISceneNode* carrot = place(platform, {0, 0, 99, 1000, 1000})[0];
    carrot->setPosition(core::vector3df(0, 6, 90));
    animate();
    scrollPlatforms(0.2);  // 10 units: the platform reaches -100
    ASSERT_TRUE(stream.platforms.empty());
    ASSERT_EQ(carrotNodes.size(), 2u);  // during a run the collection pass decides
    int nodes = countNodes();
    collectCarrots();
    EXPECT_EQ(carrotCount, 1);
    EXPECT_TRUE(carrotNodes.empty());  // the other one left without score
    std::vector<scene::ISceneNode*> sparkle = particlesUnder(engine.scene->getRootSceneNode());
    ASSERT_EQ(sparkle.size(), 1u);
    EXPECT_EQ(sparkle[0]->getPosition(), core::vector3df(0, 6, 90));
    EXPECT_EQ(countNodes(), nodes + 1);
    EXPECT_EQ(sounds.files(), std::vector<std::string>{"media/pop0.wav"});
}

TEST_F(Carrots, CarrotsLeftBehindOutsideARunGoWithoutScore)
{
    for (int32_t state : {Title, EndScreen}) {
        SCOPED_TRACE(state);
        gameState = state;
        stream.lastSpawnTime = 0;
        std::vector<scene::ISceneNode*> seen;
        for (int now = 1; now < 40000; now += 17) {
            spawnPlatform(now);
            for (scene::ISceneNode* carrot : carrotNodes)
                if (std::find(seen.begin(), seen.end(), carrot) == seen.end()) {
                    carrot->grab();
                    seen.push_back(carrot);
                }
            scrollPlatforms(0.017);
            size_t live = 0;
            for (scene::ISceneNode* platform : stream.platforms)
                for (scene::ISceneNode* child : platform->getChildren())
                    live += carrotNodes.end() !=
                            std::find(carrotNodes.begin(), carrotNodes.end(), child);
            ASSERT_EQ(carrotNodes.size(), live);  // only carrots still on a platform
        }
        size_t gone = 0;
        for (scene::ISceneNode* carrot : seen) {
            if (!carrot->getParent()) {
                EXPECT_EQ(carrot->getReferenceCount(), 1);
                ++gone;
            }
            carrot->drop();
        }
        EXPECT_GT(gone, 50u);
        EXPECT_EQ(carrotCount, 0);
        EXPECT_TRUE(sounds.played.empty());
        clearPlatforms();
    }
}

TEST_F(Carrots, TheHudShowsIconAndCounter)
{
    showCarrotHud();
    gui::IGUIImage* icon = nullptr;
    for (gui::IGUIElement* child : engine.gui->getRootGUIElement()->getChildren())
        if (child->getType() == gui::EGUIET_IMAGE)
            icon = static_cast<gui::IGUIImage*>(child);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->getImage(), engine.video->getTexture("media/carrot.png"));
    EXPECT_EQ(icon->getRelativePosition().UpperLeftCorner, core::position2di(30, 30));
    EXPECT_TRUE(icon->isAlphaChannelUsed());

    EXPECT_EQ(counter(), nullptr);  // shown from the first collection pass on
    collectCarrots();
    ASSERT_NE(counter(), nullptr);
    EXPECT_EQ(core::stringw(counter()->getText()), L"0");
    updateCarrotCounter(12);
    updateCarrotCounter(345);
    EXPECT_EQ(core::stringw(counter()->getText()), L"345");
    EXPECT_EQ(textsShowing(L"12"), 0);

    size_t elements = engine.gui->getRootGUIElement()->getChildren().size();
    removeCarrotHud();
    EXPECT_EQ(engine.gui->getRootGUIElement()->getChildren().size(), elements - 2);
    removeCarrotHud();
    EXPECT_EQ(engine.gui->getRootGUIElement()->getChildren().size(), elements - 2);
}
