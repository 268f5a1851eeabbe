// Flat pictures: the star sprite for additive trails, the carrot counter icon and the
// launcher's application icon.
#include "canvas.h"
#include "generators.h"
#include "pngfile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const float pi = 3.14159265358979f;

// A rotated ellipse (angle in radians), grown by `grow` pixels for outlines.
std::function<bool(float, float)> ellipse(float cx, float cy, float rx, float ry, float angle, float grow = 0)
{
    float c = std::cos(angle), s = std::sin(angle);
    rx += grow;
    ry += grow;
    return [=](float x, float y) {
        float dx = x - cx, dy = y - cy;
        float u = dx * c + dy * s, v = -dx * s + dy * c;
        return (u * u) / (rx * rx) + (v * v) / (ry * ry) <= 1.0f;
    };
}

std::function<Rgba(float, float)> flat(Rgba c)
{
    return [=](float, float) { return c; };
}

Canvas star()
{
    const int n = 64;
    Canvas c = makeCanvas(n, n, Rgba{0, 0, 0, 1});
    const int ss = 4;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            float cover = 0;
            float glow = 0;
            for (int j = 0; j < ss; ++j)
                for (int i = 0; i < ss; ++i) {
                    float px = float(x) + (i + 0.5f) / ss - n / 2.0f;
                    float py = float(y) + (j + 0.5f) / ss - n / 2.0f;
                    float r = std::sqrt(px * px + py * py);
                    float a = std::atan2(py, px) + pi / 2;
                    // Five points: the edge swings between an inner and an outer radius.
                    float f = a / (2 * pi / 5) + 0.5f;
                    float k = 1 - std::fabs(2 * (f - std::floor(f)) - 1);
                    float edge = 6.0f + 11.5f * std::pow(k, 1.4f);
                    cover += r < edge ? 1.0f : 0.0f;
                    glow += std::exp(-(r * r) / 60.0f);
                }
            cover /= ss * ss;
            glow /= ss * ss;
            float centre = std::exp(-(float((x - 31.5) * (x - 31.5) + (y - 31.5) * (y - 31.5))) / 40.0f);
            float v = std::min(1.0f, cover * 0.8f + glow * 0.4f);
            Rgba col{v, v * (0.86f + 0.14f * centre), v * (0.45f + 0.55f * centre), 1};
            c.pixels[size_t(y) * n + size_t(x)] = col;
        }
    return c;
}

void paintCarrot(Canvas& c, float tipX, float tipY, float topX, float topY, float width, float outline)
{
    float dx = topX - tipX, dy = topY - tipY;
    float len = std::sqrt(dx * dx + dy * dy);
    float ax = dx / len, ay = dy / len;  // along the carrot
    float nx = -ay, ny = ax;             // across it
    auto body = [=](float grow) {
        return [=](float x, float y) {
            float px = x - tipX, py = y - tipY;
            float t = (px * ax + py * ay) / len, s = px * nx + py * ny;
            if (t < 0)
                return px * px + py * py <= grow * grow;
            float tx = px - ax * len, ty = py - ay * len;  // round shoulder at the top
            if (tx * tx + ty * ty <= (width + grow) * (width + grow))
                return true;
            return t <= 1 && std::fabs(s) <= width * std::pow(t, 0.75f) + grow;
        };
    };
    // Leaves first, so the root overlaps their stems.
    float leafAngles[3] = {-0.55f, 0.0f, 0.55f};
    float base = std::atan2(ay, ax);
    for (float g : {outline, 0.0f})
        for (int i = 0; i < 3; ++i) {
            float a = base + leafAngles[i];
            float l = width * (i == 1 ? 1.2f : 0.95f);
            float cx = topX + std::cos(a) * (width * 0.6f + l), cy = topY + std::sin(a) * (width * 0.6f + l);
            Rgba leaf = i == 1 ? rgbaHex(0x5ccf32) : rgbaHex(0x3fae28);
            paintShape(c, ellipse(cx, cy, l, width * 0.42f, a, g), flat(g > 0 ? rgbaHex(0x1d4a12) : leaf));
        }
    paintShape(c, body(outline), flat(rgbaHex(0x6a2a08)));
    paintShape(c, body(0), [=](float x, float y) {
        float s = (x - tipX) * nx + (y - tipY) * ny;
        float t = ((x - tipX) * ax + (y - tipY) * ay) / len;
        Rgba col = mixRgba(rgbaHex(0xffa43a), rgbaHex(0xe85d0c), std::clamp(0.5f + s / (2 * width), 0.0f, 1.0f));
        // A few soft grooves across the root.
        float groove = std::fabs(std::sin(t * 26.0f));
        if (groove < 0.18f && std::fabs(s) < width * 0.55f * std::pow(std::max(t, 0.01f), 0.75f))
            col = mixRgba(col, rgbaHex(0xb84408), 0.55f);
        return col;
    });
    // Shine along the lit side.
    paintShape(c, ellipse(tipX + dx * 0.62f - nx * width * 0.45f, tipY + dy * 0.62f - ny * width * 0.45f,
                          len * 0.2f, width * 0.14f, base),
               flat(rgbaHex(0xffe0b0, 0.8f)));
}

Canvas carrotIcon()
{
    const int n = 72;
    Canvas c = makeCanvas(n, n, Rgba{0, 0, 0, 0});
    paintCarrot(c, 11, 62, 40, 33, 10.5f, 2.5f);
    return c;
}

Canvas appIcon()
{
    const int n = 48;
    Canvas c = makeCanvas(n, n, Rgba{0, 0, 0, 0});
    auto rounded = [](float x, float y) {
        float qx = std::max(std::fabs(x - 24) - 17.0f, 0.0f), qy = std::max(std::fabs(y - 24) - 17.0f, 0.0f);
        return qx * qx + qy * qy <= 36.0f;
    };
    paintShape(c, rounded, [](float, float y) {
        return y < 33 ? mixRgba(rgbaHex(0xffff9a), rgbaHex(0xffe65a), y / 33) : rgbaHex(0x5cc83a);
    });
    Rgba fur = rgbaHex(0xffffff), shade = rgbaHex(0x3a3046);
    // Rabbit head with tall ears.
    for (float s : {-1.0f, 1.0f}) {
        paintShape(c, ellipse(24 + 6.5f * s, 13, 4.2f, 10, 0.18f * s, 1.5f), flat(shade));
    }
    paintShape(c, ellipse(24, 28, 11.5f, 9.5f, 0, 1.5f), flat(shade));
    for (float s : {-1.0f, 1.0f}) {
        paintShape(c, ellipse(24 + 6.5f * s, 13, 4.2f, 10, 0.18f * s), flat(fur));
        paintShape(c, ellipse(24 + 6.5f * s, 13.5f, 2.1f, 7, 0.18f * s), flat(rgbaHex(0xff9ab8)));
    }
    paintShape(c, ellipse(24, 28, 11.5f, 9.5f, 0), flat(fur));
    for (float s : {-1.0f, 1.0f}) {
        paintShape(c, ellipse(24 + 4.6f * s, 26.5f, 1.8f, 2.3f, 0), flat(shade));
        paintShape(c, ellipse(24 + 4.1f * s, 25.8f, 0.6f, 0.6f, 0), flat(fur));
        paintShape(c, ellipse(24 + 7.5f * s, 31, 2.2f, 1.3f, 0), flat(rgbaHex(0xffb0c8)));
    }
    paintShape(c, ellipse(24, 30.5f, 1.6f, 1.1f, 0), flat(rgbaHex(0xff6f9a)));
    paintCarrot(c, 28, 44, 38, 34, 4.2f, 1.2f);
    return c;
}

bool save(const std::string& dir, const char* name, const Canvas& c)
{
    if (writePng(dir + "/" + name, c.width, c.height, canvasBytes(c)))
        return true;
    std::printf("Error: cannot write %s\n", name);
    return false;
}

}  // namespace

bool writeSprites(const std::string& dir)
{
    return save(dir, "star.png", star()) && save(dir, "carrot.png", carrotIcon()) &&
           save(dir, "icon48.png", appIcon());
}
