#pragma once
// The application's X connection, for the parts of platform/ that talk to
// the X server themselves. Only in a build with the xcb headers.
#ifdef TINTRA_HAVE_XCB
#include <QGuiApplication>

#include <xcb/xcb.h>

namespace platform {

// Null without an X11 connection (offscreen, Wayland).
inline xcb_connection_t* XcbConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace platform
#endif
