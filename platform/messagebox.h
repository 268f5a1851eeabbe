#pragma once
#include <string>

// An error message box with no owner: title "Error", the error icon, one OK button.
// Blocks until it is closed. Without a display the text goes to standard error.
void showErrorBox(const std::string& text);

// Tests replace the box with a handler of their own; nullptr restores the real one.
using ErrorBoxHandler = void (*)(const std::string& text);
void setErrorBoxHandler(ErrorBoxHandler handler);
