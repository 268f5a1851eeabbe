#pragma once
// A headless engine for the presentation tests: Irrlicht's NULL device with the shared engine
// handles pointing at it, and the overlay list emptied again afterwards.
#include <irrlicht.h>
#include <string>
#include <vector>

#include "engine.h"
#include "sound.h"
#include "textoverlay.h"

struct NullDevice {
    explicit NullDevice(irr::u32 width = 800, irr::u32 height = 600)
    {
        device = irr::createDevice(irr::video::EDT_NULL, irr::core::dimension2du(width, height));
        // keep the engine's own chatter out of the captured standard output
        device->getLogger()->setLogLevel(irr::ELL_NONE);
        engine.device = device;
        engine.scene = device->getSceneManager();
        engine.video = device->getVideoDriver();
        engine.gui = device->getGUIEnvironment();
        engine.timer = device->getTimer();
        engine.sound = nullptr;
    }
    ~NullDevice()
    {
        overlayTexts.clear();
        device->drop();
        engine = Engine();
    }
    // GUI elements directly under the root, in creation order
    std::vector<irr::gui::IGUIElement*> rootTexts() const
    {
        std::vector<irr::gui::IGUIElement*> texts;
        for (irr::gui::IGUIElement* child : engine.gui->getRootGUIElement()->getChildren())
            texts.push_back(child);
        return texts;
    }
    irr::IrrlichtDevice* device = nullptr;
};

// A sound layer that records every call, to check what the music module asks of it.
struct RecordingSoundEngine : SoundEngine {
    struct RecordedSound : Sound {
        RecordedSound(RecordingSoundEngine* owner, std::string file) : owner(owner), file(file) {}
        void stop() override { owner->calls.push_back("stop " + file); }
        void drop() override
        {
            owner->calls.push_back("drop " + file);
            --owner->liveHandles;
            delete this;
        }
        RecordingSoundEngine* owner;
        std::string file;
    };

    Sound* play2D(const char* file, bool looped, bool startPaused, bool track, int mode) override
    {
        calls.push_back(std::string("play ") + file + (looped ? " looped" : "") +
                        (startPaused ? " paused" : "") + (track ? " tracked" : "") + " mode " +
                        std::to_string(mode));
        if (!track || unplayable == file)
            return nullptr;
        ++liveHandles;
        return new RecordedSound(this, file);
    }
    void drop() override { calls.push_back("drop engine"); }

    std::vector<std::string> calls;
    std::string unplayable;  // a file this engine cannot play
    int liveHandles = 0;
};
