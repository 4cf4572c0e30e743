#include "platform/x11/NativeWindow.h"
#include "platform/ScreenGrab.h"
#include "platform/ScreenStill.h"
#include "platform/x11/Xcb.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace platform {

namespace {

// The screen Qt takes a top-level window at `native` to be on: the screen it
// was on (here the primary one) while that holds the centre, else the screen
// that holds it, else the last one it overlaps.
QScreen* ScreenOf(const QRect& native) {
    QScreen* current = QGuiApplication::primaryScreen();
    if (!current || NativeScreenRect(current).contains(native.center())) {
        return current;
    }
    QScreen* fallback = current;
    for (QScreen* s : current->virtualSiblings()) {
        if (NativeScreenRect(s).contains(native.center())) {
            return s;
        }
        if (NativeScreenRect(s).intersects(native)) {
            fallback = s;
        }
    }
    return fallback;
}

} // namespace

bool OneWindowAcrossScreens() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") &&
           (QGuiApplication::screens().size() < 2 ||
            !InWaylandSession(platform, qEnvironmentVariable("XDG_SESSION_TYPE"),
                              qEnvironmentVariable("WAYLAND_DISPLAY")));
}

bool PointerKnownAtStart() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool PlacesOwnWindows() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool PlaceWindow(QWidget* widget, const QRect& native) {
#ifdef TINTRA_HAVE_XCB
    xcb_connection_t* c = XcbConnection();
    QScreen* screen = ScreenOf(native);
    if (!c || !screen) {
        return false;
    }
    // The logical geometry Qt reads back from the native one on that screen,
    // so that placing the native window changes nothing Qt knows of: no
    // resize, no second paint of the whole window.
    const double ratio = screen->devicePixelRatio();
    const QPoint corner = screen->geometry().topLeft();
    const QPointF offset = QPointF(native.topLeft() - corner) / ratio;
    widget->setScreen(screen);
    widget->setGeometry(QRect(corner + QPoint(static_cast<int>(std::lround(offset.x())),
                                              static_cast<int>(std::lround(offset.y()))),
                              QSize(static_cast<int>(std::lround(native.width() / ratio)),
                                    static_cast<int>(std::lround(native.height() / ratio)))));
    // Placed before it maps, so that it shows once, where it belongs.
    const auto window = static_cast<xcb_window_t>(widget->winId());
    const uint32_t values[] = {static_cast<uint32_t>(native.x()), static_cast<uint32_t>(native.y()),
                               static_cast<uint32_t>(native.width()),
                               static_cast<uint32_t>(native.height())};
    xcb_configure_window(c, window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    return true;
#else
    (void)widget;
    (void)native;
    return false;
#endif
}

} // namespace platform
