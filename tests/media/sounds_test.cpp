// Sound effects as 16-bit PCM WAV, music as seamless Ogg Vorbis loops.
#include <vorbis/vorbisfile.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Wav {
    bool ok = false;
    int channels = 0, rate = 0;
    std::vector<int16_t> samples;  // first channel only
};

uint32_t u32At(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t u16At(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

Wav readWav(const std::string& path)
{
    Wav w;
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 44)
        return w;
    std::string riff(b.begin(), b.begin() + 4), wave(b.begin() + 8, b.begin() + 16), data(b.begin() + 36, b.begin() + 40);
    w.channels = u16At(b, 22);
    w.rate = int(u32At(b, 24));
    bool header = riff == "RIFF" && wave == "WAVEfmt " && data == "data" && u32At(b, 4) == b.size() - 8 &&
                  u32At(b, 16) == 16 && u16At(b, 20) == 1 && u16At(b, 34) == 16 &&
                  u32At(b, 28) == uint32_t(w.rate * w.channels * 2) && u16At(b, 32) == w.channels * 2 &&
                  u32At(b, 40) == b.size() - 44;
    if (!header || w.channels < 1)
        return w;
    for (size_t at = 44; at + 1 < b.size(); at += size_t(2 * w.channels))
        w.samples.push_back(int16_t(u16At(b, at)));
    w.ok = true;
    return w;
}

// Zero crossings per second over a stretch: a rough pitch.
double crossingsPerSecond(const Wav& w, size_t from, size_t to)
{
    int n = 0;
    for (size_t i = from + 1; i < to; ++i)
        n += (w.samples[i - 1] < 0) != (w.samples[i] < 0);
    return double(n) * w.rate / double(to - from);
}

struct EffectCase {
    const char* file;
    double minSeconds, maxSeconds;
};

class SoundEffect : public ::testing::TestWithParam<EffectCase> {};

TEST_P(SoundEffect, isPcmThatStartsAndEndsInSilenceWithoutClipping)
{
    Wav w = readWav(std::string("media/") + GetParam().file);
    ASSERT_TRUE(w.ok) << GetParam().file << ": not a canonical 16-bit PCM WAV";
    EXPECT_EQ(w.rate, 44100);
    double seconds = double(w.samples.size()) / w.rate;
    EXPECT_GE(seconds, GetParam().minSeconds);
    EXPECT_LE(seconds, GetParam().maxSeconds);
    EXPECT_LT(std::abs(w.samples.front()), 300) << "no click at the start";
    EXPECT_LT(std::abs(w.samples.back()), 300) << "no click at the end";
    int peak = 0;
    for (int16_t s : w.samples)
        peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(peak, 12000) << "loud enough to hear over the music";
    EXPECT_LT(peak, 32767) << "not clipped";
}

INSTANTIATE_TEST_SUITE_P(Media, SoundEffect,
                         ::testing::Values(EffectCase{"la0.wav", 0.1, 0.5}, EffectCase{"la1.wav", 0.1, 0.5},
                                           EffectCase{"la2.wav", 0.1, 0.5}, EffectCase{"die0.wav", 0.5, 2.5},
                                           EffectCase{"die1.wav", 0.5, 2.5}, EffectCase{"die2.wav", 0.5, 2.5},
                                           EffectCase{"speed.wav", 0.5, 2.5}, EffectCase{"pop0.wav", 0.05, 0.3},
                                           EffectCase{"boom.wav", 1.0, 3.0}),
                         [](const ::testing::TestParamInfo<EffectCase>& i) {
                             std::string s = i.param.file;
                             return s.substr(0, s.find('.'));
                         });

TEST(SoundEffects, jumpCallsRiseInPitchFromOneToTheNext)
{
    double last = 0;
    for (const char* f : {"media/la0.wav", "media/la1.wav", "media/la2.wav"}) {
        Wav w = readWav(f);
        ASSERT_TRUE(w.ok) << f;
        double pitch = crossingsPerSecond(w, 0, w.samples.size() / 2);
        EXPECT_GT(pitch, last * 1.05) << f;
        last = pitch;
    }
}

TEST(SoundEffects, deathSoundsFallAway)
{
    for (const char* f : {"media/die0.wav", "media/die1.wav", "media/die2.wav"}) {
        Wav w = readWav(f);
        ASSERT_TRUE(w.ok) << f;
        size_t n = w.samples.size();
        EXPECT_GT(crossingsPerSecond(w, 0, n / 4), crossingsPerSecond(w, n / 2, 3 * n / 4)) << f;
    }
}

struct Track {
    bool ok = false;
    int channels = 0;
    long rate = 0;
    std::vector<std::vector<float>> pcm;  // per channel
};

Track decode(const std::string& path)
{
    Track t;
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0)
        return t;
    vorbis_info* vi = ov_info(&vf, -1);
    t.channels = vi->channels;
    t.rate = vi->rate;
    t.pcm.resize(size_t(t.channels));
    int section = 0;
    for (;;) {
        float** buf = nullptr;
        long n = ov_read_float(&vf, &buf, 4096, &section);
        if (n < 0) {
            ov_clear(&vf);
            return t;
        }
        if (n == 0)
            break;
        for (int c = 0; c < t.channels; ++c)
            t.pcm[size_t(c)].insert(t.pcm[size_t(c)].end(), buf[c], buf[c] + n);
    }
    t.ok = ov_pcm_total(&vf, -1) == ogg_int64_t(t.pcm[0].size());
    ov_clear(&vf);
    return t;
}

struct MusicCase {
    const char* file;
    int bpm, bars;
};

class MusicLoop : public ::testing::TestWithParam<MusicCase> {};

TEST_P(MusicLoop, decodesToWholeBarsAndLoopsWithoutAClick)
{
    Track t = decode(std::string("media/") + GetParam().file);
    ASSERT_TRUE(t.ok) << GetParam().file;
    EXPECT_EQ(t.channels, 2);
    EXPECT_EQ(t.rate, 44100);
    size_t n = t.pcm[0].size();
    size_t expected = size_t(44100) * 60 * 4 * size_t(GetParam().bars) / size_t(GetParam().bpm);
    EXPECT_EQ(n, expected) << "a sample-exact loop of whole bars";
    EXPECT_GE(double(n) / 44100, 15.0);
    EXPECT_LE(double(n) / 44100, 40.0);
    for (const std::vector<float>& ch : t.pcm) {
        // The step from the last sample back to the first must look like any other step.
        std::vector<float> steps;
        double energy = 0;
        float peak = 0;
        for (size_t i = 1; i < ch.size(); ++i) {
            steps.push_back(std::fabs(ch[i] - ch[i - 1]));
            energy += double(ch[i]) * ch[i];
            peak = std::max(peak, std::fabs(ch[i]));
        }
        std::nth_element(steps.begin(), steps.begin() + long(steps.size() * 99 / 100), steps.end());
        float usual = steps[steps.size() * 99 / 100];
        EXPECT_LE(std::fabs(ch.front() - ch.back()), std::max(usual, 0.01f)) << GetParam().file;
        EXPECT_GT(std::sqrt(energy / double(ch.size())), 0.05) << "not near silence";
        EXPECT_LT(peak, 1.0f) << "not clipped";
    }
}

INSTANTIATE_TEST_SUITE_P(Media, MusicLoop,
                         ::testing::Values(MusicCase{"main_loop.ogg", 108, 16}, MusicCase{"ingame_loop.ogg", 150, 16},
                                           MusicCase{"end_loop.ogg", 90, 12}),
                         [](const ::testing::TestParamInfo<MusicCase>& i) {
                             std::string s = i.param.file;
                             return s.substr(0, s.find('_'));
                         });

}  // namespace
