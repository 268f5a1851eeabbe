#include "textconv.h"

#include <locale>
#include <sstream>

int32_t stringToInt(const std::string& text)
{
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    int32_t value = 0;
    in >> value;  // on overflow the stream stores the limit, on no digits 0
    return value;
}

std::string intToString(int32_t value)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << value;
    return out.str();
}

std::string numberedName(const std::string& prefix, int32_t number, const std::string& suffix)
{
    return prefix + intToString(number) + suffix;
}
