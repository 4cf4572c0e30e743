#include "platform/ScreenStill.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace platform {

QRect NativeScreenRect(const QScreen* s) {
    return {s->geometry().topLeft(), s->geometry().size() * s->devicePixelRatio()};
}

std::vector<ScreenArea> NativeScreenAreas() {
    std::vector<ScreenArea> out;
    for (QScreen* s : QGuiApplication::screens()) {
        out.push_back({s, NativeScreenRect(s)});
    }
    return out;
}

std::vector<ScreenArea> ScaledScreenAreas(double scale) {
    QRect all;
    for (QScreen* s : QGuiApplication::screens()) {
        all |= s->geometry();
    }
    const auto at = [&](const QPoint& p) {
        const QPoint d = p - all.topLeft();
        return QPoint(static_cast<int>(std::lround(d.x() * scale)),
                      static_cast<int>(std::lround(d.y() * scale)));
    };
    std::vector<ScreenArea> out;
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect g = s->geometry();
        out.push_back({s, QRect(at(g.topLeft()),
                                at(g.topLeft() + QPoint(g.width(), g.height())) - QPoint(1, 1))});
    }
    return out;
}

double LargestScale() {
    double scale = 1.0;
    for (QScreen* s : QGuiApplication::screens()) {
        scale = std::max(scale, s->devicePixelRatio());
    }
    return scale;
}

QRegion Covered(const std::vector<ScreenArea>& areas) {
    QRegion r;
    for (const ScreenArea& a : areas) {
        r |= a.area;
    }
    return r;
}

} // namespace platform
