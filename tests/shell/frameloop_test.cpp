#include <chrono>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <thread>

#include "carrots.h"
#include "engine.h"
#include "frameloop.h"
#include "gamestate.h"
#include "logcapture.h"
#include "platforms.h"
#include "runner.h"
#include "screens.h"
#include "shellworld.h"
#include "textoverlay.h"

using namespace irr;

namespace {

// The timer only moves when the test sets it: nothing here calls the device's run.
struct LoopWorld : ShellWorld {
    LoopWorld()
    {
        counter = new DrawCounter(engine.scene);
        counter->drop();  // the scene keeps it
    }
    void at(uint32_t time) { engine.timer->setTime(time); }
    DrawCounter* counter;
    FrameLoop loop;
};

}  // namespace

TEST(FramePass, PacingByElapsedTimerTime)
{
    struct Case {
        const char* name;
        uint32_t last, now;
        bool active;
        double dt;  // noStep when no step may run
    };
    const Case cases[] = {
        {"16 ms is too early", 1000, 1016, true, noStep},
        {"17 ms runs one step", 1000, 1017, true, 0.017},
        {"a 250 ms stall is one long step", 1000, 1250, true, 0.25},
        {"counter wrapped since the last step", 0xFFFFFFF0u, 0x10u, true, 0.032},
        {"just before the wrap, 16 ms", 0xFFFFFFF8u, 0x8u, true, noStep},
        {"inactive window", 1000, 1300, false, noStep},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopWorld world;
        world.at(c.now);
        world.loop.lastStepTime = c.last;
        world.window->active = c.active;

        double dt = framePass(world.loop);

        if (c.dt == noStep) {
            EXPECT_EQ(dt, noStep);
            EXPECT_EQ(world.counter->draws, 0);
            EXPECT_EQ(world.loop.lastStepTime, c.last);
        } else {
            EXPECT_DOUBLE_EQ(dt, c.dt);
            EXPECT_EQ(world.counter->draws, 1);
            EXPECT_EQ(world.loop.lastStepTime, c.now);
        }
        EXPECT_EQ(engine.timer->isStopped(), !c.active);
        EXPECT_EQ(world.window->captions.size(), c.active ? 1u : 0u);
    }
}

TEST(FramePass, OneStepPerPassHoweverLongTheStall)
{
    LoopWorld world;
    world.at(5000);
    world.loop.lastStepTime = 0;
    EXPECT_DOUBLE_EQ(framePass(world.loop), 5.0);
    EXPECT_EQ(framePass(world.loop), noStep);
    EXPECT_EQ(world.counter->draws, 1);
}

TEST(FramePass, CaptionOnFirstActivePassThenOnlyWhenTheRateChanges)
{
    LoopWorld world;
    world.at(100);
    world.loop.lastStepTime = 100;
    world.window->active = false;
    framePass(world.loop);
    EXPECT_TRUE(world.window->captions.empty());

    world.window->active = true;
    framePass(world.loop);
    int32_t fps = engine.video->getFPS();
    std::wstring expected = L"Zarvik - [" + std::wstring(engine.video->getName()) +
                            L"] FPS:" + std::to_wstring(fps);
    ASSERT_EQ(world.window->captions.size(), 1u);
    EXPECT_EQ(world.window->captions[0], expected);
    EXPECT_EQ(world.loop.lastFps, fps);

    framePass(world.loop);
    EXPECT_EQ(world.window->captions.size(), 1u) << "same rate, same caption";

    world.loop.lastFps = fps + 1;  // as if the rate had been different
    framePass(world.loop);
    EXPECT_EQ(world.window->captions.size(), 2u);
}

TEST(FramePass, TimeSpentInactiveNeverReachesAStep)
{
    LoopWorld world;
    world.at(1000);
    world.loop.lastStepTime = 990;
    world.window->active = false;
    framePass(world.loop);
    ASSERT_TRUE(engine.timer->isStopped());

    // real time passes and the device ticks its clock, as the game's loop would
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    world.real->run();
    framePass(world.loop);
    EXPECT_EQ(engine.timer->getTime(), 1000u);

    world.window->active = true;
    EXPECT_EQ(framePass(world.loop), noStep) << "only 10 ms of active time had passed";
    EXPECT_FALSE(engine.timer->isStopped());
    EXPECT_EQ(world.counter->draws, 0);

    world.at(1007);
    EXPECT_DOUBLE_EQ(framePass(world.loop), 0.017);
}

TEST(FramePass, StopsAndStartsTheTimerInBalance)
{
    LoopWorld world;
    world.at(1000);
    world.window->active = false;
    framePass(world.loop);
    framePass(world.loop);  // already stopped: no second stop
    world.window->active = true;
    framePass(world.loop);
    EXPECT_FALSE(engine.timer->isStopped()) << "one start must undo the one stop";
}

TEST(StartFrameLoop, SeedsRandWithTheClock)
{
    LoopWorld world;
    world.at(4242);
    world.loop.lastFps = 60;
    startFrameLoop(world.loop);
    EXPECT_EQ(world.loop.lastStepTime, 4242u);
    EXPECT_EQ(world.loop.lastFps, -1);
    int drawn = std::rand();
    std::srand(4242);
    EXPECT_EQ(drawn, std::rand());
}

TEST(GameStep, TitleStreamsPlatformsButLeavesTheRunAlone)
{
    LoopWorld world;
    showTitleScreen();
    world.at(3000);
    startFrameLoop(world.loop);
    double timerBefore = stream.speedUpTimer;
    ASSERT_EQ(overlayTexts.size(), 1u) << "the title prompt needs media/blinkfont.xml";
    double promptAge = overlayTexts[0].age;

    world.at(3020);
    EXPECT_DOUBLE_EQ(framePass(world.loop), 0.02);
    EXPECT_EQ(stream.speedUpTimer, timerBefore);
    EXPECT_FALSE(stream.platforms.empty()) << "the stream spawns in the title state";
    EXPECT_DOUBLE_EQ(overlayTexts[0].age, promptAge + 0.02);
    EXPECT_EQ(gameState, Title);
}

TEST(GameStep, PlayingAdvancesTheSpeedUpTimerByDt)
{
    LoopWorld world;
    showTitleScreen();
    gameEventReceiver.OnEvent(keyEvent(KEY_SPACE, true));
    ASSERT_EQ(gameState, Playing);
    world.at(7000);
    startFrameLoop(world.loop);
    double timerBefore = stream.speedUpTimer;
    world.at(7250);
    EXPECT_DOUBLE_EQ(framePass(world.loop), 0.25);
    EXPECT_DOUBLE_EQ(stream.speedUpTimer, timerBefore + 0.25);
}

TEST(GameStep, AFallEndsTheRunWithinTheSameStep)
{
    LoopWorld world;
    showTitleScreen();
    gameEventReceiver.OnEvent(keyEvent(KEY_SPACE, true));
    ASSERT_EQ(gameState, Playing);
    world.at(2000);
    startFrameLoop(world.loop);
    framePass(world.loop);  // nothing due yet
    world.at(2017);
    framePass(world.loop);  // a platform spawns
    carrotCount = 2;        // no score.dat here: a record
    runner.started = true;
    ASSERT_NE(runner.runnerNode, nullptr) << "the runner needs media/rabbit.b3d";
    runner.runnerNode->setPosition(core::vector3df(0, lowestPlatformY() - 5000, 0));
    runner.runnerNode->updateAbsolutePosition();
    int drawsBefore = world.counter->draws;

    LogCapture log;
    world.at(2040);
    EXPECT_DOUBLE_EQ(framePass(world.loop), 0.023);

    EXPECT_EQ(runner.runnerNode, nullptr);
    EXPECT_TRUE(stream.platforms.empty());
    EXPECT_EQ(gameState, EndScreen);
    EXPECT_NE(log.text().find("END GAME "), std::string::npos) << log.text();
    EXPECT_EQ(world.counter->draws, drawsBefore + 1) << "the same step still draws";
    // the record text built in this step was already aged by it
    bool found = false;
    for (const OverlayText& text : overlayTexts)
        if (text.handle == endRecordText) {
            found = true;
            EXPECT_DOUBLE_EQ(text.age, 0.023);
        }
    EXPECT_TRUE(found) << "the record text needs media/blinkfont.xml";
}
