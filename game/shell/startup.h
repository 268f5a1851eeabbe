#pragma once
#include <cstdint>
#include <irrlicht.h>

#include "settings.h"

class SoundEngine;

extern const char* const noDeviceText;  // shown in the error box when no window can be made

// Reopens standard output and standard error onto log.txt and errlog.txt, emptied.
void redirectLogs();

// The renderer for the settings' driver value. Direct3D does not exist here: it becomes OpenGL.
irr::video::E_DRIVER_TYPE videoDriverType(int32_t driver);

// Window sizes the engine survives; anything else makes Xlib abort or the driver crash.
bool windowSizeSupported(int32_t width, int32_t height);

// The game window for these settings, or nullptr when none can be made.
irr::IrrlichtDevice* createGameDevice(const Settings& settings);

// Keeps the handles every module reads in `engine`.
void keepEngineHandles(irr::IrrlichtDevice* device, SoundEngine* sound);

// The "media" folder, the camera with its light, then the preload with the clock stopped.
void addMediaFolder();
void createCameraAndLight();
void preloadMedia();

// Stops the music, then releases the device and the sound engine, in that order.
void shutDown();
