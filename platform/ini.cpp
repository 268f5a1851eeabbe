#include "ini.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const size_t maxValueLength = 255;

std::string trim(const std::string& text)
{
    const char* blanks = " \t\r\n\f\v";
    size_t begin = text.find_first_not_of(blanks);
    if (begin == std::string::npos)
        return std::string();
    size_t end = text.find_last_not_of(blanks);
    return text.substr(begin, end - begin + 1);
}

bool sameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// Reads a regular file whole; false when it is missing, unreadable or not a regular file.
bool readFile(const std::string& path, std::string& content)
{
    if (path.empty())
        return false;
    // without O_NONBLOCK a FIFO of that name would block here until someone writes to it
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return false;
    }
    content.clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            close(fd);
            return false;
        }
        if (n == 0)
            break;
        content.append(buffer, size_t(n));
    }
    close(fd);
    return true;
}

struct Line {
    std::string text;  // without the line ending
    std::string ending;
};

std::vector<Line> splitLines(const std::string& content)
{
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t nl = content.find('\n', pos);
        Line line;
        if (nl == std::string::npos) {
            line.text = content.substr(pos);
            pos = content.size();
        } else {
            line.text = content.substr(pos, nl - pos);
            line.ending = "\n";
            pos = nl + 1;
        }
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.ending = "\r" + line.ending;
        }
        lines.push_back(line);
    }
    return lines;
}

// The section name of a header line "[name]", or false for other lines.
bool sectionName(const std::string& line, std::string& name)
{
    std::string t = trim(line);
    if (t.size() < 2 || t[0] != '[')
        return false;
    size_t close = t.find(']');
    if (close == std::string::npos)
        return false;
    name = trim(t.substr(1, close - 1));
    return true;
}

// Splits "key = value"; false for lines without '=' and for comments.
bool keyValue(const std::string& line, std::string& key, std::string& value)
{
    std::string t = trim(line);
    if (t.empty() || t[0] == ';')
        return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos)
        return false;
    key = trim(t.substr(0, eq));
    value = trim(t.substr(eq + 1));
    return true;
}

bool writeAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

}  // namespace

std::string iniRead(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& fallback)
{
    std::string content;
    if (!readFile(path, content))
        return fallback;
    bool inSection = false;
    for (const Line& line : splitLines(content)) {
        std::string name, k, v;
        if (sectionName(line.text, name)) {
            if (inSection)
                break;  // the first matching section wins
            inSection = sameName(name, section);
        } else if (inSection && keyValue(line.text, k, v) && sameName(k, key)) {
            return v.substr(0, maxValueLength);
        }
    }
    return fallback;
}

bool iniWrite(const std::string& path, const std::string& section, const std::string& key,
              const std::string& value)
{
    if (path.empty())
        return false;
    std::string content;
    struct stat old;
    bool existed = stat(path.c_str(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode))
        return false;
    if (existed && !readFile(path, content))
        return false;  // unreadable: rewriting it would lose what it holds

    std::vector<Line> lines = splitLines(content);
    const std::string newline = (!lines.empty() && lines[0].ending == "\r\n") ? "\r\n" : "\n";
    const std::string entry = key + "=" + value;

    int sectionLine = -1;     // header of the first matching section
    int lastEntryLine = -1;   // last non-blank line inside it
    bool replaced = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name, k, v;
        if (sectionName(lines[i].text, name)) {
            if (sectionLine >= 0)
                break;
            if (sameName(name, section)) {
                sectionLine = int(i);
                lastEntryLine = int(i);
            }
        } else if (sectionLine >= 0) {
            if (keyValue(lines[i].text, k, v) && sameName(k, key)) {
                lines[i].text = entry;
                replaced = true;
                break;
            }
            if (!trim(lines[i].text).empty())
                lastEntryLine = int(i);
        }
    }
    if (!replaced) {
        if (!lines.empty() && lines.back().ending.find('\n') == std::string::npos) {
            std::string& ending = lines.back().ending;  // the last line had no line break
            ending = ending.empty() ? newline : ending + "\n";
        }
        if (sectionLine < 0) {
            lines.push_back(Line{"[" + section + "]", newline});
            lines.push_back(Line{entry, newline});
        } else {
            lines.insert(lines.begin() + lastEntryLine + 1, Line{entry, newline});
        }
    }

    std::string out;
    for (const Line& line : lines)
        out += line.text + line.ending;

    std::string temp = path + ".tmpXXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0)
        return false;
    fchmod(fd, existed ? (old.st_mode & 07777) : 0644);
    bool ok = writeAll(fd, out) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok)
        ok = rename(name.data(), path.c_str()) == 0;
    if (!ok)
        unlink(name.data());
    return ok;
}
