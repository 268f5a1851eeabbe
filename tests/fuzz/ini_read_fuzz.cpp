// Any bytes as launcher.ini: reading never fails and never returns more than 255 characters.
#include <cstdint>
#include <cstdlib>

#include "fuzz_util.h"
#include "ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzzDir() + "/launcher.ini";
    writeBytes(path, data, size);
    for (const char* key : {"driver", "width", "height", "bits", "full", ""}) {
        std::string value = iniRead(path, "screen", key, "fallback");
        if (value.size() > 255)
            std::abort();
    }
    return 0;
}
