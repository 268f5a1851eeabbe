// An hour of game time: title screens, runs played by a scripted jumper and end screens, over
// and over, through the game's start-up, frame loop and input handler on the NULL device.
// Whatever a session leaves behind must not pile up: scene nodes, GUI elements, carrot
// references, overlay texts, sound handles and resident memory stay flat.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <unordered_set>
#include <string>
#include <vector>

#include "carrots.h"
#include "engine.h"
#include "frameloop.h"
#include "gamestate.h"
#include "platforms.h"
#include "runner.h"
#include "screens.h"
#include "shellworld.h"
#include "startup.h"
#include "textoverlay.h"
#include "jumper.h"

using namespace irr;

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's quarantine keeps freed memory resident on purpose; LeakSanitizer checks
// leaks in that build instead.
const bool residentMemoryMeaningful = false;
#else
const bool residentMemoryMeaningful = true;
#endif

namespace {

const double soakSeconds = 3600.0;
const uint32_t passMs = 17;       // a pass per 17 ms of game time: each one runs a step
const double windowSeconds = 300.0;  // figures are reported per five minutes
const double warmUpSeconds = 600.0;  // caches, fonts and the allocator settle in this time

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, 6, "VmRSS:") == 0)
            return std::stol(line.substr(6));
    return -1;
}

int countNodes(scene::ISceneNode* node)
{
    int count = 0;
    for (scene::ISceneNode* child : node->getChildren())
        count += 1 + countNodes(child);
    return count;
}

int countElements(gui::IGUIElement* element)
{
    int count = 0;
    for (gui::IGUIElement* child : element->getChildren())
        count += 1 + countElements(child);
    return count;
}

struct Figures {
    int nodes = 0;
    int nodesOutsideStream = 0;  // all but the platforms and what they carry
    int elements = 0;
    size_t carrots = 0;
    int carrotReferences = 0;  // summed over carrotNodes
    size_t overlays = 0;
    int soundHandles = 0;

    void takeMost(const Figures& f)
    {
        nodes = std::max(nodes, f.nodes);
        nodesOutsideStream = std::max(nodesOutsideStream, f.nodesOutsideStream);
        elements = std::max(elements, f.elements);
        carrots = std::max(carrots, f.carrots);
        carrotReferences = std::max(carrotReferences, f.carrotReferences);
        overlays = std::max(overlays, f.overlays);
        soundHandles = std::max(soundHandles, f.soundHandles);
    }
    bool operator==(const Figures& f) const
    {
        return nodes == f.nodes && nodesOutsideStream == f.nodesOutsideStream &&
               elements == f.elements && carrots == f.carrots &&
               carrotReferences == f.carrotReferences && overlays == f.overlays &&
               soundHandles == f.soundHandles;
    }
};

Figures currentFigures(const ShellWorld& world)
{
    Figures f;
    f.nodes = countNodes(engine.scene->getRootSceneNode());
    f.nodesOutsideStream = f.nodes;
    for (scene::ISceneNode* platform : stream.platforms)
        f.nodesOutsideStream -= 1 + countNodes(platform);
    f.elements = countElements(engine.gui->getRootGUIElement());
    f.carrots = carrotNodes.size();
    for (scene::ISceneNode* carrot : carrotNodes)
        f.carrotReferences += carrot->getReferenceCount();
    f.overlays = overlayTexts.size();
    f.soundHandles = world.sound.liveHandles;
    return f;
}

std::string describe(const Figures& f)
{
    char text[200];
    std::snprintf(text, sizeof text,
                  "nodes %d (outside the stream %d), GUI elements %d, carrots %zu (references "
                  "%d), overlay texts %zu, sound handles %d",
                  f.nodes, f.nodesOutsideStream, f.elements, f.carrots, f.carrotReferences,
                  f.overlays, f.soundHandles);
    return text;
}

// The presses a player makes, keys and buttons in turn, as the device delivers them.
SEvent playerPress(int n)
{
    switch (n % 4) {
    case 0:
        return keyEvent(KEY_SPACE, true);
    case 1:
        return mouseEvent(EMIE_LMOUSE_PRESSED_DOWN);
    case 2:
        return keyEvent(KEY_KEY_A, true);
    default:
        return mouseEvent(EMIE_RMOUSE_PRESSED_DOWN);
    }
}

struct Window {
    Figures most;
    long residentKb = 0;  // at the window's last return to the title
    int runs = 0;
    int titles = 0;
};

}  // namespace

TEST(Soak, AnHourOfPlayLeavesNothingBehind)
{
    const auto wallStart = std::chrono::steady_clock::now();
    ShellWorld world;

    // the game's own start-up; its camera takes the place of the world's plain one
    scene::ICameraSceneNode* plainCamera = engine.scene->getActiveCamera();
    engine.scene->setActiveCamera(nullptr);
    plainCamera->remove();
    addMediaFolder();
    createCameraAndLight();
    preloadMedia();
    showTitleScreen();
    engine.timer->stop();  // time moves only when the test moves it
    uint32_t now = 1000;
    engine.timer->setTime(now);
    FrameLoop loop;
    startFrameLoop(loop);

    const Figures onTitle = currentFigures(world);
    std::printf("first title: %s, resident %ld kB\n", describe(onTitle).c_str(),
                residentKilobytes());

    std::mt19937 script(20261211);
    auto seconds = [&](double from, double to) {
        return std::uniform_real_distribution<double>(from, to)(script);
    };

    std::vector<Window> windows(1);
    std::vector<std::pair<double, long>> residentOnTitle;  // (game seconds, kB)
    std::unordered_set<scene::ISceneNode*> carrotsThisCycle;  // each held by us until the next title
    int presses = 0, runs = 0, titleMismatches = 0, liveCarrotFaults = 0, heldAfterRun = 0;
    long steps = 0, passes = 0;
    size_t carrotsSeen = 0;
    std::string firstMismatch;
    double clock = 0, stateClock = 0;
    double titleLength = seconds(0.5, 6.0), endLength = seconds(0.5, 5.0);
    double effort = 0;  // seconds the jumper tries before letting the rabbit fall
    int32_t lastState = gameState;

    while (clock < soakSeconds || gameState != Title) {
        ASSERT_LT(clock, soakSeconds + 900.0) << "the last run never ended";
        if (gameState != lastState) {
            lastState = gameState;
            stateClock = 0;
        }

        // the player
        if (gameState == Title && stateClock >= titleLength && clock < soakSeconds) {
            engine.device->postEventFromUser(playerPress(presses++));
            ++runs;
            ++windows.back().runs;
            // most runs are short; every fifth one is played as long as the jumper can
            effort = runs % 5 == 0 ? 400.0 : seconds(5.0, 90.0);
            titleLength = seconds(0.5, 6.0);
        } else if (gameState == Playing && stateClock < effort && jumperWantsToJump()) {
            engine.device->postEventFromUser(playerPress(presses++));
        } else if (gameState == EndScreen && stateClock >= endLength) {
            engine.device->postEventFromUser(playerPress(presses++));
            endLength = seconds(0.5, 5.0);
            EXPECT_EQ(gameState, Title);

            // back on the title, before any step: exactly what the first title had
            Figures f = currentFigures(world);
            if (!(f == onTitle) && titleMismatches++ == 0)
                firstMismatch = describe(f);
            for (scene::ISceneNode* carrot : carrotsThisCycle) {
                heldAfterRun += carrot->getReferenceCount() != 1 || carrot->getParent() != nullptr;
                carrot->drop();
            }
            carrotsThisCycle.clear();
            long kb = residentKilobytes();
            residentOnTitle.push_back({clock, kb});
            windows.back().residentKb = kb;
            ++windows.back().titles;
            if (clock >= soakSeconds)
                break;
        }

        // the frame loop: mostly whole steps; now and then an early pass or a stall
        uint32_t advance = passMs;
        std::uniform_int_distribution<int> oneIn(0, 999);
        int draw = oneIn(script);
        if (draw < 20)
            advance = 8;  // too early: this pass runs no step
        else if (draw == 999)
            advance = 150;  // the machine stalled; one long step
        now += advance;
        engine.timer->setTime(now);
        ++passes;
        if (framePass(loop) != noStep)
            ++steps;
        clock += advance / 1000.0;
        stateClock += advance / 1000.0;

        // every live carrot is held by the list and by its platform (and by the test), no more
        for (scene::ISceneNode* carrot : carrotNodes) {
            int held = carrotsThisCycle.count(carrot) ? 3 : 2;
            liveCarrotFaults += carrot->getReferenceCount() != held || carrot->getParent() == nullptr;
            if (carrotsThisCycle.insert(carrot).second) {
                carrot->grab();
                ++carrotsSeen;
            }
        }
        Figures f = currentFigures(world);
        f.carrotReferences -= static_cast<int>(f.carrots);  // without the test's own hold
        windows.back().most.takeMost(f);

        if (clock >= windowSeconds * windows.size() && clock < soakSeconds) {
            windows.emplace_back();
            // what the stand-ins record would otherwise grow with the hour
            world.sound.calls.clear();
            world.window->captions.clear();
        }
    }
    for (scene::ISceneNode* carrot : carrotsThisCycle)
        carrot->drop();
    const double wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();

    std::printf("\n%-9s %5s %7s %7s %9s %8s %8s %9s %7s %10s\n", "minutes", "runs", "nodes",
                "outside", "elements", "carrots", "refs", "overlays", "sounds", "VmRSS kB");
    for (size_t i = 0; i < windows.size(); ++i) {
        const Window& w = windows[i];
        std::printf("%3zu-%-5zu %5d %7d %7d %9d %8zu %8d %9zu %7d %10ld\n", i * 5, i * 5 + 5,
                    w.runs, w.most.nodes, w.most.nodesOutsideStream, w.most.elements,
                    w.most.carrots, w.most.carrotReferences, w.most.overlays,
                    w.most.soundHandles, w.residentKb);
    }
    std::printf("(largest value within each five minutes; VmRSS at the last title of each)\n");
    std::printf("%.0f s of game time, %ld passes, %ld steps, %d runs, %zu carrots, %.1f s of "
                "wall time (%.1f us per pass)\n",
                clock, passes, steps, runs, carrotsSeen, wallSeconds, wallSeconds * 1e6 / passes);

    // the script went through what a player goes through, many times
    EXPECT_GE(clock, soakSeconds);
    EXPECT_GE(runs, 30);
    EXPECT_EQ(gameState, Title);

    // every return to the title finds exactly the first title's scene, GUI and lists
    EXPECT_EQ(titleMismatches, 0) << "first: " << firstMismatch << "\nexpected "
                                  << describe(onTitle);
    EXPECT_EQ(liveCarrotFaults, 0) << "live carrots held other than by list and platform";
    EXPECT_EQ(heldAfterRun, 0) << "carrots still held or parented after their run";
    EXPECT_GT(carrotsSeen, 2000u);

    // Nothing outside the stream grows at all. The stream itself is bounded by the distance
    // between spawn and cull, the same in every half hour, while anything that leaked per step,
    // per carrot or per run would have added thousands or dozens by the second half.
    Figures firstHalf, secondHalf;
    for (size_t i = 0; i < windows.size(); ++i)
        (i * windowSeconds < soakSeconds / 2 ? firstHalf : secondHalf).takeMost(windows[i].most);
    EXPECT_EQ(secondHalf.nodesOutsideStream, firstHalf.nodesOutsideStream);
    EXPECT_LE(secondHalf.soundHandles, firstHalf.soundHandles);
    EXPECT_LE(secondHalf.elements, firstHalf.elements + 2);  // a shout and a blink may overlap
    EXPECT_LE(secondHalf.overlays, firstHalf.overlays + 2);
    EXPECT_LE(secondHalf.nodes, firstHalf.nodes * 5 / 4);
    EXPECT_LE(secondHalf.carrots, firstHalf.carrots * 5 / 4);
    EXPECT_LE(secondHalf.carrotReferences, 2 * static_cast<int>(secondHalf.carrots));

    // Resident memory after the warm-up: a leak of 8 bytes a step or of 100 bytes a carrot
    // would add well over a megabyte in the rest of the hour.
    long settled = 0, latest = 0;
    for (const auto& [at, kb] : residentOnTitle) {
        if (at >= warmUpSeconds && at < soakSeconds / 2)
            settled = std::max(settled, kb);
        if (at >= soakSeconds / 2)
            latest = std::max(latest, kb);
    }
    std::printf("resident after the warm-up: first half at most %ld kB, second half at most "
                "%ld kB\n",
                settled, latest);
    ASSERT_GT(settled, 0);
    if (residentMemoryMeaningful) {
        EXPECT_LE(latest, settled + 1024);
    }
}
