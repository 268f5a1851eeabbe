// Any existing file, then a write of a clean key and value: the value reads back, the rest of
// the old file stays, and no temporary file is left.
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <vector>

#include "fuzz_util.h"
#include "ini.h"

namespace {

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool clean(const std::string& text, bool isKey)
{
    if (text.empty())
        return !isKey;
    if (text.front() == ' ' || text.back() == ' ' || text.front() == '\t' || text.back() == '\t')
        return false;
    if (isKey && (text.front() == ';' || text.front() == '['))
        return false;
    for (char c : text)
        if (c == '\n' || c == '\r' || (isKey && c == '=') || c == '\0' || c == '\f' || c == '\v' ||
            c == '\t')
            return false;
    return text.size() <= 255;
}

std::vector<std::string> splitAt(const std::string& text)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string::npos)
            nl = text.size();
        lines.push_back(text.substr(pos, nl - pos));
        pos = nl + 1;
    }
    return lines;
}

bool smallChange(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix])
        ++prefix;
    size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;
    return a.size() - prefix - suffix <= 1 && b.size() - prefix - suffix <= 2;
}

int countEntries(const std::string& dir)
{
    int n = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                ++n;
        closedir(d);
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // layout: key length, value length, key, value, old file
    if (size < 2)
        return 0;
    size_t keyLength = data[0] % 16, valueLength = data[1] % 32;
    if (size < 2 + keyLength + valueLength)
        return 0;
    std::string key(reinterpret_cast<const char*>(data + 2), keyLength);
    std::string value(reinterpret_cast<const char*>(data + 2 + keyLength), valueLength);
    if (!clean(key, true) || !clean(value, false))
        return 0;
    const uint8_t* old = data + 2 + keyLength + valueLength;
    size_t oldSize = size - 2 - keyLength - valueLength;

    const std::string path = fuzzDir() + "/launcher.ini";
    writeBytes(path, old, oldSize);
    const std::string before = readAll(path);
    if (!iniWrite(path, "screen", key, value))
        std::abort();
    if (iniRead(path, "screen", key, "\x01missing") != value)
        std::abort();
    if (countEntries(fuzzDir()) != 1)
        std::abort();

    // apart from a line break added to an unfinished last line, at most one old line changed
    // and at most two new lines appeared, all in one place
    const std::vector<std::string> after = splitAt(readAll(path));
    if (!smallChange(splitAt(before), after) && !smallChange(splitAt(before + "\n"), after) &&
        !smallChange(splitAt(before + "\r\n"), after))
        std::abort();
    return 0;
}
