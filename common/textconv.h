#pragma once
#include <cstdint>
#include <string>

// Reads one decimal integer like a classic-locale istream: leading blanks, optional sign, digits.
// Text without a number gives 0; a number beyond 32 bits is clamped to the nearest limit.
int32_t stringToInt(const std::string& text);
std::string intToString(int32_t value);
// prefix + decimal number + suffix, e.g. "media/plat" 2 ".obj" -> "media/plat2.obj"
std::string numberedName(const std::string& prefix, int32_t number, const std::string& suffix);
