#include "platform/widgets/PictureBox.h"

#include "platform/x11/NativePointer.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>
#include <utility>
#include <vector>

namespace platform {

namespace {
// A device position as a logical position inside a drawing area whose
// top-left corner lies at device position `corner`. Painting and the mouse
// events both go through here, and Point() rounds down what it gives: the
// picture pixel a device pixel shows and the one it answers with are one.
double AreaPosition(int device, double corner, double ratio) {
    return (device - corner) / ratio;
}

// The device pixels from `first` to `last` that show one of `count` picture
// pixels along one axis: the first of them, and the picture pixel each shows.
std::pair<int, std::vector<int>> ShownPixels(int first, int last, double corner, double ratio,
                                             int count) {
    std::pair<int, std::vector<int>> shown{first, {}};
    for (int d = first; d <= last; ++d) {
        const int pixel = static_cast<int>(std::floor(AreaPosition(d, corner, ratio)));
        if (pixel >= 0 && pixel < count) {
            if (shown.second.empty()) {
                shown.first = d;
            }
            shown.second.push_back(pixel);
        }
    }
    return shown;
}
} // namespace

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

void PictureBox::SetFocusMark(std::vector<Overlay> mark) {
    focusMark_ = std::move(mark);
    if (hasFocus()) {
        update();
    }
}

QImage PictureBox::Marked() const {
    QImage marked = Image().copy();
    QPainter p(&marked);
    for (const Overlay& o : focusMark_) {
        p.fillRect(o.rect, QColor(o.colour));
    }
    return marked;
}

void PictureBox::paintEvent(QPaintEvent* e) {
    QFrame::paintEvent(e);
    Realise();
    QPainter p(this);
    const bool marked = hasFocus() && keyMark_ && !focusMark_.empty() && !Area().isEmpty();
    if (image_.isNull() && !marked) {
        p.fillRect(contentsRect(), FromPacked(backColor_));
        return;
    }
    const QImage& image = marked ? Marked() : Image();
    const QTransform t = p.deviceTransform();
    if (t.type() == QTransform::TxScale && t.m11() == t.m22() && t.m11() > 0) {
        PaintScaled(p, e->rect(), image);
    } else {
        // One device pixel to a picture pixel.
        p.drawImage(contentsRect().topLeft(), image);
    }
}

void PictureBox::PaintScaled(QPainter& p, const QRect& dirty, const QImage& image) {
    // Not left to drawImage(): it shows the picture pixel under a device
    // pixel's centre, and where that centre lies on the line between two
    // (every third device pixel at 1.5) its fixed-point rounding decides.
    const QTransform t = p.deviceTransform();
    const double ratio = t.m11();
    const QPointF corner = AreaCorner(t.map(QPointF(0, 0)), ratio);
    const QRect devices = t.mapRect(QRectF(dirty & contentsRect())).toAlignedRect();
    const auto [left, columns] =
        ShownPixels(devices.left(), devices.right(), corner.x(), ratio, image.width());
    const auto [top, rows] =
        ShownPixels(devices.top(), devices.bottom(), corner.y(), ratio, image.height());
    if (columns.empty() || rows.empty()) {
        return;
    }
    QImage shown(static_cast<int>(columns.size()), static_cast<int>(rows.size()),
                 QImage::Format_RGB32);
    for (size_t r = 0; r < rows.size(); ++r) {
        const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(rows[r]));
        auto* to = reinterpret_cast<QRgb*>(shown.scanLine(static_cast<int>(r)));
        for (size_t c = 0; c < columns.size(); ++c) {
            to[c] = from[columns[c]];
        }
    }
    // Put down one to one on the device pixels chosen above.
    p.setWorldTransform(t.inverted() * p.worldTransform());
    p.drawImage(left, top, shown);
}

QPointF PictureBox::AreaCorner(const QPointF& widgetCorner, double ratio) const {
    const QPointF corner = widgetCorner + QPointF(contentsRect().topLeft()) * ratio;
    // Computed from the painter's transform while painting and from the
    // widget's place in its window while reading: kept on a grid of 1/4096
    // device pixel so both give the same number to the last bit.
    constexpr double grid = 4096;
    return {std::round(corner.x() * grid) / grid, std::round(corner.y() * grid) / grid};
}

QPointF PictureBox::Local(const QMouseEvent* e) const {
    const double ratio = devicePixelRatioF();
    const QPoint device = PointerPixel(this, e->position());
    const QPointF corner = AreaCorner(mapTo(window(), QPointF(0, 0)) * ratio, ratio);
    return {AreaPosition(device.x(), corner.x(), ratio),
            AreaPosition(device.y(), corner.y(), ratio)};
}

void PictureBox::mousePressEvent(QMouseEvent* e) {
    const QPointF p = Local(e);
    emit MouseDown(VbButton(e->button()), VbShift(e->modifiers()), p.x(), p.y());
}

void PictureBox::mouseMoveEvent(QMouseEvent* e) {
    const QPointF p = Local(e);
    emit MouseMove(VbButtons(e->buttons()), VbShift(e->modifiers()), p.x(), p.y());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* e) {
    const QPointF p = Local(e);
    emit MouseUp(VbButton(e->button()), VbShift(e->modifiers()), p.x(), p.y());
    if (pendingDouble_) {
        pendingDouble_ = false;
        emit DblClick();
    }
}

std::optional<QPoint> ArrowStep(int keyCode) {
    switch (keyCode) {
    case Qt::Key_Left:
        return QPoint(-1, 0);
    case Qt::Key_Right:
        return QPoint(1, 0);
    case Qt::Key_Up:
        return QPoint(0, -1);
    case Qt::Key_Down:
        return QPoint(0, 1);
    default:
        return std::nullopt;
    }
}

void PictureBox::keyPressEvent(QKeyEvent* e) {
    if (!keyMark_) {
        keyMark_ = true;
        update();
    }
    emit KeyDown(e->key(), VbShift(e->modifiers()));
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        e->accept();
        break;
    default:
        e->ignore();
        break;
    }
}

void PictureBox::focusInEvent(QFocusEvent* e) {
    QFrame::focusInEvent(e);
    keyMark_ = e->reason() != Qt::MouseFocusReason;
    emit GotFocus();
    update();
}

void PictureBox::focusOutEvent(QFocusEvent* e) {
    QFrame::focusOutEvent(e);
    update();
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
