#pragma once
// What a screen reader hears of a measurement. The capture window's value is
// what its cross-hair stands on, the zoom window's (and then the capture
// window's too, which keeps the keyboard) the pixel its outline marks: the
// colour and its place on the screen, reported on every move. A finished
// measurement reports the colour taken, which the main window's measurement
// picture then keeps as its value.
#include <QPoint>
#include <QString>

#include <cstdint>

class QWidget;

namespace measure {

class frmPunkt;
class PointMeasure;

// "RGB(r,g,b), x X, y Y" for colour `c` at screen pixel `at`.
QString SpokenPoint(int32_t c, const QPoint& at);

// Names the measurement picture, whose value becomes the last colour taken.
void NameMeasurePicture(QWidget* picture);
// The capture window's cross-hair stands on a new pixel, or takes a new
// block: what a pick there would take.
void ReportCursor(const frmPunkt& punkt);
// The zoom window's outline marks a new pixel of its block.
void ReportCell(const PointMeasure& m);
// Where block pixel `cell` of the zoom window lies on the screen.
QPoint CellOnScreen(const PointMeasure& m, const QPoint& cell);
// Colour `c`, at screen pixel `at`, is taken.
void ReportTaken(PointMeasure& m, int32_t c, const QPoint& at);

} // namespace measure
