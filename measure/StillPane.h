#pragma once
// One window of the capture: it shows one area of the still, one still pixel
// on each device pixel, with the keyboard cursor over it, and hands its mouse
// and key events to the capture window's handlers in still pixels. The
// capture window is the first of them; on a desktop where a window lies on
// one screen only, each further screen has one of its own. Its area holds
// that screen's device pixels (AtDevicePixels), and it shows them one to one
// from its top-left corner.
#include "measure/MeasureWindow.h"
#include "platform/x11/NativeImage.h"

#include <QPointF>
#include <QRect>

#include <optional>

namespace measure {

class frmPunkt;

class StillPane : public MeasureWindow {
public:
    StillPane(frmPunkt& punkt, QWidget* owner);

    // Shows `area` of the still.
    void SetArea(const QRect& area);
    const QRect& Area() const { return area_; }
    // Repaints what shows the still pixels `pixels`.
    void UpdatePixels(const QRect& pixels);
    // Where still pixel `p`, one of the area, shows on the desktop, in
    // Qt's global coordinates, and the still pixel at a global point.
    QPoint GlobalOf(const QPoint& p) const;
    QPoint StillAt(const QPoint& global) const;

    // Handed on to the capture window.
    void Form_MouseDown(int button, int shift, double x, double y) override;
    void Form_MouseMove(int button, int shift, double x, double y) override;
    void Form_MouseUp(int button, int shift, double x, double y) override;
    void Form_KeyUp(int keyCode, int shift) override;
    void Form_KeyDown(int keyCode, int shift) override;

protected:
    void paintEvent(QPaintEvent* e) override;
    // Once the window exists, its own pointer events are watched.
    void showEvent(QShowEvent* e) override;
    // Keeps where the window's own pointer event lies: Qt hands widgets the
    // pointer in whole logical pixels, the window has it exact (to a device
    // pixel at scale 2 on Wayland).
    bool eventFilter(QObject* watched, QEvent* e) override;
    // Where the pointer comes in, the capture window learns of it.
    void enterEvent(QEnterEvent* e) override;
    // The still pixel under the pointer.
    QPointF PointerAt(const QPointF& eventPos) const override;

private:
    frmPunkt& punkt_;
    QRect area_;
    std::optional<QPointF> exact_;
    platform::NativeImage native_{this};
};

} // namespace measure
