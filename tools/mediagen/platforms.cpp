// Floating grass islands: a bevelled grass top over earthy sides that taper towards the bottom.
#include "canvas.h"
#include "generators.h"
#include "meshbuild.h"
#include "pngfile.h"

#include <cmath>
#include <cstdio>

namespace {

const float topY = 4.0f;       // carrots stand at y = 6 with their tips on this top
const float bottomY = -6.0f;
const float halfWidth = 9.0f;  // decorations and carrots sit up to 6 to either side
const float tileUnits = 8.0f;  // world units per texture repeat

// One horizontal outline of the island: half sizes at a height.
struct Ring {
    float y, hx, hz;
};

void addBand(MeshPart& part, const Ring& top, const Ring& bottom, float vTop, float vBottom)
{
    // Four sides, each a quad clockwise seen from outside; u runs along the outline.
    Vec3 t[4] = {{-top.hx, top.y, -top.hz}, {top.hx, top.y, -top.hz}, {top.hx, top.y, top.hz}, {-top.hx, top.y, top.hz}};
    Vec3 b[4] = {{-bottom.hx, bottom.y, -bottom.hz}, {bottom.hx, bottom.y, -bottom.hz},
                 {bottom.hx, bottom.y, bottom.hz}, {-bottom.hx, bottom.y, bottom.hz}};
    float u = 0;
    for (int i = 0; i < 4; ++i) {
        int j = (i + 1) % 4;
        float len = std::sqrt(dot(t[j] - t[i], t[j] - t[i]));
        float u1 = u + len / tileUnits;
        float uv[8] = {u, vTop, u1, vTop, u1, vBottom, u, vBottom};
        // Seen from outside, going from corner i to j along the top edge then down is clockwise.
        addQuad(part, t[i], t[j], b[j], b[i], uv);
        u = u1;
    }
}

void addCap(MeshPart& part, const Ring& r, bool up, float v0, float v1)
{
    Vec3 a{-r.hx, r.y, -r.hz}, b{-r.hx, r.y, r.hz}, c{r.hx, r.y, r.hz}, d{r.hx, r.y, -r.hz};
    float su = 2 * r.hx / tileUnits, sv = 2 * r.hz / tileUnits;
    if (up) {
        float uv[8] = {0, v0 + sv, 0, v0, su, v0, su, v0 + sv};
        addQuad(part, a, b, c, d, uv);
    } else {
        float uv[8] = {su, v0, su, v1, 0, v1, 0, v0};
        addQuad(part, d, c, b, a, uv);
    }
}

std::vector<MeshPart> buildPlatform(float length)
{
    float hz = length / 2;
    Ring top{topY, halfWidth - 0.5f, hz - 0.5f};
    Ring lip{topY - 0.5f, halfWidth, hz};
    Ring waist{topY - 2.0f, halfWidth - 0.1f, hz - 0.1f};
    Ring bottom{bottomY, halfWidth - 2.2f, hz - 2.2f};
    MeshPart grass{"grass", {}, {}};
    addCap(grass, top, true, 0, 0);
    addBand(grass, top, lip, 0.0f, 0.06f);
    MeshPart side{"earth", {}, {}};
    // The side texture starts with the grass fringe, then the earth layers below it.
    addBand(side, lip, waist, 0.0f, 0.16f);
    addBand(side, waist, bottom, 0.16f, 1.0f);
    addCap(side, bottom, false, 0.93f, 0.99f);
    return {grass, side};
}

Canvas grassTexture()
{
    const int n = 256;
    Canvas c = makeCanvas(n, n, Rgba{});
    Rgba light = rgbaHex(0x8ee04a), dark = rgbaHex(0x4fae2c);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            float fx = float(x) / n, fy = float(y) / n;
            float big = fractalNoise(fx * 4, fy * 4, 4, 3, 11);
            float blades = valueNoise(fx * 64, fy * 64, 64, 23);
            float t = std::fmin(1.0f, std::fmax(0.0f, 0.25f + 0.9f * (big - 0.5f) + 0.35f * blades));
            c.pixels[size_t(y) * n + size_t(x)] = mixRgba(light, dark, t);
        }
    // Little daisies and buttercups scattered on a grid so the picture still tiles.
    for (int k = 0; k < 14; ++k) {
        float cx = 8 + hashUnit(k, 1, 5) * 240, cy = 8 + hashUnit(k, 2, 5) * 240;
        bool daisy = hashUnit(k, 3, 5) < 0.6f;
        Rgba petal = daisy ? rgbaHex(0xffffff) : rgbaHex(0xffe23a);
        Rgba heart = daisy ? rgbaHex(0xffc21a) : rgbaHex(0xff9a1a);
        for (int p = 0; p < 5; ++p) {
            float a = float(p) * 1.2566f + hashUnit(k, 4, 5);
            float px = cx + std::cos(a) * 3.2f, py = cy + std::sin(a) * 3.2f;
            paintShapeIn(c, int(px) - 4, int(py) - 4, int(px) + 5, int(py) + 5,
                         [=](float x, float y) { return (x - px) * (x - px) + (y - py) * (y - py) < 5.0f; },
                         [=](float, float) { return petal; });
        }
        paintShapeIn(c, int(cx) - 3, int(cy) - 3, int(cx) + 4, int(cy) + 4,
                     [=](float x, float y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) < 4.0f; },
                     [=](float, float) { return heart; });
    }
    return c;
}

Canvas earthTexture()
{
    const int n = 256;
    Canvas c = makeCanvas(n, n, Rgba{});
    Rgba grassA = rgbaHex(0x7fd443), grassB = rgbaHex(0x3f9a26);
    Rgba soil[3] = {rgbaHex(0xb9793f), rgbaHex(0x9a5f30), rgbaHex(0x7a4626)};
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            float fx = float(x) / n, fy = float(y) / n;
            // Grass hangs over the edge in a wavy fringe.
            float fringe = 0.10f + 0.05f * std::sin(fx * 6.2831853f * 8) * 0.5f +
                           0.04f * valueNoise(fx * 32, 0, 32, 7);
            Rgba col;
            if (fy < fringe) {
                col = mixRgba(grassA, grassB, fy / fringe * 0.7f + 0.3f * valueNoise(fx * 64, fy * 8, 64, 9));
            } else {
                float wave = 0.03f * std::sin(fx * 6.2831853f * 2 + 1.3f) +
                             0.02f * (fractalNoise(fx * 8, fy * 2, 8, 2, 31) - 0.5f);
                float layer = (fy + wave - fringe) / (1 - fringe) * 3;
                int li = std::min(2, std::max(0, int(layer)));
                col = soil[li];
                float grain = fractalNoise(fx * 16, fy * 16, 16, 3, 41);
                col = mixRgba(col, rgbaHex(0x5a321a), std::fmax(0.0f, grain - 0.55f) * 1.2f);
                // A dark shadow line under the fringe and at each layer boundary.
                float edge = std::fabs(layer - std::round(layer));
                if (edge < 0.05f && layer > 0.5f && layer < 2.5f)
                    col = mixRgba(col, rgbaHex(0x4a2a14), 0.45f);
                if (fy - fringe < 0.015f)
                    col = mixRgba(col, rgbaHex(0x3a5a18), 0.6f);
            }
            c.pixels[size_t(y) * n + size_t(x)] = col;
        }
    // Pebbles.
    for (int k = 0; k < 22; ++k) {
        float cx = hashUnit(k, 1, 77) * 256, cy = 48 + hashUnit(k, 2, 77) * 200;
        float rx = 3 + hashUnit(k, 3, 77) * 4, ry = rx * (0.6f + 0.3f * hashUnit(k, 4, 77));
        Rgba stone = mixRgba(rgbaHex(0xd8c8a8), rgbaHex(0x9c8c78), hashUnit(k, 5, 77));
        auto inside = [=](float x, float y) {
            float dx = std::fmod(x - cx + 384.0f, 256.0f) - 128.0f;
            return (dx * dx) / (rx * rx) + (y - cy) * (y - cy) / (ry * ry) < 1.0f;
        };
        paintShapeIn(c, 0, int(cy - ry) - 1, 256, int(cy + ry) + 2, inside, [=](float x, float y) {
            float dx = std::fmod(x - cx + 384.0f, 256.0f) - 128.0f;
            return mixRgba(stone, rgbaHex(0xffffff), std::fmax(0.0f, -(dx / rx + (y - cy) / ry)) * 0.25f);
        });
    }
    return c;
}

}  // namespace

bool writePlatforms(const std::string& dir)
{
    const float lengths[3] = {32.0f, 46.0f, 60.0f};
    for (int i = 0; i < 3; ++i) {
        std::string path = dir + "/plat" + std::to_string(i) + ".obj";
        if (!writeObj(path, "platform.mtl", buildPlatform(lengths[i]))) {
            std::printf("Error: cannot write %s\n", path.c_str());
            return false;
        }
    }
    Canvas grass = grassTexture(), earth = earthTexture();
    if (!writePng(dir + "/platgrass.png", grass.width, grass.height, canvasBytes(grass)) ||
        !writePng(dir + "/platearth.png", earth.width, earth.height, canvasBytes(earth))) {
        std::printf("Error: cannot write the platform textures\n");
        return false;
    }
    FILE* f = std::fopen((dir + "/platform.mtl").c_str(), "wb");
    if (!f)
        return false;
    std::fprintf(f,
                 "newmtl grass\nKa 1 1 1\nKd 1 1 1\nKe 0.3 0.3 0.3\nKs 0 0 0\nmap_Kd platgrass.png\n\n"
                 "newmtl earth\nKa 1 1 1\nKd 1 1 1\nKe 0.3 0.3 0.3\nKs 0 0 0\nmap_Kd platearth.png\n");
    return std::fclose(f) == 0;
}
