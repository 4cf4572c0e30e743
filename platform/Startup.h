#pragma once
// What the program does before and while its QApplication is set up.
#include <QtGlobal>

#include <thread>

namespace platform {

// False, after one line on stderr saying so, where Qt is left to pick the
// display itself (no QT_QPA_PLATFORM, no -platform) and there is none:
// neither DISPLAY nor WAYLAND_DISPLAY is set.
bool HasDisplay(int argc, char** argv);

// Held while the QApplication is made. Qt ends the process with an abort and
// an English text when no platform plugin can start (no server behind
// DISPLAY, a missing Wayland socket), and its fatal messages at this stage
// come from there; instead, the program exits with status 1 after one line
// on stderr that says which display it could not reach. Qt's other messages
// meanwhile are held back, and passed on as usual once the application
// stands.
class DisplayFailureGuard {
public:
    DisplayFailureGuard();
    ~DisplayFailureGuard() { End(); }
    DisplayFailureGuard(const DisplayFailureGuard&) = delete;
    DisplayFailureGuard& operator=(const DisplayFailureGuard&) = delete;

    // Puts the previous message handler back and passes on what was held.
    void End();
};

// On X11, window contents go to the server through the connection instead of
// shared-memory images. A shared-memory backing store for a window as large
// as the screen (the still copy of a point measurement) costs a fresh segment
// that both sides fault in page by page: several times slower to show than
// sending it. Leaves a setting the user made alone.
void PrepareDisplayConnection();
// Once the application is connected: takes back what PrepareDisplayConnection
// put in the environment, which every program started from here (a browser,
// a mail program) would inherit otherwise.
void DisplayConnected();

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
