#include "command.h"

#include "messagebox.h"
#include "process.h"

void launcherCommand(LauncherCommand command, const DialogChoice& choice, void (*endDialog)())
{
    endDialog();
    if (command == commandClose)
        return;
    saveDialogSettings(choice);
    if (command == commandPlay && !startGame("zarvik"))
        showErrorBox("Main executable could not be found! Please reinstall the game.");
}
