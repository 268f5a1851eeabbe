#pragma once
#include <cstdint>
#include <string>

struct Settings {
    int32_t driver = 0;  // 0 Direct3D 8, 1 OpenGL, 2 software
    int32_t width = 0;
    int32_t height = 0;
    int32_t bits = 0;
    int32_t full = 0;
};

extern const char* const settingsSection;  // "screen"

// Full path of launcher.ini in the working directory, or "" after showing the path error.
std::string settingsPath();
void readSettings(Settings& settings);
