#include "platform/PictureBox.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace platform {

int VbButton(Qt::MouseButton button) {
    return VbButtons(button);
}

int VbButtons(Qt::MouseButtons buttons) {
    int b = 0;
    if (buttons & Qt::LeftButton) {
        b |= 1;
    }
    if (buttons & Qt::RightButton) {
        b |= 2;
    }
    if (buttons & Qt::MiddleButton) {
        b |= 4;
    }
    return b;
}

int VbShift(Qt::KeyboardModifiers mods) {
    int s = 0;
    if (mods & Qt::ShiftModifier) {
        s |= 1;
    }
    if (mods & Qt::ControlModifier) {
        s |= 2;
    }
    if (mods & Qt::AltModifier) {
        s |= 4;
    }
    return s;
}

int32_t ToPacked(QRgb rgb) {
    return qRed(rgb) + 256 * qGreen(rgb) + 65536 * qBlue(rgb);
}

QColor FromPacked(int32_t packed) {
    return QColor(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF);
}

PictureBox::PictureBox(QWidget* parent, bool border) : QFrame(parent) {
    if (border) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(1);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::SetOuterGeometry(int left, int top, int width, int height) {
    setGeometry(left, top, width, height);
}

void PictureBox::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    if (!image_.isNull()) {
        Sync();
    }
}

QSize PictureBox::Area() const {
    return contentsRect().size().expandedTo(QSize(0, 0));
}

QImage& PictureBox::Image() {
    Realise();
    Sync();
    return image_;
}

const QImage& PictureBox::Image() const {
    Realise();
    Sync();
    return image_;
}

void PictureBox::Realise() const {
    if (pending_) {
        const auto draw = std::move(pending_);
        pending_ = nullptr;
        // Also for the reads that take the box as const: what it shows is
        // what it showed before, drawn late.
        draw(const_cast<PictureBox&>(*this));
    }
}

void PictureBox::DrawLater(std::function<void(PictureBox&)> draw) {
    Cls();
    pending_ = std::move(draw);
}

void PictureBox::Sync() const {
    const QSize area = Area();
    if (area != image_.size()) {
        // Keep what was drawn where it still fits.
        QImage next(area, QImage::Format_RGB32);
        next.fill(FromPacked(backColor_));
        if (!image_.isNull()) {
            QPainter p(&next);
            p.drawImage(0, 0, image_);
        }
        image_ = next;
    }
}

void PictureBox::SetBackColor(int32_t packed) {
    backColor_ = packed;
    Cls();
}

void PictureBox::Cls() {
    pending_ = nullptr;
    // A box nothing was drawn in yet stays without pixels of its own: it
    // shows and answers as its background.
    if (!image_.isNull()) {
        Sync();
        image_.fill(FromPacked(backColor_));
    }
    update();
}

void PictureBox::SetPicture(const QImage& picture) {
    if (picture.size() == Area() && picture.format() == QImage::Format_RGB32) {
        // An opaque picture that covers the box is the box's pixels as it is.
        pending_ = nullptr;
        image_ = picture;
    } else {
        Cls();
        if (!picture.isNull() && !Area().isEmpty()) {
            QPainter p(&Image());
            p.drawImage(0, 0, picture);
        }
    }
    update();
}

void PictureBox::PrintText(int x, int y, const QString& text, const QColor& colour) {
    if (Area().isEmpty()) {
        return;
    }
    QPainter p(&Image());
    p.setFont(font());
    p.setPen(colour);
    const QFontMetrics fm(font());
    p.drawText(x, y + fm.ascent(), text);
    update();
}

int32_t PictureBox::Point(double x, double y) const {
    const QSize area = Area();
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    if (!(fx >= 0 && fy >= 0 && fx < area.width() && fy < area.height())) {
        return -1;
    }
    Realise();
    if (image_.isNull()) {
        return backColor_;
    }
    return ToPacked(Image().pixel(static_cast<int>(fx), static_cast<int>(fy)));
}

void PictureBox::paintEvent(QPaintEvent* e) {
    QFrame::paintEvent(e);
    Realise();
    QPainter p(this);
    if (image_.isNull()) {
        p.fillRect(contentsRect(), FromPacked(backColor_));
    } else {
        p.drawImage(contentsRect().topLeft(), Image());
    }
}

QPointF PictureBox::Local(const QPointF& widgetPos) const {
    return widgetPos - QPointF(contentsRect().topLeft());
}

void PictureBox::mousePressEvent(QMouseEvent* e) {
    const QPointF p = Local(e->position());
    emit MouseDown(VbButton(e->button()), VbShift(e->modifiers()), p.x(), p.y());
}

void PictureBox::mouseMoveEvent(QMouseEvent* e) {
    const QPointF p = Local(e->position());
    emit MouseMove(VbButtons(e->buttons()), VbShift(e->modifiers()), p.x(), p.y());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* e) {
    const QPointF p = Local(e->position());
    emit MouseUp(VbButton(e->button()), VbShift(e->modifiers()), p.x(), p.y());
    if (pendingDouble_) {
        pendingDouble_ = false;
        emit DblClick();
    }
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* e) {
    // A double-click is a press too; the double-click notification follows
    // the second release, as the handlers expect.
    mousePressEvent(e);
    pendingDouble_ = true;
}

LineMarker::LineMarker(Qt::Orientation orientation, QWidget* container)
    : QWidget(container), orientation_(orientation) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (container) {
        container->installEventFilter(this);
    }
    Place();
}

void LineMarker::SetContainer(QWidget* container) {
    if (container == parentWidget()) {
        return;
    }
    const bool shown = isVisibleTo(parentWidget());
    if (parentWidget()) {
        parentWidget()->removeEventFilter(this);
    }
    setParent(container);
    if (container) {
        container->installEventFilter(this);
    }
    Place();
    setVisible(shown);
}

void LineMarker::SetPosition(double pos) {
    pos_ = pos;
    Place();
}

void LineMarker::SetLength(int length) {
    length_ = length;
    Place();
}

void LineMarker::Place() {
    QWidget* c = parentWidget();
    if (!c) {
        return;
    }
    QRect area = c->contentsRect();
    const int at = static_cast<int>(std::floor(pos_));
    if (orientation_ == Qt::Vertical) {
        const int len = length_ > 0 ? length_ : area.height();
        setGeometry(area.x() + at, area.y(), 1, len);
    } else {
        const int len = length_ > 0 ? length_ : area.width();
        setGeometry(area.x(), area.y() + at, len, 1);
    }
    raise();
}

bool LineMarker::eventFilter(QObject* watched, QEvent* e) {
    if (watched == parentWidget() && e->type() == QEvent::Resize) {
        Place();
    }
    return QWidget::eventFilter(watched, e);
}

void LineMarker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int len = orientation_ == Qt::Vertical ? height() : width();
    for (int i = 0; i < len; i += 3) {
        const QColor c = (i / 3) % 2 ? Qt::white : Qt::black;
        if (orientation_ == Qt::Vertical) {
            p.fillRect(0, i, 1, 3, c);
        } else {
            p.fillRect(i, 0, 3, 1, c);
        }
    }
}

} // namespace platform
