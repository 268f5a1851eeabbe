// Any bytes as launcher.ini: the reader gives a driver of 0, 1 or 2 and never shows the path error.
#include <cstdint>
#include <cstdlib>

#include "fuzz_util.h"
#include "messagebox.h"
#include "settings.h"

namespace {
void noBox(const std::string&) { std::abort(); }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    setErrorBoxHandler(noBox);
    writeBytes(fuzzDir() + "/launcher.ini", data, size);
    Settings s;
    readSettings(s);
    if (s.driver < 0 || s.driver > 2)
        std::abort();
    return 0;
}
