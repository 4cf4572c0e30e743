#pragma once
// What point measurement needs of the main window.
#include <cstdint>

class QWidget;

namespace platform {
class PictureBox;
}

namespace measure {

class Host {
public:
    virtual ~Host() = default;
    // Makes c (red + 256 * green + 65536 * blue) the current colour.
    virtual void PickColour(int32_t c) = 0;
    // Selects the tab "Punktmål".
    virtual void SelectMeasureTab() = 0;
    virtual void SetMainVisible(bool visible) = 0;
    // The measurement picture picFarge(1): 192 x 192 outside, 190 x 190 drawing area.
    virtual platform::PictureBox* MeasurePicture() = 0;
    // Moves the marker lines into the measurement picture, linX to x and linY
    // to y, and shows them.
    virtual void MarkMeasurePicture(double x, double y) = 0;
    // Owner of the capture window and of message boxes.
    virtual QWidget* MainWindow() = 0;
};

} // namespace measure
