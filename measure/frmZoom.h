#pragma once
// The zoom window: a small tool window over the capture window showing the
// block around the pointer enlarged, from which the colour is then taken.
// Handler positions are logical pixels of its 190 x 190 drawing area; its
// image holds the view in device pixels, and every read takes the device
// pixel under the given position. Once a block shows, one of its pixels is
// the window's choice: the one under the pointer while it moves over the
// window, moved by the arrow keys, and taken by Enter as a click on it would.
// While the pointer is over the window or the keyboard is with it, an
// outline marks it.
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
    frmZoom(PointMeasure& measure, QWidget* owner);

    void Form_Load();
    // Button and shift are not used: every button acts alike.
    void Form_MouseDown(int button, int shift, double x, double y) override;
    void Form_MouseMove(int button, int shift, double x, double y) override;
    void Form_MouseUp(int button, int shift, double x, double y) override;
    void Form_KeyUp(int keyCode, int shift) override;
    // Arrows move the highlight one block pixel; Enter takes it.
    void Form_KeyDown(int keyCode, int shift) override;
    // Stores the position (unless minimised or maximised).
    void Form_Unload();

    // Colour shown at (x, y), or -1 outside the drawing area.
    int32_t Point(double x, double y) const;
    // Clears the view to the window background.
    void Cls();
    // The view shows a block of side x side still pixels: chooses its middle
    // pixel, the one pressed on; the keyboard stays where it is.
    void ShowsBlock(int side);
    // The chosen block pixel, from the block's top-left corner.
    QPoint Cell() const { return cell_; }
    // Gives it the keyboard. Where the desktop keeps the focus where it is
    // (Wayland compositors may), the capture window hands its keys on.
    void TakeKeyboard();
    // Whether keys are for this window: given to it and no block pressed
    // since, or it has the focus.
    bool HasKeyboard() const { return keys_ || hasFocus(); }
    // Whether the outline shows.
    bool Marked() const { return side_ > 0 && (hover_ || HasKeyboard()); }
    // The view in device pixels; draw into it and call update().
    QImage& View() { return view_; }

protected:
    // The corner of the device pixel under the pointer, in logical pixels.
    QPointF PointerAt(const QPointF& eventPos) const override;

    void paintEvent(QPaintEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    // The view's device pixels that show block pixel `cell`.
    QRect CellPixels(const QPoint& cell) const;
    // The highlight's outline around `cell`, in device pixels.
    std::vector<platform::Overlay> Outline(const QPoint& cell) const;
    void MoveCell(const QPoint& cell);
    // Repaints the outline around `cell`.
    void UpdateOutline(const QPoint& cell);
    // Shows colour `c` in the caption.
    void Caption(int32_t c);

    PointMeasure& m_;
    QImage view_;
    // Side of the block shown, in still pixels; 0 before one shows.
    int side_ = 0;
    QPoint cell_;
    // The pointer is over the window.
    bool hover_ = false;
    // The keyboard was given to it.
    bool keys_ = false;
    platform::NativeImage native_{this};
};

} // namespace measure
