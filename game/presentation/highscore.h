#pragma once
#include <cstdint>

// score.dat: 4 bytes, signed 32-bit little-endian, in the working directory.
int32_t readHighScore();
void writeHighScore(int32_t score);
