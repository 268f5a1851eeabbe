#pragma once
#include <irrlicht.h>

class SoundEngine;

// The engine handles every module reads; set once at start-up (or by a test), never by others.
struct Engine {
    irr::IrrlichtDevice* device = nullptr;
    SoundEngine* sound = nullptr;  // none when sound could not start
    irr::scene::ISceneManager* scene = nullptr;
    irr::video::IVideoDriver* video = nullptr;
    irr::gui::IGUIEnvironment* gui = nullptr;
    irr::ITimer* timer = nullptr;
};
extern Engine engine;

// Where the camera sits and looks relative to the point it follows.
extern const irr::core::vector3df cameraOffset;
extern const irr::core::vector3df cameraTargetOffset;
