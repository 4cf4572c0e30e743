#include "platform/Startup.h"

#include <QByteArray>
#include <QtGlobal>

#include <dlfcn.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

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
#ifdef __GLIBC__
        // One heap for every thread: what the reading frees (most of what it
        // allocates) is then reused by the window built next, instead of
        // staying in an arena of the thread's own while the window takes
        // fresh pages, each a page fault. The program's threads seldom
        // allocate at the same time, so sharing costs nothing noticeable.
        mallopt(M_ARENA_MAX, 1);
#endif
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
