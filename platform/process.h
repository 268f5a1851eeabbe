#pragma once
#include <string>

// Starts the executable name from the working directory (never a PATH search) with no
// arguments and the caller's environment. It inherits only standard input, output and error,
// and runs on its own: nobody waits for it. True if the process was created.
bool startGame(const std::string& name);
