#pragma once
#include <string>

// The small sound layer the game plays through (SDL2_mixer underneath).

// A tracked sound: only music is played with a handle.
class Sound {
public:
    virtual void stop() = 0;
    virtual void drop() = 0;  // gives the handle up; it must not be used afterwards
protected:
    virtual ~Sound() = default;
};

class SoundEngine {
public:
    // Starts the file at once. Returns a handle only when track is true and the file plays;
    // a file that cannot be played makes no sound and returns nullptr.
    virtual Sound* play2D(const char* file, bool looped, bool startPaused, bool track, int mode) = 0;
    virtual void drop() = 0;  // ends all sound and frees the engine
protected:
    virtual ~SoundEngine() = default;
};

// Opens a 44.1 kHz stereo output; nullptr when there is no usable audio device.
// The driver value, option flags and version text are accepted for compatibility only.
SoundEngine* createSoundEngine(int driver, int options, const char* version);

// A one-shot, unpositioned, not looped, no handle, through engine.sound; skipped without sound.
void playOneShot(const std::string& file, int mode);
