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
    auto start = std::chrono::steady_clock::now();
    bool ok = writePlatforms(dir) && writeCarrot(dir) && writeRabbits(dir) && writeSprites(dir) &&
              writeFonts(dir) && writeSounds(dir) && writeMusic(dir);
    if (!ok)
        return 1;
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("mediagen: wrote %s in %.2f s\n", dir.c_str(), seconds);
    return 0;
}
