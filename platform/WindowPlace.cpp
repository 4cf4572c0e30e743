#include "platform/WindowPlace.h"

#include "platform/Convert.h"
#include "platform/Twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdint>

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

QPoint OnScreen(const QRect& frame) {
    const QRect window(frame.topLeft(), frame.size().expandedTo({1, 1}));
    const QScreen* nearest = nullptr;
    int64_t nearestDistance = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->geometry();
        if (area.intersects(window)) {
            return frame.topLeft();
        }
        const int64_t dx =
            std::max({0, area.left() - window.right(), window.left() - area.right()});
        const int64_t dy =
            std::max({0, area.top() - window.bottom(), window.top() - area.bottom()});
        if (!nearest || dx * dx + dy * dy < nearestDistance) {
            nearest = screen;
            nearestDistance = dx * dx + dy * dy;
        }
    }
    if (!nearest) {
        return frame.topLeft();
    }
    // The left or top edge stays on the screen where the window is larger.
    const QRect work = nearest->availableGeometry();
    return {std::max(work.left(), std::min(window.left(), work.right() + 1 - window.width())),
            std::max(work.top(), std::min(window.top(), work.bottom() + 1 - window.height()))};
}

} // namespace platform
