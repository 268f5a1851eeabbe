#include "synth.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>

float noiseNext(Noise& n)
{
    n.state = n.state * 1664525u + 1013904223u;
    return float(n.state >> 8) / 8388608.0f - 1.0f;
}

float polyBlep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return float(t + t - t * t - 1.0);
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return float(t * t + t + t + 1.0);
    }
    return 0.0f;
}

float sawWave(double phase, double dt) { return float(2.0 * phase - 1.0) - polyBlep(phase, dt); }

float pulseWave(double phase, double dt, double duty)
{
    double p2 = phase + (1.0 - duty);
    if (p2 >= 1.0)
        p2 -= 1.0;
    float v = phase < duty ? 1.0f : -1.0f;
    v += polyBlep(phase, dt);
    v -= polyBlep(p2, dt);
    return v - float(2.0 * duty - 1.0);  // remove the offset so the wave is centred
}

float triangleWave(double phase) { return float(phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase); }

float adsrLevel(const Adsr& e, double t, double held)
{
    auto sustained = [&](double x) {
        if (x < e.attack)
            return x / e.attack;
        x -= e.attack;
        if (x < e.decay)
            return 1.0 - (1.0 - e.sustain) * (x / e.decay);
        return e.sustain;
    };
    if (t < 0)
        return 0.0f;
    if (t < held)
        return float(sustained(t));
    double r = (t - held) / e.release;
    if (r >= 1.0)
        return 0.0f;
    return float(sustained(held) * (1.0 - r) * (1.0 - r));
}

float fadeEdges(double t, double length, double fadeIn, double fadeOut)
{
    if (t <= 0 || t >= length)
        return 0.0f;
    double a = t < fadeIn ? t / fadeIn : 1.0;
    double b = length - t < fadeOut ? (length - t) / fadeOut : 1.0;
    a = a * a * (3 - 2 * a);
    b = b * b * (3 - 2 * b);
    return float(a * b);
}

float lowPass(OnePole& f, float x, double cutoffHz)
{
    // w / (1 + w) follows 1 - exp(-w) closely at audio cutoffs and costs no exp per sample.
    double w = twoPi * cutoffHz / sampleRate;
    float a = float(w / (1.0 + w));
    f.z += a * (x - f.z);
    return f.z;
}

float highPass(OnePole& f, float x, double cutoffHz) { return x - lowPass(f, x, cutoffHz); }

static void putU16(FILE* f, unsigned v)
{
    std::fputc(int(v & 255), f);
    std::fputc(int((v >> 8) & 255), f);
}
static void putU32(FILE* f, uint32_t v)
{
    putU16(f, v & 0xffff);
    putU16(f, v >> 16);
}

bool writeWav(const std::string& path, const std::vector<float>& samples, int channels)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    uint32_t dataBytes = uint32_t(samples.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    putU32(f, 36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    putU32(f, 16);
    putU16(f, 1);
    putU16(f, unsigned(channels));
    putU32(f, sampleRate);
    putU32(f, uint32_t(sampleRate * channels * 2));
    putU16(f, unsigned(channels * 2));
    putU16(f, 16);
    std::fwrite("data", 1, 4, f);
    putU32(f, dataBytes);
    for (float s : samples) {
        long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
        putU16(f, unsigned(uint16_t(int16_t(v))));
    }
    return std::fclose(f) == 0;
}

bool writeOgg(const std::string& path, const std::vector<float>& left, const std::vector<float>& right,
              int serial, const char* title)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 2, sampleRate, 0.45f) != 0) {
        vorbis_info_clear(&vi);
        std::fclose(f);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", title);
    vorbis_comment_add_tag(&vc, "ARTIST", "Zarvik");
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page page;
    bool ok = true;
    auto writePage = [&]() {
        ok = ok && std::fwrite(page.header, 1, size_t(page.header_len), f) == size_t(page.header_len);
        ok = ok && std::fwrite(page.body, 1, size_t(page.body_len), f) == size_t(page.body_len);
    };
    while (ogg_stream_flush(&os, &page) != 0)
        writePage();
    auto drain = [&]() {
        ogg_packet packet;
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &packet) != 0) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0)
                    writePage();
            }
        }
    };
    const size_t chunk = 4096;
    for (size_t at = 0; at < left.size(); at += chunk) {
        size_t n = std::min(chunk, left.size() - at);
        float** buf = vorbis_analysis_buffer(&vd, int(n));
        std::copy(left.begin() + long(at), left.begin() + long(at + n), buf[0]);
        std::copy(right.begin() + long(at), right.begin() + long(at + n), buf[1]);
        vorbis_analysis_wrote(&vd, int(n));
        drain();
    }
    vorbis_analysis_wrote(&vd, 0);
    drain();
    while (ogg_stream_flush(&os, &page) != 0)
        writePage();
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return std::fclose(f) == 0 && ok;
}
