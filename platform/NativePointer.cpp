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

namespace {

constexpr double kAllowance = 1e-6;

QPoint Floor(const QPointF& p) {
    return {static_cast<int>(std::floor(p.x() + kAllowance)),
            static_cast<int>(std::floor(p.y() + kAllowance))};
}

} // namespace

QPoint PointerPixel(const QWidget* widget, const QPointF& logical) {
    const double dpr = widget->devicePixelRatioF();
    const QScreen* screen = widget->screen();
    if (dpr == 1.0 || !screen) {
        return Floor(logical * dpr);
    }
    // A screen keeps its top-left corner in device pixels; positions on it
    // scale from there.
    const QPointF corner = screen->geometry().topLeft();
    return PointerPixel(widget, logical,
                        corner + (widget->mapToGlobal(QPointF(0, 0)) - corner) * dpr);
}

QPoint PointerPixel(const QWidget* widget, const QPointF& logical, const QPointF& origin) {
    const double dpr = widget->devicePixelRatioF();
    const QPoint fromEvent = Floor(logical * dpr);
    const auto native = dpr == 1.0 ? std::nullopt : NativePointerPosition();
    if (!native) {
        return fromEvent;
    }
    const QPoint exact = Floor(QPointF(*native) - origin);
    // The pointer may have moved on since the event: use the server's
    // position only while it still lies within the event's logical pixel.
    if (std::abs(exact.x() / dpr - logical.x()) > 1.0 ||
        std::abs(exact.y() / dpr - logical.y()) > 1.0) {
        return fromEvent;
    }
    return exact;
}

} // namespace platform
