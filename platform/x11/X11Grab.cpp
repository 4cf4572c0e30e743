#include "platform/x11/X11Grab.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <vector>

namespace platform {

void X11Grab::Prepare() {
    roots_.Reserve(Covered(NativeScreenAreas()));
}

std::unique_ptr<ScreenStill> X11Grab::Grab() {
    std::vector<ScreenArea> areas = NativeScreenAreas();
    const QRegion screens = Covered(areas);
    // Areas from the still's top-left corner: the screens' bounding rectangle.
    for (ScreenArea& a : areas) {
        a.area.translate(-screens.boundingRect().topLeft());
    }
    std::unique_ptr<ScreenStill> still = Copy(screens);
    if (still) {
        still->SetScreens(std::move(areas));
    }
    return still;
}

std::unique_ptr<ScreenStill> X11Grab::Copy(const QRegion& screens) {
    // On X11 the whole desktop is copied at once: kept by the server where it
    // has room, read by the program where not.
    if (std::unique_ptr<ScreenStill> still = roots_.Grab(screens)) {
        return still;
    }
    if (QImage desk = GrabRootArea(screens); !desk.isNull()) {
        return std::make_unique<ScreenStill>(desk);
    }
    // Elsewhere each screen's own copy, in device pixels, goes at its corner.
    struct Shot {
        QPoint at;
        QImage image;
    };
    std::vector<Shot> shots;
    QRect all;
    for (QScreen* s : QGuiApplication::screens()) {
        QImage image = s->grabWindow(0).toImage();
        if (image.isNull()) {
            continue;
        }
        image.setDevicePixelRatio(1.0);
        all |= QRect(s->geometry().topLeft(), image.size());
        shots.push_back({s->geometry().topLeft(), std::move(image)});
    }
    if (shots.empty()) {
        return nullptr;
    }
    if (shots.size() == 1) {
        return std::make_unique<ScreenStill>(shots.front().image);
    }
    QImage desk(all.size(), QImage::Format_RGB32);
    desk.fill(Qt::black);
    QPainter painter(&desk);
    for (const Shot& shot : shots) {
        painter.drawImage(shot.at - all.topLeft(), shot.image);
    }
    painter.end();
    return std::make_unique<ScreenStill>(desk);
}

void X11Grab::GrabDesktop(StillDone done) {
    done({Grab(), false});
}

} // namespace platform
