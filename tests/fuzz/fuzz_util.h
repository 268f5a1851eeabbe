#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

// One private temporary folder per fuzzing process, entered as the working directory.
inline const std::string& fuzzDir()
{
    static std::string dir = [] {
        char templ[] = "/tmp/zarvik-fuzz-XXXXXX";
        std::string d = mkdtemp(templ);
        if (chdir(d.c_str()) != 0)
            std::abort();
        std::atexit([] {
            std::remove((fuzzDir() + "/launcher.ini").c_str());
            rmdir(fuzzDir().c_str());
        });
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
