#pragma once
// The zoom window: a small tool window over the capture window showing the
// block around the pointer enlarged, from which the colour is then taken.
// Handler positions are logical pixels of its 190 x 190 drawing area; its
// image holds the view in device pixels, and every read takes the device
// pixel under the given position. Once a block shows, one of its pixels is
// the window's choice: the one under the pointer while it moves over the
// window, moved by the arrow keys once a press from the keyboard holds the
// block, and taken by Enter as a click on it would. While the pointer is
// over the window or the keys move the choice, an outline marks it, around
// the whole block whose mean a pick takes where that is more than the one
// pixel (and then always). A pick takes the colour shown, or that mean of
// the still around the pixel shown (frmPunkt::Sample). Its keys
// go to the capture window's one key handler, so that they act alike
// wherever the desktop puts the keyboard. Where the program cannot place its
// windows, the same view is drawn inside the capture window instead, as a
// child of the still window that shows the point it enlarges, beside it
// (frmPunkt places it); it stores no place then.
#include "measure/Measure.h"
#include "measure/MeasureWindow.h"
#include "platform/x11/NativeImage.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <vector>

namespace measure {

class PointMeasure;

class frmZoom : public MeasureWindow {
public:
    frmZoom(PointMeasure& measure, QWidget* owner, bool inside = false);

    void Form_Load();
    // Button and shift are not used: every button acts alike.
    void Form_MouseDown(int button, int shift, double x, double y) override;
    void Form_MouseMove(int button, int shift, double x, double y) override;
    void Form_MouseUp(int button, int shift, double x, double y) override;
    // Both hand the key to the capture window (frmPunkt::Form_KeyDown).
    void Form_KeyUp(int keyCode, int shift) override;
    void Form_KeyDown(int keyCode, int shift) override;
    // Stores the position (unless minimised or maximised).
    void Form_Unload();

    // Colour shown at (x, y), or -1 outside the drawing area.
    int32_t Point(double x, double y) const;
    // Clears the view to the window background.
    void Cls();
    // The view shows `block` of the still (a square): chooses its middle
    // pixel, the one pressed on; the keyboard stays where it is.
    void ShowsBlock(const QRect& block);
    // The chosen block pixel, from the block's top-left corner.
    QPoint Cell() const { return cell_; }
    // From now until the next block, the arrow keys move the chosen pixel.
    void TakeKeys();
    // Whether they do.
    bool KeysOnCell() const { return keys_ && side_ > 0; }
    // Moves the chosen pixel by `step` block pixels, kept within the block.
    void MoveCellBy(const QPoint& step);
    // A click on the chosen pixel.
    void ClickCell();
    // Whether the outline shows.
    bool Marked() const;
    // The view in device pixels; draw into it and call update().
    QImage& View() { return view_; }
    // Drawn inside the capture window.
    bool Inside() const { return inside_; }
    // A view at the pixel ratio the window now has, cleared where it
    // changes (moved to a screen of another scale).
    void FitRatio();

protected:
    // The corner of the device pixel under the pointer, in logical pixels.
    QPointF PointerAt(const QPointF& eventPos) const override;

    void paintEvent(QPaintEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    // The block pixel that view point (x, y) shows.
    QPoint CellAt(double x, double y) const;
    // The view's device pixels that show block pixel `cell`, and those that
    // show the pixels whose mean a pick there takes.
    QRect CellPixels(const QPoint& cell) const;
    QRect SamplePixels(const QPoint& cell) const;
    // The highlight's outline around `cell`, in device pixels.
    std::vector<platform::Overlay> Outline(const QPoint& cell) const;
    void MoveCell(const QPoint& cell);
    // Repaints the outline around `cell`.
    void UpdateOutline(const QPoint& cell);
    // Shows colour `c` in the caption.
    void Caption(int32_t c);

    PointMeasure& m_;
    const bool inside_;
    QImage view_;
    // The block of the still shown, and its side; 0 before one shows.
    QRect block_;
    int side_ = 0;
    QPoint cell_;
    // The pointer is over the window.
    bool hover_ = false;
    // The arrow keys move the chosen pixel.
    bool keys_ = false;
    platform::NativeImage native_{this};
};

} // namespace measure
