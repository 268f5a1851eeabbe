#pragma once
#include <irrlicht.h>

// One headless engine per test, the way the game would load the files.
struct NullDevice {
    irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
    NullDevice()
    {
        if (device)
            device->getLogger()->setLogLevel(irr::ELL_WARNING);
    }
    ~NullDevice()
    {
        if (device)
            device->drop();
    }
    irr::scene::ISceneManager* scene() const { return device->getSceneManager(); }
    irr::video::IVideoDriver* video() const { return device->getVideoDriver(); }
    irr::gui::IGUIEnvironment* gui() const { return device->getGUIEnvironment(); }
};
