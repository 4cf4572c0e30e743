#include "platform/WindowPlace.h"

#include "platform/Convert.h"
#include "platform/Twips.h"

#include <QtGlobal>

#include <cmath>

namespace platform {

std::optional<int> StoredEdge(const QString& stored) {
    const auto twips = ToSingle(stored);
    if (!twips) {
        return std::nullopt;
    }
    const float pixels = *twips / kTwipsPerPixel;
    if (!(std::fabs(pixels) < 32767.5f)) {
        return std::nullopt;
    }
    return qRound(pixels);
}

} // namespace platform
