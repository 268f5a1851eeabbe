// The text overlay on the NULL device with the generated fonts (run from the staged game folder).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "nulldevice.h"
#include "textoverlay.h"

using namespace irr;

namespace {

const video::SColor orange(255, 255, 77, 0);

core::recti boxOf(gui::IGUIElement* element)
{
    return element->getRelativePosition();
}

core::dimension2du measure(const wchar_t* text, const char* fontFile)
{
    return engine.gui->getFont(fontFile)->getDimension(text);
}

// A text whose width in the font is odd, so that halving it has something to round away.
std::wstring oddWidthText(const char* fontFile)
{
    std::wstring text = L"I";
    for (const wchar_t* extra : {L"1", L"i", L"l", L"W", L"m", L"x", L"0", L"!", L" "}) {
        for (int n = 0; n < 12; ++n) {
            if (measure(text.c_str(), fontFile).Width % 2 == 1)
                return text;
            text += extra;
        }
    }
    return text;
}

class OverlayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(engine.gui->getFont(blinkFontFile), nullptr) << "generated fonts missing";
        ASSERT_NE(engine.gui->getFont(shoutFontFile), nullptr);
        ASSERT_NE(engine.gui->getFont(bigFontFile), nullptr);
    }
    NullDevice null{800, 600};
};

TEST_F(OverlayTest, ScreenCentreHalvesTheScreenSizeRoundingDown)
{
    EXPECT_EQ(screenCenterX(), 400);
    EXPECT_EQ(screenCenterY(), 300);
    NullDevice odd(801, 601);  // replaces the shared handles until it goes
    EXPECT_EQ(screenCenterX(), 400);
    EXPECT_EQ(screenCenterY(), 300);
}

TEST_F(OverlayTest, StaticTextPlacementByFlag)
{
    std::wstring text = oddWidthText(blinkFontFile);
    core::dimension2du size = measure(text.c_str(), blinkFontFile);
    ASSERT_EQ(size.Width % 2, 1u) << "no odd-width text found in the blink font";
    int w = static_cast<int>(size.Width), h = static_cast<int>(size.Height);
    int halfW = (w - 1) / 2, halfH = h / 2;

    struct Case {
        int32_t flag;
        core::recti expected;
    } cases[] = {
        {0, core::recti(400, 200, 400 + w, 200 + h)},
        {3, core::recti(400, 200 - halfH, 400 + w, 200 + halfH)},
        // both halves round towards zero: a 101-pixel text at 400 spans 350 to 450
        {4, core::recti(400 - halfW, 200 - halfH, 400 + halfW, 200 + halfH)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("flag " + std::to_string(c.flag));
        testing::internal::CaptureStdout();
        gui::IGUIStaticText* element = staticText(text.c_str(), 400, 200, c.flag, blinkFontFile);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        ASSERT_NE(element, nullptr);
        EXPECT_EQ(boxOf(element), c.expected);
        EXPECT_EQ(std::wstring(element->getText()), text);
        EXPECT_EQ(element->getOverrideColor(), orange);
        EXPECT_TRUE(element->isOverrideColorEnabled());
        EXPECT_EQ(element->getOverrideFont(), engine.gui->getFont(blinkFontFile));
        EXPECT_EQ(element->getParent(), engine.gui->getRootGUIElement());
    }
    EXPECT_TRUE(overlayTexts.empty()) << "unmanaged texts must stay out of the list";
}

TEST_F(OverlayTest, StaticTextWithAnInvalidFlagStillMakesAnEmptyText)
{
    for (int32_t flag : {1, 2, 5, -1}) {
        SCOPED_TRACE(flag);
        testing::internal::CaptureStdout();
        gui::IGUIStaticText* element = staticText(L"12", 120, 65, flag, blinkFontFile);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "Error: staticText: invalid flag (" + std::to_string(flag) + ")\n");
        ASSERT_NE(element, nullptr);
        // asked for (0, 0)-(0, 0); Irrlicht 1.8 keeps every element at least one pixel big
        EXPECT_EQ(boxOf(element), core::recti(0, 0, 1, 1));
        EXPECT_EQ(element->getOverrideColor(), orange);
    }
}

TEST_F(OverlayTest, CounterWithFlagThreeKeepsItsLeftEdge)
{
    for (const wchar_t* count : {L"7", L"12345"}) {
        gui::IGUIStaticText* element = staticText(count, 120, 65, 3, blinkFontFile);
        ASSERT_NE(element, nullptr);
        EXPECT_EQ(boxOf(element).UpperLeftCorner.X, 120);
        int h = static_cast<int>(measure(count, blinkFontFile).Height);
        EXPECT_EQ(boxOf(element).UpperLeftCorner.Y, 65 - h / 2);
    }
}

TEST_F(OverlayTest, ManagedTextsAreCentredAndStartAsSpecified)
{
    shoutText(L"GO!", 300);
    TextHandle prompt = blinkText(L"< press to play >", 300, 0);
    TextHandle plain = centeredText(L"plain", 100, bigFontFile);
    ASSERT_EQ(overlayTexts.size(), 3u);
    ASSERT_NE(prompt, noText);
    ASSERT_NE(plain, noText);
    EXPECT_NE(prompt, plain);

    struct Expect {
        const wchar_t* text;
        const char* font;
        int32_t y;
        bool blink;
        double lifetime;
    } expected[] = {{L"GO!", shoutFontFile, 300, false, 2.0},
                    {L"< press to play >", blinkFontFile, 300, true, 0},
                    {L"plain", bigFontFile, 100, false, 0}};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const OverlayText& entry = overlayTexts[i];
        core::dimension2du size = measure(expected[i].text, expected[i].font);
        int w = static_cast<int>(size.Width), h = static_cast<int>(size.Height);
        EXPECT_EQ(boxOf(entry.element),
                  core::recti(400 - w / 2, expected[i].y - h / 2, 400 + w / 2, expected[i].y + h / 2));
        EXPECT_EQ(entry.element->getOverrideFont(), engine.gui->getFont(expected[i].font));
        EXPECT_EQ(entry.element->getOverrideColor(), orange);
        EXPECT_EQ(entry.blink, expected[i].blink);
        EXPECT_EQ(entry.lifetime, expected[i].lifetime);
        EXPECT_EQ(entry.age, 0);
        EXPECT_EQ(entry.lastToggle, 0);
        EXPECT_TRUE(entry.element->isVisible());
    }
    EXPECT_EQ(overlayTexts[1].handle, prompt);
    EXPECT_EQ(overlayTexts[2].handle, plain);
}

TEST_F(OverlayTest, ShoutedTextLastsTwoSecondsInclusive)
{
    shoutText(L"GO!", 300);
    gui::IGUIElement* go = overlayTexts.at(0).element;
    for (int step = 0; step < 4; ++step)
        updateTexts(0.5);  // exactly 2.0
    ASSERT_EQ(overlayTexts.size(), 1u);
    EXPECT_EQ(overlayTexts[0].age, 2.0);
    EXPECT_EQ(null.rootTexts(), std::vector<gui::IGUIElement*>{go});

    updateTexts(1.0 / 1024);
    EXPECT_TRUE(overlayTexts.empty());
    EXPECT_TRUE(null.rootTexts().empty()) << "an expired text must leave the GUI";
}

TEST_F(OverlayTest, BlinkPhasesCountFromTheStepThatFlipped)
{
    blinkText(L"< press to play >", 300, 0);
    gui::IGUIElement* prompt = overlayTexts.at(0).element;
    // steps of a quarter second: a flip needs strictly more than 0.5 s since the last one
    struct Step {
        double age;
        bool visible;
        double lastToggle;
    } steps[] = {{0.25, true, 0},   {0.5, true, 0},    {0.75, false, 0.75}, {1.0, false, 0.75},
                 {1.25, false, 0.75}, {1.5, true, 1.5}, {1.75, true, 1.5},   {2.0, true, 1.5},
                 {2.25, false, 2.25}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.age);
        updateTexts(0.25);
        ASSERT_EQ(overlayTexts.size(), 1u) << "a lifetime of 0 never expires";
        EXPECT_EQ(overlayTexts[0].age, s.age);
        EXPECT_EQ(prompt->isVisible(), s.visible);
        EXPECT_EQ(overlayTexts[0].lastToggle, s.lastToggle);
    }
    // a long step flips once, it does not catch up on missed phases
    updateTexts(3.0);
    EXPECT_TRUE(prompt->isVisible());
    EXPECT_EQ(overlayTexts[0].lastToggle, 5.25);
}

TEST_F(OverlayTest, EntriesAfterAnExpiringOneAreStillAgedInTheSameCall)
{
    shoutText(L"GO!", 300);
    blinkText(L"< administering speed >", 300, 1.0);
    blinkText(L"< press to play >", 300, 0);
    shoutText(L"later", 200);
    overlayTexts[3].lifetime = 10;

    updateTexts(2.5);  // the first two expire back to back; nothing after them is skipped
    ASSERT_EQ(overlayTexts.size(), 2u);
    EXPECT_EQ(overlayTexts[0].age, 2.5);
    EXPECT_FALSE(overlayTexts[0].element->isVisible()) << "the prompt blinked in the same call";
    EXPECT_EQ(overlayTexts[0].lastToggle, 2.5);
    EXPECT_EQ(overlayTexts[1].age, 2.5);
    EXPECT_EQ(null.rootTexts().size(), 2u);
}

TEST_F(OverlayTest, RemoveTimedTextsKeepsPermanentTexts)
{
    shoutText(L"GO!", 300);
    TextHandle prompt = blinkText(L"New High Score!!!", 400, 0);
    blinkText(L"< administering speed >", 300, 3.5);
    TextHandle plain = centeredText(L"kept", 100, blinkFontFile);
    updateTexts(1.0);

    removeTimedTexts();
    ASSERT_EQ(overlayTexts.size(), 2u);
    EXPECT_EQ(overlayTexts[0].handle, prompt);
    EXPECT_EQ(overlayTexts[1].handle, plain);
    EXPECT_EQ(null.rootTexts(),
              (std::vector<gui::IGUIElement*>{overlayTexts[0].element, overlayTexts[1].element}));
}

TEST_F(OverlayTest, HandlesStayValidWhileOtherEntriesComeAndGo)
{
    shoutText(L"GO!", 300);
    TextHandle prompt = blinkText(L"< press to play >", 300, 0);
    updateTexts(2.5);  // GO! expires, the prompt moves up one place
    ASSERT_EQ(overlayTexts.size(), 1u);
    shoutText(L"again", 300);

    testing::internal::CaptureStdout();
    removeText(prompt);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_EQ(overlayTexts.size(), 1u);
    EXPECT_EQ(std::wstring(overlayTexts[0].element->getText()), L"again");
    EXPECT_EQ(null.rootTexts().size(), 1u);
}

TEST_F(OverlayTest, RemoveTextWithAStaleOrNoHandleOnlyWarns)
{
    TextHandle gone = blinkText(L"< press to play >", 300, 0);
    removeText(gone);
    TextHandle kept = blinkText(L"< press to play >", 300, 0);
    ASSERT_NE(kept, gone) << "a new text must not take over a removed text's handle";

    for (TextHandle handle : {gone, noText}) {
        SCOPED_TRACE(handle);
        testing::internal::CaptureStdout();
        removeText(handle);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Warning: removeText: text not found.\n");
        ASSERT_EQ(overlayTexts.size(), 1u);
        EXPECT_EQ(overlayTexts[0].handle, kept);
        EXPECT_EQ(null.rootTexts().size(), 1u);
    }
}

TEST_F(OverlayTest, MissingFontGivesItsMessageAndNoElement)
{
    const char* missing = "media/nosuchfont.xml";
    testing::internal::CaptureStdout();
    gui::IGUIStaticText* element = staticText(L"12", 120, 65, 3, missing);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error, could not load font: media/nosuchfont.xml\n");
    EXPECT_EQ(element, nullptr);

    testing::internal::CaptureStdout();
    TextHandle handle = centeredText(L"GO!", 300, missing);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: font not found.\n");
    EXPECT_EQ(handle, noText);

    EXPECT_TRUE(null.rootTexts().empty());
    EXPECT_TRUE(overlayTexts.empty());
}

TEST_F(OverlayTest, MissingBlinkAndShoutFontsCreateNothing)
{
    // a working directory without the media: the named fonts cannot be found
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    char dir[] = "/tmp/zarvik-nofonts-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    ASSERT_EQ(chdir(dir), 0);
    NullDevice bare;

    testing::internal::CaptureStdout();
    TextHandle blink = blinkText(L"< press to play >", 300, 0);
    shoutText(L"GO!", 300);
    std::string log = testing::internal::GetCapturedStdout();

    EXPECT_EQ(chdir(previous), 0);
    rmdir(dir);
    EXPECT_EQ(log, "Error: font not found.\nError: font not found.\n");
    EXPECT_EQ(blink, noText);
    EXPECT_TRUE(overlayTexts.empty());
    EXPECT_TRUE(bare.rootTexts().empty());
}

}  // namespace
