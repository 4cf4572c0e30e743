#pragma once
// Where windows can go on which desktop, in device pixels. On X11 one window
// may lie across every screen, and Qt's xcb keeps each screen's top-left
// corner at its native position while scaling only sizes; a window is then
// mapped at the pixel ratio of the one screen Qt puts it on, so a window over
// several screens cannot be given exactly through its logical geometry. On
// Wayland a window lies on one screen only.
#include <QRect>

class QWidget;

namespace platform {

// Whether one window may cover the whole desktop: on X11, but for several
// screens inside a Wayland session, where the compositor keeps a full-screen
// window on one screen and a plain one below its top bar. Elsewhere each
// screen needs a window of its own.
bool OneWindowAcrossScreens();

// Whether the pointer's position can be asked before it has moved over a
// window of ours. Not on Wayland, where the compositor tells a program only
// about its own windows.
bool PointerKnownAtStart();

// Whether a window goes where the program puts it. Not on Wayland, where the
// compositor places windows.
bool PlacesOwnWindows();

// Makes `widget`, a window not yet shown, cover `native` (device pixels of
// the X root) exactly once shown: it is put on the screen Qt will find it on,
// with the logical geometry Qt will read back, and its native window is
// placed in device pixels. Returns false without an X11 connection.
bool PlaceWindow(QWidget* widget, const QRect& native);

} // namespace platform
