#pragma once
// The capture window: a borderless window showing a still copy of the whole
// desktop, taken once when the window loads. Its handlers take device pixels
// of the copy, so point (x, y) is still pixel (x, y). A keyboard cursor
// stands on one still pixel: it starts at the pointer (or in the middle of
// the primary screen where the pointer is not known yet; clear of the
// pointer where the still may show it), follows the pointer, and the arrow keys move it; Space
// presses on it and Enter takes its colour as the mouse would. What the pointer or the cursor
// stands on shows at once: with "Uten zoom" in a small label beside it (a window of its own, never
// in the still), with a zoom setting in the zoom window until a press holds a block there. On X11
// the capture window lies over the whole desktop; where a window lies on one screen only, it shows
// the first screen and a window of its own shows each further one.
#include "measure/Measure.h"
#include "measure/StillPane.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QLabel;

namespace measure {

class PointMeasure;

class frmPunkt : public StillPane {
public:
    // Shows `still`, the copy of the desktop taken for this measurement.
    // Where the desktop may have drawn the pointer into it, no pick is taken
    // silently from under the pointer: the cursor starts clear of it, and
    // a pick where the pointer may show (or may, for all the program knows)
    // first tells the user so, and waits for the same pick once more.
    frmPunkt(PointMeasure& measure, QWidget* owner, std::unique_ptr<platform::ScreenStill> still,
             bool pointerInStill = false);

    void Form_Load();
    // button: 1 left, 2 right, 4 middle (a move passes the buttons held);
    // shift is not used.
    void Form_MouseDown(int button, int shift, double x, double y) override;
    void Form_MouseMove(int button, int shift, double x, double y) override;
    void Form_MouseUp(int button, int shift, double x, double y) override;
    void Form_KeyUp(int keyCode, int shift) override;
    // The one key handler of the measurement, whichever of its windows has
    // the keyboard. Arrows move the cursor (with Shift kCursorLeap pixels,
    // with Ctrl kCursorJump); Space is a left press on it; Enter a left press
    // and release ("Uten zoom"), or a press whose block the keys then choose
    // from in the zoom window: arrows move the chosen pixel there, and Enter
    // takes it. 1, 3 and 5 choose what a pick takes (SetSampleSide).
    void Form_KeyDown(int keyCode, int shift) override;
    // A pick takes the mean of a block of `side` x `side` pixels from now
    // on; the cross-hair and the zoom window's outline show the block.
    void SetSampleSide(int side);
    // The colour a pick at still pixel `at` takes: its own, or the mean of
    // the chosen block around it; -1 outside the still.
    int32_t Sample(const QPoint& at) const;

    // The still pixel the keyboard cursor stands on.
    QPoint Cursor() const { return cursor_; }
    // Moves it to `to`, kept within the still, and shows its cross-hair, or
    // hides it: while the mouse leads, the pointer shows where it is.
    void MoveCursor(const QPoint& to, bool shown = true);
    // The cross-hair's arms, none while it is hidden. Around a block of more
    // than one pixel it shows while the mouse leads too: the pointer alone
    // does not show the block.
    std::vector<platform::Overlay> CrossHairShown() const;
    // Where still pixel `still` lies on the screen.
    QPoint OnScreen(const QPoint& still) const { return still + RootOrigin(); }

    // Colour of the still at (x, y), or -1 outside it.
    int32_t Point(double x, double y) const { return PointOf(Still(), x, y); }
    // The still (waiting for the program's copy of it), or a null image.
    const QImage& Still() const;
    // The still as the window system may also hold it, for painting.
    const platform::ScreenStill* StillCopy() const { return still_.get(); }
    // The windows showing the still, this one first.
    std::vector<StillPane*> Panes() const;
    // The outline round the magnifier drawn inside `pane`, in its device
    // pixels; none where it is not there.
    std::vector<platform::Overlay> MagnifierRing(const StillPane* pane) const;

    // The pointer shows over still pixel `at` (it came over a window of
    // the capture): the first time, that is where it stands in the still.
    void PointerSeen(const QPoint& at);

protected:
    // The other windows go with this one.
    void hideEvent(QHideEvent* e) override;

private:
    // Where the still's top-left pixel lies on the X root.
    QPoint RootOrigin() const;
    // Where each screen lies in the still: the still's own areas, or the
    // primary screen's device pixels from the still's top-left corner.
    std::vector<platform::ScreenArea> ScreenAreas() const;
    // Repaints what `arms` of the cross-hair cover.
    void UpdateArms(const std::vector<platform::Overlay>& arms);
    // The still pixel nearest to `p`.
    QPoint Within(const QPoint& p) const;
    // Where the cursor goes from `from` moved by `by` device pixels: within
    // the screen it is on, and from its edge on to the next screen.
    QPoint Stepped(const QPoint& from, const QPoint& by) const;
    // The still pixel under the pointer, where it can be asked.
    std::optional<QPoint> KnownPointer() const;
    // The screen's area that holds still pixel `p`, else the whole still.
    QRect AreaAt(const QPoint& p) const;
    // Where the keyboard cursor starts.
    QPoint StartingPoint() const;
    // Whether a pick at `at` (by mouse or by keyboard) may take the pointer's
    // colour, which the user is then told, once.
    bool Doubtful(const QPoint& at, bool byMouse);
    // A left press on the cursor, unless Doubtful.
    bool PressAtCursor();
    // Shows what lies at still pixel `at`: the live label beside it, or the
    // block round it in the zoom window until a press there holds one.
    void Follow(const QPoint& at);
    void ShowBlock(const QPoint& at);
    // Puts the magnifier drawn inside the capture window beside still pixel
    // `at`, in the window that shows it.
    void PlaceMagnifier(const QPoint& at);
    void ShowLive(const QPoint& at);
    void ShowLabel(const QPoint& at, const QString& text);

    PointMeasure& m_;
    std::unique_ptr<platform::ScreenStill> still_;
    std::vector<StillPane*> others_;
    QPoint cursor_;
    bool crossShown_ = true;
    // The still may show the pointer; where it stood, once known; whether
    // it has moved since, and the keys the cursor; whether the user was told.
    bool pointerInStill_ = false;
    std::optional<QPoint> pointer_;
    bool pointerMoved_ = false;
    bool keysMoved_ = false;
    bool told_ = false;
    // A press showed the zoom window its block.
    bool held_ = false;
    QLabel* live_ = nullptr;
};

} // namespace measure
