#pragma once
// What the two measurement windows share: Qt's mouse and key events turned
// into their handlers, with the pointer read in the window's own handler
// coordinates; Escape acts on release, and the close box acts as Escape.
// Keys pass as Qt's key codes, Escape as kEscape; of the keys held down only
// the arrows repeat.
#include <QPointF>
#include <QWidget>

namespace measure {

class MeasureWindow : public QWidget {
public:
    using QWidget::QWidget;

    // button: 1 left, 2 right, 4 middle (a move passes the buttons held).
    virtual void Form_MouseDown(int button, int shift, double x, double y) = 0;
    virtual void Form_MouseMove(int button, int shift, double x, double y) = 0;
    virtual void Form_MouseUp(int button, int shift, double x, double y) = 0;
    virtual void Form_KeyUp(int keyCode, int shift) = 0;
    // shift: 1 Shift, 2 Ctrl, 4 Alt. Unless a window takes keys, they do
    // nothing.
    virtual void Form_KeyDown(int, int) {}

    // Painted natively or through the backing store, never through a
    // paint engine of the window's own.
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    // Handler coordinates of the pointer for an event at `eventPos`.
    virtual QPointF PointerAt(const QPointF& eventPos) const = 0;

    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
};

} // namespace measure
