#pragma once
#include <cstdint>
#include <vector>

// One screen mode as the display reports it, before the launcher filters it.
struct ReportedMode {
    uint32_t bits;  // bits per pixel of the screen's default visual
    int32_t width;
    int32_t height;
};

// Every mode the default screen of the X display offers, in the order XRandR reports them,
// refresh-rate variants included. Empty when there is no display to talk to.
std::vector<ReportedMode> reportDisplayModes();
