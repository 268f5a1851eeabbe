#pragma once
#include <string>

// What the three controls that carry the player's choice show. The dialog copies them in and
// out, so the choice can be filled and saved without a window.
struct DialogChoice {
    int driverIndex = -1;  // position in the driver list, -1 for none
    int modeIndex = -1;    // position in displayModes, -1 for none
    bool full = false;
};

// The driver list's entries; their positions are the settings' driver values.
extern const char* const driverEntries[3];

// The path of launcher.ini, kept once at start and used for every write.
extern std::string launcherIniPath;

// The choice as launcher.ini (or its defaults) gives it.
void fillDialog(DialogChoice& choice);
// Writes driver, then width, height and bits of a valid mode, then full. Write failures are
// not reported: the INI module keeps the old file whole.
void saveDialogSettings(const DialogChoice& choice);
