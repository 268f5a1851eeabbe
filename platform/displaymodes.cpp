#include "displaymodes.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

// Bits per pixel of the default depth; depth 24 is stored in 32-bit pixels, as Windows reports it.
uint32_t defaultBitsPerPixel(Display* display, int screen)
{
    const int depth = DefaultDepth(display, screen);
    uint32_t bits = uint32_t(depth);
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    for (int i = 0; formats && i < count; ++i) {
        if (formats[i].depth == depth)
            bits = uint32_t(formats[i].bits_per_pixel);
    }
    if (formats)
        XFree(formats);
    return bits;
}

// The output the desktop is shown on: the primary one, else the first connected one.
RROutput mainOutput(Display* display, Window root, XRRScreenResources* resources)
{
    RROutput primary = XRRGetOutputPrimary(display, root);
    for (int i = 0; primary && i < resources->noutput; ++i) {
        if (resources->outputs[i] == primary)
            return primary;
    }
    for (int i = 0; i < resources->noutput; ++i) {
        XRROutputInfo* info = XRRGetOutputInfo(display, resources, resources->outputs[i]);
        const bool connected = info && info->connection == RR_Connected && info->nmode > 0;
        if (info)
            XRRFreeOutputInfo(info);
        if (connected)
            return resources->outputs[i];
    }
    return None;
}

void addOutputModes(Display* display, Window root, uint32_t bits, std::vector<ReportedMode>& modes)
{
    XRRScreenResources* resources = XRRGetScreenResources(display, root);
    if (!resources)
        return;
    const RROutput output = mainOutput(display, root, resources);
    XRROutputInfo* info = output ? XRRGetOutputInfo(display, resources, output) : nullptr;
    for (int m = 0; info && m < info->nmode; ++m) {
        for (int i = 0; i < resources->nmode; ++i) {
            const XRRModeInfo& mode = resources->modes[i];
            if (mode.id == info->modes[m]) {
                modes.push_back({bits, int32_t(mode.width), int32_t(mode.height)});
                break;
            }
        }
    }
    if (info)
        XRRFreeOutputInfo(info);
    XRRFreeScreenResources(resources);
}

}  // namespace

std::vector<ReportedMode> reportDisplayModes()
{
    std::vector<ReportedMode> modes;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return modes;
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    const uint32_t bits = defaultBitsPerPixel(display, screen);

    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    const bool randr = XRRQueryExtension(display, &eventBase, &errorBase) &&
                       XRRQueryVersion(display, &major, &minor);
    if (randr && (major > 1 || (major == 1 && minor >= 2)))
        addOutputModes(display, root, bits, modes);
    if (modes.empty() && randr) {
        // servers with the older interface only list screen sizes
        int count = 0;
        XRRScreenSize* sizes = XRRSizes(display, screen, &count);
        for (int i = 0; sizes && i < count; ++i)
            modes.push_back({bits, int32_t(sizes[i].width), int32_t(sizes[i].height)});
    }
    if (modes.empty()) {
        // no RandR at all: the one mode the screen is in
        modes.push_back({bits, int32_t(DisplayWidth(display, screen)),
                         int32_t(DisplayHeight(display, screen))});
    }
    XCloseDisplay(display);
    return modes;
}
