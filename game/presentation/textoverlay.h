#pragma once
#include <cstdint>
#include <irrlicht.h>
#include <vector>

// A managed text is named by a serial number that is never reused, so a handle stays valid
// (or plainly stale) while other entries come and go. noText means "no handle".
using TextHandle = uint32_t;
const TextHandle noText = 0;

struct OverlayText {
    irr::gui::IGUIStaticText* element = nullptr;
    bool blink = false;
    double lifetime = 0;  // above 0: expires once age exceeds it
    double age = 0;
    double lastToggle = 0;
    TextHandle handle = noText;
};
extern std::vector<OverlayText> overlayTexts;  // creation order

extern const char* const blinkFontFile;  // "media/blinkfont.xml"
extern const char* const shoutFontFile;  // "media/shoutfont.xml"
extern const char* const bigFontFile;    // "media/bigfont.xml"

void loadFonts();
// flag 0: (x, y) top-left; 3: x left edge, y vertical centre; 4: (x, y) centre.
irr::gui::IGUIStaticText* staticText(const wchar_t* text, int32_t x, int32_t y, int32_t flag,
                                     const char* fontFile);
TextHandle centeredText(const wchar_t* text, int32_t y, const char* fontFile);
TextHandle blinkText(const wchar_t* text, int32_t y, double lifetime);
void shoutText(const wchar_t* text, int32_t y);
void updateTexts(double dt);
void removeText(TextHandle handle);
void removeTimedTexts();
int32_t screenCenterX();
int32_t screenCenterY();
