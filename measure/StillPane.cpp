#include "measure/StillPane.h"

#include "platform/x11/NativePointer.h"

#include "measure/frmPunkt.h"

#include <QPaintEvent>
#include <QPainter>

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
    if (local.isEmpty()) {
        return;
    }
    update(platform::LogicalArea(ToDevice(local), devicePixelRatioF()));
}

QPoint StillPane::GlobalOf(const QPoint& p) const {
    const QPoint d = ToDevice(QRect(p - area_.topLeft(), QSize(1, 1))).topLeft();
    return mapToGlobal(QPointF(d) / devicePixelRatioF()).toPoint();
}

QSize StillPane::DeviceSize() const {
    const double dpr = devicePixelRatioF();
    return {static_cast<int>(std::lround(width() * dpr)),
            static_cast<int>(std::lround(height() * dpr))};
}

bool StillPane::Scaled() const {
    // A pixel more may come from rounding the screen's size.
    const QSize d = DeviceSize();
    return !d.isEmpty() && (area_.width() > d.width() + 1 || area_.height() > d.height() + 1);
}

QPoint StillPane::ToStill(const QPoint& d) const {
    if (!Scaled()) {
        return d;
    }
    // As an enlargement maps, the other way round (BlockSource).
    return BlockSource(d, QRect(QPoint(), area_.size()), DeviceSize());
}

QRect StillPane::ToDevice(const QRect& r) const {
    if (!Scaled()) {
        return r;
    }
    const QSize d = DeviceSize();
    const auto at = [&](const QPoint& p) {
        return QPoint(static_cast<int>(qint64(p.x()) * d.width() / area_.width()),
                      static_cast<int>(qint64(p.y()) * d.height() / area_.height()));
    };
    return {at(r.topLeft()), at(r.bottomRight())};
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
        m.rect = ToDevice(m.rect.translated(-area_.topLeft()));
    }
    // Painted natively on X11 only, where one window shows the whole still.
    const bool scaled = Scaled();
    if (area_.topLeft().isNull() && !scaled &&
        native_.Paint(*still, e->region(), qRgb(0, 0, 0), marks)) {
        return;
    }
    const QImage& image = still->Image();
    const double dpr = devicePixelRatioF();
    // What the still covers, from this window's top-left device pixel.
    const QRect shown =
        ToDevice(QRect(QPoint(), area_.size()) & image.rect().translated(-area_.topLeft()));
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
        if (!part.isEmpty() && !scaled) {
            p.drawImage(part.topLeft(), image, part.translated(area_.topLeft()));
        } else if (!part.isEmpty()) {
            p.drawImage(part.topLeft(), Shrunk(image, part));
        }
        for (const platform::Overlay& m : marks) {
            p.fillRect(m.rect & device, QColor(m.colour));
        }
    }
}

QImage StillPane::Shrunk(const QImage& image, const QRect& part) const {
    QImage out(part.size(), QImage::Format_RGB32);
    std::vector<int> columns(static_cast<size_t>(part.width()));
    for (int x = 0; x < part.width(); ++x) {
        columns[static_cast<size_t>(x)] =
            std::clamp(area_.x() + ToStill({part.x() + x, 0}).x(), 0, image.width() - 1);
    }
    for (int y = 0; y < part.height(); ++y) {
        const int sy =
            std::clamp(area_.y() + ToStill({0, part.y() + y}).y(), 0, image.height() - 1);
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(sy));
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < part.width(); ++x) {
            row[x] = in[columns[static_cast<size_t>(x)]];
        }
    }
    return out;
}

QPointF StillPane::PointerAt(const QPointF& eventPos) const {
    return area_.topLeft() + ToStill(platform::PointerPixel(this, eventPos));
}

} // namespace measure
