#include "platform/NativePointer.h"
#include "platform/Xcb.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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

QPoint PointerPixel(const QWidget* widget, const QPointF& logical) {
    const double dpr = widget->devicePixelRatioF();
    constexpr double allowance = 1e-6;
    const QPoint fromEvent(static_cast<int>(std::floor(logical.x() * dpr + allowance)),
                           static_cast<int>(std::floor(logical.y() * dpr + allowance)));
    if (dpr == 1.0) {
        return fromEvent;
    }
    const auto native = NativePointerPosition();
    const QScreen* screen = widget->screen();
    if (!native || !screen) {
        return fromEvent;
    }
    // A screen keeps its top-left corner in device pixels; positions on it
    // scale from there.
    const QPointF corner = screen->geometry().topLeft();
    const QPointF origin = corner + (widget->mapToGlobal(QPointF(0, 0)) - corner) * dpr;
    const QPointF local = QPointF(*native) - origin;
    const QPoint exact(static_cast<int>(std::floor(local.x() + allowance)),
                       static_cast<int>(std::floor(local.y() + allowance)));
    // The pointer may have moved on since the event: use the server's
    // position only while it still lies within the event's logical pixel.
    if (std::abs(exact.x() / dpr - logical.x()) > 1.0 ||
        std::abs(exact.y() / dpr - logical.y()) > 1.0) {
        return fromEvent;
    }
    return exact;
}

} // namespace platform
