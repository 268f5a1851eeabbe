// Bitmap fonts from the DejaVu Sans Bold outlines: white glyphs (the game tints them) inside a
// dark outline with a soft drop shadow, so they read over both the sky and the grass.
#include "generators.h"
#include "pngfile.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_STROKER_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const char* const fontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

struct FontStyle {
    const char* name;
    int pixelSize;  // 0: the largest size at which `fitText` stays within `fitWidth`
    int outline;    // pixels of dark rim around each glyph
    int shadow;     // pixels the shadow drops right and down
    const char* fitText;
    int fitWidth;
};

struct Coverage {
    int left = 0, top = 0, width = 0, rows = 0;  // left/top relative to the pen on the baseline
    std::vector<uint8_t> data;
    int at(int x, int y) const  // pen-relative x, y upwards from the baseline
    {
        int cx = x - left, cy = top - y;
        if (cx < 0 || cy < 0 || cx >= width || cy >= rows)
            return 0;
        return data[size_t(cy) * size_t(width) + size_t(cx)];
    }
};

struct Glyph {
    char code;
    int advance;
    Coverage fill, rim;
};

bool render(FT_Glyph glyph, Coverage& out)
{
    FT_Glyph copy = glyph;
    if (FT_Glyph_To_Bitmap(&copy, FT_RENDER_MODE_NORMAL, nullptr, 0) != 0)
        return false;
    FT_BitmapGlyph bg = reinterpret_cast<FT_BitmapGlyph>(copy);
    out.left = bg->left;
    out.top = bg->top;
    out.width = int(bg->bitmap.width);
    out.rows = int(bg->bitmap.rows);
    out.data.resize(size_t(out.width) * size_t(out.rows));
    for (int y = 0; y < out.rows; ++y)
        for (int x = 0; x < out.width; ++x)
            out.data[size_t(y) * size_t(out.width) + size_t(x)] =
                bg->bitmap.buffer[y * bg->bitmap.pitch + x];
    FT_Done_Glyph(copy);
    return true;
}

bool loadGlyphs(FT_Face face, const FontStyle& style, int size, std::vector<Glyph>& glyphs)
{
    if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0)
        return false;
    FT_Stroker stroker;
    if (FT_Stroker_New(face->glyph->library, &stroker) != 0)
        return false;
    FT_Stroker_Set(stroker, FT_Fixed(style.outline * 64), FT_STROKER_LINECAP_ROUND,
                   FT_STROKER_LINEJOIN_ROUND, 0);
    glyphs.clear();
    bool ok = true;
    for (int ch = 32; ch < 127 && ok; ++ch) {
        Glyph g;
        g.code = char(ch);
        FT_Glyph glyph = nullptr;
        ok = FT_Load_Char(face, FT_ULong(ch), FT_LOAD_DEFAULT) == 0 &&
             FT_Get_Glyph(face->glyph, &glyph) == 0;
        if (!ok)
            break;
        // A little extra spacing keeps one glyph's rim off its neighbour's face.
        g.advance = int((face->glyph->advance.x + 32) >> 6) + style.outline;
        if (ch != ' ') {
            FT_Glyph stroked = glyph;
            ok = render(glyph, g.fill) && FT_Glyph_Copy(glyph, &stroked) == 0 &&
                 FT_Glyph_StrokeBorder(&stroked, stroker, 0, 1) == 0 && render(stroked, g.rim);
            if (stroked != glyph)
                FT_Done_Glyph(stroked);
        }
        FT_Done_Glyph(glyph);
        glyphs.push_back(g);
    }
    FT_Stroker_Done(stroker);
    return ok;
}

std::string escaped(char c)
{
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    case '\'': return "&apos;";
    default: return std::string(1, c);
    }
}

bool writeFont(FT_Face face, const FontStyle& style, const std::string& dir)
{
    std::vector<Glyph> glyphs;
    int size = style.pixelSize;
    if (size == 0) {
        // Advances alone decide the fit, so the search needs no rendering.
        for (size = 96; size > 8; --size) {
            if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0)
                break;
            int width = 0;
            for (const char* p = style.fitText; *p; ++p)
                if (FT_Load_Char(face, FT_ULong(*p), FT_LOAD_DEFAULT) == 0)
                    width += int((face->glyph->advance.x + 32) >> 6) + style.outline;
            if (width <= style.fitWidth)
                break;
        }
    }
    if (!loadGlyphs(face, style, size, glyphs)) {
        std::printf("Error: cannot render the glyphs of %s\n", style.name);
        return false;
    }
    int ascent = int(std::ceil(face->size->metrics.ascender / 64.0));
    int descent = int(std::ceil(-face->size->metrics.descender / 64.0));
    int baseline = style.outline + ascent;
    int lineHeight = baseline + descent + style.outline + style.shadow;

    // Each cell spans the pen range [x0, x1) that holds the ink, rim and shadow.
    struct Cell {
        int x0, x1, px, py;
    };
    std::vector<Cell> cells;
    for (const Glyph& g : glyphs) {
        int x0 = 0, x1 = g.advance;
        if (g.code != ' ') {
            x0 = std::min(0, g.rim.left);
            x1 = std::max(x1, g.rim.left + g.rim.width + style.shadow);
        }
        cells.push_back({x0, x1, 0, 0});
    }
    // Pack rows of cells; keep the power-of-two page with the smallest area that is no more
    // than twice as tall as wide (very long textures trouble some drivers).
    auto pack = [&](int width, bool place) {
        int x = 0, y = 0;
        for (Cell& c : cells) {
            if (x + (c.x1 - c.x0) > width) {
                x = 0;
                y += lineHeight + 2;
            }
            if (place) {
                c.px = x;
                c.py = y;
            }
            x += c.x1 - c.x0 + 2;
        }
        int height = 1;
        while (height < y + lineHeight)
            height *= 2;
        return height;
    };
    int pageW = 0, pageH = 0;
    for (int w = 256; w <= 4096; w *= 2) {
        int h = pack(w, false);
        if (h <= 2 * w && (pageW == 0 || w * h < pageW * pageH)) {
            pageW = w;
            pageH = h;
        }
    }
    pack(pageW, true);
    std::vector<uint8_t> page(size_t(pageW) * size_t(pageH) * 4, 0);
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const Glyph& g = glyphs[i];
        const Cell& c = cells[i];
        for (int y = 0; y < lineHeight; ++y)
            for (int x = 0; x < c.x1 - c.x0; ++x) {
                int penX = c.x0 + x, up = baseline - y;
                float fill = g.fill.at(penX, up) / 255.0f;
                float rim = std::max(fill, g.rim.at(penX, up) / 255.0f);
                float shadow = 0.5f * g.rim.at(penX - style.shadow, up + style.shadow) / 255.0f;
                // Shadow under rim under fill; rim and shadow are black, the fill white.
                float a = shadow;
                float white = 0;
                a = rim + a * (1 - rim);
                white = fill;  // premultiplied white amount
                uint8_t* px = &page[(size_t(c.py + y) * size_t(pageW) + size_t(c.px + x)) * 4];
                uint8_t grey = a > 0 ? uint8_t(std::lround(std::min(1.0f, white / a) * 255)) : 255;
                px[0] = px[1] = px[2] = grey;
                px[3] = uint8_t(std::lround(a * 255));
            }
    }
    std::string pageName = std::string(style.name) + ".png";
    if (!writePng(dir + "/" + pageName, pageW, pageH, page)) {
        std::printf("Error: cannot write %s\n", pageName.c_str());
        return false;
    }
    std::string xmlPath = dir + "/" + style.name + ".xml";
    FILE* f = std::fopen(xmlPath.c_str(), "wb");
    if (!f) {
        std::printf("Error: cannot write %s\n", xmlPath.c_str());
        return false;
    }
    std::fprintf(f, "<?xml version=\"1.0\"?>\n<font type=\"bitmap\">\n");
    std::fprintf(f, "  <Texture index=\"0\" filename=\"%s\" hasAlpha=\"true\" />\n", pageName.c_str());
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const Cell& c = cells[i];
        std::fprintf(f, "  <c c=\"%s\" i=\"0\" r=\"%d, %d, %d, %d\" u=\"%d\" o=\"%d\" />\n",
                     escaped(glyphs[i].code).c_str(), c.px, c.py, c.px + c.x1 - c.x0, c.py + lineHeight,
                     c.x0, glyphs[i].advance - c.x1);
    }
    std::fprintf(f, "</font>\n");
    return std::fclose(f) == 0;
}

}  // namespace

bool writeFonts(const std::string& dir)
{
    FT_Library lib;
    if (FT_Init_FreeType(&lib) != 0) {
        std::printf("Error: FreeType did not start\n");
        return false;
    }
    FT_Face face;
    if (FT_New_Face(lib, fontPath, 0, &face) != 0) {
        std::printf("Error: cannot open %s (package fonts-dejavu-core)\n", fontPath);
        FT_Done_FreeType(lib);
        return false;
    }
    const FontStyle styles[] = {
        {"blinkfont", 36, 3, 2, nullptr, 0},
        {"bigfont", 0, 4, 3, "CONGRATULATIONS", 620},
        {"shoutfont", 104, 6, 5, nullptr, 0},
    };
    bool ok = true;
    for (const FontStyle& s : styles)
        ok = ok && writeFont(face, s, dir);
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    return ok;
}
