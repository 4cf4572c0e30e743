#include "platform/ScreenStill.h"

#include <QGuiApplication>
#include <QPainter>
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

bool NearSize(const QSize& a, const QSize& b) {
    return std::abs(a.width() - b.width()) <= 1 && std::abs(a.height() - b.height()) <= 1;
}

bool ComposeScreens(const QList<QScreen*>& screens, const std::vector<QImage>& images,
                    std::vector<ScreenArea>& areas, QImage& still) {
    QRect all;
    for (QScreen* s : screens) {
        all |= s->geometry();
    }
    const double scale = LargestScale();
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const QRect g = screens[i]->geometry();
        const QSize size = images[std::size_t(i)].size();
        if (!NearSize(size, g.size() * screens[i]->devicePixelRatio())) {
            return false;
        }
        const QPoint d = g.topLeft() - all.topLeft();
        const QPoint at(static_cast<int>(std::lround(d.x() * scale)),
                        static_cast<int>(std::lround(d.y() * scale)));
        areas.push_back({screens[i], QRect(at, size)});
    }
    if (images.size() == 1 && areas.front().area.topLeft() == QPoint()) {
        still = images.front();
        return true;
    }
    const QRect bounds = Covered(areas).boundingRect();
    still = QImage(QSize(bounds.right() + 1, bounds.bottom() + 1), QImage::Format_RGB32);
    still.fill(Qt::black);
    QPainter painter(&still);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (std::size_t i = 0; i < images.size(); ++i) {
        painter.drawImage(areas[i].area.topLeft(), images[i]);
    }
    return true;
}

} // namespace platform
