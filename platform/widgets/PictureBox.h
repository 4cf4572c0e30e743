#pragma once
// A picture box: a framed area with a persistent image that is repainted from
// itself, a point query on the displayed pixels and VB-style mouse and key
// events. Coordinates are pixels of the drawing area (inside the one-pixel
// frame).
//
// Where one logical pixel covers several device pixels, possibly a fraction
// more, a device pixel shows the picture pixel its top-left corner lies in,
// and the mouse events report that corner: a click answers with exactly the
// pixel shown under the pointer.
#include "platform/Overlay.h"

#include <QFrame>
#include <QImage>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QMouseEvent;
class QPainter;

namespace platform {

// Mouse buttons as the handlers receive them: 1 left, 2 right, 4 middle.
int VbButtons(Qt::MouseButtons buttons);
int VbButton(Qt::MouseButton button);
int VbShift(Qt::KeyboardModifiers mods);
// The one-step move an arrow key stands for (x to the right, y down);
// nothing for any other key.
std::optional<QPoint> ArrowStep(int keyCode);

// Packed colour red + 256 * green + 65536 * blue.
int32_t ToPacked(QRgb rgb);
QColor FromPacked(int32_t packed);

class PictureBox : public QFrame {
    Q_OBJECT
public:
    // `outer` is the whole box including its frame; `border` adds a one-pixel
    // frame around the drawing area.
    explicit PictureBox(QWidget* parent = nullptr, bool border = true);

    void SetOuterGeometry(int left, int top, int width, int height);

    // Drawing area size in pixels (the scale width and height).
    int ScaleWidth() const { return Area().width(); }
    int ScaleHeight() const { return Area().height(); }

    // Setting the background clears the image to it.
    void SetBackColor(int32_t packed);
    int32_t BackColor() const { return backColor_; }

    // Clears the image to the background and draws `picture` unscaled at the
    // top-left corner; a null picture just clears.
    void SetPicture(const QImage& picture);
    // Clears the box and leaves `draw` to fill it when it is first painted or
    // read: a box that stays hidden never pays for its picture. Anything drawn
    // or cleared before that replaces or follows it as if it had run now.
    void DrawLater(std::function<void(PictureBox&)> draw);
    void Cls();
    QImage& Image();
    const QImage& Image() const;
    // Call after drawing into Image() directly.
    void Refresh() { update(); }
    void PrintText(int x, int y, const QString& text, const QColor& colour);

    // The colour of the displayed pixel at (x, y) of the drawing area, or -1
    // for a point outside it.
    int32_t Point(double x, double y) const;

    // Offset of the drawing area inside the widget.
    QPoint Origin() const { return {frameWidth(), frameWidth()}; }

    // What shows where the keyboard stands while the box has the focus,
    // drawn over the picture in pixels of the drawing area; never part of
    // the image, which Point() reads. Given the focus by a click, the box
    // shows it only from the first key on: a click looks as it always did.
    void SetFocusMark(std::vector<Overlay> mark);

signals:
    void MouseDown(int button, int shift, double x, double y);
    void MouseMove(int buttons, int shift, double x, double y);
    void MouseUp(int button, int shift, double x, double y);
    void DblClick();
    // Qt's key code; shift as VbShift gives it. The arrows, Space and Enter
    // stop at the box, other keys go on to the window.
    void KeyDown(int keyCode, int shift);
    void GotFocus();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    // Where the pointer of `e` is, in logical pixels of the drawing area.
    QPointF Local(const QMouseEvent* e) const;
    // The top-left corner of the drawing area in device pixels, for a
    // widget whose own corner lies at `widgetCorner` with `ratio` device
    // pixels to a logical one.
    QPointF AreaCorner(const QPointF& widgetCorner, double ratio) const;
    // Paints `image` device pixel by device pixel (see above).
    void PaintScaled(QPainter& p, const QRect& dirty, const QImage& image);
    // The picture with the focus mark over it.
    QImage Marked() const;
    QSize Area() const;
    // Runs a drawing left for later.
    void Realise() const;
    // Gives the box pixels of its own, the size of the drawing area (also
    // while hidden, when no resize event arrives).
    void Sync() const;

    // Null until something is drawn: the box is then all background.
    mutable QImage image_;
    mutable std::function<void(PictureBox&)> pending_;
    std::vector<Overlay> focusMark_;
    int32_t backColor_ = 0xFFFFFF;
    bool pendingDouble_ = false;
    // The focus mark shows: the focus came by the keyboard, or a key followed.
    bool keyMark_ = true;
};

// A line control that can move between containers: vertical lines span the
// container's drawing area from top to bottom (or a given length), horizontal
// ones from left to right. Drawn in alternating black and white so it shows
// over every colour.
class LineMarker : public QWidget {
    Q_OBJECT
public:
    LineMarker(Qt::Orientation orientation, QWidget* container);

    // Makes `container` the line's container (it leaves the previous one).
    void SetContainer(QWidget* container);
    QWidget* Container() const { return parentWidget(); }
    // X of a vertical line (X1 = X2) or Y of a horizontal one (Y1 = Y2), in
    // pixels of the container's drawing area.
    void SetPosition(double pos);
    double Position() const { return pos_; }
    // Fixed length instead of the container's full extent (0 = full).
    void SetLength(int length);

protected:
    void paintEvent(QPaintEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Place();

    Qt::Orientation orientation_;
    double pos_ = 0;
    int length_ = 0;
};

} // namespace platform
