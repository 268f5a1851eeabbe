#include "shellworld.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "carrots.h"
#include "engine.h"
#include "gamestate.h"
#include "logcapture.h"
#include "music.h"
#include "platforms.h"
#include "runner.h"
#include "screens.h"
#include "textoverlay.h"

namespace {

class RecordingHandle : public Sound {
public:
    RecordingHandle(RecordingSound* owner, std::string file) : owner(owner), file(file) {}
    void stop() override { owner->record("stop " + file); }
    void drop() override
    {
        owner->record("drop " + file);
        --owner->liveHandles;
        delete this;
    }

private:
    RecordingSound* owner;
    std::string file;
};

}  // namespace

void RecordingSound::record(const std::string& what)
{
    calls.push_back({what, gameState, runner.runnerNode != nullptr, overlayTexts.size(),
                     carrotCount, engine.gui->getRootGUIElement()->getChildren().size(),
                     LogCapture::active ? LogCapture::active->text() : std::string()});
}

Sound* RecordingSound::play2D(const char* file, bool, bool, bool track, int)
{
    record(std::string("play ") + file);
    if (!track)
        return nullptr;
    ++liveHandles;
    return new RecordingHandle(this, file);
}

std::vector<std::string> RecordingSound::names() const
{
    std::vector<std::string> result;
    for (const Call& call : calls)
        result.push_back(call.what);
    return result;
}

ShellWorld::ShellWorld()
{
    char pattern[] = "/tmp/zarvik-shell-XXXXXX";
    dir = mkdtemp(pattern);
    std::filesystem::create_directory_symlink(std::string(ZARVIK_GAME_DIR) + "/media",
                                              dir + "/media");
    previousDir = std::filesystem::current_path();
    std::filesystem::current_path(dir);

    irr::SIrrlichtCreationParameters parameters;
    parameters.DriverType = irr::video::EDT_NULL;
    parameters.WindowSize = irr::core::dimension2du(800, 600);
    parameters.LoggingLevel = irr::ELL_NONE;  // keep the engine's chatter out of the logs
    real = irr::createDeviceEx(parameters);
    window = new WindowStandIn(real);
    engine.device = window;
    engine.sound = &sound;
    engine.scene = real->getSceneManager();
    engine.video = real->getVideoDriver();
    engine.gui = real->getGUIEnvironment();
    engine.timer = real->getTimer();
    engine.scene->addCameraSceneNodeFPS(nullptr, 0.0f, 0.0f);
}

ShellWorld::~ShellWorld()
{
    // leave every module as it was at program start, for the next test
    stopMusic();
    removeRunner();
    clearPlatforms();
    removeCarrotHud();
    overlayTexts.clear();
    runner = Runner();
    stream = PlatformStream();
    gameState = Title;
    carrotCount = 0;
    titlePromptText = noText;
    endRecordText = noText;
    endHeadlineText = endCountText = endLabelText = endLastScoreText = nullptr;

    window->drop();
    real->drop();
    engine = Engine();
    std::filesystem::current_path(previousDir);
    std::filesystem::remove_all(dir);
}

irr::SEvent keyEvent(irr::EKEY_CODE key, bool pressedDown)
{
    irr::SEvent event{};
    event.EventType = irr::EET_KEY_INPUT_EVENT;
    event.KeyInput.Key = key;
    event.KeyInput.PressedDown = pressedDown;
    event.KeyInput.Char = 0;
    return event;
}

irr::SEvent mouseEvent(irr::EMOUSE_INPUT_EVENT kind)
{
    irr::SEvent event{};
    event.EventType = irr::EET_MOUSE_INPUT_EVENT;
    event.MouseInput.Event = kind;
    event.MouseInput.X = 10;
    event.MouseInput.Y = 10;
    return event;
}
