#pragma once
// The pointer in device pixels. With display scaling Qt reports pointer
// positions in whole logical pixels, so some device pixels cannot be told
// apart that way; on X11 the pointer is read from the server instead.
#include <QPoint>
#include <QPointF>

#include <optional>

class QWidget;

namespace platform {

// The pointer in device pixels of the X root window, where available.
std::optional<QPoint> NativePointerPosition();

// The device pixel of `widget` under the pointer, for an event reported at
// `logical` (widget coordinates): from the server's exact position when it
// agrees with the event, otherwise from the logical position.
QPoint PointerPixel(const QWidget* widget, const QPointF& logical);
// The same for a widget whose top-left device pixel lies at `origin` on the
// X root.
QPoint PointerPixel(const QWidget* widget, const QPointF& logical, const QPointF& origin);

} // namespace platform
