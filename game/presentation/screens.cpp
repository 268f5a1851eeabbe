#include "screens.h"

#include <string>

#include "carrots.h"
#include "engine.h"
#include "gamestate.h"
#include "highscore.h"
#include "music.h"
#include "platforms.h"
#include "runner.h"
#include "textconv.h"

using namespace irr;

TextHandle titlePromptText = noText;
gui::IGUIStaticText* endHeadlineText = nullptr;
gui::IGUIStaticText* endCountText = nullptr;
gui::IGUIStaticText* endLabelText = nullptr;
TextHandle endRecordText = noText;
gui::IGUIStaticText* endLastScoreText = nullptr;

namespace {

const int32_t lineStep = 100;

// intToString's decimal text is plain ASCII, so widening char by char is exact.
std::wstring widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

}  // namespace

void showTitleScreen()
{
    gameState = Title;
    engine.device->setEventReceiver(&gameEventReceiver);
    resetPlatforms();
    titlePromptText = blinkText(L"< press to play >", screenCenterY(), 0);

    // the pose the follow camera takes for a runner standing at its start point
    if (scene::ICameraSceneNode* camera = engine.scene->getActiveCamera()) {
        core::vector3df start(0, startHeight, 0);
        camera->setPosition(cameraOffset + start);
        camera->updateAbsolutePosition();
        camera->setTarget(cameraTargetOffset + start);
    }
    playMusic("media/main_loop.ogg");
}

void showEndScreen()
{
    removeTimedTexts();
    removeCarrotHud();
    gameState = EndScreen;

    int32_t stored = readHighScore();
    int32_t y = screenCenterY();
    bool record = carrotCount > stored;
    // five lines after a record, four otherwise, centred on the middle of the screen
    y -= record ? 2 * lineStep : lineStep + lineStep / 2;
    int32_t x = screenCenterX();

    endHeadlineText = staticText(L"CONGRATULATIONS", x, y, 4, bigFontFile);
    y += lineStep;
    endCountText = staticText(widen(intToString(carrotCount)).c_str(), x, y, 4, blinkFontFile);
    y += lineStep;
    endLabelText = staticText(L"Carrots", x, y, 4, blinkFontFile);
    y += lineStep;
    if (record) {
        endRecordText = blinkText(L"New High Score!!!", y, 0);
        y += lineStep;
        writeHighScore(carrotCount);
    } else {
        endRecordText = noText;
    }
    std::wstring lastScore = L"Last High Score: " + widen(intToString(stored));
    endLastScoreText = staticText(lastScore.c_str(), x, y, 4, blinkFontFile);

    playMusic("media/end_loop.ogg");
}
