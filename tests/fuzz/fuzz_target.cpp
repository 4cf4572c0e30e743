// The libFuzzer targets: any bytes as a colour file (fuzz_colourfile), or as
// the stored settings a main window starts from, one value a line, offscreen
// (fuzz_settings; see Checks.h).
#include "Checks.h"

#include <QApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#ifdef TINTRA_FUZZ_SETTINGS
namespace {
// Kept to the end of the process: destroyed at exit they would outlive the
// Qt globals they need.
fuzzchecks::StartupSettings* startup = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv);
    startup = new fuzzchecks::StartupSettings;
    return 0;
}
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
#ifdef TINTRA_FUZZ_SETTINGS
    const std::string broken = startup->Check(bytes);
#else
    const std::string broken = fuzzchecks::CheckColourFile(bytes);
#endif
    if (!broken.empty()) {
        std::fprintf(stderr, "%s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
