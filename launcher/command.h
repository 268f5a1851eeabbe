#pragma once
#include "choice.h"

// How the dialog can end.
enum LauncherCommand {
    commandExit,   // the "Exit" button: save, end
    commandPlay,   // the "Play" button: save, end, start the game
    commandClose,  // the frame's close box or Alt+F4: end without saving
};

// What the dialog does for a command. endDialog is asked to end the dialog first; the
// choice, read from the controls, is still saved after that.
void launcherCommand(LauncherCommand command, const DialogChoice& choice, void (*endDialog)());
