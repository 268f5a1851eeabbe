#pragma once
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

const int sampleRate = 44100;
const double twoPi = 6.283185307179586;

inline double midiHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// Deterministic white noise in [-1, 1).
struct Noise {
    uint32_t state = 0x2468ace1u;
};
float noiseNext(Noise& n);

// Band-limited oscillators: phase in cycles [0, 1), dt = frequency / sample rate.
float polyBlep(double t, double dt);
float sawWave(double phase, double dt);
float pulseWave(double phase, double dt, double duty);
float triangleWave(double phase);

// Attack, decay to sustain while held, then release from wherever it is. Times in seconds.
struct Adsr {
    double attack = 0.005, decay = 0.1, sustain = 0.7, release = 0.05;
};
float adsrLevel(const Adsr& e, double t, double held);
// A smooth fade in and out for one-shots, so they start and end at silence.
float fadeEdges(double t, double length, double fadeIn, double fadeOut);

struct OnePole {
    float z = 0;
};
float lowPass(OnePole& f, float x, double cutoffHz);
float highPass(OnePole& f, float x, double cutoffHz);

// 16-bit PCM WAV, canonical 44-byte header.
bool writeWav(const std::string& path, const std::vector<float>& samples, int channels);
// Ogg Vorbis of planar float channels, every sample kept (the decoded length equals the input).
bool writeOgg(const std::string& path, const std::vector<float>& left, const std::vector<float>& right,
              int serial, const char* title);
