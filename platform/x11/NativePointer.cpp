#include "platform/x11/NativePointer.h"
#include "platform/x11/Xcb.h"

#include <QWidget>
#include <QWindow>

#include <cmath>

namespace platform {

std::optional<QPoint> NativePointerPosition() {
#ifdef TINTRA_HAVE_XCB
    xcb_connection_t* c = XcbConnection();
    if (!c) {
        return std::nullopt;
    }
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    if (!it.rem) {
        return std::nullopt;
    }
    xcb_query_pointer_reply_t* reply =
        xcb_query_pointer_reply(c, xcb_query_pointer(c, it.data->root), nullptr);
    if (!reply) {
        return std::nullopt;
    }
    const QPoint p(reply->root_x, reply->root_y);
    free(reply);
    return p;
#else
    return std::nullopt;
#endif
}

std::optional<QPoint> NativePointerPosition(const QWindow* window) {
#ifdef TINTRA_HAVE_XCB
    xcb_connection_t* c = XcbConnection();
    if (!c || !window) {
        return std::nullopt;
    }
    // Asked relative to the window itself: its place on the screen is known
    // to Qt only in whole logical pixels, so it may be a device pixel off.
    const auto id = static_cast<xcb_window_t>(window->winId());
    xcb_query_pointer_reply_t* reply =
        xcb_query_pointer_reply(c, xcb_query_pointer(c, id), nullptr);
    if (!reply) {
        return std::nullopt;
    }
    const std::optional<QPoint> p =
        reply->same_screen ? std::optional(QPoint(reply->win_x, reply->win_y)) : std::nullopt;
    free(reply);
    return p;
#else
    (void)window;
    return std::nullopt;
#endif
}

QPoint DevicePixel(const QPointF& logical, double ratio) {
    constexpr double allowance = 1e-6;
    return {static_cast<int>(std::floor(logical.x() * ratio + allowance)),
            static_cast<int>(std::floor(logical.y() * ratio + allowance))};
}

QPoint PointerPixel(const QWidget* widget, const QPointF& logical) {
    const QWidget* top = widget->window();
    const QPointF inWindow = widget->mapTo(top, logical);
    const double dpr = widget->devicePixelRatioF();
    const QPoint fromEvent = DevicePixel(inWindow, dpr);
    if (dpr == 1.0) {
        return fromEvent;
    }
    const auto exact = NativePointerPosition(top->windowHandle());
    // The pointer may have moved on since the event: use the server's
    // position only while it still lies within the event's logical pixel.
    if (!exact || std::abs(exact->x() / dpr - inWindow.x()) > 1.0 ||
        std::abs(exact->y() / dpr - inWindow.y()) > 1.0) {
        return fromEvent;
    }
    return *exact;
}

} // namespace platform
