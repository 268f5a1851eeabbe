#include "textoverlay.h"

#include <cstdio>

#include "engine.h"
#include "mediacheck.h"

using namespace irr;

std::vector<OverlayText> overlayTexts;

const char* const blinkFontFile = "media/blinkfont.xml";
const char* const shoutFontFile = "media/shoutfont.xml";
const char* const bigFontFile = "media/bigfont.xml";

namespace {

const video::SColor textColor(255, 255, 77, 0);
const double blinkPeriod = 0.5;
const double shoutLifetime = 2.0;

TextHandle lastHandle = noText;  // serials only grow, so a removed entry's handle stays stale

gui::IGUIStaticText* addText(const wchar_t* text, const core::recti& box, gui::IGUIFont* font)
{
    gui::IGUIStaticText* element =
        engine.gui->addStaticText(text, box, false, false, nullptr, -1, false);
    element->setOverrideFont(font);
    element->setOverrideColor(textColor);
    return element;
}

// Removes the entry at index from the GUI and the list; later entries move up one place.
void eraseText(size_t index)
{
    if (overlayTexts[index].element)
        overlayTexts[index].element->remove();
    overlayTexts.erase(overlayTexts.begin() + index);
}

OverlayText* findText(TextHandle handle)
{
    for (OverlayText& entry : overlayTexts)
        if (entry.handle == handle)
            return &entry;
    return nullptr;
}

// A damaged font file counts as missing: the engine's loader would crash on it.
gui::IGUIFont* overlayFont(const char* fontFile)
{
    return fontFileIntact(fontFile) ? engine.gui->getFont(fontFile) : nullptr;
}

}  // namespace

void loadFonts()
{
    overlayFont(blinkFontFile);
    overlayFont(shoutFontFile);
    overlayFont(bigFontFile);
}

gui::IGUIStaticText* staticText(const wchar_t* text, int32_t x, int32_t y, int32_t flag,
                                const char* fontFile)
{
    gui::IGUIFont* font = overlayFont(fontFile);
    if (!font) {
        printf("Error, could not load font: %s\n", fontFile);
        fflush(stdout);  // the log must hold it even if the game dies next
        return nullptr;
    }
    core::dimension2du size = font->getDimension(text);
    int32_t w = static_cast<int32_t>(size.Width);
    int32_t h = static_cast<int32_t>(size.Height);

    core::recti box(0, 0, 0, 0);
    switch (flag) {
    case 0:
        box = core::recti(x, y, x + w, y + h);
        break;
    case 3:
        box = core::recti(x, y - h / 2, x + w, y + h / 2);
        break;
    case 4:
        box = core::recti(x - w / 2, y - h / 2, x + w / 2, y + h / 2);
        break;
    default:
        printf("Error: staticText: invalid flag (%i)\n", static_cast<int>(flag));
        fflush(stdout);
        break;
    }
    return addText(text, box, font);
}

TextHandle centeredText(const wchar_t* text, int32_t y, const char* fontFile)
{
    gui::IGUIFont* font = overlayFont(fontFile);
    if (!font) {
        printf("Error: font not found.\n");
        fflush(stdout);
        return noText;
    }
    core::dimension2du size = font->getDimension(text);
    int32_t w = static_cast<int32_t>(size.Width);
    int32_t h = static_cast<int32_t>(size.Height);
    int32_t cx = screenCenterX();

    OverlayText entry;
    entry.element = addText(text, core::recti(cx - w / 2, y - h / 2, cx + w / 2, y + h / 2), font);
    entry.handle = ++lastHandle;
    overlayTexts.push_back(entry);
    return entry.handle;
}

TextHandle blinkText(const wchar_t* text, int32_t y, double lifetime)
{
    TextHandle handle = centeredText(text, y, blinkFontFile);
    if (OverlayText* entry = handle != noText ? findText(handle) : nullptr) {
        entry->blink = true;
        entry->lifetime = lifetime;
    }
    return handle;
}

void shoutText(const wchar_t* text, int32_t y)
{
    TextHandle handle = centeredText(text, y, shoutFontFile);
    if (OverlayText* entry = handle != noText ? findText(handle) : nullptr)
        entry->lifetime = shoutLifetime;
}

void updateTexts(double dt)
{
    size_t i = 0;
    while (i < overlayTexts.size()) {
        OverlayText& entry = overlayTexts[i];
        entry.age += dt;
        if (entry.lifetime > 0 && entry.age > entry.lifetime) {
            eraseText(i);  // the next entry now sits at i
            continue;
        }
        if (entry.blink && entry.age > entry.lastToggle + blinkPeriod) {
            // phases are not caught up: the next one counts from this step
            entry.lastToggle = entry.age;
            entry.element->setVisible(!entry.element->isVisible());
        }
        ++i;
    }
}

void removeText(TextHandle handle)
{
    for (size_t i = 0; i < overlayTexts.size(); ++i) {
        if (handle != noText && overlayTexts[i].handle == handle) {
            eraseText(i);
            return;
        }
    }
    printf("Warning: removeText: text not found.\n");
    fflush(stdout);
}

void removeTimedTexts()
{
    size_t i = 0;
    while (i < overlayTexts.size()) {
        if (overlayTexts[i].lifetime > 0)
            eraseText(i);
        else
            ++i;
    }
}

int32_t screenCenterX()
{
    return static_cast<int32_t>(engine.video->getScreenSize().Width) / 2;
}

int32_t screenCenterY()
{
    return static_cast<int32_t>(engine.video->getScreenSize().Height) / 2;
}
