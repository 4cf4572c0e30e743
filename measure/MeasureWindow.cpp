#include "measure/MeasureWindow.h"

#include "measure/Measure.h"
#include "platform/widgets/PictureBox.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace measure {

void MeasureWindow::mousePressEvent(QMouseEvent* e) {
    const QPointF p = PointerAt(e->position());
    Form_MouseDown(platform::VbButton(e->button()), platform::VbShift(e->modifiers()), p.x(),
                   p.y());
}

void MeasureWindow::mouseMoveEvent(QMouseEvent* e) {
    const QPointF p = PointerAt(e->position());
    Form_MouseMove(platform::VbButtons(e->buttons()), platform::VbShift(e->modifiers()), p.x(),
                   p.y());
}

void MeasureWindow::mouseReleaseEvent(QMouseEvent* e) {
    const QPointF p = PointerAt(e->position());
    Form_MouseUp(platform::VbButton(e->button()), platform::VbShift(e->modifiers()), p.x(), p.y());
}

void MeasureWindow::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    const bool arrow =
        key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
    if (!e->isAutoRepeat() || arrow) {
        Form_KeyDown(key == Qt::Key_Escape ? kEscape : key, platform::VbShift(e->modifiers()));
    }
}

void MeasureWindow::keyReleaseEvent(QKeyEvent* e) {
    if (!e->isAutoRepeat()) {
        Form_KeyUp(e->key() == Qt::Key_Escape ? kEscape : e->key(),
                   platform::VbShift(e->modifiers()));
    }
}

void MeasureWindow::closeEvent(QCloseEvent* e) {
    // Closing from outside (the close box, the window manager) leaves the
    // measurement as Escape does.
    e->ignore();
    Form_KeyUp(kEscape, 0);
}

} // namespace measure
