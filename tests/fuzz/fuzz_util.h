#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// The fuzzer's scratch folder, "scratch" in the directory it was started from, entered as the
// working directory; reused by later runs, so nothing piles up.
inline const std::string& fuzzDir()
{
    static std::string dir = [] {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd))
            std::abort();
        std::string d = std::string(cwd) + "/scratch";
        mkdir(d.c_str(), 0700);
        if (chdir(d.c_str()) != 0)
            std::abort();
        return d;
    }();
    return dir;
}

inline void writeBytes(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
}
