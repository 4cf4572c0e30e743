#pragma once
// Where a window goes from the place stored for it.
#include <QString>

#include <optional>

namespace platform {

// A stored window edge (twips) in pixels; nothing for a value that is not a
// number or lies beyond any screen.
std::optional<int> StoredEdge(const QString& stored);

} // namespace platform
