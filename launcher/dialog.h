#pragma once

// Shows the launcher dialog over displayModes and returns when it has ended, after the
// chosen command has run. False when no window could be opened.
bool runLauncherDialog();
