#include <chrono>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>

#include "choice.h"
#include "ini.h"
#include "command.h"
#include "displaymode.h"
#include "process.h"
#include "settings.h"
#include "tempdir.h"

namespace {

class SaveTest : public LauncherDirTest {
protected:
    void SetUp() override
    {
        LauncherDirTest::SetUp();
        addReportedMode(32, 800, 600);
        addReportedMode(16, 1024, 768);
        launcherIniPath = settingsPath();
        ended = 0;
        iniWhenEnded.clear();
    }
    // The dialog's end as launcherCommand requests it; records what was saved by then.
    static void endDialog()
    {
        ++ended;
        std::ifstream in("launcher.ini", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        iniWhenEnded = text.str();
    }
    // Waits for a file a started program writes; a busy machine may take a while.
    bool waitForFile(const std::string& name)
    {
        for (int i = 0; i < 600 && !exists(name); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return exists(name);
    }
    void writeScript(const std::string& name, const std::string& body)
    {
        writeFile(name, "#!/bin/sh\n" + body);
        ASSERT_EQ(chmod((dir + "/" + name).c_str(), 0755), 0);
    }

    inline static int ended = 0;
    inline static std::string iniWhenEnded;
};

const char* const otherContent = "; kept as it is\n[video]\nwidth=1\n\n[Screen]\nname = Zarvik\n\n[sound]\nvolume=3\n";

TEST_F(SaveTest, ExitWritesAllFiveKeysInOrderAndKeepsTheRest)
{
    writeFile("launcher.ini", otherContent);
    DialogChoice choice;
    choice.driverIndex = 1;
    choice.modeIndex = 1;
    choice.full = false;
    launcherCommand(commandExit, choice, endDialog);

    EXPECT_EQ(ended, 1);
    EXPECT_EQ(iniWhenEnded, otherContent);  // the end is requested before the save
    EXPECT_EQ(readFile("launcher.ini"),
              "; kept as it is\n[video]\nwidth=1\n\n[Screen]\nname = Zarvik\n"
              "driver=opengl\nwidth=1024\nheight=768\nbits=16\nfull=0\n"
              "\n[sound]\nvolume=3\n");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SaveTest, ExitWithoutAFileWritesAFreshOne)
{
    DialogChoice choice;
    choice.driverIndex = 0;
    choice.modeIndex = 0;
    choice.full = true;
    launcherCommand(commandExit, choice, endDialog);
    EXPECT_EQ(readFile("launcher.ini"),
              "[screen]\ndriver=direct3d8\nwidth=800\nheight=600\nbits=32\nfull=1\n");
    // and the game's reader gets back what was chosen
    Settings s;
    readSettings(s);
    EXPECT_EQ(s.driver, 0);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
    EXPECT_EQ(s.bits, 32);
    EXPECT_EQ(s.full, 1);
}

TEST_F(SaveTest, NoValidModeSelectionLeavesTheModeKeys)
{
    for (int modeIndex : {-1, 2, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(modeIndex);
        writeFile("launcher.ini", "[screen]\nwidth=1152\nheight=864\nbits=24\nfull=1\n");
        DialogChoice choice;
        choice.driverIndex = 2;
        choice.modeIndex = modeIndex;
        choice.full = false;
        saveDialogSettings(choice);
        EXPECT_EQ(readFile("launcher.ini"),
                  "[screen]\nwidth=1152\nheight=864\nbits=24\nfull=0\ndriver=software\n");
    }
}

// What is read into the driver list and what saving it writes back.
TEST_F(SaveTest, DriverRoundTrip)
{
    struct Case {
        const char* stored;  // nullptr: no "driver" key
        const char* saved;
    } cases[] = {
        {nullptr, "direct3d8"},  {"direct3d8", "direct3d8"}, {"opengl", "opengl"},
        {"software", "software"}, {"Direct3D8", "software"},  {"", "software"},
        {"burning", "software"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "missing");
        writeFile("launcher.ini", c.stored ? std::string("[screen]\ndriver=") + c.stored + "\n" : "");
        DialogChoice choice;
        fillDialog(choice);
        saveDialogSettings(choice);
        EXPECT_EQ(iniRead(launcherIniPath, "screen", "driver", "?"), c.saved);
    }
    // a selection outside the list writes "software" too
    for (int driverIndex : {-1, 3, 1000}) {
        DialogChoice choice;
        choice.driverIndex = driverIndex;
        saveDialogSettings(choice);
        EXPECT_EQ(iniRead(launcherIniPath, "screen", "driver", "?"), "software") << driverIndex;
    }
}

TEST_F(SaveTest, CloseSavesNothing)
{
    DialogChoice choice;
    choice.driverIndex = 1;
    choice.modeIndex = 0;
    launcherCommand(commandClose, choice, endDialog);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(exists("launcher.ini"));

    writeFile("launcher.ini", otherContent);
    launcherCommand(commandClose, choice, endDialog);
    EXPECT_EQ(readFile("launcher.ini"), otherContent);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SaveTest, PlayWithoutTheGameSavesThenShowsTheError)
{
    DialogChoice choice;
    choice.driverIndex = 2;
    choice.modeIndex = 0;
    choice.full = false;
    launcherCommand(commandPlay, choice, endDialog);
    EXPECT_EQ(ended, 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Main executable could not be found! Please reinstall the game.");
    EXPECT_EQ(boxes[0].iniWhenShown,
              "[screen]\ndriver=software\nwidth=800\nheight=600\nbits=32\nfull=0\n");
}

TEST_F(SaveTest, PlayStartsTheGameFromTheWorkingDirectory)
{
    // a stand-in game that tells what it got: arguments, directory, open descriptors
    const int leaked = open((dir + "/leak-check").c_str(), O_CREAT | O_WRONLY, 0644);  // no O_CLOEXEC
    ASSERT_GE(leaked, 0);
    writeScript("zarvik", "{ echo \"args=$#\"; echo \"pwd=$(pwd)\"; ls -l /proc/$$/fd/; "
                          "cat launcher.ini; } > started.tmp\nmv started.tmp started\n");
    DialogChoice choice;
    choice.driverIndex = 1;
    choice.modeIndex = 1;
    choice.full = true;
    launcherCommand(commandPlay, choice, endDialog);
    close(leaked);

    EXPECT_TRUE(boxes.empty());
    ASSERT_TRUE(waitForFile("started"));
    const std::string report = readFile("started");
    EXPECT_NE(report.find("args=0\n"), std::string::npos) << report;
    EXPECT_NE(report.find("pwd=" + dir + "\n"), std::string::npos) << report;
    EXPECT_EQ(report.find("leak-check"), std::string::npos) << report;
    // the settings were on disk before the game started
    EXPECT_NE(report.find("driver=opengl\nwidth=1024\nheight=768\nbits=16\nfull=1\n"),
              std::string::npos)
        << report;
}

TEST_F(SaveTest, StartGameNeverSearchesPath)
{
    // a game only on PATH, or one that is not an executable file here, is not started
    ASSERT_EQ(mkdir((dir + "/bin").c_str(), 0755), 0);
    writeScript("bin/zarvik", "touch started\n");
    const char* oldPath = getenv("PATH");
    const std::string savedPath = oldPath ? oldPath : "";
    setenv("PATH", (dir + "/bin:" + savedPath).c_str(), 1);
    EXPECT_FALSE(startGame("zarvik"));

    writeFile("zarvik", "#!/bin/sh\ntouch started\n");  // not executable
    EXPECT_FALSE(startGame("zarvik"));
    std::remove("zarvik");
    ASSERT_EQ(mkdir((dir + "/zarvik").c_str(), 0755), 0);
    EXPECT_FALSE(startGame("zarvik"));
    EXPECT_FALSE(startGame(""));
    setenv("PATH", savedPath.c_str(), 1);
    EXPECT_FALSE(exists("started"));
}

// With no path to the file (the working directory could not be determined) nothing is written.
TEST_F(SaveTest, NoSettingsPathWritesNothing)
{
    launcherIniPath.clear();
    DialogChoice choice;
    choice.driverIndex = 0;
    choice.modeIndex = 0;
    launcherCommand(commandExit, choice, endDialog);
    EXPECT_EQ(ended, 1);
    DIR* listing = opendir(dir.c_str());
    ASSERT_NE(listing, nullptr);
    std::vector<std::string> names;
    while (dirent* entry = readdir(listing)) {
        if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
            names.push_back(entry->d_name);
    }
    closedir(listing);
    EXPECT_TRUE(names.empty()) << names[0];
}

}  // namespace
