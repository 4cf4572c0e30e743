#pragma once
// What the program does before and while its QApplication is set up.
#include <thread>

namespace platform {

// On X11, window contents go to the server through the connection instead of
// shared-memory images. A shared-memory backing store for a window as large
// as the screen (the still copy of a point measurement) costs a fresh segment
// that both sides fault in page by page: several times slower to show than
// sending it. Leaves a setting the user made alone.
void PrepareDisplayConnection();

// Reads the system's font configuration on a thread of its own, while the
// QApplication connects to the display. The first text the window measures
// would otherwise wait for it: reading the configuration is most of what
// setting up fonts costs. Does nothing where Qt does not use fontconfig.
// Where it starts the thread, it also makes every thread of the process
// allocate from the one heap (glibc), for the rest of the process's life.
class FontConfigPreload {
public:
    FontConfigPreload();
    ~FontConfigPreload() { Wait(); }
    FontConfigPreload(const FontConfigPreload&) = delete;
    FontConfigPreload& operator=(const FontConfigPreload&) = delete;

    // Returns once the configuration has been read.
    void Wait();

private:
    std::thread thread_;
};

} // namespace platform
