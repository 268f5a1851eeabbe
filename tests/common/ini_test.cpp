#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ini.h"

namespace {

class IniTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char templ[] = "/tmp/zarvik-ini-XXXXXX";
        dir = mkdtemp(templ);
        path = dir + "/launcher.ini";
    }
    void TearDown() override { (void)std::system(("rm -rf '" + dir + "'").c_str()); }

    void put(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string get()
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string dir, path;
};

TEST_F(IniTest, ReadMatchesNamesInAnyCaseAndTrims)
{
    put("; comment\n[Other]\nwidth=1\n[ SCREEN ]\r\n  Width =  800  \r\nbits=32\n[screen]\nfull=0\n");
    EXPECT_EQ(iniRead(path, "screen", "width", "x"), "800");
    EXPECT_EQ(iniRead(path, "screen", "BITS", "x"), "32");
    EXPECT_EQ(iniRead(path, "other", "width", "x"), "1");
    EXPECT_EQ(iniRead(path, "screen", "full", "1"), "1");  // only the first section counts
    EXPECT_EQ(iniRead(path, "screen", "driver", "direct3d8"), "direct3d8");
    EXPECT_EQ(iniRead(path, "nosuch", "width", "9"), "9");
    EXPECT_EQ(iniRead(dir + "/missing.ini", "screen", "width", "9"), "9");
    EXPECT_EQ(iniRead(dir, "screen", "width", "9"), "9");  // a directory reads as missing
    EXPECT_EQ(iniRead("", "screen", "width", "9"), "9");
}

TEST_F(IniTest, LongValuesCountUpTo255Characters)
{
    put("[screen]\ndriver=" + std::string(1000000, 'a') + "\n");
    EXPECT_EQ(iniRead(path, "screen", "driver", ""), std::string(255, 'a'));
}

TEST_F(IniTest, WriteCreatesFileSectionAndKeysInOrder)
{
    ASSERT_TRUE(iniWrite(path, "screen", "driver", "opengl"));
    ASSERT_TRUE(iniWrite(path, "screen", "width", "800"));
    ASSERT_TRUE(iniWrite(path, "screen", "full", "0"));
    EXPECT_EQ(get(), "[screen]\ndriver=opengl\nwidth=800\nfull=0\n");
    ASSERT_TRUE(iniWrite(path, "screen", "width", "640"));
    EXPECT_EQ(get(), "[screen]\ndriver=opengl\nwidth=640\nfull=0\n");
}

TEST_F(IniTest, WriteLeavesEveryOtherLineByteForByte)
{
    const std::string before =
        "; my settings\r\n[audio]\r\nvolume = 7 \r\n\r\n[Screen]\r\nWIDTH = 1\r\nextra=keep me\r\n\r\n[end]\r\nx=y";
    put(before);
    ASSERT_TRUE(iniWrite(path, "screen", "width", "800"));
    ASSERT_TRUE(iniWrite(path, "screen", "driver", "software"));
    ASSERT_TRUE(iniWrite(path, "input", "mouse", "1"));
    EXPECT_EQ(get(),
              "; my settings\r\n[audio]\r\nvolume = 7 \r\n\r\n[Screen]\r\nwidth=800\r\nextra=keep me\r\n"
              "driver=software\r\n\r\n[end]\r\nx=y\r\n[input]\r\nmouse=1\r\n");
}

TEST_F(IniTest, WriteThatCannotHappenLeavesTheOldFileWhole)
{
    put("[screen]\nwidth=800\n");
    chmod(dir.c_str(), 0555);  // no temporary file can be made beside it
    // as root, write as an ordinary user so the folder's permissions apply
    pid_t child = fork();
    if (child == 0) {
        if (getuid() == 0 && setuid(65534) != 0)
            _exit(2);
        _exit(iniWrite(path, "screen", "width", "640") ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    chmod(dir.c_str(), 0755);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write must report failure";
    EXPECT_EQ(get(), "[screen]\nwidth=800\n");
}

TEST_F(IniTest, FullDiskPartWayKeepsTheOldFile)
{
    const std::string before = "[screen]\nwidth=800\n";
    put(before);
    // A file size limit makes the write of the new content fail part-way, as a full disk would.
    pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {16, 16};
        setrlimit(RLIMIT_FSIZE, &limit);
        bool ok = iniWrite(path, "screen", "driver", std::string(200, 'x'));
        _exit(ok ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write must report failure";
    EXPECT_EQ(get(), before);
    // and no temporary file is left behind
    int entries = 0;
    std::unique_ptr<FILE, int (*)(FILE*)> ls(popen(("ls -A '" + dir + "'").c_str(), "r"), pclose);
    char line[512];
    while (fgets(line, sizeof line, ls.get()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(IniTest, WriteRefusesADirectoryOfThatName)
{
    mkdir(path.c_str(), 0755);
    EXPECT_FALSE(iniWrite(path, "screen", "width", "640"));
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

}  // namespace
