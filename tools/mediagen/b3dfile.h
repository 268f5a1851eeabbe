#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Blitz3D chunk writer: each chunk's length excludes its own 8-byte header.
struct B3dWriter {
    std::vector<uint8_t> bytes;
    std::vector<size_t> open;
};

void b3dBegin(B3dWriter& w, const char tag[5]);
void b3dEnd(B3dWriter& w);
void b3dInt(B3dWriter& w, int32_t v);
void b3dFloat(B3dWriter& w, float v);
void b3dString(B3dWriter& w, const std::string& s);
bool b3dSave(const B3dWriter& w, const std::string& path);
