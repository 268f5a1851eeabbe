// The sound layer through SDL's disk driver: what the game plays ends up as raw 16-bit stereo
// samples at 44.1 kHz in a file, in real time.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>
#include <vorbis/vorbisenc.h>

#include "engine.h"
#include "sound.h"

namespace {

const int rate = 44100;
const double pi = 3.14159265358979;

std::vector<int16_t> tone(double seconds, double frequency)
{
    std::vector<int16_t> samples(static_cast<size_t>(seconds * rate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(12000 * std::sin(2 * pi * frequency * i / rate));
    return samples;
}

void put32(std::ofstream& out, uint32_t v) { out.write(reinterpret_cast<char*>(&v), 4); }
void put16(std::ofstream& out, uint16_t v) { out.write(reinterpret_cast<char*>(&v), 2); }

void writeWav(const std::string& path, const std::vector<int16_t>& mono)
{
    std::ofstream out(path, std::ios::binary);
    uint32_t bytes = mono.size() * 2;
    out.write("RIFF", 4);
    put32(out, 36 + bytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, rate);
    put32(out, rate * 2);
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, bytes);
    out.write(reinterpret_cast<const char*>(mono.data()), bytes);
}

void writePages(std::ofstream& out, ogg_stream_state& os, bool flush)
{
    ogg_page page;
    while (flush ? ogg_stream_flush(&os, &page) : ogg_stream_pageout(&os, &page)) {
        out.write(reinterpret_cast<char*>(page.header), page.header_len);
        out.write(reinterpret_cast<char*>(page.body), page.body_len);
    }
}

void writeOgg(const std::string& path, const std::vector<int16_t>& mono)
{
    vorbis_info vi;
    vorbis_info_init(&vi);
    ASSERT_EQ(vorbis_encode_init_vbr(&vi, 1, rate, 0.4f), 0);
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);
    std::ofstream out(path, std::ios::binary);

    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    writePages(out, os, true);

    float** buffer = vorbis_analysis_buffer(&vd, mono.size());
    for (size_t i = 0; i < mono.size(); ++i)
        buffer[0][i] = mono[i] / 32768.0f;
    vorbis_analysis_wrote(&vd, mono.size());
    vorbis_analysis_wrote(&vd, 0);
    ogg_packet packet;
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
        vorbis_analysis(&vb, nullptr);
        vorbis_bitrate_addblock(&vb);
        while (vorbis_bitrate_flushpacket(&vd, &packet)) {
            ogg_stream_packetin(&os, &packet);
            writePages(out, os, false);
        }
    }
    writePages(out, os, true);
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
}

// A temporary folder with the fixtures and the capture file; SDL's disk driver selected.
struct DiskAudio : ::testing::Test {
    void SetUp() override
    {
        char pattern[] = "/tmp/zarvik-sound-XXXXXX";
        dir = mkdtemp(pattern);
        capture = dir + "/capture.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
        writeWav(dir + "/beep.wav", tone(0.2, 440));
        writeOgg(dir + "/loop.ogg", tone(0.25, 330));
    }
    void TearDown() override
    {
        if (engine.sound)
            engine.sound->drop();
        engine.sound = nullptr;
        std::filesystem::remove_all(dir);
    }

    double capturedSeconds() const
    {
        std::error_code error;
        auto size = std::filesystem::file_size(capture, error);
        return error ? 0.0 : size / (rate * 4.0);
    }
    // waits, with a generous limit, until the capture holds this much sound
    void waitForCapture(double seconds) const
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (capturedSeconds() < seconds && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_GE(capturedSeconds(), seconds) << "the disk driver stopped writing";
    }
    // loudest sample between two points of the capture
    int peak(double from, double to) const
    {
        std::ifstream in(capture, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        size_t begin = static_cast<size_t>(from * rate) * 2;
        size_t end = std::min(bytes.size() / 2, static_cast<size_t>(to * rate) * 2);
        int loudest = 0;
        const int16_t* samples = reinterpret_cast<const int16_t*>(bytes.data());
        for (size_t i = begin; i < end; ++i)
            loudest = std::max(loudest, std::abs(static_cast<int>(samples[i])));
        return loudest;
    }

    std::string dir, capture;
};

const int audible = 2000;  // the fixtures peak near 12000, less the music volume
const int silent = 50;

}  // namespace

TEST_F(DiskAudio, OneShotIsHeardOnceThenEnds)
{
    engine.sound = createSoundEngine(2, 0x1D, "0.6");
    ASSERT_NE(engine.sound, nullptr);
    double start = capturedSeconds();
    playOneShot(dir + "/beep.wav", 0);
    waitForCapture(start + 1.2);

    EXPECT_GT(peak(start, start + 0.5), audible);
    // 0.2 s long, so well after that there is nothing left of it
    EXPECT_LT(peak(start + 0.7, start + 1.2), silent);
}

TEST_F(DiskAudio, LoopedMusicKeepsSoundingUntilStopped)
{
    engine.sound = createSoundEngine(2, 0x1D, "0.6");
    ASSERT_NE(engine.sound, nullptr);
    double start = capturedSeconds();
    Sound* music = engine.sound->play2D((dir + "/loop.ogg").c_str(), true, false, true, 2);
    ASSERT_NE(music, nullptr);
    waitForCapture(start + 1.5);
    // the track is 0.25 s long; a second later it still plays
    EXPECT_GT(peak(start + 1.0, start + 1.5), audible);

    music->stop();
    music->drop();
    double stopped = capturedSeconds();
    waitForCapture(stopped + 1.0);
    EXPECT_LT(peak(stopped + 0.3, stopped + 1.0), silent);
}

TEST_F(DiskAudio, UnplayableFilesMakeNoSoundAndNoHandle)
{
    engine.sound = createSoundEngine(2, 0x1D, "0.6");
    ASSERT_NE(engine.sound, nullptr);
    std::ofstream(dir + "/broken.ogg") << "not a sound";
    double start = capturedSeconds();
    EXPECT_EQ(engine.sound->play2D((dir + "/missing.ogg").c_str(), true, false, true, 2), nullptr);
    EXPECT_EQ(engine.sound->play2D((dir + "/broken.ogg").c_str(), true, false, true, 2), nullptr);
    playOneShot(dir + "/missing.wav", 0);
    waitForCapture(start + 0.5);
    EXPECT_LT(peak(start, start + 0.5), silent);
}

TEST_F(DiskAudio, NoDeviceMeansNoEngineAndSilentCalls)
{
    setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    engine.sound = createSoundEngine(2, 0x1D, "0.6");
    EXPECT_EQ(engine.sound, nullptr);
    playOneShot(dir + "/beep.wav", 0);  // skipped, not a crash
    // and a later start with a working driver still succeeds
    setenv("SDL_AUDIODRIVER", "disk", 1);
    engine.sound = createSoundEngine(2, 0x1D, "0.6");
    EXPECT_NE(engine.sound, nullptr);
}
