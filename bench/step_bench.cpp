// One fixed step of a run: the stream, ten runner sub-steps, the carrots, the fall check and
// the texts, on the NULL device with the generated media.
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "carrots.h"
#include "engine.h"
#include "startup.h"
#include "frameloop.h"
#include "gamestate.h"
#include "platforms.h"
#include "runner.h"
#include "textoverlay.h"
#include "jumper.h"

using namespace irr;

namespace {

const uint32_t stepMs = 17;
const double dt = stepMs / 1000.0;

void openEngine()
{
    if (engine.device)
        return;
    if (chdir(ZARVIK_GAME_DIR) != 0)
        std::printf("Warning: cannot enter %s\n", ZARVIK_GAME_DIR);
    IrrlichtDevice* device = createDevice(video::EDT_NULL, core::dimension2du(800, 600));
    device->getLogger()->setLogLevel(ELL_NONE);
    keepEngineHandles(device, nullptr);
    engine.scene->addCameraSceneNodeFPS(nullptr, 0.0f, 0.0f, -1, nullptr, 0, false, 0.0f);
    for (const char* file : {"media/plat0.obj", "media/plat1.obj", "media/plat2.obj"})
        engine.scene->getMesh(file);
    loadFonts();
    engine.timer->stop();
}

// The step as the frame loop runs it while playing, without the drawing.
bool runStep(int32_t now)
{
    spawnPlatform(now);
    scrollPlatforms(dt);
    updateSpeed(dt);
    for (int i = 0; i < 10; ++i)
        updateRunner(dt / 10);
    collectCarrots();
    bool over = checkFall();
    updateTexts(dt);
    return over;
}

void startRun(uint32_t seed)
{
    removeRunner();
    removeCarrotHud();
    removeTimedTexts();
    resetCarrotCount();
    std::srand(seed);
    gameState = Title;
    resetPlatforms();
    engine.timer->setTime(1000);
    // ten seconds of title screen fill the stream before the run starts
    for (int i = 0; i < 600; ++i) {
        engine.timer->setTime(engine.timer->getTime() + stepMs);
        spawnPlatform(static_cast<int32_t>(engine.timer->getTime()));
        scrollPlatforms(dt);
    }
    gameState = Playing;
    createRunner();
    showCarrotHud();
}

// Plays a run with the scripted player for at most the given number of steps (or up to stopAt)
// and finds the step at which the run had the most platforms and carrots while the rabbit
// stood on a platform.
int playRun(uint32_t seed, int steps, int stopAt, size_t* largest = nullptr)
{
    startRun(seed);
    size_t most = 0;
    int mostAt = 0;
    for (int i = 0; i < steps && i != stopAt; ++i) {
        if (jumperWantsToJump())
            jump();
        engine.timer->setTime(engine.timer->getTime() + stepMs);
        if (runStep(static_cast<int32_t>(engine.timer->getTime())))
            break;
        engine.scene->drawAll();  // places the carrots where their platforms are
        size_t size = stream.platforms.size() + carrotNodes.size();
        if (size > most && runner.jumpStrength == 100.0f && runner.fallSpeed >= 0.0f &&
            runner.fallSpeed < 1.0f) {
            most = size;
            mostAt = i + 1;
        }
    }
    if (largest)
        *largest = most;
    return mostAt;
}

// The largest stream of ten played runs, held still: every iteration does the same work.
void largestStream(benchmark::State& state)
{
    openEngine();
    uint32_t bestSeed = 0;
    int bestAt = 0;
    size_t best = 0;
    for (uint32_t seed = 1; seed <= 10; ++seed) {
        size_t size = 0;
        int at = playRun(seed, 5 * 60 * 60, -1, &size);
        if (size > best) {
            best = size;
            bestSeed = seed;
            bestAt = at;
        }
    }
    playRun(bestSeed, 5 * 60 * 60, bestAt);
    stream.speed = 0.0f;
    const int32_t now = static_cast<int32_t>(engine.timer->getTime());
    stream.lastSpawnTime = now;
    for (int i = 0; i < 60; ++i) {  // settle: whatever is within reach is collected now
        stream.speedUpTimer = 0.0;  // a speed-up here would set the stream moving again
        runStep(now);
    }
    size_t platforms = stream.platforms.size();
    size_t carrots = carrotNodes.size();

    for (auto _ : state) {
        stream.speedUpTimer = 0.0;  // no speed-up may set the stream moving again
        benchmark::DoNotOptimize(runStep(now));
    }
    if (runner.dead || carrotNodes.size() != carrots || stream.platforms.size() != platforms)
        state.SkipWithError("the held stream changed while it was measured");
    state.counters["platforms"] = static_cast<double>(platforms);
    state.counters["carrots"] = static_cast<double>(carrots);
}
BENCHMARK(largestStream)->Unit(benchmark::kMicrosecond);

// The stream flowing under a played run, each step drawn on the NULL device as the game does;
// a run that ends is followed by a fresh one (not timed; no end screen, so no score file).
void flowingRun(benchmark::State& state)
{
    openEngine();
    uint32_t seed = 7;
    startRun(seed);
    double platforms = 0, carrots = 0;
    for (auto _ : state) {
        if (jumperWantsToJump())
            jump();
        engine.timer->setTime(engine.timer->getTime() + stepMs);
        bool over = runStep(static_cast<int32_t>(engine.timer->getTime()));
        drawFrame();
        platforms += stream.platforms.size();
        carrots += carrotNodes.size();
        if (over) {
            state.PauseTiming();
            startRun(++seed);
            state.ResumeTiming();
        }
    }
    state.counters["platforms"] = benchmark::Counter(platforms, benchmark::Counter::kAvgIterations);
    state.counters["carrots"] = benchmark::Counter(carrots, benchmark::Counter::kAvgIterations);
}
BENCHMARK(flowingRun)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
