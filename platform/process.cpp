#include "process.h"

#include <csignal>
#include <spawn.h>
#include <sys/types.h>

extern char** environ;

bool startGame(const std::string& name)
{
    if (name.empty())
        return false;
    // a bare name means the working directory, as the launcher is run from the game folder
    const std::string path = name.find('/') == std::string::npos ? "./" + name : name;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return false;
    if (posix_spawnattr_init(&attributes) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return false;
    }
    // the game gets none of our descriptors but the three standard ones
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    // nor our blocked or ignored signals
    sigset_t noSignals, allSignals;
    sigemptyset(&noSignals);
    sigfillset(&allSignals);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    posix_spawnattr_setsigdefault(&attributes, &allSignals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    // posix_spawn, not posix_spawnp: no PATH search. glibc reports a failed exec here and
    // reaps that child itself; a started game is left running and is reaped by init once
    // the launcher, which exits right after, is gone.
    const int result = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0;
}
