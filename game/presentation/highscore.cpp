#include "highscore.h"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const scoreFile = "score.dat";

bool writeAll(int fd, const unsigned char* bytes, size_t count)
{
    while (count > 0) {
        ssize_t written = write(fd, bytes, count);
        if (written < 0)
            return false;
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

// Makes the rename itself durable; a failure here loses nothing already written.
void syncWorkingDirectory()
{
    int dir = open(".", O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
}

}  // namespace

int32_t readHighScore()
{
    // O_NONBLOCK: a FIFO of that name must not stop the game; it reads as empty
    int fd = open(scoreFile, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return 0;
    unsigned char bytes[4];
    size_t got = 0;
    while (got < sizeof bytes) {
        ssize_t n = read(fd, bytes + got, sizeof bytes - got);
        if (n <= 0)
            break;  // end of file, or not a readable file (a directory)
        got += static_cast<size_t>(n);
    }
    close(fd);
    if (got < sizeof bytes)
        return 0;  // a short file holds no score
    uint32_t value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                     static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return static_cast<int32_t>(value);
}

void writeHighScore(int32_t score)
{
    // A new file beside the old one, renamed over it only once it is complete, so a crash
    // or a full disk never leaves a truncated score behind.
    std::string tempFile = std::string(scoreFile) + "." + std::to_string(getpid()) + ".tmp";
    uint32_t value = static_cast<uint32_t>(score);
    unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                              static_cast<unsigned char>(value >> 16),
                              static_cast<unsigned char>(value >> 24)};

    // A read-only score.dat is the player's wish to keep it: writing it in place would fail,
    // and so must the replacement. The new file takes over the old one's permissions.
    struct stat old;
    bool existed = stat(scoreFile, &old) == 0;
    bool writable = !existed || access(scoreFile, W_OK) == 0;
    int fd = writable ? open(tempFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666) : -1;
    bool saved = fd >= 0;
    if (saved && existed && S_ISREG(old.st_mode))
        fchmod(fd, old.st_mode & 07777);
    if (saved) {
        saved = writeAll(fd, bytes, sizeof bytes) && fsync(fd) == 0;
        saved = close(fd) == 0 && saved;
        saved = saved && rename(tempFile.c_str(), scoreFile) == 0;
        if (!saved)
            unlink(tempFile.c_str());
    }
    if (!saved) {
        printf("Warning: error saving high score.\n");
        fflush(stdout);  // the log must hold it even if the game dies next
        return;
    }
    syncWorkingDirectory();
}
