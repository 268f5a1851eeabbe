#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes 8-bit RGBA, non-interlaced, with no gamma or time chunks so the bytes never change.
bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);
