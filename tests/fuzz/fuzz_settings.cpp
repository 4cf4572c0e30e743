// libFuzzer target: the stored settings a main window starts from, one value
// a line (see Checks.h), offscreen.
#include "Checks.h"

#include <QApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::string broken = startup->Check(input);
    if (!broken.empty()) {
        std::fprintf(stderr, "start-up settings: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
