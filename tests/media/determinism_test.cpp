// The generator writes the same bytes on every run, so builds are reproducible.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> readAll(const fs::path& dir)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
        std::ifstream in(e.path(), std::ios::binary);
        files[e.path().filename().string()] =
            std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    return files;
}

TEST(MediaGenerator, twoRunsWriteIdenticalFiles)
{
    fs::path base = fs::temp_directory_path() / ("zarvik-media-" + std::to_string(getpid()));
    fs::remove_all(base);
    fs::create_directories(base);
    for (const char* run : {"a", "b"}) {
        std::string cmd = std::string("\"") + MEDIAGEN_PATH + "\" \"" + (base / run).string() + "\" > /dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    auto a = readAll(base / "a"), b = readAll(base / "b");
    fs::remove_all(base);
    ASSERT_GT(a.size(), 20u);
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a) {
        auto other = b.find(name);
        ASSERT_NE(other, b.end()) << name;
        EXPECT_TRUE(bytes == other->second) << name << " differs between runs";
    }
    // The build's own copy was written by the same generator.
    auto built = readAll("media");
    for (const auto& [name, bytes] : a)
        EXPECT_TRUE(built.count(name) && built[name] == bytes) << name << " is stale in the game folder";
}

}  // namespace
