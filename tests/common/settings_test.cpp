#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "messagebox.h"
#include "settings.h"
#include "textconv.h"

namespace {

std::vector<std::string> shownBoxes;
void recordBox(const std::string& text) { shownBoxes.push_back(text); }

// Runs each test in a fresh temporary working directory.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char templ[] = "/tmp/zarvik-settings-XXXXXX";
        dir = mkdtemp(templ);
        char cwd[PATH_MAX];
        oldDir = getcwd(cwd, sizeof cwd);
        ASSERT_EQ(chdir(dir.c_str()), 0);
        shownBoxes.clear();
        setErrorBoxHandler(recordBox);
    }
    void TearDown() override
    {
        setErrorBoxHandler(nullptr);
        ASSERT_EQ(chdir(oldDir.c_str()), 0);
        std::remove((dir + "/launcher.ini").c_str());
        rmdir(dir.c_str());
    }
    void writeIni(const std::string& text) { std::ofstream(dir + "/launcher.ini") << text; }

    std::string dir, oldDir;
};

TEST_F(SettingsTest, NoFileGivesDirect3dFullScreen1024x768x16)
{
    Settings s;
    readSettings(s);
    EXPECT_EQ(s.driver, 0);
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.height, 768);
    EXPECT_EQ(s.bits, 16);
    EXPECT_EQ(s.full, 1);
    EXPECT_TRUE(shownBoxes.empty());
}

TEST_F(SettingsTest, ValuesAsTheLauncherOrAHandEditWritesThem)
{
    struct Case {
        const char* file;
        int driver, width, height, bits, full;
    } cases[] = {
        {"[screen]\ndriver=opengl\nwidth=800\nheight=600\nbits=32\nfull=0\n", 1, 800, 600, 32, 0},
        {"[screen]\ndriver=direct3d8\n", 0, 1024, 768, 16, 1},
        {"[screen]\ndriver=software\n", 2, 1024, 768, 16, 1},
        {"[screen]\ndriver=OpenGL\n", 2, 1024, 768, 16, 1},     // case-sensitive value
        {"[screen]\ndriver=Direct3D8\n", 2, 1024, 768, 16, 1},
        {"[screen]\ndriver=\n", 2, 1024, 768, 16, 1},           // empty text
        {"[screen]\nwidth= 800\n", 0, 800, 768, 16, 1},         // blank before
        {"[screen]\nwidth=800px\n", 0, 800, 768, 16, 1},        // rest ignored
        {"[screen]\nwidth=-1\n", 0, -1, 768, 16, 1},
        {"[screen]\nwidth=abc\nheight=\n", 0, 0, 0, 16, 1},     // no number reads as 0
        {"[screen]\nwidth=99999999999\nheight=-99999999999\n", 0, INT_MAX, INT_MIN, 16, 1},
        {"[SCREEN]\nWIDTH=640\nFull=7\n", 0, 640, 768, 16, 7},  // names match in any case
        {"[other]\nwidth=1\n[screen]\nheight=480\n", 0, 1024, 480, 16, 1},
        {"[screen]\nwidth=640\nwidth=320\n", 0, 640, 768, 16, 1},  // first key wins
        {"garbage\x01\x02\nno section at all\n", 0, 1024, 768, 16, 1},
    };
    for (const Case& c : cases) {
        writeIni(c.file);
        Settings s;
        readSettings(s);
        SCOPED_TRACE(c.file);
        EXPECT_EQ(s.driver, c.driver);
        EXPECT_EQ(s.width, c.width);
        EXPECT_EQ(s.height, c.height);
        EXPECT_EQ(s.bits, c.bits);
        EXPECT_EQ(s.full, c.full);
    }
}

TEST_F(SettingsTest, PathIsInTheWorkingDirectory)
{
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(settingsPath(), std::string(cwd) + "/launcher.ini");
}

TEST_F(SettingsTest, RemovedWorkingDirectoryShowsThePathErrorAndGivesDefaults)
{
    writeIni("[screen]\nwidth=640\n");
    std::remove((dir + "/launcher.ini").c_str());
    ASSERT_EQ(rmdir(dir.c_str()), 0);
    EXPECT_EQ(settingsPath(), "");
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0], "Installation directory exceeds MAX_PATH.");

    Settings s;
    readSettings(s);  // one more box: the reader asks for the path itself
    EXPECT_EQ(shownBoxes.size(), 2u);
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.driver, 0);
}

TEST(TextConversions, DecimalTextBothWays)
{
    EXPECT_EQ(intToString(0), "0");
    EXPECT_EQ(intToString(-5), "-5");
    EXPECT_EQ(intToString(INT_MIN), "-2147483648");
    EXPECT_EQ(intToString(1234567), "1234567");  // no grouping
    EXPECT_EQ(stringToInt("1024x"), 1024);
    EXPECT_EQ(stringToInt(" 768"), 768);
    EXPECT_EQ(stringToInt("+12"), 12);
    EXPECT_EQ(numberedName("media/la", 0, ".wav"), "media/la0.wav");
    EXPECT_EQ(numberedName("media/plat", 2, ".obj"), "media/plat2.obj");
}

}  // namespace
