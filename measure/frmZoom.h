#pragma once
// The zoom window: a small tool window over the capture window showing the
// block around the pointer enlarged, from which the colour is then taken.
// Handler positions are logical pixels of its 190 x 190 drawing area; its
// image holds the view in device pixels, and every read takes the device
// pixel under the given position.
#include "measure/Measure.h"
#include "measure/MeasureWindow.h"
#include "platform/NativeImage.h"

#include <QImage>
#include <QWidget>

#include <cstdint>

namespace measure {

class PointMeasure;

class frmZoom : public MeasureWindow {
public:
    frmZoom(PointMeasure& measure, QWidget* owner);

    void Form_Load();
    // Button and shift are not used: every button acts alike.
    void Form_MouseDown(int button, int shift, double x, double y) override;
    void Form_MouseMove(int button, int shift, double x, double y) override;
    void Form_MouseUp(int button, int shift, double x, double y) override;
    void Form_KeyUp(int keyCode, int shift) override;
    // Stores the position (unless minimised or maximised).
    void Form_Unload();

    // Colour shown at (x, y), or -1 outside the drawing area.
    int32_t Point(double x, double y) const;
    // Clears the view to the window background.
    void Cls();
    // The view in device pixels; draw into it and call update().
    QImage& View() { return view_; }

protected:
    // The corner of the device pixel under the pointer, in logical pixels.
    QPointF PointerAt(const QPointF& eventPos) const override;

    void paintEvent(QPaintEvent* e) override;

private:
    PointMeasure& m_;
    QImage view_;
    platform::NativeImage native_{this};
};

} // namespace measure
