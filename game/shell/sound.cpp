#include "sound.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <map>

#include "engine.h"

namespace {

const int outputRate = 44100;
const int channelCount = 32;
const int musicVolume = MIX_MAX_VOLUME * 3 / 4;  // leaves the effects room on top

class MixerSound : public Sound {
public:
    MixerSound(int channel, Mix_Chunk* chunk) : channel(channel), chunk(chunk) {}
    void stop() override
    {
        // the channel may have been reused since; only halt what is still ours
        if (!stopped && Mix_GetChunk(channel) == chunk && Mix_Playing(channel))
            Mix_HaltChannel(channel);
        stopped = true;
    }
    void drop() override { delete this; }

private:
    int channel;
    Mix_Chunk* chunk;
    bool stopped = false;
};

class MixerEngine : public SoundEngine {
public:
    Sound* play2D(const char* file, bool looped, bool startPaused, bool track, int /*mode*/) override
    {
        Mix_Chunk* chunk = load(file);
        if (!chunk)
            return nullptr;
        int channel = Mix_PlayChannel(-1, chunk, looped ? -1 : 0);
        if (channel < 0)
            return nullptr;  // every channel busy: this sound is skipped
        Mix_Volume(channel, track ? musicVolume : MIX_MAX_VOLUME);
        if (startPaused)
            Mix_Pause(channel);
        return track ? new MixerSound(channel, chunk) : nullptr;
    }

    void drop() override
    {
        Mix_HaltChannel(-1);
        for (auto& entry : cache)
            if (entry.second)
                Mix_FreeChunk(entry.second);
        cache.clear();
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        delete this;
    }

private:
    // Decoded once per file name; music too, so a loop restarts sample-exact and without a
    // stall. A file that cannot be played is remembered as such and not read again.
    Mix_Chunk* load(const char* file)
    {
        auto found = cache.find(file);
        if (found != cache.end())
            return found->second;
        // the stream is closed here: SDL_mixer leaks it when it cannot decode the file
        Mix_Chunk* chunk = nullptr;
        if (SDL_RWops* stream = SDL_RWFromFile(file, "rb")) {
            chunk = Mix_LoadWAV_RW(stream, 0);
            SDL_RWclose(stream);
        }
        cache[file] = chunk;
        return chunk;
    }

    std::map<std::string, Mix_Chunk*> cache;
};

}  // namespace

SoundEngine* createSoundEngine(int /*driver*/, int /*options*/, const char* /*version*/)
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return nullptr;
    Mix_Init(MIX_INIT_OGG);
    if (Mix_OpenAudio(outputRate, AUDIO_S16SYS, 2, 1024) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    Mix_AllocateChannels(channelCount);
    return new MixerEngine();
}

void playOneShot(const std::string& file, int mode)
{
    if (engine.sound)
        engine.sound->play2D(file.c_str(), false, false, false, mode);
}
