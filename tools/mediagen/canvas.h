#pragma once
#include <cstdint>
#include <functional>
#include <vector>

struct Rgba {
    float r = 0, g = 0, b = 0, a = 1;
};

Rgba mixRgba(const Rgba& a, const Rgba& b, float t);
Rgba rgbaHex(uint32_t rgb, float alpha = 1.0f);

// A small straight-alpha RGBA picture that shapes are painted onto, supersampled for smooth edges.
struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<Rgba> pixels;
};

Canvas makeCanvas(int width, int height, const Rgba& fill);
void blendPixel(Canvas& c, int x, int y, const Rgba& colour, float coverage);
// Paints where inside(x, y) holds (pixel units, y down), sampled n x n times per pixel.
void paintShape(Canvas& c, const std::function<bool(float, float)>& inside,
                const std::function<Rgba(float, float)>& colour, int n = 4);
// The same, looking only at pixels within [x0, x1) x [y0, y1).
void paintShapeIn(Canvas& c, int x0, int y0, int x1, int y1, const std::function<bool(float, float)>& inside,
                  const std::function<Rgba(float, float)>& colour, int n = 4);
std::vector<uint8_t> canvasBytes(const Canvas& c);

// Deterministic noise in [0, 1); the periodic form tiles every `period` lattice cells.
float hashUnit(int x, int y, int seed);
float valueNoise(float x, float y, int period, int seed);
float fractalNoise(float x, float y, int period, int octaves, int seed);
