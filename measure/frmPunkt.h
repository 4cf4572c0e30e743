#pragma once
// The capture window: a borderless window over the whole desktop showing a
// still copy of it, taken once when the window loads. Its coordinates are
// device pixels of the copy, so window point (x, y) is screen pixel (x, y).
#include "measure/Measure.h"
#include "measure/MeasureWindow.h"
#include "platform/NativeImage.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <memory>

namespace measure {

class PointMeasure;

class frmPunkt : public MeasureWindow {
public:
    // Shows `still`, the copy of the desktop taken for this measurement.
    frmPunkt(PointMeasure& measure, QWidget* owner, std::unique_ptr<platform::ScreenStill> still);

    void Form_Load();
    // button: 1 left, 2 right, 4 middle (a move passes the buttons held);
    // shift is not used.
    void Form_MouseDown(int button, int shift, double x, double y) override;
    void Form_MouseMove(int button, int shift, double x, double y) override;
    void Form_MouseUp(int button, int shift, double x, double y) override;
    void Form_KeyUp(int keyCode, int shift) override;

    // Colour of the still at (x, y), or -1 outside it.
    int32_t Point(double x, double y) const { return PointOf(Still(), x, y); }
    // The still (waiting for the program's copy of it), or a null image.
    const QImage& Still() const;

protected:
    void paintEvent(QPaintEvent* e) override;

    // The device pixel under the pointer.
    QPointF PointerAt(const QPointF& eventPos) const override;

private:
    // Where the still's top-left pixel lies on the X root.
    QPoint RootOrigin() const;

    PointMeasure& m_;
    QPoint origin_;
    std::unique_ptr<platform::ScreenStill> still_;
    platform::NativeImage native_{this};
};

} // namespace measure
