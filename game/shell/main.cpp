#include <cstdio>

#include "engine.h"
#include "frameloop.h"
#include "messagebox.h"
#include "screens.h"
#include "settings.h"
#include "sound.h"
#include "startup.h"

int main(int, char**)
{
    redirectLogs();

    Settings settings;
    readSettings(settings);
    irr::IrrlichtDevice* device = createGameDevice(settings);
    if (!device) {
        showErrorBox(noDeviceText);
        return 0;
    }
    device->getCursorControl()->setVisible(false);

    SoundEngine* sound = createSoundEngine(2, 0x1D, "0.6");
    if (!sound) {
        std::printf("Error initialising sound.\n");
        std::fflush(stdout);
    }
    keepEngineHandles(device, sound);

    addMediaFolder();
    createCameraAndLight();
    preloadMedia();
    showTitleScreen();  // from here on input reaches the game

    FrameLoop loop;
    startFrameLoop(loop);
    runFrameLoop(loop);

    shutDown();
    return 0;
}
