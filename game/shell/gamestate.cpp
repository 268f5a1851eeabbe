#include "gamestate.h"

#include <cstdio>
#include <cstdlib>

#include "carrots.h"
#include "engine.h"
#include "music.h"
#include "runner.h"
#include "screens.h"
#include "textoverlay.h"

int32_t gameState = Title;
eventReceiver gameEventReceiver;

namespace {

bool isEscapePressed(const irr::SEvent& event)
{
    return event.EventType == irr::EET_KEY_INPUT_EVENT && event.KeyInput.Key == irr::KEY_ESCAPE &&
           event.KeyInput.PressedDown;
}

// Any key going down (held-key repeats too) or one of the three buttons going down.
bool isGameInput(const irr::SEvent& event)
{
    if (event.EventType == irr::EET_KEY_INPUT_EVENT)
        return event.KeyInput.PressedDown;
    if (event.EventType == irr::EET_MOUSE_INPUT_EVENT) {
        switch (event.MouseInput.Event) {
        case irr::EMIE_LMOUSE_PRESSED_DOWN:
        case irr::EMIE_RMOUSE_PRESSED_DOWN:
        case irr::EMIE_MMOUSE_PRESSED_DOWN:
            return true;
        default:
            return false;
        }
    }
    return false;
}

void startRun()
{
    removeText(titlePromptText);
    gameState = Playing;
    std::printf("NEW GAME %i\n", std::rand());
    std::fflush(stdout);
    createRunner();
    showCarrotHud();
    playMusic("media/ingame_loop.ogg");
}

// The element is freed by its parent, so the global must not keep pointing at it.
void removeElement(irr::gui::IGUIStaticText*& text)
{
    if (text)
        text->remove();
    text = nullptr;
}

void leaveEndScreen()
{
    std::printf("START SCREEN %i\n", std::rand());
    std::fflush(stdout);
    removeElement(endHeadlineText);
    removeElement(endCountText);
    removeElement(endLabelText);
    if (endRecordText != noText)
        removeText(endRecordText);
    removeElement(endLastScoreText);
    removeCarrotHud();
    resetCarrotCount();
    showTitleScreen();
}

}  // namespace

bool eventReceiver::OnEvent(const irr::SEvent& event)
{
    if (isEscapePressed(event)) {
        engine.device->closeDevice();
        return true;
    }
    if (!isGameInput(event))
        return false;
    switch (gameState) {
    case Title:
        startRun();
        break;
    case Playing:
        jump();
        break;
    case EndScreen:
        leaveEndScreen();
        break;
    default:
        break;
    }
    return true;
}
