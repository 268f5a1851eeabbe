// Music switching, against a recording sound layer and once through SDL's disk driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "engine.h"
#include "music.h"
#include "nulldevice.h"
#include "sound.h"

namespace {

using Calls = std::vector<std::string>;

class MusicTest : public ::testing::Test {
protected:
    void SetUp() override { engine.sound = &sound; }
    void TearDown() override
    {
        stopMusic();
        engine.sound = nullptr;
    }
    RecordingSoundEngine sound;
};

TEST_F(MusicTest, SwitchingStopsAndReleasesTheOldTrackFirst)
{
    playMusic("media/main_loop.ogg");
    playMusic("media/ingame_loop.ogg");
    playMusic("media/end_loop.ogg");
    EXPECT_EQ(sound.calls, (Calls{
                               "play media/main_loop.ogg looped tracked mode 2",
                               "stop media/main_loop.ogg",
                               "drop media/main_loop.ogg",
                               "play media/ingame_loop.ogg looped tracked mode 2",
                               "stop media/ingame_loop.ogg",
                               "drop media/ingame_loop.ogg",
                               "play media/end_loop.ogg looped tracked mode 2",
                           }));
    EXPECT_NE(currentMusic, nullptr);
    EXPECT_EQ(sound.liveHandles, 1);
}

TEST_F(MusicTest, StopMusicReleasesOnceAndThenDoesNothing)
{
    stopMusic();  // nothing playing yet
    EXPECT_TRUE(sound.calls.empty());

    playMusic("media/main_loop.ogg");
    stopMusic();
    stopMusic();
    EXPECT_EQ(sound.calls, (Calls{"play media/main_loop.ogg looped tracked mode 2",
                                  "stop media/main_loop.ogg", "drop media/main_loop.ogg"}));
    EXPECT_EQ(currentMusic, nullptr);
    EXPECT_EQ(sound.liveHandles, 0);
}

TEST_F(MusicTest, NoHandleMeansSilenceUntilTheNextSwitch)
{
    sound.unplayable = "media/end_loop.ogg";
    playMusic("media/ingame_loop.ogg");
    playMusic("media/end_loop.ogg");
    EXPECT_EQ(currentMusic, nullptr);
    stopMusic();  // nothing kept, so nothing to stop
    playMusic("media/main_loop.ogg");
    EXPECT_EQ(sound.calls, (Calls{
                               "play media/ingame_loop.ogg looped tracked mode 2",
                               "stop media/ingame_loop.ogg",
                               "drop media/ingame_loop.ogg",
                               "play media/end_loop.ogg looped tracked mode 2",
                               "play media/main_loop.ogg looped tracked mode 2",
                           }));
    EXPECT_NE(currentMusic, nullptr);
}

TEST(MusicWithoutSound, NothingPlaysAndNothingIsKept)
{
    engine.sound = nullptr;
    playMusic("media/main_loop.ogg");
    EXPECT_EQ(currentMusic, nullptr);
    stopMusic();
    EXPECT_EQ(currentMusic, nullptr);
}

// The title music through the real sound layer, mixed by SDL's disk driver into a raw file
// (signed 16-bit stereo at 44.1 kHz).
TEST(MusicThroughSdl, TitleMusicIsHeard)
{
    struct stat media;
    ASSERT_EQ(stat("media/main_loop.ogg", &media), 0) << "generated music missing";

    char dir[] = "/tmp/zarvik-music-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string capture = std::string(dir) + "/audio.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);

    engine.sound = createSoundEngine(2, 0x1D, "0.6");
    ASSERT_NE(engine.sound, nullptr) << "SDL's disk driver did not open";
    playMusic("media/main_loop.ogg");
    EXPECT_NE(currentMusic, nullptr);

    // the disk driver mixes at about real time; wait for one second of output
    const off_t oneSecond = 44100 * 4;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    struct stat captured = {};
    while ((stat(capture.c_str(), &captured) != 0 || captured.st_size < 2 * oneSecond) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stopMusic();
    engine.sound->drop();
    engine.sound = nullptr;
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");

    std::vector<int16_t> samples(static_cast<size_t>(2 * oneSecond / 2));
    FILE* raw = fopen(capture.c_str(), "rb");
    ASSERT_NE(raw, nullptr);
    size_t got = fread(samples.data(), sizeof(int16_t), samples.size(), raw);
    fclose(raw);
    remove(capture.c_str());
    rmdir(dir);
    ASSERT_EQ(got, samples.size()) << "less than two seconds were mixed";

    size_t loud = 0;
    int peak = 0;
    for (int16_t s : samples) {
        peak = std::max(peak, std::abs(static_cast<int>(s)));
        if (std::abs(static_cast<int>(s)) > 500)
            ++loud;
    }
    EXPECT_GT(peak, 2000);
    EXPECT_GT(loud, samples.size() / 10) << "the title music should fill the mix, not click once";
}

}  // namespace
