#include "mediacheck.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <map>
#include <string>

#include "engine.h"

using namespace irr;

namespace {

std::map<std::string, bool> checkedFiles;

bool reportDamage(const char* file, bool intact)
{
    checkedFiles[file] = intact;
    if (!intact) {
        std::printf("Warning: damaged media file skipped: %s\n", file);
        std::fflush(stdout);
    }
    return intact;
}

bool endsWith(const char* text, const char* suffix)
{
    size_t n = std::strlen(text), m = std::strlen(suffix);
    return n >= m && std::strcmp(text + n - m, suffix) == 0;
}

// The whole file is one "BB3D" chunk whose length fits the file.
bool b3dComplete(io::IReadFile* in)
{
    unsigned char header[8];
    if (in->getSize() < 8 || in->read(header, 8) != 8 || std::memcmp(header, "BB3D", 4) != 0)
        return false;
    uint32_t length = uint32_t(header[4]) | uint32_t(header[5]) << 8 |
                      uint32_t(header[6]) << 16 | uint32_t(header[7]) << 24;
    return length <= uint32_t(in->getSize() - 8);
}

// A glyph rectangle: four integers separated by commas.
bool rectangleText(const wchar_t* text)
{
    int numbers = 0;
    bool inNumber = false;
    for (const wchar_t* p = text; *p; ++p) {
        if (std::iswdigit(*p) || (*p == L'-' && !inNumber)) {
            if (!inNumber)
                ++numbers;
            inNumber = true;
        } else if (*p == L',' || *p == L' ') {
            inNumber = false;
        } else {
            return false;
        }
    }
    return numbers == 4;
}

// The font closes, and every glyph and texture carries the attributes the engine reads.
bool fontComplete(io::IXMLReader* xml)
{
    bool closed = false;
    while (xml->read()) {
        const wchar_t* name = xml->getNodeName();
        if (xml->getNodeType() == io::EXN_ELEMENT) {
            if (std::wcscmp(name, L"c") == 0) {
                const wchar_t* rect = xml->getAttributeValue(L"r");
                if (!xml->getAttributeValue(L"c") || !rect || !rectangleText(rect))
                    return false;
            } else if (std::wcscmp(name, L"Texture") == 0 && !xml->getAttributeValue(L"filename")) {
                return false;
            }
        } else if (xml->getNodeType() == io::EXN_ELEMENT_END && std::wcscmp(name, L"font") == 0) {
            closed = true;
        }
    }
    return closed;
}

}  // namespace

bool meshFileIntact(const char* file)
{
    if (!endsWith(file, ".b3d"))
        return true;
    auto known = checkedFiles.find(file);
    if (known != checkedFiles.end())
        return known->second;
    io::IReadFile* in = engine.device->getFileSystem()->createAndOpenFile(file);
    if (!in)
        return true;
    bool intact = b3dComplete(in);
    in->drop();
    return reportDamage(file, intact);
}

bool fontFileIntact(const char* file)
{
    auto known = checkedFiles.find(file);
    if (known != checkedFiles.end())
        return known->second;
    if (!engine.device->getFileSystem()->existFile(file))
        return true;
    io::IXMLReader* xml = engine.device->getFileSystem()->createXMLReader(file);
    if (!xml)
        return true;
    bool intact = fontComplete(xml);
    xml->drop();
    return reportDamage(file, intact);
}
