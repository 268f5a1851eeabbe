#include "choice.h"

#include "displaymode.h"
#include "ini.h"
#include "settings.h"
#include "textconv.h"

const char* const driverEntries[3] = {"Direct3D", "OpenGL", "Software Renderer"};

std::string launcherIniPath;

void fillDialog(DialogChoice& choice)
{
    Settings settings;
    readSettings(settings);
    choice.driverIndex = settings.driver;
    choice.modeIndex = findModeIndex(settings.width, settings.height, settings.bits);
    choice.full = settings.full != 0;
}

void saveDialogSettings(const DialogChoice& choice)
{
    const char* driver = choice.driverIndex == 0   ? "direct3d8"
                         : choice.driverIndex == 1 ? "opengl"
                                                   : "software";
    iniWrite(launcherIniPath, settingsSection, "driver", driver);
    if (choice.modeIndex >= 0 && choice.modeIndex < int(displayModes.size())) {
        const DisplayMode& mode = displayModes[size_t(choice.modeIndex)];
        iniWrite(launcherIniPath, settingsSection, "width", intToString(mode.width));
        iniWrite(launcherIniPath, settingsSection, "height", intToString(mode.height));
        iniWrite(launcherIniPath, settingsSection, "bits", intToString(mode.bits));
    }
    iniWrite(launcherIniPath, settingsSection, "full", choice.full ? "1" : "0");
}
