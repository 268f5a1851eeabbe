#include "b3dfile.h"

#include <cstdio>
#include <cstring>

static void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void b3dBegin(B3dWriter& w, const char tag[5])
{
    w.bytes.insert(w.bytes.end(), tag, tag + 4);
    w.open.push_back(w.bytes.size());
    putU32(w.bytes, 0);
}

void b3dEnd(B3dWriter& w)
{
    size_t at = w.open.back();
    w.open.pop_back();
    uint32_t length = uint32_t(w.bytes.size() - at - 4);
    for (int i = 0; i < 4; ++i)
        w.bytes[at + size_t(i)] = uint8_t(length >> (8 * i));
}

void b3dInt(B3dWriter& w, int32_t v) { putU32(w.bytes, uint32_t(v)); }

void b3dFloat(B3dWriter& w, float v)
{
    uint32_t u;
    std::memcpy(&u, &v, 4);
    putU32(w.bytes, u);
}

void b3dString(B3dWriter& w, const std::string& s)
{
    w.bytes.insert(w.bytes.end(), s.begin(), s.end());
    w.bytes.push_back(0);
}

bool b3dSave(const B3dWriter& w, const std::string& path)
{
    if (!w.open.empty())
        return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(w.bytes.data(), 1, w.bytes.size(), f) == w.bytes.size();
    return std::fclose(f) == 0 && ok;
}
