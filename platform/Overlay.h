#pragma once
// Marks drawn over a picture without becoming part of it: what picks read
// stays the picture itself.
#include <QRect>
#include <QRgb>

#include <utility>
#include <vector>

namespace platform {

// A rectangle of one colour drawn over a picture, in the picture's pixels.
struct Overlay {
    QRect rect;
    QRgb colour;
};

// Two rings round `inner`: black just outside it, white outside that. Seen on
// any colour, and the pixels of `inner` stay in sight.
inline std::vector<Overlay> RingsAround(const QRect& inner) {
    std::vector<Overlay> rings;
    for (const auto& [gap, colour] : {std::pair{1, qRgb(0, 0, 0)}, {2, qRgb(255, 255, 255)}}) {
        const QRect r = inner.adjusted(-gap, -gap, gap, gap);
        rings.push_back({QRect(r.left(), r.top(), r.width(), 1), colour});
        rings.push_back({QRect(r.left(), r.bottom(), r.width(), 1), colour});
        rings.push_back({QRect(r.left(), r.top() + 1, 1, r.height() - 2), colour});
        rings.push_back({QRect(r.right(), r.top() + 1, 1, r.height() - 2), colour});
    }
    return rings;
}

} // namespace platform
