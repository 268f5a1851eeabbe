#include "music.h"

#include "engine.h"
#include "sound.h"

Sound* currentMusic = nullptr;

namespace {
const int musicMode = 2;
}

void stopMusic()
{
    if (!currentMusic)
        return;
    currentMusic->stop();
    currentMusic->drop();
    currentMusic = nullptr;
}

void playMusic(const char* file)
{
    stopMusic();
    if (!engine.sound)
        return;
    // looped, not paused, tracked so that the next switch can stop it
    currentMusic = engine.sound->play2D(file, true, false, true, musicMode);
}
