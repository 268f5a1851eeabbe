// Sound effects, synthesised: short, bright and each starting and ending at silence.
#include "generators.h"
#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

using Voice = std::function<float(double t)>;

// Renders `length` seconds and scales the peak to `peak`, with soft edges.
std::vector<float> render(double length, float peak, const Voice& voice)
{
    size_t n = size_t(length * sampleRate);
    std::vector<float> out(n);
    float top = 0;
    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / sampleRate;
        out[i] = voice(t) * fadeEdges(t + 0.5 / sampleRate, length, 0.002, 0.03);
        top = std::max(top, std::fabs(out[i]));
    }
    if (top > 0)
        for (float& s : out)
            s *= peak / top;
    return out;
}

// A jump call: a pulse that springs up about an octave, with a sine an octave above.
std::vector<float> jumpCall(double baseHz)
{
    double phase = 0, phase2 = 0;
    OnePole lp;
    return render(0.26, 0.55f, [=](double t) mutable {
        double rise = 1.0 - std::exp(-t / 0.045);
        double hz = baseHz * (1.0 + 0.95 * rise) * (1.0 + 0.012 * std::sin(twoPi * 14 * t));
        double dt = hz / sampleRate;
        phase += dt;
        phase -= std::floor(phase);
        phase2 += 2 * dt;
        phase2 -= std::floor(phase2);
        float body = lowPass(lp, pulseWave(phase, dt, 0.3), 4500) * 0.7f;
        float bell = float(std::sin(twoPi * phase2)) * 0.35f;
        return (body + bell) * float(std::exp(-t / 0.09));
    });
}

// Falling away, three ways: a slide whistle, a sad horn and a wobbling zap.
std::vector<float> slideDown()
{
    double phase = 0;
    return render(1.1, 0.6f, [=](double t) mutable {
        double hz = 150 + 1050 * std::exp(-t / 0.35);
        hz *= 1.0 + 0.02 * std::sin(twoPi * 7 * t);
        phase += hz / sampleRate;
        phase -= std::floor(phase);
        return float(std::sin(twoPi * phase) + 0.15 * std::sin(2 * twoPi * phase)) *
               float(std::min(1.0, t / 0.02) * (1.0 - t / 1.1));
    });
}

std::vector<float> sadHorn()
{
    const double notes[4] = {67, 66, 65, 64};  // G4 F#4 F4 E4
    const double starts[5] = {0, 0.24, 0.48, 0.72, 1.5};
    double phase = 0;
    OnePole lp;
    return render(1.55, 0.6f, [=](double t) mutable {
        int k = 0;
        while (k < 3 && t >= starts[k + 1])
            ++k;
        double local = t - starts[k], len = starts[k + 1] - starts[k];
        double wobble = k == 3 ? 0.025 * std::sin(twoPi * 6 * local) * std::min(1.0, local / 0.2) : 0;
        double hz = midiHz(notes[k] - 12) * (1 + wobble);
        double dt = hz / sampleRate;
        phase += dt;
        phase -= std::floor(phase);
        Adsr env{0.02, 0.1, 0.8, 0.05};
        double held = len - 0.06;
        float level = adsrLevel(env, local, held);
        // The "wah": the tone opens as each note swells.
        float cutoff = float(300 + 1800 * level);
        return lowPass(lp, sawWave(phase, dt), cutoff) * level;
    });
}

std::vector<float> zapDown()
{
    double phase = 0;
    Noise noise;
    OnePole lp;
    return render(0.9, 0.55f, [=](double t) mutable {
        double hz = 60 + 840 * std::exp(-t / 0.22);
        double dt = hz / sampleRate;
        phase += dt;
        phase -= std::floor(phase);
        float tone = pulseWave(phase, dt, 0.5) * 0.6f;
        float hiss = lowPass(lp, noiseNext(noise), 2000) * 0.25f;
        float tremolo = float(0.65 + 0.35 * std::sin(twoPi * 16 * t));
        return (tone + hiss) * tremolo * float(1.0 - t / 0.9);
    });
}

// A rising arpeggio over a whoosh: the stream is speeding up.
std::vector<float> speedUp()
{
    const double notes[8] = {60, 64, 67, 72, 76, 79, 84, 88};
    const double step = 0.075;
    Noise noise;
    OnePole lp, hp;
    double phase = 0;
    return render(1.45, 0.6f, [=](double t) mutable {
        int k = std::min(7, int(t / step));
        double local = t - k * step;
        double hz = midiHz(notes[k]);
        double dt = hz / sampleRate;
        phase += dt;
        phase -= std::floor(phase);
        Adsr env{0.004, 0.05, 0.5, 0.06};
        float lead = pulseWave(phase, dt, 0.25) * adsrLevel(env, local, k == 7 ? 0.6 : step * 0.8) * 0.5f;
        // An echo of the arpeggio a little later makes it sparkle.
        double te = t - 0.11;
        float echo = 0;
        if (te > 0) {
            int ke = std::min(7, int(te / step));
            double le = te - ke * step;
            echo = float(std::sin(twoPi * midiHz(notes[ke] + 12) * le)) *
                   adsrLevel(env, le, ke == 7 ? 0.6 : step * 0.8) * 0.18f;
        }
        double sweep = 400 + 5000 * std::min(1.0, t / 1.0);
        float whoosh = highPass(hp, lowPass(lp, noiseNext(noise), sweep), 300) *
                       float(0.35 * std::sin(3.14159 * std::min(1.0, t / 1.3)));
        return lead + echo + whoosh;
    });
}

std::vector<float> pop()
{
    double phase = 0, phase2 = 0;
    return render(0.14, 0.6f, [=](double t) mutable {
        double hz = 480 + 1100 * std::exp(-t / 0.018);
        phase += hz / sampleRate;
        phase -= std::floor(phase);
        phase2 += 2.5 * hz / sampleRate;
        phase2 -= std::floor(phase2);
        return float((std::sin(twoPi * phase) + 0.25 * std::sin(twoPi * phase2)) * std::exp(-t / 0.035));
    });
}

// The big carrot: a deep thump, a burst of air and a shower of bells up a major chord.
std::vector<float> boom()
{
    const double bells[6] = {72, 76, 79, 84, 88, 91};
    Noise noise;
    OnePole lp;
    double phase = 0;
    return render(2.4, 0.85f, [=](double t) mutable {
        double hz = 38 + 90 * std::exp(-t / 0.08);
        phase += hz / sampleRate;
        phase -= std::floor(phase);
        float thump = float(std::sin(twoPi * phase) * std::exp(-t / 0.45)) * 0.9f;
        float burst = lowPass(lp, noiseNext(noise), 900 + 3000 * std::exp(-t / 0.1)) *
                      float(std::exp(-t / 0.25)) * 0.5f;
        float ring = 0;
        for (int i = 0; i < 6; ++i) {
            double tb = t - 0.04 - 0.07 * i;
            if (tb <= 0)
                continue;
            double f = midiHz(bells[i]);
            double env = std::min(1.0, tb / 0.003) * std::exp(-tb / 0.7);
            ring += float((std::sin(twoPi * f * tb) + 0.3 * std::sin(twoPi * f * 2.76 * tb) * std::exp(-tb / 0.2)) *
                          env) * 0.22f;
        }
        return thump + burst + ring;
    });
}

}  // namespace

bool writeSounds(const std::string& dir)
{
    struct Item {
        const char* name;
        std::vector<float> samples;
    };
    const Item items[] = {
        {"la0.wav", jumpCall(midiHz(72))}, {"la1.wav", jumpCall(midiHz(76))},
        {"la2.wav", jumpCall(midiHz(79))}, {"die0.wav", slideDown()},
        {"die1.wav", sadHorn()},           {"die2.wav", zapDown()},
        {"speed.wav", speedUp()},          {"pop0.wav", pop()},
        {"boom.wav", boom()},
    };
    for (const Item& item : items)
        if (!writeWav(dir + "/" + item.name, item.samples, 1)) {
            std::printf("Error: cannot write %s\n", item.name);
            return false;
        }
    return true;
}
