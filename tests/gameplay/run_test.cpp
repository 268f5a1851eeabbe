// Whole runs through the real step, input handler and screens, minutes of game time long.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <unistd.h>

#include "carrots.h"
#include "engine.h"
#include "frameloop.h"
#include "gamestate.h"
#include "platforms.h"
#include "runner.h"
#include "screens.h"
#include "textoverlay.h"
#include "world.h"
#include "jumper.h"

using namespace irr;

namespace {

const uint32_t stepMs = 17;

SEvent keyPress()
{
    SEvent event;
    event.EventType = EET_KEY_INPUT_EVENT;
    event.KeyInput.Key = KEY_SPACE;
    event.KeyInput.Char = L' ';
    event.KeyInput.PressedDown = true;
    event.KeyInput.Shift = false;
    event.KeyInput.Control = false;
    return event;
}

// A working directory of its own, so the end screen's score.dat lands there; media is linked.
class ScratchDirectory {
public:
    ScratchDirectory()
    {
        char* here = getcwd(nullptr, 0);
        home = here;
        free(here);
        char name[] = "/tmp/zarvik-run-XXXXXX";
        path = mkdtemp(name);
        EXPECT_EQ(symlink((home + "/media").c_str(), (path + "/media").c_str()), 0);
        EXPECT_EQ(chdir(path.c_str()), 0);
    }
    ~ScratchDirectory()
    {
        EXPECT_EQ(chdir(home.c_str()), 0);
        unlink((path + "/media").c_str());
        unlink((path + "/score.dat").c_str());
        rmdir(path.c_str());
    }
    std::string path;

private:
    std::string home;
};

class WholeRun : public World {
protected:
    void press() { gameEventReceiver.OnEvent(keyPress()); }

    void step()
    {
        engine.timer->setTime(engine.timer->getTime() + stepMs);
        gameStep(loop);
    }

    FrameLoop loop;
};

}  // namespace

TEST_F(WholeRun, MinutesOfPlayLeakNoNodesAndNoReferences)
{
    ScratchDirectory scratch;
    srand(20261211);
    showTitleScreen();
    loop.lastStepTime = engine.timer->getTime();
    const int nodesOnTitle = countNodes();
    const size_t guiOnTitle = engine.gui->getRootGUIElement()->getChildren().size();

    // Our own reference on every carrot that ever lived tells afterwards whether anyone else
    // still holds one. Platforms are not held: a held platform would keep its carrots parented.
    std::set<scene::ISceneNode*> carrotsSeen;
    auto keepTrack = [&] {
        for (scene::ISceneNode* carrot : carrotNodes)
            if (carrotsSeen.insert(carrot).second)
                carrot->grab();
    };

    int runs = 0;
    double longestRun = 0, runTime = 0, stateTime = 0;
    int32_t bestScore = 0;
    size_t mostPlatforms = 0, mostCarrots = 0;
    int32_t lastState = gameState;
    const double playSeconds = 300.0;
    double clock = 0;
    // play for five minutes, then let the last run end and go back to the title screen
    float firstHalfHeight = -1;
    while (clock < playSeconds || gameState != Title) {
        if (gameState != lastState) {
            if (lastState == Playing) {
                longestRun = std::max(longestRun, runTime);
                bestScore = std::max(bestScore, carrotCount);
            }
            lastState = gameState;
            stateTime = 0;
            runTime = 0;
        }
        if (gameState == Title && stateTime > 3.0 && clock < playSeconds) {
            press();
            ++runs;
            ASSERT_NE(runner.runnerNode, nullptr);
            // the rest pose's box, whatever pose the last run left the shared mesh in
            if (firstHalfHeight < 0)
                firstHalfHeight = runner.halfHeight;
            EXPECT_FLOAT_EQ(runner.halfHeight, firstHalfHeight);
        } else if (gameState == EndScreen && (stateTime > 2.0 || clock >= playSeconds)) {
            press();
            if (clock >= playSeconds)
                break;
        } else if (gameState == Playing && clock < playSeconds && jumperWantsToJump()) {
            press();
        }
        step();
        keepTrack();
        if (gameState == Playing) {
            mostPlatforms = std::max(mostPlatforms, stream.platforms.size());
            mostCarrots = std::max(mostCarrots, carrotNodes.size());
            runTime += stepMs / 1000.0;
        }
        stateTime += stepMs / 1000.0;
        clock += stepMs / 1000.0;
        ASSERT_LT(clock, playSeconds + 120.0) << "the last run never ended";
    }
    std::printf("runs %d, longest %.1f s, best score %d, most platforms %zu, most carrots %zu\n",
                runs, longestRun, bestScore, mostPlatforms, mostCarrots);

    // the simulation went through what a player goes through
    EXPECT_GE(runs, 3);
    EXPECT_GT(longestRun, 45.0);  // speed-ups came
    EXPECT_GT(bestScore, 0);
    std::vector<std::string> played = sounds.files();
    EXPECT_NE(std::count(played.begin(), played.end(), "media/speed.wav"), 0);

    // back on the title screen: the stream is empty and everything that came and went is freed
    ASSERT_EQ(gameState, Title);
    EXPECT_TRUE(stream.platforms.empty());
    EXPECT_TRUE(carrotNodes.empty());
    EXPECT_EQ(runner.runnerNode, nullptr);
    EXPECT_EQ(countNodes(), nodesOnTitle);
    EXPECT_EQ(engine.gui->getRootGUIElement()->getChildren().size(), guiOnTitle);
    int heldElsewhere = 0;
    for (scene::ISceneNode* node : carrotsSeen) {
        heldElsewhere += node->getReferenceCount() != 1 || node->getParent() != nullptr;
        node->drop();
    }
    EXPECT_EQ(heldElsewhere, 0);
    EXPECT_GT(carrotsSeen.size(), 500u);
}
