// The title screen, the end screen and the high score file, each in a fresh working directory
// that links the generated media.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <linux/capability.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

#include "carrots.h"
#include "engine.h"
#include "gamestate.h"
#include "highscore.h"
#include "music.h"
#include "nulldevice.h"
#include "screens.h"
#include "textoverlay.h"

using namespace irr;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

// A temporary working directory holding a link to the staged media; the previous one comes back
// at the end.
struct ScratchDir {
    ScratchDir()
    {
        fs::path media = fs::current_path() / "media";
        previous = fs::current_path();
        char name[] = "/tmp/zarvik-score-XXXXXX";
        path = mkdtemp(name);
        fs::create_directory_symlink(media, path / "media");
        fs::current_path(path);
    }
    ~ScratchDir()
    {
        fs::current_path(previous);
        fs::permissions(path, fs::perms::owner_all);
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::set<std::string> names() const
    {
        std::set<std::string> found;
        for (const fs::directory_entry& entry : fs::directory_iterator(path))
            found.insert(entry.path().filename().string());
        return found;
    }
    fs::path previous, path;
};

void writeBytes(const char* file, const Bytes& bytes)
{
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes readBytes(const char* file)
{
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring textOf(gui::IGUIElement* element)
{
    return element ? std::wstring(element->getText()) : L"(none)";
}

core::vector2di centreOf(gui::IGUIElement* element)
{
    return element->getRelativePosition().getCenter();
}

const OverlayText* entryOf(TextHandle handle)
{
    for (const OverlayText& entry : overlayTexts)
        if (handle != noText && entry.handle == handle)
            return &entry;
    return nullptr;
}

// Root makes every directory writable; dropping the override capabilities from this thread's
// effective set makes a read-only directory read-only for us too. Restored on destruction.
struct WithoutDacOverride {
    WithoutDacOverride()
    {
        if (geteuid() != 0)
            return;
        header.version = _LINUX_CAPABILITY_VERSION_3;
        header.pid = 0;
        if (syscall(SYS_capget, &header, saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved[0], saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) |
                                  (1u << CAP_FOWNER));
        dropped = syscall(SYS_capset, &header, reduced) == 0;
    }
    ~WithoutDacOverride()
    {
        if (dropped)
            syscall(SYS_capset, &header, saved);
    }
    __user_cap_header_struct header = {};
    __user_cap_data_struct saved[2] = {};
    bool dropped = false;
};

bool canCreateFileIn(const fs::path& dir)
{
    fs::path probe = dir / "probe";
    FILE* f = fopen(probe.c_str(), "w");
    if (!f)
        return false;
    fclose(f);
    fs::remove(probe);
    return true;
}

class ScreensTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine.sound = &sound;
        carrotCount = 0;
        gameState = Playing;
    }
    void TearDown() override
    {
        stopMusic();
        engine.sound = nullptr;
        carrotCount = 0;
    }
    ScratchDir dir;        // before the device, so the fonts come from the scratch folder's link
    NullDevice null{800, 600};
    RecordingSoundEngine sound;
};

// What is on the screen after showEndScreen, and what became of score.dat.
enum class Before { NoFile, File, Directory, ReadOnlyFolder };
enum class After { Absent, Holds, Untouched, StillDirectory };

struct EndCase {
    const char* name;
    Before before;
    Bytes stored;
    int32_t score;
    bool record;
    int32_t lastShown;
    After after;
    Bytes afterBytes;
};

size_t rootTextCount()
{
    return engine.gui->getRootGUIElement()->getChildren().size();
}

void checkEndScreen(const EndCase& c, ScratchDir& dir, RecordingSoundEngine& sound)
{
    SCOPED_TRACE(c.name);
    switch (c.before) {
    case Before::NoFile:
        break;
    case Before::File:
    case Before::ReadOnlyFolder:
        writeBytes("score.dat", c.stored);
        break;
    case Before::Directory:
        fs::create_directory("score.dat");
        break;
    }
    struct stat old = {};
    bool hadFile = stat("score.dat", &old) == 0;
    if (c.before == Before::ReadOnlyFolder)
        fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec);
    if (c.after == After::Untouched)
        usleep(20 * 1000);  // past the clock tick, so a rewrite in place would show in the mtime

    // timed texts of the run still on screen; the end screen clears them
    shoutText(L"GO!", screenCenterY());
    blinkText(L"< administering speed >", screenCenterY(), 3.5);
    carrotCount = c.score;
    gameState = Playing;
    sound.calls.clear();

    testing::internal::CaptureStdout();
    {
        WithoutDacOverride readOnly;
        showEndScreen();
    }
    std::string log = testing::internal::GetCapturedStdout();
    fs::permissions(dir.path, fs::perms::owner_all);

    EXPECT_EQ(gameState, EndScreen);
    bool failsToSave = c.record && (c.before == Before::Directory || c.before == Before::ReadOnlyFolder);
    EXPECT_EQ(log, failsToSave ? "Warning: error saving high score.\n" : "");

    // the lines, top to bottom, with their centres on an 800 x 600 screen
    std::vector<gui::IGUIElement*> lines = {endHeadlineText, endCountText, endLabelText};
    std::vector<std::wstring> texts = {L"CONGRATULATIONS", std::to_wstring(c.score), L"Carrots"};
    const OverlayText* recordLine = entryOf(endRecordText);
    if (c.record) {
        ASSERT_NE(recordLine, nullptr);
        EXPECT_TRUE(recordLine->blink);
        EXPECT_EQ(recordLine->lifetime, 0);
        lines.push_back(recordLine->element);
        texts.push_back(L"New High Score!!!");
    } else {
        EXPECT_EQ(endRecordText, noText);
    }
    lines.push_back(endLastScoreText);
    texts.push_back(L"Last High Score: " + std::to_wstring(c.lastShown));

    int32_t y = c.record ? 100 : 150;
    for (size_t i = 0; i < lines.size(); ++i, y += 100) {
        SCOPED_TRACE(i);
        ASSERT_NE(lines[i], nullptr);
        EXPECT_EQ(textOf(lines[i]), texts[i]);
        EXPECT_EQ(centreOf(lines[i]), core::vector2di(400, y));
        EXPECT_EQ(static_cast<gui::IGUIStaticText*>(lines[i])->getOverrideFont(),
                  engine.gui->getFont(i == 0 ? bigFontFile : blinkFontFile));
    }
    EXPECT_EQ(rootTextCount(), lines.size()) << "only the end screen's lines are left";
    EXPECT_EQ(overlayTexts.size(), c.record ? 1u : 0u) << "GO! and the speed text are gone";
    EXPECT_EQ(sound.calls, (std::vector<std::string>{"play media/end_loop.ogg looped tracked mode 2"}));

    struct stat now = {};
    bool hasFile = stat("score.dat", &now) == 0;
    switch (c.after) {
    case After::Absent:
        EXPECT_FALSE(hasFile);
        break;
    case After::Holds:
        EXPECT_EQ(readBytes("score.dat"), c.afterBytes);
        break;
    case After::Untouched:
        ASSERT_TRUE(hadFile && hasFile);
        EXPECT_EQ(readBytes("score.dat"), c.stored);
        EXPECT_EQ(now.st_ino, old.st_ino);
        EXPECT_EQ(now.st_mtim.tv_sec, old.st_mtim.tv_sec);
        EXPECT_EQ(now.st_mtim.tv_nsec, old.st_mtim.tv_nsec);
        break;
    case After::StillDirectory:
        EXPECT_TRUE(fs::is_directory("score.dat"));
        break;
    }
    std::set<std::string> expectedNames = {"media"};
    if (hasFile)
        expectedNames.insert("score.dat");
    EXPECT_EQ(dir.names(), expectedNames) << "no temporary file may be left behind";
}

const EndCase endCases[] = {
    {"no file, score 0", Before::NoFile, {}, 0, false, 0, After::Absent, {}},
    {"no file, score 1", Before::NoFile, {}, 1, true, 0, After::Holds, {1, 0, 0, 0}},
    {"stored 7, score 7", Before::File, {7, 0, 0, 0}, 7, false, 7, After::Untouched, {}},
    {"stored 7, score 9", Before::File, {7, 0, 0, 0}, 9, true, 7, After::Holds, {9, 0, 0, 0}},
    {"8-byte file, record", Before::File, {7, 0, 0, 0, 0xff, 0xff, 0xff, 0xff}, 9, true, 7,
     After::Holds, {9, 0, 0, 0}},
    {"8-byte file, no record", Before::File, {7, 0, 0, 0, 0xff, 0xff, 0xff, 0xff}, 7, false, 7,
     After::Untouched, {}},
    {"stored -5, score 0", Before::File, {0xfb, 0xff, 0xff, 0xff}, 0, true, -5, After::Holds,
     {0, 0, 0, 0}},
    {"2-byte file, score 1", Before::File, {0xff, 0x7f}, 1, true, 0, After::Holds, {1, 0, 0, 0}},
    {"2-byte file, score 0", Before::File, {0xff, 0x7f}, 0, false, 0, After::Untouched, {}},
    {"bytes in little-endian order", Before::File, {4, 3, 2, 1}, 103, false, 0x01020304,
     After::Untouched, {}},
    {"a big record", Before::File, {0xe8, 0x03, 0, 0}, 100103, true, 1000, After::Holds,
     {0x07, 0x87, 0x01, 0x00}},
    {"a directory named score.dat", Before::Directory, {}, 3, true, 0, After::StillDirectory, {}},
};

TEST_F(ScreensTest, EndScreenAndHighScore)
{
    for (const EndCase& c : endCases) {
        ScratchDir own;  // each case starts from its own empty folder
        checkEndScreen(c, own, sound);
        engine.gui->clear();
        overlayTexts.clear();
        stopMusic();
    }
}

TEST_F(ScreensTest, EndScreenInAFolderThatCannotBeWritten)
{
    {
        fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec);
        WithoutDacOverride readOnly;
        bool writable = canCreateFileIn(dir.path);
        fs::permissions(dir.path, fs::perms::owner_all);
        if (writable)
            GTEST_SKIP() << "this process can write into a read-only folder here";
    }
    checkEndScreen({"read-only folder", Before::ReadOnlyFolder, {7, 0, 0, 0}, 9, true, 7,
                    After::Untouched, {}},
                   dir, sound);
    // the record stays unsaved, so the same score is a record again next time
    EXPECT_EQ(readHighScore(), 7);
}

TEST_F(ScreensTest, SecondRunShowsTheRecordJustSet)
{
    carrotCount = 12;
    showEndScreen();
    ASSERT_EQ(readBytes("score.dat"), (Bytes{12, 0, 0, 0}));
    EXPECT_EQ(textOf(endLastScoreText), L"Last High Score: 0");

    // leave the end screen the way a key press does, then end another, weaker run
    SEvent key = {};
    key.EventType = EET_KEY_INPUT_EVENT;
    key.KeyInput.Key = KEY_SPACE;
    key.KeyInput.PressedDown = true;
    EXPECT_TRUE(gameEventReceiver.OnEvent(key));
    ASSERT_EQ(gameState, Title);
    EXPECT_EQ(carrotCount, 0);

    gameState = Playing;
    carrotCount = 5;
    showEndScreen();
    EXPECT_EQ(textOf(endLastScoreText), L"Last High Score: 12");
    EXPECT_EQ(endRecordText, noText);
    EXPECT_EQ(readBytes("score.dat"), (Bytes{12, 0, 0, 0}));
}

TEST_F(ScreensTest, HighScoreFileRoundTrips)
{
    for (int32_t score : {0, 1, -1, 103, INT32_MAX, INT32_MIN}) {
        SCOPED_TRACE(score);
        writeHighScore(score);
        EXPECT_EQ(readHighScore(), score);
        EXPECT_EQ(fs::file_size("score.dat"), 4u);
    }
    EXPECT_EQ(readBytes("score.dat"), (Bytes{0, 0, 0, 0x80}));
    EXPECT_EQ(dir.names(), (std::set<std::string>{"media", "score.dat"}));
}

TEST_F(ScreensTest, TitleScreen)
{
    scene::ICameraSceneNode* camera = engine.scene->addCameraSceneNodeFPS(nullptr, 0, 0);
    // where a run left it, already animated: stale positions would now turn the view
    camera->setPosition(core::vector3df(30, -150, 400));
    engine.scene->drawAll();
    engine.device->setEventReceiver(nullptr);
    gameState = EndScreen;

    showTitleScreen();
    EXPECT_EQ(gameState, Title);
    EXPECT_EQ(engine.device->getEventReceiver(), &gameEventReceiver);

    const OverlayText* prompt = entryOf(titlePromptText);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(textOf(prompt->element), L"< press to play >");
    EXPECT_TRUE(prompt->blink);
    EXPECT_EQ(prompt->lifetime, 0);
    EXPECT_EQ(centreOf(prompt->element).X, 400);
    EXPECT_EQ(centreOf(prompt->element).Y, 300);

    EXPECT_TRUE(camera->getPosition().equals(core::vector3df(0, 34, -20)));
    EXPECT_TRUE(camera->getTarget().equals(core::vector3df(0, 20, 0)));
    // the look direction must survive the camera's own animation, which moves the target
    // point along the same ray
    engine.scene->drawAll();
    core::vector3df look = (camera->getTarget() - camera->getAbsolutePosition()).normalize();
    EXPECT_TRUE(camera->getAbsolutePosition().equals(core::vector3df(0, 34, -20)));
    EXPECT_TRUE(look.equals(core::vector3df(0, -14, 20).normalize(), 1e-4f))
        << look.X << " " << look.Y << " " << look.Z;
    EXPECT_EQ(sound.calls, (std::vector<std::string>{"play media/main_loop.ogg looped tracked mode 2"}));

    // shown again, the title music restarts from the beginning
    removeText(titlePromptText);
    showTitleScreen();
    EXPECT_EQ(sound.calls, (std::vector<std::string>{"play media/main_loop.ogg looped tracked mode 2",
                                                     "stop media/main_loop.ogg",
                                                     "drop media/main_loop.ogg",
                                                     "play media/main_loop.ogg looped tracked mode 2"}));
    EXPECT_EQ(overlayTexts.size(), 1u);
}

}  // namespace
