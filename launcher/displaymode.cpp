#include "displaymode.h"

#include "displaymodes.h"
#include "textconv.h"

std::vector<DisplayMode> displayModes;

void enumerateDisplayModes()
{
    for (const ReportedMode& mode : reportDisplayModes())
        addReportedMode(mode.bits, mode.width, mode.height);
}

void addReportedMode(uint32_t bits, int32_t width, int32_t height)
{
    if (bits <= 15)
        return;
    // refresh rates are not offered, so their variants collapse into the first one
    if (isModeListed(width, height, int32_t(bits)))
        return;
    const std::string label =
        intToString(width) + "x" + intToString(height) + "x" + intToString(int32_t(bits));
    displayModes.push_back({width, height, int32_t(bits), label});
}

bool isModeListed(int32_t width, int32_t height, int32_t bits)
{
    for (const DisplayMode& mode : displayModes) {
        if (mode.width == width && mode.height == height && mode.bits == bits)
            return true;
    }
    return false;
}

int defaultModeIndex()
{
    // the first mode starts as candidate even when it is larger than 1024x768
    int candidate = 0;
    for (int i = 0; i < int(displayModes.size()); ++i) {
        const DisplayMode& mode = displayModes[size_t(i)];
        if (mode.width > 1024 || mode.height > 768 || mode.bits <= 15)
            continue;
        const DisplayMode& best = displayModes[size_t(candidate)];
        if (mode.width >= best.width && mode.height >= best.height && mode.bits >= best.bits)
            candidate = i;
    }
    return candidate;
}

int findModeIndex(int32_t width, int32_t height, int32_t bits)
{
    for (int i = 0; i < int(displayModes.size()); ++i) {
        const DisplayMode& mode = displayModes[size_t(i)];
        if (mode.width == width && mode.height == height && mode.bits == bits)
            return i;
    }
    return defaultModeIndex();
}
