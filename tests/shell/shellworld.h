#pragma once
// The game's shell on Irrlicht's NULL device, in a fresh working directory that links the
// staged media. The device is wrapped so a test decides whether the window is active and sees
// every caption the game writes; everything else goes to the real NULL device.
#include <irrlicht.h>
#include <string>
#include <vector>

#include "sound.h"

// Forwards every call to the real device except window activity and the caption.
class WindowStandIn : public irr::IrrlichtDevice {
public:
    explicit WindowStandIn(irr::IrrlichtDevice* real) : real(real) {}

    bool active = true;
    std::vector<std::wstring> captions;

    bool isWindowActive() const override { return active; }
    void setWindowCaption(const wchar_t* text) override { captions.push_back(text); }

    bool run() override { return real->run(); }
    void yield() override { real->yield(); }
    void sleep(irr::u32 ms, bool pauseTimer) override { real->sleep(ms, pauseTimer); }
    irr::video::IVideoDriver* getVideoDriver() override { return real->getVideoDriver(); }
    irr::io::IFileSystem* getFileSystem() override { return real->getFileSystem(); }
    irr::gui::IGUIEnvironment* getGUIEnvironment() override { return real->getGUIEnvironment(); }
    irr::scene::ISceneManager* getSceneManager() override { return real->getSceneManager(); }
    irr::gui::ICursorControl* getCursorControl() override { return real->getCursorControl(); }
    irr::ILogger* getLogger() override { return real->getLogger(); }
    irr::video::IVideoModeList* getVideoModeList() override { return real->getVideoModeList(); }
    irr::IOSOperator* getOSOperator() override { return real->getOSOperator(); }
    irr::ITimer* getTimer() override { return real->getTimer(); }
    irr::IRandomizer* getRandomizer() const override { return real->getRandomizer(); }
    void setRandomizer(irr::IRandomizer* r) override { real->setRandomizer(r); }
    irr::IRandomizer* createDefaultRandomizer() const override
    {
        return real->createDefaultRandomizer();
    }
    bool isWindowFocused() const override { return active; }
    bool isWindowMinimized() const override { return false; }
    bool isFullscreen() const override { return false; }
    irr::video::ECOLOR_FORMAT getColorFormat() const override { return real->getColorFormat(); }
    void closeDevice() override { real->closeDevice(); }
    const irr::c8* getVersion() const override { return real->getVersion(); }
    void setEventReceiver(irr::IEventReceiver* r) override { real->setEventReceiver(r); }
    irr::IEventReceiver* getEventReceiver() override { return real->getEventReceiver(); }
    bool postEventFromUser(const irr::SEvent& event) override
    {
        return real->postEventFromUser(event);
    }
    void setInputReceivingSceneManager(irr::scene::ISceneManager* s) override
    {
        real->setInputReceivingSceneManager(s);
    }
    void setResizable(bool resize) override { real->setResizable(resize); }
    void minimizeWindow() override {}
    void maximizeWindow() override {}
    void restoreWindow() override {}
    bool activateJoysticks(irr::core::array<irr::SJoystickInfo>& info) override
    {
        return real->activateJoysticks(info);
    }
    bool setGammaRamp(irr::f32 r, irr::f32 g, irr::f32 b, irr::f32 brightness,
                      irr::f32 contrast) override
    {
        return real->setGammaRamp(r, g, b, brightness, contrast);
    }
    bool getGammaRamp(irr::f32& r, irr::f32& g, irr::f32& b, irr::f32& brightness,
                      irr::f32& contrast) override
    {
        return real->getGammaRamp(r, g, b, brightness, contrast);
    }
    void clearSystemMessages() override { real->clearSystemMessages(); }
    irr::E_DEVICE_TYPE getType() const override { return real->getType(); }

private:
    irr::IrrlichtDevice* real;
};

// A scene node that only counts how often the scene manager renders it.
class DrawCounter : public irr::scene::ISceneNode {
public:
    DrawCounter(irr::scene::ISceneManager* scene)
        : ISceneNode(scene->getRootSceneNode(), scene, -1)
    {
        setAutomaticCulling(irr::scene::EAC_OFF);
    }
    void OnRegisterSceneNode() override
    {
        if (IsVisible)
            SceneManager->registerNodeForRendering(this);
        ISceneNode::OnRegisterSceneNode();
    }
    void render() override { ++draws; }
    const irr::core::aabbox3df& getBoundingBox() const override { return box; }

    int draws = 0;

private:
    irr::core::aabbox3df box;
};

// A sound layer that records every call, with what the game looked like at each music start.
class RecordingSound : public SoundEngine {
public:
    struct Call {
        std::string what;  // "play <file>", "stop <file>", "drop <file>"
        int gameState;
        bool runnerExists;
        size_t overlayCount;
        int carrotCount;
        size_t guiCount;  // elements directly under the GUI root
        std::string logSoFar;  // standard output up to this call, while a LogCapture runs
    };
    std::vector<Call> calls;
    int liveHandles = 0;

    Sound* play2D(const char* file, bool looped, bool startPaused, bool track, int mode) override;
    void drop() override {}
    std::vector<std::string> names() const;
    void record(const std::string& what);
};

// The NULL device in a fresh working directory with media/ linked; module state reset after.
class ShellWorld {
public:
    ShellWorld();
    ~ShellWorld();

    irr::IrrlichtDevice* real = nullptr;
    WindowStandIn* window = nullptr;
    RecordingSound sound;
    std::string dir;

private:
    std::string previousDir;
};

// A key or mouse event as the engine delivers it.
irr::SEvent keyEvent(irr::EKEY_CODE key, bool pressedDown);
irr::SEvent mouseEvent(irr::EMOUSE_INPUT_EVENT kind);
