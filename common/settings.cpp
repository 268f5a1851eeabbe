#include "settings.h"

#include <cerrno>
#include <climits>
#include <unistd.h>
#include <vector>

#include "ini.h"
#include "messagebox.h"
#include "textconv.h"

const char* const settingsSection = "screen";

std::string settingsPath()
{
    std::vector<char> buffer(PATH_MAX + 1, 0);
    if (getcwd(buffer.data(), buffer.size() - 1) == nullptr) {
        // deleted working directory, or one longer than the system allows
        showErrorBox("Installation directory exceeds MAX_PATH.");
        return std::string();
    }
    return std::string(buffer.data()) + "/launcher.ini";
}

void readSettings(Settings& settings)
{
    const std::string path = settingsPath();
    const std::string driver = iniRead(path, settingsSection, "driver", "direct3d8");
    settings.driver = driver == "direct3d8" ? 0 : driver == "opengl" ? 1 : 2;
    settings.width = stringToInt(iniRead(path, settingsSection, "width", "1024"));
    settings.height = stringToInt(iniRead(path, settingsSection, "height", "768"));
    settings.bits = stringToInt(iniRead(path, settingsSection, "bits", "16"));
    settings.full = stringToInt(iniRead(path, settingsSection, "full", "1"));
}
