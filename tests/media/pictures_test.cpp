// Sprites, icons and the bitmap fonts, loaded the way the game and the launcher load them.
#include "nulldevice.h"

#include <gtest/gtest.h>

#include <string>

using namespace irr;

namespace {

struct Picture {
    video::IImage* image = nullptr;
    explicit Picture(video::IVideoDriver* driver, const char* file) : image(driver->createImageFromFile(file)) {}
    ~Picture()
    {
        if (image)
            image->drop();
    }
    video::SColor at(u32 x, u32 y) const { return image->getPixel(x, y); }
    u32 width() const { return image->getDimension().Width; }
    u32 height() const { return image->getDimension().Height; }
};

TEST(Sprites, starIsBrightOnBlackForAdditiveBlending)
{
    NullDevice engine;
    Picture star(engine.video(), "media/star.png");
    ASSERT_NE(star.image, nullptr);
    EXPECT_EQ(star.width(), star.height());
    EXPECT_GE(star.width(), 32u);
    u32 n = star.width() - 1;
    for (auto [x, y] : {std::pair<u32, u32>{0, 0}, {n, 0}, {0, n}, {n, n}, {n / 2, 0}, {0, n / 2}}) {
        video::SColor c = star.at(x, y);
        EXPECT_LT(c.getRed() + c.getGreen() + c.getBlue(), 12u) << x << "," << y;
    }
    video::SColor centre = star.at(n / 2, n / 2);
    EXPECT_GT(centre.getRed(), 220u);
    EXPECT_GT(centre.getGreen(), 200u);
}

struct IconCase {
    const char* file;
    u32 minSize, maxSize;
};

class AlphaIcon : public ::testing::TestWithParam<IconCase> {};

TEST_P(AlphaIcon, isSquareWithTransparentCornersAndASolidMiddle)
{
    NullDevice engine;
    Picture icon(engine.video(), GetParam().file);
    ASSERT_NE(icon.image, nullptr);
    EXPECT_EQ(icon.image->getColorFormat(), video::ECF_A8R8G8B8);
    EXPECT_EQ(icon.width(), icon.height());
    EXPECT_GE(icon.width(), GetParam().minSize);
    EXPECT_LE(icon.width(), GetParam().maxSize);
    u32 n = icon.width() - 1;
    EXPECT_EQ(icon.at(0, 0).getAlpha(), 0u);
    EXPECT_EQ(icon.at(n, 0).getAlpha(), 0u);
    EXPECT_EQ(icon.at(n, n).getAlpha(), 0u);
    u32 solid = 0;
    for (u32 y = 0; y <= n; ++y)
        for (u32 x = 0; x <= n; ++x)
            solid += icon.at(x, y).getAlpha() == 255;
    EXPECT_GT(solid, (n + 1) * (n + 1) / 5) << "enough of it is drawn to be seen";
}

INSTANTIATE_TEST_SUITE_P(Media, AlphaIcon,
                         ::testing::Values(IconCase{"media/carrot.png", 64, 80},
                                           IconCase{"media/icon48.png", 48, 48}),
                         [](const ::testing::TestParamInfo<IconCase>& i) {
                             return std::string(i.param.file).find("icon") != std::string::npos ? "launcher"
                                                                                                  : "carrot";
                         });

TEST(Sprites, carrotIconIsOrange)
{
    NullDevice engine;
    Picture icon(engine.video(), "media/carrot.png");
    ASSERT_NE(icon.image, nullptr);
    u32 orange = 0;
    for (u32 y = 0; y < icon.height(); ++y)
        for (u32 x = 0; x < icon.width(); ++x) {
            video::SColor c = icon.at(x, y);
            orange += c.getAlpha() == 255 && c.getRed() > 200 && c.getGreen() > 60 && c.getGreen() < 190 &&
                      c.getBlue() < 80;
        }
    EXPECT_GT(orange, icon.width() * icon.height() / 10);
}

class BitmapFont : public ::testing::TestWithParam<const char*> {};

TEST_P(BitmapFont, hasEveryPrintableCharacter)
{
    NullDevice engine;
    gui::IGUIFont* font = engine.gui()->getFont(GetParam());
    ASSERT_NE(font, nullptr) << GetParam();
    ASSERT_EQ(font->getType(), gui::EGFT_BITMAP);
    auto* bitmap = static_cast<gui::IGUIFontBitmap*>(font);
    const wchar_t space = L' ';
    u32 spaceSprite = bitmap->getSpriteNoFromChar(&space);
    for (wchar_t c = L'!'; c <= L'~'; ++c) {
        EXPECT_NE(bitmap->getSpriteNoFromChar(&c), spaceSprite) << char(c);
        wchar_t text[2] = {c, 0};
        EXPECT_GT(font->getDimension(text).Width, 0u) << char(c);
    }
}

INSTANTIATE_TEST_SUITE_P(Media, BitmapFont,
                         ::testing::Values("media/blinkfont.xml", "media/shoutfont.xml", "media/bigfont.xml"));

TEST(BitmapFonts, sizesFitTheScreensTheyAreUsedOn)
{
    NullDevice engine;
    gui::IGUIFont* blink = engine.gui()->getFont("media/blinkfont.xml");
    gui::IGUIFont* shout = engine.gui()->getFont("media/shoutfont.xml");
    gui::IGUIFont* big = engine.gui()->getFont("media/bigfont.xml");
    ASSERT_TRUE(blink && shout && big);
    core::dimension2du headline = big->getDimension(L"CONGRATULATIONS");
    EXPECT_LE(headline.Width, 640u);
    EXPECT_GE(headline.Width, 480u) << "a headline, not small print";
    // End-screen lines are 100 pixels apart; their boxes must not overlap.
    core::dimension2du line = blink->getDimension(L"Carrots");
    EXPECT_LE(line.Height, 100u);
    EXPECT_LE(headline.Height / 2 + line.Height / 2, 100u);
    EXPECT_LE(blink->getDimension(L"< administering speed >").Width, 760u);
    EXPECT_LE(blink->getDimension(L"Last High Score: 2147483647").Width, 760u);
    // "GO!" is the loudest thing on screen.
    core::dimension2du go = shout->getDimension(L"GO!");
    EXPECT_GT(go.Height, headline.Height);
    EXPECT_GT(go.Height, line.Height);
    EXPECT_LT(go.Width, 640u);
}

TEST(BitmapFonts, glyphsAreWhiteInsideADarkRim)
{
    NullDevice engine;
    for (const char* page : {"media/blinkfont.png", "media/shoutfont.png", "media/bigfont.png"}) {
        Picture p(engine.video(), page);
        ASSERT_NE(p.image, nullptr) << page;
        u32 white = 0, dark = 0;
        for (u32 y = 0; y < p.height(); ++y)
            for (u32 x = 0; x < p.width(); ++x) {
                video::SColor c = p.at(x, y);
                if (c.getAlpha() < 250)
                    continue;
                white += c.getRed() > 250 && c.getGreen() > 250 && c.getBlue() > 250;
                dark += c.getRed() < 10 && c.getGreen() < 10 && c.getBlue() < 10;
            }
        EXPECT_GT(white, 1000u) << page << ": the game tints white glyphs";
        EXPECT_GT(dark, 1000u) << page << ": the rim keeps text readable on any background";
    }
}

}  // namespace
