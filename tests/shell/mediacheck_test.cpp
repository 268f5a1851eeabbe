#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "engine.h"
#include "logcapture.h"
#include "mediacheck.h"

using namespace irr;

namespace {

std::string readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Damaged copies of the generated media in a temporary folder, each under its own name: the
// checks remember their answer per file name.
class MediaCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        device = createDevice(video::EDT_NULL);
        engine.device = device;
        char pattern[] = "/tmp/zarvik-mediacheck-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }

    void TearDown() override
    {
        std::system(("rm -rf '" + folder + "'").c_str());
        engine.device = nullptr;
        device->drop();
    }

    std::string write(const std::string& name, const std::string& bytes)
    {
        std::string path = folder + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    static std::string media(const char* name)
    {
        return readWhole(std::string(ZARVIK_GAME_DIR) + "/media/" + name);
    }

    IrrlichtDevice* device = nullptr;
    std::string folder;
};

}  // namespace

TEST_F(MediaCheck, MeshCutShortIsSkippedWithOneWarning)
{
    std::string rabbit = media("rabbit.b3d");
    ASSERT_GT(rabbit.size(), 100u);
    LogCapture log;
    EXPECT_TRUE(meshFileIntact(write("whole.b3d", rabbit).c_str()));
    std::string cut = write("cut.b3d", rabbit.substr(0, rabbit.size() / 2));
    EXPECT_FALSE(meshFileIntact(cut.c_str()));
    EXPECT_FALSE(meshFileIntact(cut.c_str()));
    EXPECT_FALSE(meshFileIntact(write("tiny.b3d", "BB3D").c_str()));
    EXPECT_FALSE(meshFileIntact(write("noise.b3d", std::string(600, '\x5a')).c_str()));
    // longer than its chunk is harmless to the loader
    EXPECT_TRUE(meshFileIntact(write("tail.b3d", rabbit + "extra").c_str()));
    EXPECT_EQ(log.text(), "Warning: damaged media file skipped: " + cut + "\n" +
                              "Warning: damaged media file skipped: " + folder + "/tiny.b3d\n" +
                              "Warning: damaged media file skipped: " + folder + "/noise.b3d\n");
}

TEST_F(MediaCheck, MissingFilesAndOtherMeshFormatsAreLeftToTheEngine)
{
    LogCapture log;
    EXPECT_TRUE(meshFileIntact((folder + "/absent.b3d").c_str()));
    EXPECT_TRUE(meshFileIntact(write("cut.obj", "v 1 2").c_str()));
    EXPECT_TRUE(fontFileIntact((folder + "/absent.xml").c_str()));
    EXPECT_EQ(log.text(), "");
}

TEST_F(MediaCheck, FontMustCloseAndGiveEveryGlyphItsRectangle)
{
    std::string font = media("bigfont.xml");
    size_t end = font.rfind("</font>");
    ASSERT_NE(end, std::string::npos);
    size_t glyph = font.find("<c c=\"A\"");
    ASSERT_NE(glyph, std::string::npos);
    std::string noRect = font;
    noRect.replace(font.find(" r=\"", glyph), 4, " q=\"");
    std::string badRect = font;
    badRect.replace(font.find(" r=\"", glyph), 5, " r=\"x");
    // the engine's reader would scan past its buffer for this quote's partner
    std::string openQuote = font.substr(0, font.find('"', glyph) + 1) + "\n</font>\n";
    std::string wide = "\xFF\xFE";
    for (char c : font)
        wide += std::string(1, c) + '\0';
    struct Case {
        const char* name;
        std::string bytes;
        bool intact;
    };
    const Case cases[] = {
        {"whole.xml", font, true},
        {"half.xml", font.substr(0, font.size() / 2), false},
        {"unclosed.xml", font.substr(0, end), false},
        {"norect.xml", noRect, false},
        {"badrect.xml", badRect, false},
        {"empty.xml", "", false},
        {"openquote.xml", openQuote, false},
        {"wide.xml", wide, true},
        {"widecut.xml", wide.substr(0, wide.size() / 2), false},
    };
    LogCapture log;
    for (const Case& c : cases)
        EXPECT_EQ(fontFileIntact(write(c.name, c.bytes).c_str()), c.intact) << c.name;
    for (const Case& c : cases)
        EXPECT_EQ(log.text().find(std::string(c.name) + "\n") != std::string::npos, !c.intact)
            << c.name;
}
