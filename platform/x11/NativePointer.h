#pragma once
// The pointer in device pixels. With display scaling Qt reports pointer
// positions in whole logical pixels, so some device pixels cannot be told
// apart that way; on X11 the pointer is read from the server instead.
#include <QPoint>
#include <QPointF>

#include <optional>

class QWidget;
class QWindow;

namespace platform {

// The pointer in device pixels of the X root window, where available.
std::optional<QPoint> NativePointerPosition();
// The same in `window`'s own X window.
std::optional<QPoint> NativePointerPosition(const QWindow* window);

// The device pixel under a logical position. Pointer positions are whole
// device pixels divided by the ratio; the small allowance undoes the rounding
// of that division, so 500 / 1.5 * 1.5 lands on 500 and not on 499.
QPoint DevicePixel(const QPointF& logical, double ratio);

// The device pixel of `widget`'s window (the widget's own for a window)
// under the pointer, for an event reported at `logical` (widget
// coordinates): from the server's exact position when it agrees with the
// event, otherwise from the logical position.
QPoint PointerPixel(const QWidget* widget, const QPointF& logical);

} // namespace platform
