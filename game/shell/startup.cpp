#include "startup.h"

#include <cstdio>

#include "carrots.h"
#include "engine.h"
#include "frameloop.h"
#include "music.h"
#include "sound.h"
#include "textoverlay.h"

const char* const noDeviceText =
    "A video device could not be created. Please try adjusting the game settings to use a "
    "different video driver or screen mode.";

namespace {
const int32_t largestWindowSide = 16384;
}

void redirectLogs()
{
    // a log that cannot be opened only loses its output
    if (std::freopen("log.txt", "wt", stdout))
        std::setvbuf(stdout, nullptr, _IOLBF, 0);  // readable while the game runs
    std::freopen("errlog.txt", "wt", stderr);
}

irr::video::E_DRIVER_TYPE videoDriverType(int32_t driver)
{
    switch (driver) {
    case 0:
    case 1:
        return irr::video::EDT_OPENGL;
    default:
        return irr::video::EDT_BURNINGSVIDEO;
    }
}

bool windowSizeSupported(int32_t width, int32_t height)
{
    return width >= 1 && width <= largestWindowSide && height >= 1 && height <= largestWindowSide;
}

irr::IrrlichtDevice* createGameDevice(const Settings& settings)
{
    if (settings.driver == 0) {
        std::printf("Warning: Direct3D is not available on this system; using OpenGL.\n");
        std::fflush(stdout);
    }
    if (!windowSizeSupported(settings.width, settings.height))
        return nullptr;
    irr::core::dimension2d<irr::u32> size(settings.width, settings.height);
    return irr::createDevice(videoDriverType(settings.driver), size, settings.bits,
                             settings.full != 0, true, false, nullptr);
}

void keepEngineHandles(irr::IrrlichtDevice* device, SoundEngine* sound)
{
    engine.device = device;
    engine.sound = sound;
    engine.scene = device->getSceneManager();
    engine.video = device->getVideoDriver();
    engine.gui = device->getGUIEnvironment();
    engine.timer = device->getTimer();
}

void addMediaFolder()
{
    engine.device->getFileSystem()->addFileArchive("media", true, true, irr::io::EFAT_FOLDER);
}

void createCameraAndLight()
{
    irr::scene::ICameraSceneNode* camera =
        engine.scene->addCameraSceneNodeFPS(nullptr, 0.0f, 0.0f, -1, nullptr, 0, false, 0.0f);
    camera->setFOV(1.5707964f);
    irr::scene::ILightSceneNode* light = engine.scene->addLightSceneNode(
        camera, irr::core::vector3df(-100.0f, 1000.0f, 0.0f),
        irr::video::SColorf(0.5f, 0.5f, 0.5f, 0.5f), 400.0f, -1);
    light->getLightData().AmbientColor = irr::video::SColorf(0.8f, 0.8f, 0.8f, 0.8f);
}

void preloadMedia()
{
    // loading time is not game time
    engine.timer->stop();
    drawFrame();
    // the mesh cache keeps them for the platform spawns
    engine.scene->getMesh("media/plat0.obj");
    engine.scene->getMesh("media/plat1.obj");
    engine.scene->getMesh("media/plat2.obj");
    loadFonts();
    engine.timer->start();
}

void shutDown()
{
    stopMusic();
    // the carrot list's own references; the scene frees the rest with the device
    releaseCarrots();
    engine.device->drop();
    engine.device = nullptr;
    engine.scene = nullptr;
    engine.video = nullptr;
    engine.gui = nullptr;
    engine.timer = nullptr;
    if (engine.sound)
        engine.sound->drop();
    engine.sound = nullptr;
}
