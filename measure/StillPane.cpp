#include "measure/StillPane.h"

#include "platform/NativePointer.h"

#include "measure/frmPunkt.h"

#include <QPaintEvent>
#include <QPainter>

namespace measure {

StillPane::StillPane(frmPunkt& punkt, QWidget* owner)
    : MeasureWindow(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      punkt_(punkt) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    // The keyboard cursor follows the pointer.
    setMouseTracking(true);
}

void StillPane::SetArea(const QRect& area, const QPoint& origin) {
    area_ = area;
    origin_ = origin;
}

void StillPane::UpdatePixels(const QRect& pixels) {
    const QRect local = pixels.translated(-area_.topLeft()) & QRect(QPoint(), area_.size());
    if (local.isEmpty()) {
        return;
    }
    update(platform::LogicalArea(local, devicePixelRatioF()));
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
    std::vector<platform::Overlay> marks = CrossHair(punkt_.Cursor());
    for (platform::Overlay& m : marks) {
        m.rect.translate(-area_.topLeft());
    }
    // Painted natively on X11 only, where one window shows the whole still.
    if (area_.topLeft().isNull() && native_.Paint(*still, e->region(), qRgb(0, 0, 0), marks)) {
        return;
    }
    const QImage& image = still->Image();
    const double dpr = devicePixelRatioF();
    // What the still covers, from this window's top-left device pixel.
    const QRect shown = QRect(QPoint(), area_.size()) & image.rect().translated(-area_.topLeft());
    QPainter p(this);
    // Drawn in device pixels, rather than giving the still this window's
    // pixel ratio: that would copy the shared still at every paint.
    p.scale(1 / dpr, 1 / dpr);
    for (const QRect& r : e->region()) {
        const QRect device = platform::DeviceArea(r, dpr);
        const QRect part = device & shown;
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

QPointF StillPane::PointerAt(const QPointF& eventPos) const {
    return area_.topLeft() + platform::PointerPixel(this, eventPos, origin_);
}

} // namespace measure
