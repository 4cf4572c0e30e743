#include "measure/StillPane.h"

#include "platform/x11/NativePointer.h"

#include "measure/frmPunkt.h"

#include <QEnterEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <vector>

namespace measure {

StillPane::StillPane(frmPunkt& punkt, QWidget* owner)
    : MeasureWindow(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      punkt_(punkt) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    // The keyboard cursor follows the pointer.
    setMouseTracking(true);
}

void StillPane::SetArea(const QRect& area) {
    area_ = area;
}

void StillPane::UpdatePixels(const QRect& pixels) {
    const QRect local = pixels.translated(-area_.topLeft()) & QRect(QPoint(), area_.size());
    if (!local.isEmpty()) {
        update(platform::LogicalArea(local, devicePixelRatioF()));
    }
}

QPoint StillPane::GlobalOf(const QPoint& p) const {
    return mapToGlobal(QPointF(p - area_.topLeft()) / devicePixelRatioF()).toPoint();
}

QPoint StillPane::StillAt(const QPoint& global) const {
    return area_.topLeft() + DevicePixel(mapFromGlobal(QPointF(global)), devicePixelRatioF());
}

void StillPane::Form_MouseDown(int button, int shift, double x, double y) {
    punkt_.Form_MouseDown(button, shift, x, y);
}

void StillPane::Form_MouseMove(int button, int shift, double x, double y) {
    punkt_.Form_MouseMove(button, shift, x, y);
}

void StillPane::Form_MouseUp(int button, int shift, double x, double y) {
    punkt_.Form_MouseUp(button, shift, x, y);
}

void StillPane::Form_KeyUp(int keyCode, int shift) {
    punkt_.Form_KeyUp(keyCode, shift);
}

void StillPane::Form_KeyDown(int keyCode, int shift) {
    punkt_.Form_KeyDown(keyCode, shift);
}

void StillPane::paintEvent(QPaintEvent* e) {
    const platform::ScreenStill* still = punkt_.StillCopy();
    if (!still) {
        return;
    }
    // The cross-hair over the still, drawn in the same paint.
    std::vector<platform::Overlay> marks = punkt_.CrossHairShown();
    for (platform::Overlay& m : marks) {
        m.rect.translate(-area_.topLeft());
    }
    for (const platform::Overlay& m : punkt_.MagnifierRing(this)) {
        marks.push_back(m);
    }
    const QImage& image = still->Image();
    // What of the still this window shows, from its top-left device pixel.
    const QRect shown = area_ & image.rect();
    if (area_.topLeft().isNull()) {
        if (native_.Paint(*still, e->region(), qRgb(0, 0, 0), marks)) {
            return;
        }
    } else if (native_.Paint(shown.isEmpty() || shown.topLeft() != area_.topLeft()
                                 ? QImage()
                                 : QImage(image.constScanLine(shown.y()) + shown.x() * 4,
                                          shown.width(), shown.height(), image.bytesPerLine(),
                                          QImage::Format_RGB32),
                             e->region(), qRgb(0, 0, 0), marks)) {
        return;
    }
    // Not painted natively: the window has no native surface of its own, and
    // paints through its backing store.
    const double dpr = devicePixelRatioF();
    const QRect local = shown.translated(-area_.topLeft());
    QPainter p(this);
    // Drawn in device pixels, rather than giving the still this window's
    // pixel ratio: that would copy the shared still at every paint.
    p.scale(1 / dpr, 1 / dpr);
    for (const QRect& r : e->region()) {
        const QRect device = platform::DeviceArea(r, dpr);
        const QRect part = device & local;
        for (const QRect& u : QRegion(device).subtracted(part)) {
            p.fillRect(u, Qt::black);
        }
        if (!part.isEmpty()) {
            p.drawImage(part.topLeft(), image, part.translated(area_.topLeft()));
        }
        for (const platform::Overlay& m : marks) {
            p.fillRect(m.rect & device, QColor(m.colour));
        }
    }
}

void StillPane::showEvent(QShowEvent* e) {
    if (QWindow* window = windowHandle()) {
        window->removeEventFilter(this);
        window->installEventFilter(this);
    }
    MeasureWindow::showEvent(e);
}

bool StillPane::eventFilter(QObject* watched, QEvent* e) {
    switch (e->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        exact_ = static_cast<QSinglePointEvent*>(e)->position();
        break;
    default:
        break;
    }
    return MeasureWindow::eventFilter(watched, e);
}

void StillPane::enterEvent(QEnterEvent* e) {
    punkt_.PointerSeen(PointerAt(e->position()).toPoint());
    MeasureWindow::enterEvent(e);
}

QPointF StillPane::PointerAt(const QPointF& eventPos) const {
    // The window's own position of this event, where it is the same one.
    const bool same = exact_ && std::abs(exact_->x() - eventPos.x()) < 1.0 &&
                      std::abs(exact_->y() - eventPos.y()) < 1.0;
    return area_.topLeft() + platform::PointerPixel(this, same ? *exact_ : eventPos);
}

} // namespace measure
