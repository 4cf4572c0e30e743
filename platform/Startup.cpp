#include "platform/Startup.h"

#include <QByteArray>
#include <QtGlobal>

#include <dlfcn.h>

namespace platform {

void PrepareDisplayConnection() {
    if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", QByteArray("1"));
    }
}

FontConfigPreload::FontConfigPreload() {
    // Only the library Qt itself has loaded: its FcInit() is safe to call
    // from any thread, and Qt's own later call finds the work done.
    void* lib = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_NOLOAD);
    if (!lib) {
        return;
    }
    using Init = int (*)();
    const auto init = reinterpret_cast<Init>(dlsym(lib, "FcInit"));
    if (init) {
        thread_ = std::thread(init);
    }
    dlclose(lib);
}

void FontConfigPreload::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

} // namespace platform
