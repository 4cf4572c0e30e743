#pragma once
// Where a window goes from the place stored for it.
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

namespace platform {

// A stored window edge (twips) in pixels; nothing for a value that is not a
// number or lies beyond any screen.
std::optional<int> StoredEdge(const QString& stored);

// Where a window whose frame is `frame` goes: where it stands when some of it
// lies on a screen; else (its screen since taken away) onto the screen
// nearest to it, as near to where it stood as that screen's work area lets it.
QPoint OnScreen(const QRect& frame);

} // namespace platform
