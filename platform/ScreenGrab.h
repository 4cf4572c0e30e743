#pragma once
// Which way the screen is copied on which desktop: the one place that
// decides.
#include "platform/Services.h"

#include <QString>

#include <memory>

namespace platform {

enum class GrabWay {
    // Read from the X server: plain X11 sessions, and platforms that hand
    // out their own screen copies (Qt's grabWindow).
    X11,
    // Asked of the desktop portal: native Wayland, and X11 inside a Wayland
    // session, whose root holds only the X11 windows.
    Portal,
    // Asked of KWin on KDE Plasma's Wayland session, the portal where KWin
    // refuses.
    KWin,
    // A native Wayland window elsewhere: copied by a wlroots compositor
    // (sway, ...), each screen at its own scale; the portal where the
    // compositor offers no such copy (GNOME) or it fails.
    WlrScreenCopy,
};

// Whether Qt's platform `platformName` ("xcb", "wayland", ...) runs inside a
// Wayland session, natively or on X11 through Xwayland, by the session type
// XDG_SESSION_TYPE and the Wayland display WAYLAND_DISPLAY.
bool InWaylandSession(const QString& platformName, const QString& sessionType,
                      const QString& waylandDisplay);

// The way for Qt's platform `platformName` ("xcb", "wayland", ...), the
// session type XDG_SESSION_TYPE, the Wayland display WAYLAND_DISPLAY and the
// desktop XDG_CURRENT_DESKTOP.
GrabWay ChooseGrab(const QString& platformName, const QString& sessionType,
                   const QString& waylandDisplay, const QString& currentDesktop);

// Whether the portal on desktop XDG_CURRENT_DESKTOP may draw the pointer
// into its copies: GNOME's and the wlroots desktops' leave it out, KDE's
// draws it; on any other it cannot be told.
bool PortalShowsPointer(const QString& currentDesktop);

// The grab for this process's platform and session.
std::unique_ptr<IScreenGrab> MakeScreenGrab();

} // namespace platform
