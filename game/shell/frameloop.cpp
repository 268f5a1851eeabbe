#include "frameloop.h"

#include <cstdio>
#include <cstdlib>

#include "carrots.h"
#include "engine.h"
#include "gamestate.h"
#include "platforms.h"
#include "runner.h"
#include "screens.h"
#include "textoverlay.h"

const double stepInterval = 1000.0 / 60.0;
const int runnerSubSteps = 10;
const irr::video::SColor clearColour(0x00, 0xFF, 0xFF, 0x78);
const wchar_t* const baseCaption = L"Zarvik";

namespace {

const double millisecondsPerSecond = 1000.0;

// Unsigned, so a wrap of the millisecond counter still gives the true difference.
uint32_t millisecondsSince(uint32_t then)
{
    return engine.timer->getTime() - then;
}

void updateCaption(FrameLoop& loop)
{
    int32_t fps = engine.video->getFPS();
    if (fps == loop.lastFps)
        return;
    irr::core::stringw caption = baseCaption;
    caption += L" - [";
    caption += engine.video->getName();
    caption += L"] FPS:";
    caption += fps;
    engine.device->setWindowCaption(caption.c_str());
    loop.lastFps = fps;
}

void endRun()
{
    removeRunner();
    clearPlatforms();
    showEndScreen();
    std::printf("END GAME %i\n", std::rand());
    std::fflush(stdout);
}

}  // namespace

void startFrameLoop(FrameLoop& loop)
{
    loop.lastStepTime = engine.timer->getTime();
    std::srand(loop.lastStepTime);
    loop.lastFps = -1;
}

void drawFrame()
{
    engine.video->beginScene(true, true, clearColour);
    engine.scene->drawAll();
    engine.gui->drawAll();
    engine.video->endScene();
}

double gameStep(FrameLoop& loop)
{
    double dt = millisecondsSince(loop.lastStepTime) / millisecondsPerSecond;

    spawnPlatform(static_cast<int32_t>(engine.timer->getTime()));
    scrollPlatforms(dt);
    if (gameState == Playing) {
        updateSpeed(dt);
        for (int i = 0; i < runnerSubSteps; ++i)
            updateRunner(dt / runnerSubSteps);
        collectCarrots();
        if (checkFall())
            endRun();
    }
    updateTexts(dt);
    drawFrame();

    // updating and drawing do not count towards the next step
    loop.lastStepTime = engine.timer->getTime();
    return dt;
}

double framePass(FrameLoop& loop)
{
    if (!engine.device->isWindowActive()) {
        // time spent inactive must never reach a step
        if (!engine.timer->isStopped())
            engine.timer->stop();
        return noStep;
    }
    if (engine.timer->isStopped())
        engine.timer->start();

    double dt = noStep;
    double elapsed = millisecondsSince(loop.lastStepTime);
    if (elapsed >= stepInterval && engine.device->isWindowActive())
        dt = gameStep(loop);
    updateCaption(loop);
    return dt;
}

void runFrameLoop(FrameLoop& loop)
{
    while (engine.device->run())
        framePass(loop);
}
