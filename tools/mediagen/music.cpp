// The three music loops: a melody, a bass line, chords and drums from a small step sequencer.
// Each loop is rendered with a tail that is folded back onto its start, so the file repeats
// seamlessly: notes and echoes ringing over the end carry on at the beginning.
#include "generators.h"
#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <thread>

namespace {

enum Instrument { ChipLead, SquareLead, Flute, TriBass, PulseBass, Pluck, Stab, Pad };

struct Song {
    const char* file;
    const char* title;
    int bpm;  // chosen so that a beat is a whole number of samples
    int bars;
    int serial;
    const char* chords;  // one per bar; "Dm/G" splits the bar
    const char* melody;  // eight steps per bar: a note, "-" holds it, "." rests
    Instrument lead;
    int leadShift;
    float leadLevel;
    const char* bass;  // one bar of eight steps: chord degree 1, 3, 5 or 8, "-" or "."
    Instrument bassVoice;
    float bassLevel;
    const char* arp;  // one bar of eight steps: index into the chord's notes, or "."
    float arpLevel;
    const char* stabs;  // one bar of eight steps: "x" plays the chord
    float padLevel;
    // Drums: one bar of sixteen steps each, "x" hit, "o" soft hit; the fill replaces the
    // snare every eighth bar.
    const char* kick;
    const char* snare;
    const char* snareFill;
    const char* hat;
    const char* shaker;
    float drumLevel;
};

bool isNote(const std::string& s)
{
    size_t i = 1;
    if (s.size() < 2 || s[0] < 'A' || s[0] > 'G')
        return false;
    if (s[i] == '#' || s[i] == 'b')
        ++i;
    return i + 1 == s.size() && s[i] >= '0' && s[i] <= '8';
}

int noteNumber(const std::string& s)
{
    static const int pcs[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    int pc = pcs[s[0] - 'A'];
    size_t i = 1;
    if (s[i] == '#') {
        ++pc;
        ++i;
    } else if (s[i] == 'b') {
        --pc;
        ++i;
    }
    return 12 * (s[i] - '0' + 1) + pc;
}

std::vector<std::string> tokens(const char* text)
{
    std::vector<std::string> out;
    std::string bars = text ? text : "";
    std::replace(bars.begin(), bars.end(), '|', ' ');  // bar lines are only for the reader
    std::istringstream in(bars);
    std::string t;
    while (in >> t)
        out.push_back(t);
    return out;
}

// Chord tones from a symbol such as "C", "Am", "G7", "Bb", "E7".
std::vector<int> chordTones(const std::string& symbol, int& root)
{
    std::string s = symbol;
    root = noteNumber(s.substr(0, s[1] == '#' || s[1] == 'b' ? 2 : 1) + "4") % 12;
    std::string q = s.substr(s[1] == '#' || s[1] == 'b' ? 2 : 1);
    if (q == "m")
        return {0, 3, 7};
    if (q == "7")
        return {0, 4, 7, 10};
    if (q == "m7")
        return {0, 3, 7, 10};
    return {0, 4, 7};
}

struct Stereo {
    std::vector<float> l, r;
};

void addPanned(Stereo& out, const std::vector<float>& mono, float pan, float level)
{
    float a = float((pan + 1) * 3.14159265 / 4);
    float gl = std::cos(a) * level * 1.41421f, gr = std::sin(a) * level * 1.41421f;
    for (size_t i = 0; i < mono.size(); ++i) {
        out.l[i] += mono[i] * gl;
        out.r[i] += mono[i] * gr;
    }
}

// Adds one note, held for `held` seconds, to a mono bus.
void playNote(std::vector<float>& bus, Instrument ins, size_t start, double held, int note, float velocity)
{
    double hz = midiHz(note);
    double dt = hz / sampleRate;
    Adsr env;
    double release = 0.06;
    switch (ins) {
    case ChipLead: env = {0.008, 0.25, 0.55, 0.12}; break;
    case SquareLead: env = {0.004, 0.12, 0.6, 0.07}; break;
    case Flute: env = {0.07, 0.25, 0.8, 0.22}; break;
    case TriBass: env = {0.005, 0.2, 0.75, 0.05}; break;
    case PulseBass: env = {0.003, 0.12, 0.6, 0.03}; break;
    case Pluck: env = {0.003, 0.6, 0.0, 0.06}; break;
    case Stab: env = {0.003, 0.16, 0.0, 0.05}; break;
    case Pad: env = {0.4, 0.5, 0.75, 0.6}; break;
    }
    release = env.release;
    size_t length = size_t((held + release) * sampleRate) + 1;
    double p1 = 0, p2 = 0.31, p3 = 0.67;
    OnePole lp;
    Noise noise{uint32_t(note * 7919 + int(start % 1000))};
    for (size_t i = 0; i < length && start + i < bus.size(); ++i) {
        double t = double(i) / sampleRate;
        float level = adsrLevel(env, t, held) * velocity;
        if (level <= 0 && t > env.attack)
            continue;
        double vib = 1.0;
        if (ins == ChipLead || ins == SquareLead || ins == Flute)
            vib += (ins == Flute ? 0.006 : 0.004) * std::sin(twoPi * 5.5 * t) * std::min(1.0, std::max(0.0, t - 0.15) / 0.2);
        double d = dt * vib;
        p1 += d;
        p1 -= std::floor(p1);
        float v = 0;
        switch (ins) {
        case ChipLead:
            v = pulseWave(p1, d, 0.25) * 0.55f + float(std::sin(twoPi * p1)) * 0.35f;
            v = lowPass(lp, v, 5000);
            break;
        case SquareLead:
            v = lowPass(lp, pulseWave(p1, d, 0.5) * 0.7f, 3800);
            break;
        case Flute:
            v = float(std::sin(twoPi * p1)) * 0.8f + triangleWave(p1) * 0.2f +
                lowPass(lp, noiseNext(noise), 2500) * 0.05f;
            break;
        case TriBass:
            v = triangleWave(p1) * 0.8f + float(std::sin(twoPi * p1)) * 0.4f;
            break;
        case PulseBass:
            v = lowPass(lp, pulseWave(p1, d, 0.5), 700 + 1500 * level) * 0.7f + float(std::sin(twoPi * p1)) * 0.5f;
            break;
        case Pluck:
            v = triangleWave(p1) * 0.6f + float(std::sin(twoPi * 2 * p1)) * 0.2f;
            level *= float(std::exp(-t / 0.35));
            break;
        case Stab: {
            p2 += d * 1.006;
            p2 -= std::floor(p2);
            v = lowPass(lp, sawWave(p1, d) + sawWave(p2, d * 1.006), 800 + 2600 * std::exp(-t / 0.06)) * 0.4f;
            break;
        }
        case Pad: {
            p2 += d * 1.004;
            p2 -= std::floor(p2);
            p3 += d * 0.996;
            p3 -= std::floor(p3);
            v = lowPass(lp, sawWave(p1, d) + sawWave(p2, d * 1.004) + sawWave(p3, d * 0.996), 1100) * 0.3f;
            break;
        }
        }
        bus[start + i] += v * level;
    }
}

enum Drum { Kick, Snare, Hat, Shaker };

void playDrum(std::vector<float>& bus, Drum drum, size_t start, float velocity, uint32_t seed)
{
    Noise noise{seed};
    OnePole lp, hp;
    double length = drum == Kick ? 0.5 : drum == Snare ? 0.3 : drum == Hat ? 0.09 : 0.12;
    double phase = 0;
    size_t n = size_t(length * sampleRate);
    for (size_t i = 0; i < n && start + i < bus.size(); ++i) {
        double t = double(i) / sampleRate;
        float edge = fadeEdges(t + 0.5 / sampleRate, length, 0.0015, 0.02);
        float v = 0;
        switch (drum) {
        case Kick: {
            double hz = 48 + 110 * std::exp(-t / 0.035);
            phase += hz / sampleRate;
            phase -= std::floor(phase);
            v = float(std::sin(twoPi * phase) * std::exp(-t / 0.16)) * 1.0f +
                lowPass(lp, noiseNext(noise), 3000) * float(std::exp(-t / 0.004)) * 0.3f;
            break;
        }
        case Snare: {
            phase += 185.0 / sampleRate;
            phase -= std::floor(phase);
            float tone = float(std::sin(twoPi * phase) * std::exp(-t / 0.05)) * 0.45f;
            float rattle = highPass(hp, lowPass(lp, noiseNext(noise), 7000), 900) * float(std::exp(-t / 0.085));
            v = tone + rattle * 0.75f;
            break;
        }
        case Hat:
            v = highPass(hp, noiseNext(noise), 7000) * float(std::exp(-t / 0.025)) * 0.6f;
            break;
        case Shaker:
            v = highPass(hp, lowPass(lp, noiseNext(noise), 9000), 4000) *
                float(std::min(1.0, t / 0.012) * std::exp(-t / 0.035)) * 0.45f;
            break;
        }
        bus[start + i] += v * edge * velocity;
    }
}

// Two echoes bouncing between the ears, a dotted eighth apart.
void addEcho(Stereo& out, const std::vector<float>& bus, size_t delay, float feedback, float wet)
{
    std::vector<float> el(bus.size(), 0), er(bus.size(), 0);
    for (size_t i = delay; i < bus.size(); ++i) {
        el[i] = bus[i - delay] + feedback * er[i - delay];
        er[i] = feedback * el[i - delay];
    }
    for (size_t i = 0; i < bus.size(); ++i) {
        out.l[i] += wet * el[i];
        out.r[i] += wet * er[i];
    }
}

bool renderSong(const Song& song, std::vector<float>& left, std::vector<float>& right)
{
    const size_t beat = size_t(sampleRate) * 60 / size_t(song.bpm);
    const size_t step = beat / 2, drumStep = beat / 4;
    const size_t loop = beat * 4 * size_t(song.bars);
    const size_t total = loop + size_t(sampleRate) * 6;  // the tail that folds back
    std::vector<float> leadBus(total, 0), bassBus(total, 0), arpBus(total, 0), stabBus(total, 0),
        padBus(total, 0), kickBus(total, 0), snareBus(total, 0), hatBus(total, 0);

    std::vector<std::string> chords = tokens(song.chords), melody = tokens(song.melody);
    std::vector<std::string> bass = tokens(song.bass), arp = tokens(song.arp), stabs = tokens(song.stabs);
    if (int(chords.size()) != song.bars || int(melody.size()) != song.bars * 8 || bass.size() != 8 ||
        (!arp.empty() && arp.size() != 8) || (!stabs.empty() && stabs.size() != 8)) {
        std::printf("Error: the score of %s does not fit its %d bars\n", song.file, song.bars);
        return false;
    }
    for (const std::string& m : melody)
        if (m != "-" && m != "." && !isNote(m)) {
            std::printf("Error: %s: \"%s\" is not a note\n", song.file, m.c_str());
            return false;
        }
    // The chord sounding at each eighth step.
    std::vector<std::string> chordAt(size_t(song.bars) * 8);
    for (int b = 0; b < song.bars; ++b) {
        std::string c = chords[size_t(b)];
        size_t slash = c.find('/');
        for (int s = 0; s < 8; ++s)
            chordAt[size_t(b * 8 + s)] = slash == std::string::npos ? c : s < 4 ? c.substr(0, slash) : c.substr(slash + 1);
    }
    auto heldSteps = [](const std::vector<std::string>& seq, size_t i) {
        size_t n = 1;
        while (i + n < seq.size() && seq[i + n] == "-")
            ++n;
        return n;
    };

    for (size_t i = 0; i < melody.size(); ++i) {
        if (melody[i] == "-" || melody[i] == ".")
            continue;
        double held = double(heldSteps(melody, i) * step) / sampleRate - 0.03;
        playNote(leadBus, song.lead, i * step, held, noteNumber(melody[i]) + song.leadShift, 1.0f);
    }
    for (size_t i = 0; i < chordAt.size(); ++i) {
        int root = 0;
        std::vector<int> tones = chordTones(chordAt[i], root);
        bool chordStarts = i == 0 || chordAt[i] != chordAt[i - 1] || i % 8 == 0;
        const std::string& b = bass[i % 8];
        if (b != "-" && b != ".") {
            int low = 40 + ((root - 4) % 12 + 12) % 12;  // roots from E2 up to D#3
            int degree = b == "1" ? 0 : b == "3" ? tones[1] : b == "5" ? 7 : 12;
            size_t n = 1;
            while (n < 8 - i % 8 && bass[(i + n) % 8] == "-")
                ++n;
            playNote(bassBus, song.bassVoice, i * step, double(n * step) / sampleRate - 0.02, low + degree, 1.0f);
        }
        if (!arp.empty() && arp[i % 8] != ".") {
            int k = arp[i % 8][0] - '0';
            int noteNum = 60 + root + tones[size_t(k) % tones.size()] + 12 * (k / int(tones.size()));
            if (noteNum > 79)
                noteNum -= 12;
            playNote(arpBus, Pluck, i * step, double(step) / sampleRate * 0.9, noteNum, 1.0f);
        }
        if (!stabs.empty() && stabs[i % 8] == "x")
            for (int t : tones)
                playNote(stabBus, Stab, i * step, double(step) / sampleRate * 0.5, 60 + (root + t) % 12, 0.5f);
        if (song.padLevel > 0 && chordStarts) {
            size_t n = 1;
            while (i + n < chordAt.size() && chordAt[i + n] == chordAt[i] && (i + n) % 8 != 0)
                ++n;
            for (int t : tones)
                playNote(padBus, Pad, i * step, double(n * step) / sampleRate - 0.05, 53 + ((root + t + 7) % 12), 0.4f);
        }
    }
    uint32_t seed = uint32_t(song.serial);
    for (int bar = 0; bar < song.bars; ++bar) {
        const char* snare = (bar % 8 == 7 && song.snareFill) ? song.snareFill : song.snare;
        for (size_t s = 0; s < 16; ++s) {
            size_t at = (size_t(bar) * 16 + s) * drumStep;
            auto hit = [&](const char* pattern, std::vector<float>& bus, Drum d, float level) {
                if (!pattern || pattern[s] == '.' || pattern[s] == 0)
                    return;
                playDrum(bus, d, at, pattern[s] == 'x' ? level : level * 0.5f, seed++);
            };
            hit(song.kick, kickBus, Kick, 1.0f);
            hit(snare, snareBus, Snare, 0.8f);
            hit(song.hat, hatBus, Hat, 0.5f);
            hit(song.shaker, hatBus, Shaker, 0.5f);
        }
    }

    Stereo mix{std::vector<float>(total, 0), std::vector<float>(total, 0)};
    addPanned(mix, leadBus, 0.05f, song.leadLevel);
    addEcho(mix, leadBus, beat * 3 / 4, 0.35f, song.leadLevel * 0.28f);
    addPanned(mix, bassBus, 0.0f, song.bassLevel);
    addPanned(mix, arpBus, -0.4f, song.arpLevel);
    addPanned(mix, stabBus, 0.35f, 0.55f);
    addPanned(mix, padBus, 0.0f, song.padLevel);
    addPanned(mix, kickBus, 0.0f, song.drumLevel);
    addPanned(mix, snareBus, 0.1f, song.drumLevel * 0.8f);
    addPanned(mix, hatBus, 0.3f, song.drumLevel * 0.6f);

    left.assign(mix.l.begin(), mix.l.begin() + long(loop));
    right.assign(mix.r.begin(), mix.r.begin() + long(loop));
    for (size_t i = loop; i < total; ++i) {
        left[(i - loop) % loop] += mix.l[i];
        right[(i - loop) % loop] += mix.r[i];
    }
    float peak = 0;
    for (size_t i = 0; i < loop; ++i)
        peak = std::max(peak, std::max(std::fabs(left[i]), std::fabs(right[i])));
    float gain = peak > 0 ? 0.84f / peak : 1.0f;
    for (size_t i = 0; i < loop; ++i) {
        left[i] *= gain;
        right[i] *= gain;
    }
    return true;
}

const Song songs[] = {
    {"main_loop.ogg", "Carrot Meadow", 108, 16, 0x5a01,
     "C Am F G C Am Dm/G C F G Em Am F G C G7",
     "E5 - G5 - A5 G5 E5 - | C5 - E5 - D5 - - . | F5 - A5 - C6 - A5 - | G5 - - - . . D5 - |"
     "E5 - G5 - A5 G5 E5 - | C6 - B5 - A5 - E5 - | F5 - E5 - D5 - G5 - | C5 - - - - - . . |"
     "C6 - - A5 F5 - A5 - | B5 - - G5 D5 - G5 - | G5 - - E5 B4 - E5 - | A5 - C6 - E6 - - - |"
     "F5 - A5 - C6 - A5 - | D6 - C6 - B5 - G5 - | C6 - G5 - E5 - G5 - | F5 - E5 - D5 - - - |",
     ChipLead, 0, 0.42f, "1 - - 5 8 - 5 -", TriBass, 0.55f, "0 1 2 3 4 3 2 1", 0.22f, "", 0.0f,
     "x.......x.....x.", "....x.......x...", "....x.......x.xo", "..o...o...o...o.", "o.o.o.o.o.o.o.o.", 0.6f},
    {"ingame_loop.ogg", "Hop Hop Hurray", 150, 16, 0x5a02,
     "Am F C G Am F C E7 Am F C G Am F C E7",
     "A5 - E5 - A5 - B5 C6 | C6 - A5 - F5 - A5 - | G5 - E5 - C5 - E5 G5 | D6 - B5 - G5 - - - |"
     "A5 - E5 - A5 - B5 C6 | D6 - C6 - A5 - F5 - | E5 - G5 - C6 - E6 - | D6 - - B5 G#5 - E5 - |"
     "A5 A5 . A5 C6 - B5 A5 | C6 - . A5 - - F5 - | G5 G5 . G5 E6 - D6 C6 | D6 - . B5 - - G5 - |"
     "A5 - C6 - E6 - D6 C6 | C6 - A5 - F5 - A5 C6 | E6 - D6 - C6 - G5 - | G#5 - B5 - E6 - - - |",
     SquareLead, -12, 0.5f, "1 8 1 8 1 8 1 8", PulseBass, 0.5f, "", 0.0f, ". x . x . x . x", 0.0f,
     "x...x...x...x...", "....x.......x...", "....x.....x.x.xx", "xoxoxoxoxoxoxoxo", nullptr, 0.62f},
    {"end_loop.ogg", "Sunset Burrow", 90, 12, 0x5a03,
     "F Dm Bb C F Am Bb/C F Dm Bb Gm C",
     "A4 - - - C5 - A4 - | D5 - - - F5 - E5 D5 | D5 - - - C5 - Bb4 - | C5 - - - - - . . |"
     "A4 - - - C5 - F5 - | E5 - - - C5 - A4 - | D5 - C5 - Bb4 - G4 - | A4 - - - - - . . |"
     "F5 - - - E5 - D5 - | D5 - - - F5 - Bb5 - | Bb5 - A5 - G5 - D5 - | E5 - - - D5 - C5 - |",
     Flute, 0, 0.5f, "1 - - - 5 - - -", TriBass, 0.45f, "0 1 2 1 3 2 1 2", 0.16f, "", 0.2f,
     "x.......o.......", "........o.......", nullptr, "..o...o...o...o.", nullptr, 0.45f},
};

}  // namespace

bool writeMusic(const std::string& dir)
{
    // The songs share nothing, so each renders and encodes on its own thread; the bytes do
    // not depend on the order they finish in.
    const size_t count = sizeof songs / sizeof songs[0];
    bool ok[count] = {};
    std::vector<std::thread> workers;
    for (size_t i = 0; i < count; ++i)
        workers.emplace_back([&dir, &ok, i]() {
            const Song& s = songs[i];
            std::vector<float> left, right;
            if (!renderSong(s, left, right))
                return;
            ok[i] = writeOgg(dir + "/" + s.file, left, right, s.serial, s.title);
            if (!ok[i])
                std::printf("Error: cannot write %s\n", s.file);
        });
    for (std::thread& t : workers)
        t.join();
    return std::all_of(ok, ok + count, [](bool b) { return b; });
}
