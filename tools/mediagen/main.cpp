// Writes every media file of the game into the folder given on the command line.
#include "generators.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::printf("Usage: mediagen <output folder>\n");
        return 2;
    }
    std::string dir = argv[1];
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
        std::printf("Error: cannot create %s\n", dir.c_str());
        return 1;
    }
    struct Part {
        const char* name;
        bool (*write)(const std::string&);
    };
    const Part parts[] = {{"platforms", writePlatforms}, {"carrot", writeCarrot}, {"rabbits", writeRabbits},
                          {"sprites", writeSprites},     {"fonts", writeFonts},   {"sounds", writeSounds},
                          {"music", writeMusic}};
    using clock = std::chrono::steady_clock;
    auto start = clock::now();
    std::string times;
    for (const Part& p : parts) {
        auto t0 = clock::now();
        if (!p.write(dir))
            return 1;
        char buf[64];
        std::snprintf(buf, sizeof buf, " %s %.2f", p.name, std::chrono::duration<double>(clock::now() - t0).count());
        times += buf;
    }
    double seconds = std::chrono::duration<double>(clock::now() - start).count();
    std::printf("mediagen: wrote %s in %.2f s (%s )\n", dir.c_str(), seconds, times.c_str() + 1);
    return 0;
}
