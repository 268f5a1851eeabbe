#include "canvas.h"

#include <algorithm>
#include <cmath>

Rgba mixRgba(const Rgba& a, const Rgba& b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

Rgba rgbaHex(uint32_t rgb, float alpha)
{
    return {float((rgb >> 16) & 255) / 255.0f, float((rgb >> 8) & 255) / 255.0f,
            float(rgb & 255) / 255.0f, alpha};
}

Canvas makeCanvas(int width, int height, const Rgba& fill)
{
    Canvas c;
    c.width = width;
    c.height = height;
    c.pixels.assign(size_t(width) * size_t(height), fill);
    return c;
}

void blendPixel(Canvas& c, int x, int y, const Rgba& colour, float coverage)
{
    if (x < 0 || y < 0 || x >= c.width || y >= c.height || coverage <= 0.0f)
        return;
    Rgba& d = c.pixels[size_t(y) * size_t(c.width) + size_t(x)];
    float sa = std::min(1.0f, coverage) * colour.a;
    float oa = sa + d.a * (1.0f - sa);
    if (oa <= 0.0f) {
        d = Rgba{0, 0, 0, 0};
        return;
    }
    d.r = (colour.r * sa + d.r * d.a * (1.0f - sa)) / oa;
    d.g = (colour.g * sa + d.g * d.a * (1.0f - sa)) / oa;
    d.b = (colour.b * sa + d.b * d.a * (1.0f - sa)) / oa;
    d.a = oa;
}

void paintShape(Canvas& c, const std::function<bool(float, float)>& inside,
                const std::function<Rgba(float, float)>& colour, int n)
{
    paintShapeIn(c, 0, 0, c.width, c.height, inside, colour, n);
}

void paintShapeIn(Canvas& c, int x0, int y0, int x1, int y1, const std::function<bool(float, float)>& inside,
                  const std::function<Rgba(float, float)>& colour, int n)
{
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, c.width);
    y1 = std::min(y1, c.height);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            int hits = 0;
            float sx = 0, sy = 0;
            for (int j = 0; j < n; ++j)
                for (int i = 0; i < n; ++i) {
                    float px = float(x) + (float(i) + 0.5f) / float(n);
                    float py = float(y) + (float(j) + 0.5f) / float(n);
                    if (inside(px, py)) {
                        ++hits;
                        sx += px;
                        sy += py;
                    }
                }
            if (hits == 0)
                continue;
            Rgba col = colour(sx / float(hits), sy / float(hits));
            blendPixel(c, x, y, col, float(hits) / float(n * n));
        }
}

std::vector<uint8_t> canvasBytes(const Canvas& c)
{
    std::vector<uint8_t> out(c.pixels.size() * 4);
    auto q = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    for (size_t i = 0; i < c.pixels.size(); ++i) {
        out[i * 4 + 0] = q(c.pixels[i].r);
        out[i * 4 + 1] = q(c.pixels[i].g);
        out[i * 4 + 2] = q(c.pixels[i].b);
        out[i * 4 + 3] = q(c.pixels[i].a);
    }
    return out;
}

float hashUnit(int x, int y, int seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xFFFFFFu) / 16777216.0f;
}

float valueNoise(float x, float y, int period, int seed)
{
    int xi = int(std::floor(x)), yi = int(std::floor(y));
    float fx = x - float(xi), fy = y - float(yi);
    auto wrap = [period](int v) { return ((v % period) + period) % period; };
    float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    float a = hashUnit(wrap(xi), wrap(yi), seed), b = hashUnit(wrap(xi + 1), wrap(yi), seed);
    float c = hashUnit(wrap(xi), wrap(yi + 1), seed), d = hashUnit(wrap(xi + 1), wrap(yi + 1), seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

float fractalNoise(float x, float y, int period, int octaves, int seed)
{
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * valueNoise(x, y, period, seed + o * 101);
        norm += amp;
        x *= 2;
        y *= 2;
        period *= 2;
        amp *= 0.5f;
    }
    return sum / norm;
}
