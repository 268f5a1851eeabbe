#include <vector>

#include "choice.h"
#include "displaymode.h"
#include "tempdir.h"

namespace {

struct Reported {
    unsigned bits;
    int width, height;
};

using ModeTest = LauncherDirTest;

// From what the display reports and what launcher.ini holds to the listed and preselected modes.
TEST_F(ModeTest, ListingAndPreselection)
{
    const std::vector<Reported> seven = {{16, 640, 480}, {32, 640, 480}, {16, 800, 600},
                                         {32, 800, 600}, {16, 1024, 768}, {32, 1024, 768},
                                         {32, 1280, 1024}};
    const std::string sevenLabels =
        "640x480x16 640x480x32 800x600x16 800x600x32 1024x768x16 1024x768x32 1280x1024x32 ";
    struct Case {
        const char* name;
        std::vector<Reported> reported;
        const char* ini;  // nullptr: no launcher.ini
        std::string labels;
        const char* selected;
    } cases[] = {
        {"two refresh rates of one size collapse", {{16, 640, 480}, {16, 640, 480}},
         nullptr, "640x480x16 ", "640x480x16"},
        {"8 and 15 bits are never listed", {{8, 640, 480}, {15, 800, 600}, {8, 1024, 768}},
         nullptr, "", nullptr},
        {"no file selects the default 1024x768x16", seven, nullptr, sevenLabels, "1024x768x16"},
        {"a mode that is not listed falls back to the best one up to 1024x768", seven,
         "[screen]\nwidth=1152\nheight=864\nbits=32\n", sevenLabels, "1024x768x32"},
        {"an exact match above 1024x768 is kept", seven,
         "[screen]\nwidth=1280\nheight=1024\nbits=32\n", sevenLabels, "1280x1024x32"},
        {"the first mode stays candidate even above 1024x768",
         {{32, 1280, 1024}, {32, 800, 600}}, nullptr, "1280x1024x32 800x600x32 ", "1280x1024x32"},
        {"a mode better in one value and worse in another does not replace",
         {{32, 800, 600}, {16, 1024, 768}}, "[screen]\nwidth=640\n",
         "800x600x32 1024x768x16 ", "800x600x32"},
        {"a larger first mode is not displaced by smaller qualifying ones",
         {{32, 1600, 1200}, {16, 640, 480}, {32, 1024, 768}}, "[screen]\nbits=24\n",
         "1600x1200x32 640x480x16 1024x768x32 ", "1600x1200x32"},
        {"an unparsable size looks up 0x0 and falls back", seven,
         "[screen]\nwidth=wide\nheight=\nbits=32\n", sevenLabels, "1024x768x32"},
        {"the display's order is kept, duplicates anywhere dropped",
         {{32, 800, 600}, {24, 800, 600}, {32, 640, 480}, {32, 800, 600}, {16, 1024, 768}},
         nullptr, "800x600x32 800x600x24 640x480x32 1024x768x16 ", "1024x768x16"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        displayModes.clear();
        std::remove("launcher.ini");
        if (c.ini)
            writeFile("launcher.ini", c.ini);
        for (const Reported& r : c.reported)
            addReportedMode(r.bits, r.width, r.height);

        std::string labels;
        for (const DisplayMode& mode : displayModes) {
            labels += mode.label + " ";
            EXPECT_EQ(mode.label, std::to_string(mode.width) + "x" + std::to_string(mode.height) +
                                      "x" + std::to_string(mode.bits));
        }
        EXPECT_EQ(labels, c.labels);

        DialogChoice choice;
        fillDialog(choice);
        if (c.selected) {
            ASSERT_GE(choice.modeIndex, 0);
            ASSERT_LT(choice.modeIndex, int(displayModes.size()));
            EXPECT_EQ(displayModes[size_t(choice.modeIndex)].label, c.selected);
        } else {
            EXPECT_TRUE(displayModes.empty());
        }
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ModeTest, FindModeIndexTakesTheFirstExactMatch)
{
    for (const Reported& r : std::vector<Reported>{{32, 800, 600}, {16, 800, 600}, {32, 640, 480}})
        addReportedMode(r.bits, r.width, r.height);
    EXPECT_EQ(findModeIndex(800, 600, 16), 1);
    EXPECT_EQ(findModeIndex(640, 480, 32), 2);
    EXPECT_TRUE(isModeListed(640, 480, 32));
    EXPECT_FALSE(isModeListed(640, 480, 16));
    // no match: the default, 800x600x32 beats 640x480x32 and is not beaten by 800x600x16
    EXPECT_EQ(findModeIndex(-1, -1, -1), 0);
}

// The driver list is set from the text of "driver", case-sensitively; full from any non-zero.
TEST_F(ModeTest, FillDialogDriverAndFullScreen)
{
    addReportedMode(32, 800, 600);
    struct Case {
        const char* ini;
        int driverIndex;
        bool full;
    } cases[] = {
        {nullptr, 0, true},
        {"[screen]\ndriver=direct3d8\nfull=0\n", 0, false},
        {"[screen]\ndriver=opengl\nfull=7\n", 1, true},
        {"[screen]\ndriver=software\nfull=-1\n", 2, true},
        {"[screen]\ndriver=OpenGL\n", 2, true},
        {"[screen]\ndriver=\nfull=\n", 2, false},
        {"[screen]\ndriver=vulkan\nfull=1\n", 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini ? c.ini : "no file");
        std::remove("launcher.ini");
        if (c.ini)
            writeFile("launcher.ini", c.ini);
        DialogChoice choice;
        fillDialog(choice);
        EXPECT_EQ(choice.driverIndex, c.driverIndex);
        EXPECT_EQ(choice.full, c.full);
        EXPECT_EQ(choice.modeIndex, 0);
    }
}

}  // namespace
