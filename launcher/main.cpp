#include "choice.h"
#include "dialog.h"
#include "displaymode.h"
#include "messagebox.h"
#include "settings.h"

// The launcher takes no options and returns 0 whatever happened; it never waits for the game.
int main(int, char**)
{
    launcherIniPath = settingsPath();
    enumerateDisplayModes();
    if (displayModes.empty()) {
        showErrorBox("Your system doesn't appear to have a working display device.");
        return 0;
    }
    runLauncherDialog();
    return 0;
}
