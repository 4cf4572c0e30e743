#pragma once
// One window of the capture: it shows one area of the still, one still pixel
// on each device pixel, with the keyboard cursor over it, and hands its mouse
// and key events to the capture window's handlers in still pixels. The
// capture window is the first of them; on a desktop where a window lies on
// one screen only, each further screen has one of its own.
#include "measure/MeasureWindow.h"
#include "platform/NativeImage.h"

#include <QRect>

namespace measure {

class frmPunkt;

class StillPane : public MeasureWindow {
public:
    StillPane(frmPunkt& punkt, QWidget* owner);

    // Shows `area` of the still, whose top-left pixel lies at `origin` on
    // the X root (where the pointer is read from there).
    void SetArea(const QRect& area, const QPoint& origin);
    const QRect& Area() const { return area_; }
    // Repaints what shows the still pixels `pixels`.
    void UpdatePixels(const QRect& pixels);

    // Handed on to the capture window.
    void Form_MouseDown(int button, int shift, double x, double y) override;
    void Form_MouseMove(int button, int shift, double x, double y) override;
    void Form_MouseUp(int button, int shift, double x, double y) override;
    void Form_KeyUp(int keyCode, int shift) override;
    void Form_KeyDown(int keyCode, int shift) override;

protected:
    void paintEvent(QPaintEvent* e) override;
    // The still pixel under the pointer.
    QPointF PointerAt(const QPointF& eventPos) const override;

private:
    frmPunkt& punkt_;
    QRect area_;
    QPoint origin_;
    platform::NativeImage native_{this};
};

} // namespace measure
