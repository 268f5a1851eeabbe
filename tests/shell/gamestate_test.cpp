#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

#include "carrots.h"
#include "engine.h"
#include "gamestate.h"
#include "logcapture.h"
#include "platforms.h"
#include "runner.h"
#include "screens.h"
#include "shellworld.h"
#include "textoverlay.h"

using namespace irr;

namespace {

enum class Kind { Input, PassedOn, Escape };

struct EventCase {
    const char* name;
    SEvent event;
    Kind kind;
};

SEvent otherEvent(EEVENT_TYPE type)
{
    SEvent event{};
    event.EventType = type;
    if (type == EET_LOG_TEXT_EVENT) {
        event.LogEvent.Text = "engine message";
        event.LogEvent.Level = ELL_INFORMATION;
    }
    if (type == EET_GUI_EVENT)
        event.GUIEvent.EventType = gui::EGET_ELEMENT_FOCUSED;
    return event;
}

const EventCase eventCases[] = {
    {"Escape pressed", keyEvent(KEY_ESCAPE, true), Kind::Escape},
    {"Escape released", keyEvent(KEY_ESCAPE, false), Kind::PassedOn},
    {"letter pressed", keyEvent(KEY_KEY_A, true), Kind::Input},
    {"space pressed", keyEvent(KEY_SPACE, true), Kind::Input},
    {"arrow pressed", keyEvent(KEY_UP, true), Kind::Input},
    {"function key pressed", keyEvent(KEY_F1, true), Kind::Input},
    {"Enter pressed", keyEvent(KEY_RETURN, true), Kind::Input},
    {"letter released", keyEvent(KEY_KEY_A, false), Kind::PassedOn},
    {"left button down", mouseEvent(EMIE_LMOUSE_PRESSED_DOWN), Kind::Input},
    {"right button down", mouseEvent(EMIE_RMOUSE_PRESSED_DOWN), Kind::Input},
    {"middle button down", mouseEvent(EMIE_MMOUSE_PRESSED_DOWN), Kind::Input},
    {"left button up", mouseEvent(EMIE_LMOUSE_LEFT_UP), Kind::PassedOn},
    {"right button up", mouseEvent(EMIE_RMOUSE_LEFT_UP), Kind::PassedOn},
    {"middle button up", mouseEvent(EMIE_MMOUSE_LEFT_UP), Kind::PassedOn},
    {"mouse moved", mouseEvent(EMIE_MOUSE_MOVED), Kind::PassedOn},
    {"wheel turned", mouseEvent(EMIE_MOUSE_WHEEL), Kind::PassedOn},
    {"double click", mouseEvent(EMIE_LMOUSE_DOUBLE_CLICK), Kind::PassedOn},
    {"GUI event", otherEvent(EET_GUI_EVENT), Kind::PassedOn},
    {"log event", otherEvent(EET_LOG_TEXT_EVENT), Kind::PassedOn},
    {"user event", otherEvent(EET_USER_EVENT), Kind::PassedOn},
};

// Brings a fresh world into the state as the game would get there.
void enterState(int32_t state)
{
    showTitleScreen();
    if (state == Title)
        return;
    gameEventReceiver.OnEvent(keyEvent(KEY_SPACE, true));
    if (state == Playing) {
        runner.started = true;  // past "GO!", so a jump shows
        return;
    }
    // what the step does when a fall ends the run
    removeRunner();
    clearPlatforms();
    showEndScreen();
}

}  // namespace

TEST(OnEvent, EachEventInEachState)
{
    const int32_t states[] = {Title, Playing, EndScreen};
    for (int32_t state : states) {
        for (const EventCase& c : eventCases) {
            SCOPED_TRACE(std::string(c.name) + " in state " + std::to_string(state));
            ShellWorld world;
            enterState(state);
            ASSERT_EQ(gameState, state);
            size_t soundCalls = world.sound.calls.size();
            float strengthBefore = runner.jumpStrength;

            LogCapture log;
            bool used = gameEventReceiver.OnEvent(c.event);
            std::string logged = log.text();
            std::vector<std::string> allCalls = world.sound.names();
            std::vector<std::string> newCalls(allCalls.begin() + soundCalls, allCalls.end());

            switch (c.kind) {
            case Kind::PassedOn:
                EXPECT_FALSE(used);
                EXPECT_EQ(gameState, state);
                EXPECT_TRUE(newCalls.empty());
                EXPECT_EQ(logged, "");
                EXPECT_TRUE(world.real->run());
                break;
            case Kind::Escape:
                EXPECT_TRUE(used);
                EXPECT_EQ(gameState, state);
                EXPECT_TRUE(newCalls.empty());
                EXPECT_FALSE(world.real->run()) << "Escape must close the device";
                break;
            case Kind::Input:
                EXPECT_TRUE(used);
                EXPECT_TRUE(world.real->run());
                if (state == Title) {
                    EXPECT_EQ(gameState, Playing);
                    EXPECT_NE(logged.find("NEW GAME "), std::string::npos);
                } else if (state == Playing) {
                    // a jump and nothing else
                    EXPECT_EQ(gameState, Playing);
                    ASSERT_EQ(newCalls.size(), 1u);
                    EXPECT_EQ(newCalls[0].rfind("play media/la", 0), 0u) << newCalls[0];
                    EXPECT_EQ(runner.fallSpeed, -strengthBefore);
                    EXPECT_EQ(logged, "");
                } else {
                    EXPECT_EQ(gameState, Title);
                    EXPECT_NE(logged.find("START SCREEN "), std::string::npos);
                }
                break;
            }
        }
    }
}

TEST(OnEvent, HeldKeyRepeatsEachJump)
{
    ShellWorld world;
    enterState(Playing);
    size_t before = world.sound.calls.size();
    gameEventReceiver.OnEvent(keyEvent(KEY_SPACE, true));
    gameEventReceiver.OnEvent(keyEvent(KEY_SPACE, true));
    EXPECT_EQ(world.sound.calls.size(), before + 2);
    EXPECT_EQ(runner.jumpStrength, 25.0f);
}

TEST(OnEvent, StartingARunInOrder)
{
    ShellWorld world;
    showTitleScreen();
    TextHandle prompt = titlePromptText;
    ASSERT_NE(prompt, noText) << "the title prompt needs media/blinkfont.xml";
    size_t textsBefore = overlayTexts.size();
    size_t guiBefore = engine.gui->getRootGUIElement()->getChildren().size();

    std::srand(1234);
    int expected = std::rand();
    std::srand(1234);
    LogCapture log;
    ASSERT_TRUE(gameEventReceiver.OnEvent(mouseEvent(EMIE_LMOUSE_PRESSED_DOWN)));

    // the log line carries the first draw after the press, so nothing drew before it
    EXPECT_NE(log.text().find("NEW GAME " + std::to_string(expected) + "\n"), std::string::npos)
        << log.text();
    EXPECT_EQ(gameState, Playing);
    for (const OverlayText& text : overlayTexts)
        EXPECT_NE(text.handle, prompt) << "the prompt is still shown";

    // the title music is stopped and released before the in-game music starts
    auto names = world.sound.names();
    ASSERT_GE(names.size(), 3u);
    std::vector<std::string> last(names.end() - 3, names.end());
    EXPECT_EQ(last, (std::vector<std::string>{"stop media/main_loop.ogg", "drop media/main_loop.ogg",
                                              "play media/ingame_loop.ogg"}));
    // by the time the music starts, the prompt is gone, the run is on, the runner and the
    // carrot icon exist and the log line is written
    const RecordingSound::Call& start = world.sound.calls.back();
    EXPECT_EQ(start.gameState, Playing);
    EXPECT_TRUE(start.runnerExists);
    EXPECT_EQ(start.overlayCount, textsBefore - 1);
    EXPECT_EQ(start.guiCount, guiBefore);  // prompt element gone, carrot icon added
    EXPECT_NE(start.logSoFar.find("NEW GAME"), std::string::npos);
    EXPECT_EQ(world.sound.liveHandles, 1);
}

TEST(OnEvent, LeavingTheEndScreenInOrder)
{
    for (bool record : {true, false}) {
        SCOPED_TRACE(record ? "after a record" : "without a record");
        ShellWorld world;
        enterState(Playing);
        carrotCount = record ? 3 : 0;  // no score.dat here: stored high score 0
        removeRunner();
        clearPlatforms();
        showEndScreen();
        ASSERT_EQ(gameState, EndScreen);
        gui::IGUIElement* texts[] = {endHeadlineText, endCountText, endLabelText,
                                     endLastScoreText};
        for (gui::IGUIElement* text : texts) {
            ASSERT_NE(text, nullptr) << "the end screen needs the generated fonts";
            text->grab();  // keep them inspectable after the GUI lets go
        }
        TextHandle recordText = endRecordText;
        EXPECT_EQ(recordText != noText, record);
        engine.device->setEventReceiver(nullptr);

        std::srand(99);
        int expected = std::rand();
        std::srand(99);
        LogCapture log;
        ASSERT_TRUE(gameEventReceiver.OnEvent(keyEvent(KEY_KEY_X, true)));
        std::string logged = log.text();

        EXPECT_NE(logged.find("START SCREEN " + std::to_string(expected) + "\n"),
                  std::string::npos)
            << logged;
        EXPECT_EQ(logged.find("Warning"), std::string::npos) << logged;
        for (gui::IGUIElement* text : texts) {
            EXPECT_EQ(text->getParent(), nullptr) << "an end-screen text is still on screen";
            text->drop();
        }
        for (const OverlayText& text : overlayTexts)
            EXPECT_NE(text.handle, recordText);
        EXPECT_EQ(carrotCount, 0);
        EXPECT_EQ(gameState, Title);
        EXPECT_EQ(engine.device->getEventReceiver(), &gameEventReceiver);
        EXPECT_NE(titlePromptText, noText);

        // the title music starts last, with the texts gone and the count already reset
        const RecordingSound::Call& music = world.sound.calls.back();
        EXPECT_EQ(music.what, "play media/main_loop.ogg");
        EXPECT_EQ(music.carrotCount, 0);
        EXPECT_NE(music.logSoFar.find("START SCREEN"), std::string::npos);
        EXPECT_EQ(world.sound.liveHandles, 1);

        // and the next press starts a new run
        gameEventReceiver.OnEvent(keyEvent(KEY_KEY_X, true));
        EXPECT_EQ(gameState, Playing);
        EXPECT_NE(log.text().find("NEW GAME "), std::string::npos);
    }
}
