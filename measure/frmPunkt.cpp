#include "measure/frmPunkt.h"

#include "platform/NativePointer.h"
#include "platform/NativeWindow.h"

#include "measure/Measure.h"
#include "measure/PointMeasure.h"
#include "measure/frmZoom.h"
#include "platform/PictureBox.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>

#include <cmath>

namespace measure {

frmPunkt::frmPunkt(PointMeasure& measure, QWidget* owner,
                   std::unique_ptr<platform::ScreenStill> still)
    : MeasureWindow(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_(measure), still_(std::move(still)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void frmPunkt::Form_Load() {
    setCursor(MeasureCursor());
    // The copy was taken before the window shows, so it cannot show itself.
    // Cover the whole desktop from its top-left corner, one still pixel on
    // each device pixel.
    origin_ = RootOrigin();
    const QSize size = still_->Size();
    if (!platform::PlaceWindow(this, QRect(origin_, size))) {
        QScreen* screen = QGuiApplication::primaryScreen();
        const double ratio = screen ? screen->devicePixelRatio() : 1.0;
        setGeometry(QRect(origin_, QSize(static_cast<int>(std::ceil(size.width() / ratio)),
                                         static_cast<int>(std::ceil(size.height() / ratio)))));
    }
    show();
    activateWindow();
    update();
    if (m_.lZoomHalf < kNoZoomHalf) {
        frmZoom* zoom = m_.LoadZoom();
        zoom->show();
    }
}

QPoint frmPunkt::RootOrigin() const {
    // Each screen keeps its top-left corner at its place on the root.
    for (const platform::ScreenArea& a : still_->Screens()) {
        if (a.screen) {
            return a.screen->geometry().topLeft() - a.area.topLeft();
        }
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->geometry().topLeft() : QPoint();
}

void frmPunkt::Form_MouseDown(int button, int, double x, double y) {
    if (button != 1) {
        return;
    }
    const int half = m_.lZoomHalf;
    const QPoint at(static_cast<int>(std::floor(x)) - half, static_cast<int>(std::floor(y)) - half);
    if (half == kNoZoomHalf) {
        platform::PictureBox* pic = m_.host.MeasurePicture();
        pic->SetPicture(QImage());
        const QSize area(pic->ScaleWidth(), pic->ScaleHeight());
        StretchBlock(Still(), QRect(at, area), pic->Image(), area);
        pic->Refresh();
        m_.host.MarkMeasurePicture(pic->width() / 2.0, pic->height() / 2.0);
    } else if (frmZoom* zoom = m_.Zoom()) {
        zoom->Cls();
        StretchBlock(Still(), QRect(at, QSize(2 * half, 2 * half)), zoom->View(),
                     zoom->View().size());
        zoom->update();
    }
    m_.host.SelectMeasureTab();
}

void frmPunkt::Form_MouseMove(int button, int shift, double x, double y) {
    Form_MouseDown(button, shift, x, y);
}

void frmPunkt::Form_MouseUp(int, int, double x, double y) {
    if (m_.lZoomHalf != kNoZoomHalf) {
        return;
    }
    const int32_t c = Point(x, y);
    if (c == -1) {
        return;
    }
    hide();
    m_.host.SetMainVisible(true);
    m_.host.PickColour(c);
    m_.UnloadPunkt();
}

void frmPunkt::Form_KeyUp(int keyCode, int) {
    if (keyCode != kEscape) {
        return;
    }
    hide();
    m_.UnloadZoom();
    m_.host.SetMainVisible(true);
    m_.UnloadPunkt();
}

const QImage& frmPunkt::Still() const {
    static const QImage none;
    return still_ ? still_->Image() : none;
}

void frmPunkt::paintEvent(QPaintEvent* e) {
    // Shown only with a still; one still pixel on each device pixel.
    if (!still_ || native_.Paint(*still_, e->region(), qRgb(0, 0, 0))) {
        return;
    }
    // Drawn into its size in logical pixels rather than given this window's
    // pixel ratio: that would copy the shared still at every paint.
    const QImage& still = still_->Image();
    const QRectF target(QPointF(), QSizeF(still.size()) / devicePixelRatioF());
    QPainter p(this);
    // Only what the still does not cover is filled: the still is large.
    for (const QRect& r : QRegion(rect()).subtracted(target.toRect())) {
        p.fillRect(r, Qt::black);
    }
    p.drawImage(target, still);
}

QPointF frmPunkt::PointerAt(const QPointF& eventPos) const {
    return platform::PointerPixel(this, eventPos, origin_);
}

} // namespace measure
