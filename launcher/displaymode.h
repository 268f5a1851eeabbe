#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One screen mode offered in the dialog.
struct DisplayMode {
    int32_t width;
    int32_t height;
    int32_t bits;
    std::string label;  // e.g. 800x600x32
};

// The modes in the order the display reported them; no two alike.
extern std::vector<DisplayMode> displayModes;

// Asks the display for its modes and appends them with addReportedMode.
void enumerateDisplayModes();
// Appends one reported mode unless it has 15 or fewer bits or is listed already.
void addReportedMode(uint32_t bits, int32_t width, int32_t height);
bool isModeListed(int32_t width, int32_t height, int32_t bits);
// The mode preselected when the settings name none that is listed.
int defaultModeIndex();
// The first mode with exactly these values, else defaultModeIndex.
int findModeIndex(int32_t width, int32_t height, int32_t bits);
