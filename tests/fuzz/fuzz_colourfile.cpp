// libFuzzer target: any bytes as a colour file.
#include "Checks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::string broken = fuzzchecks::CheckColourFile(bytes);
    if (!broken.empty()) {
        std::fprintf(stderr, "colour file: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
