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

// The engine's XML reader scans for a closing '>' or quote without looking for the end of its
// buffer, so the raw text must close every tag and quote, and end with </font>, before it
// is parsed. UTF-16LE files (with their mark) are narrowed first; other characters only matter
// for their ASCII value here.
bool xmlTextCloses(io::IReadFile* in)
{
    const long largest = 16 << 20;
    long size = in->getSize();
    if (size <= 0 || size > largest)
        return false;
    std::string raw(static_cast<size_t>(size), '\0');
    if (in->read(&raw[0], static_cast<u32>(size)) != size)
        return false;
    std::string text;
    if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
        static_cast<unsigned char>(raw[1]) == 0xFE) {
        if (raw.size() % 2 != 0)
            return false;
        for (size_t i = 2; i < raw.size(); i += 2)
            text += raw[i + 1] == 0 ? raw[i] : '?';
    } else {
        text = raw;
    }
    bool inTag = false;
    char quote = 0;
    for (char c : text) {
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (inTag) {
            if (c == '"' || c == '\'')
                quote = c;
            else if (c == '>')
                inTag = false;
        } else if (c == '<') {
            inTag = true;
        }
    }
    if (inTag || quote)
        return false;
    size_t end = text.find_last_not_of(" \t\r\n");
    const std::string closing = "</font>";
    return end != std::string::npos && end + 1 >= closing.size() &&
           text.compare(end + 1 - closing.size(), closing.size(), closing) == 0;
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

// The verdict already given on file, or the check's on the opened file. A file that cannot be
// opened passes: the engine reports it itself.
template <typename Check>
bool checkOnce(const char* file, Check check)
{
    auto known = checkedFiles.find(file);
    if (known != checkedFiles.end())
        return known->second;
    io::IReadFile* in = engine.device->getFileSystem()->createAndOpenFile(file);
    if (!in)
        return true;
    bool intact = check(in);
    in->drop();
    return reportDamage(file, intact);
}

}  // namespace

bool meshFileIntact(const char* file)
{
    return !endsWith(file, ".b3d") || checkOnce(file, b3dComplete);
}

bool fontFileIntact(const char* file)
{
    return checkOnce(file, [file](io::IReadFile* in) {
        if (!xmlTextCloses(in))
            return false;
        io::IXMLReader* xml = engine.device->getFileSystem()->createXMLReader(file);
        if (!xml)
            return true;
        bool intact = fontComplete(xml);
        xml->drop();
        return intact;
    });
}
