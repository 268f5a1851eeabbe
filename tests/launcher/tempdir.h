#pragma once
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "displaymode.h"
#include "messagebox.h"

// Each test runs in a fresh working directory with an empty mode list.
class LauncherDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char templ[] = "/tmp/zarvik-launcher-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        dir = templ;
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldDir = cwd;
        ASSERT_EQ(chdir(dir.c_str()), 0);
        displayModes.clear();
        boxes.clear();
        setErrorBoxHandler(recordBox);
    }
    void TearDown() override
    {
        setErrorBoxHandler(nullptr);
        displayModes.clear();
        ASSERT_EQ(chdir(oldDir.c_str()), 0);
        ASSERT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
    }
    void writeFile(const std::string& name, const std::string& text)
    {
        std::ofstream(dir + "/" + name, std::ios::binary) << text;
    }
    std::string readFile(const std::string& name) const
    {
        std::ifstream in(dir + "/" + name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool exists(const std::string& name) const { return access((dir + "/" + name).c_str(), F_OK) == 0; }

    struct Box {
        std::string text;
        std::string iniWhenShown;  // launcher.ini at the moment the box appeared
    };
    inline static std::vector<Box> boxes;
    static void recordBox(const std::string& text)
    {
        std::ifstream in("launcher.ini", std::ios::binary);
        std::stringstream ini;
        ini << in.rdbuf();
        boxes.push_back({text, ini.str()});
    }

    std::string dir, oldDir;
};
