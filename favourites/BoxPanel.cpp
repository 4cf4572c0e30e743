#include "favourites/BoxPanel.h"

#include "colour/Module1.h"
#include "platform/widgets/Accessible.h"
#include "platform/widgets/PictureBox.h"
#include "resources/Resources.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <limits>

namespace favourites {

namespace {

// The keys of the boxes' actions for screen readers, in their order.
constexpr int kActionKeys[] = {Qt::Key_Return, Qt::Key_F2, Qt::Key_Delete};

// The frame drawn round every box; between two boxes it is their shared row.
const QColor kFrame(0x80, 0x80, 0x80);

// Components of a packed colour; values outside 0..16777215 keep their low
// 24 bits, as the fill does.
int16_t R(int32_t c) {
    return static_cast<int16_t>(c & 0xFF);
}
int16_t G(int32_t c) {
    return static_cast<int16_t>((c >> 8) & 0xFF);
}
int16_t B(int32_t c) {
    return static_cast<int16_t>((c >> 16) & 0xFF);
}

// The application's font at the boxes' size (looking up a named font that
// is not installed costs start-up time for a substitute that looks the same).
QFont BoxFont() {
    QFont f;
    f.setPointSizeF(8.25);
    return f;
}

} // namespace

// The visible part of the inner panel. It paints the boxes in view and turns
// mouse events into box events. To screen readers it is a list with an item
// per box, named after its favourite and colour; the selected box has the
// focus, and an item's actions are those of the keys: pick (Enter), rename
// (F2) and delete (Delete).
class BoxView : public QWidget, public platform::AccessibleItems {
public:
    explicit BoxView(BoxPanel& panel) : QWidget(&panel), panel_(panel) {
        setGeometry(0, 0, BoxPanel::kInnerWidth, BoxPanel::kSide);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
        setFont(BoxFont());
        // Tab or a click gives the boxes the keyboard; the selected box's
        // outline shows from the first key on, so a click looks as it did.
        setFocusPolicy(Qt::StrongFocus);
    }

    int ItemCount() const override { return std::min(panel_.count_, panel_.model_.Count()); }
    QString ItemName(int item) const override;
    QRect ItemRect(int item) const override {
        return BoxPanel::BoxRect(item).translated(0, static_cast<int>(panel_.innerTop_));
    }
    int FocusItem() const override { return panel_.SelectedIndex(); }
    bool ItemSelected(int item) const override { return item == panel_.SelectedIndex(); }
    void PressItem(int item) override { DoItemAction(item, 0); }
    QList<platform::ItemAction> ItemActions() const override;
    // Emitted as the key of the action; the panel's owner runs it once the
    // screen reader's call has returned.
    void DoItemAction(int item, int action) override {
        emit panel_.ItemAction(item, kActionKeys[action]);
    }

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override { Press(e, false); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { Press(e, true); }
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    // The dotted outline inside the selected box.
    void PaintSelection(QPainter& p, int top);
    void Press(QMouseEvent* e, bool second);
    // Position inside box `index` of a point of this widget.
    QPointF InBox(int index, const QPointF& pos) const {
        const QRect r = BoxPanel::BoxRect(index);
        return {pos.x() - r.left(), pos.y() - static_cast<double>(panel_.innerTop_) - r.top()};
    }
    void ShowPointer(const QPoint& pos) {
        const bool overBox = panel_.BoxAt(pos) >= 0;
        if (overBox != eyedropper_) {
            eyedropper_ = overBox;
            if (overBox) {
                setCursor(resources::EyedropperCursor());
            } else {
                unsetCursor();
            }
        }
    }

    BoxPanel& panel_;
    int pressed_ = -1;      // box that takes the release
    int lastReleased_ = -1; // box of the last click, for double-clicks
    bool pendingDouble_ = false;
    bool eyedropper_ = false;
    bool keyMark_ = true; // the outline shows (see the constructor)
};

QString BoxView::ItemName(int item) const {
    // The colour as the box shows it, without the quotes.
    QString colour = BoxPanel::BoxText(panel_.BoxColour(item), QString());
    colour.remove(u'"');
    colour = colour.trimmed();
    const QString name = panel_.BoxName(item).left(BoxPanel::kShownName);
    return name.isEmpty() ? colour : name + QStringLiteral(", ") + colour;
}

QList<platform::ItemAction> BoxView::ItemActions() const {
    return {{QStringLiteral("Velg"),
             QStringLiteral("Gjør fargen til gjeldende farge"),
             {QStringLiteral("Enter")}},
            {QStringLiteral("Gi nytt navn"),
             QStringLiteral("Endrer navnet på fargen"),
             {QStringLiteral("F2")}},
            {QStringLiteral("Slett"),
             QStringLiteral("Sletter fargen fra listen"),
             {QStringLiteral("Delete")}}};
}

void BoxView::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    p.fillRect(e->rect(), platform::FromPacked(BoxPanel::kBackColour));
    const int n = std::min(panel_.count_, panel_.model_.Count());
    if (n == 0) {
        return;
    }
    // Boxes that reach into the widget: box k covers rows top + 1 + 19k to
    // top + 20 + 19k.
    const qint64 top = panel_.innerTop_;
    const qint64 first = std::max<qint64>(0, (-top - BoxPanel::kBoxTop) / BoxPanel::kPitch - 1);
    const QFontMetrics fm(font());
    for (qint64 k = first; k < n; ++k) {
        const qint64 y = top + BoxPanel::kBoxTop + BoxPanel::kPitch * k;
        if (y >= height()) {
            break;
        }
        const int index = static_cast<int>(k);
        const int32_t colour = panel_.model_.FavColors()[index];
        const QRect box(BoxPanel::kBoxLeft, static_cast<int>(y), BoxPanel::kBoxWidth,
                        BoxPanel::kBoxHeight);
        // Later boxes are painted over earlier ones, shared row included.
        p.setClipRect(box);
        p.fillRect(box, platform::FromPacked(colour));
        p.setPen(kFrame);
        p.drawRect(box.adjusted(0, 0, -1, -1));
        p.setPen(BoxPanel::ForeColorFor(colour));
        p.drawText(box.left() + BoxPanel::kTextX, box.top() + BoxPanel::kTextY + fm.ascent(),
                   BoxPanel::BoxText(colour, panel_.model_.FavNames()[index]));
    }
    p.setClipping(false);
    const int selected = panel_.model_.SelectedPos - 1;
    if (hasFocus() && keyMark_ && selected >= 0 && selected < n) {
        PaintSelection(p, static_cast<int>(top + BoxPanel::kBoxTop + BoxPanel::kPitch * selected));
    }
}

void BoxView::PaintSelection(QPainter& p, int top) {
    // Black and white pixels by turns just inside the frame: seen on any
    // colour, and clear of the text.
    const QRect r(BoxPanel::kBoxLeft + 1, top + 1, BoxPanel::kBoxWidth - 2,
                  BoxPanel::kBoxHeight - 2);
    p.setPen(Qt::white);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    QPen dots(Qt::black);
    dots.setDashPattern({1, 1});
    p.setPen(dots);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

void BoxView::keyPressEvent(QKeyEvent* e) {
    if (!keyMark_) {
        keyMark_ = true;
        update();
    }
    emit panel_.KeyDown(e->key(), platform::VbShift(e->modifiers()));
}

void BoxView::contextMenuEvent(QContextMenuEvent* e) {
    // The right button has its own way (a release on a box).
    if (e->reason() == QContextMenuEvent::Keyboard) {
        emit panel_.KeyDown(Qt::Key_Menu, platform::VbShift(e->modifiers()));
    }
}

void BoxView::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    keyMark_ = e->reason() != Qt::MouseFocusReason;
    emit panel_.GotFocus();
    update();
    // Screen readers hear of the box after the view, which Qt reports once
    // this returns.
    QMetaObject::invokeMethod(
        this, [this] { panel_.ReportSelectedBox(panel_.SelectedIndex()); }, Qt::QueuedConnection);
}

void BoxView::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    update();
}

void BoxView::Press(QMouseEvent* e, bool second) {
    const int index = panel_.BoxAt(e->position().toPoint());
    // The first button down picks the box that gets every event up to the
    // last release.
    if (e->buttons() == e->button() || pressed_ < 0) {
        pressed_ = index;
    }
    if (index < 0 || index != pressed_) {
        return;
    }
    // A double-click counts only when both clicks hit the same box.
    pendingDouble_ = second && e->button() == Qt::LeftButton && index == lastReleased_;
    const QPointF at = InBox(index, e->position());
    emit panel_.MouseDown(index, platform::VbButton(e->button()), platform::VbShift(e->modifiers()),
                          at.x(), at.y());
}

void BoxView::mouseReleaseEvent(QMouseEvent* e) {
    const int index = pressed_;
    const bool dbl = pendingDouble_ && e->button() == Qt::LeftButton;
    if (e->buttons() == Qt::NoButton) {
        pressed_ = -1;
    }
    if (dbl) {
        pendingDouble_ = false;
    }
    lastReleased_ = index;
    if (index < 0) {
        return;
    }
    const QPointF at = InBox(index, e->position());
    emit panel_.MouseUp(index, platform::VbButton(e->button()), platform::VbShift(e->modifiers()),
                        at.x(), at.y());
    if (dbl) {
        emit panel_.DblClick(index);
    }
    ShowPointer(mapFromGlobal(QCursor::pos()));
}

void BoxView::mouseMoveEvent(QMouseEvent* e) {
    ShowPointer(e->position().toPoint());
}

BoxPanel::BoxPanel(const FavouritesModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setFixedSize(kSide, kSide);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, platform::FromPacked(kBackColour));
    setPalette(pal);

    platform::InstallAccessibility();
    view_ = new BoxView(*this);
    view_->setAccessibleName(QStringLiteral("Favoritter"));
    view_->setAccessibleDescription(
        QStringLiteral("Piltastene velger en farge, Enter bruker den, F2 gir den nytt navn og "
                       "Delete sletter den"));

    vsbFav_ = new QScrollBar(Qt::Vertical, this);
    vsbFav_->setGeometry(kBarLeft, 0, kBarWidth, kBarHeight);
    vsbFav_->setRange(0, 0);
    vsbFav_->setSingleStep(kPitch);
    vsbFav_->setPageStep(kPitch);
    connect(vsbFav_, &QScrollBar::valueChanged, this, [this] { vsbFav_Change(); });
    connect(vsbFav_, &QScrollBar::sliderMoved, this, [this] { vsbFav_Scroll(); });
}

QWidget* BoxPanel::picBoksInn() const {
    return view_;
}

void BoxPanel::ClearColorbox() {
    count_ = 0;
    innerHeight_ = kBoxHeight;
    if (innerHeight_ > kSide) {
        vsbFav_->setMaximum(static_cast<int>(innerHeight_ - kSide));
    }
    view_->update();
}

void BoxPanel::UpdateColorbox() {
    ClearColorbox();
    count_ = model_.Count();
    // Empty: the height of one box and a row above and below it. Otherwise the
    // column ends with the last box's bottom row.
    innerHeight_ = count_ == 0 ? kBoxHeight + 2 : 2 + static_cast<qint64>(kPitch) * count_;
    const qint64 range = innerHeight_ > kSide ? innerHeight_ - kSide : 0;
    // Setting a smaller maximum clamps the value, which moves the inner panel.
    vsbFav_->setMaximum(static_cast<int>(std::min<qint64>(range, std::numeric_limits<int>::max())));
    view_->update();
}

void BoxPanel::vsbFav_Change() {
    MoveInner();
}

void BoxPanel::vsbFav_Scroll() {
    MoveInner();
}

void BoxPanel::ShowBox(int index) {
    // Box k covers rows 19k to 19k + 21 of the inner panel, frame included.
    const qint64 top = static_cast<qint64>(kPitch) * index;
    const qint64 bottom = top + kBoxHeight + kBoxTop;
    qint64 value = vsbFav_->value();
    if (top < value) {
        value = top;
    } else if (bottom > value + kSide) {
        value = bottom - kSide;
    }
    vsbFav_->setValue(static_cast<int>(std::min<qint64>(value, vsbFav_->maximum())));
    view_->update();
    ReportSelectedBox(index);
}

void BoxPanel::ReportSelectedBox(int index) {
    if (BoxColour(index) == -1) {
        return;
    }
    if (view_->hasFocus()) {
        platform::NotifyItemFocus(view_, index);
    }
    platform::NotifyItemSelected(view_, index);
}

void BoxPanel::MoveInner() {
    innerTop_ = -static_cast<qint64>(vsbFav_->value());
    view_->update();
}

QRect BoxPanel::BoxRect(int index) {
    return {kBoxLeft, kBoxTop + kPitch * index, kBoxWidth, kBoxHeight};
}

int BoxPanel::BoxAt(const QPoint& pos) const {
    if (pos.x() < kBoxLeft || pos.x() >= kBoxLeft + kBoxWidth || pos.y() < 0 ||
        pos.y() >= view_->height()) {
        return -1;
    }
    const qint64 y = pos.y() - innerTop_ - kBoxTop; // row inside the column of boxes
    if (y < 0 || count_ == 0) {
        return -1;
    }
    // Rows from a multiple of 19 on belong to the later box; only the last box
    // keeps its bottom row to itself.
    const qint64 k = std::min<qint64>(y / kPitch, count_ - 1);
    return y < kPitch * k + kBoxHeight ? static_cast<int>(k) : -1;
}

int32_t BoxPanel::BoxColour(int index) const {
    if (index < 0 || index >= std::min(count_, model_.Count())) {
        return -1;
    }
    return model_.FavColors()[index];
}

QString BoxPanel::Tag(int index) const {
    return QString::number(BoxColour(index));
}

QString BoxPanel::BoxText(int index) const {
    if (index < 0 || index >= std::min(count_, model_.Count())) {
        return {};
    }
    return BoxText(model_.FavColors()[index], model_.FavNames()[index]);
}

QString BoxPanel::BoxName(int index) const {
    return BoxColour(index) == -1 ? QString() : model_.FavNames()[index];
}

QColor BoxPanel::BoxForeColor(int index) const {
    if (index < 0 || index >= std::min(count_, model_.Count())) {
        return {};
    }
    return ForeColorFor(model_.FavColors()[index]);
}

QPoint BoxPanel::BoxToGlobal(int index, double x, double y) const {
    const QRect r = BoxRect(index);
    const QPointF local(r.left() + x, static_cast<double>(innerTop_) + r.top() + y);
    return view_->mapToGlobal(local).toPoint();
}

QString BoxPanel::BoxText(int32_t colour, const QString& name) {
    const QString hex = QString::fromStdString(Module1::HexHTML(R(colour), G(colour), B(colour)));
    if (name.size() <= kShownName) {
        return hex + u' ' + name;
    }
    qsizetype cut = kShownName - 1;
    if (name.at(cut - 1).isHighSurrogate()) {
        --cut; // never half a character
    }
    return hex + u' ' + name.left(cut) + QChar(0x2026);
}

QColor BoxPanel::ForeColorFor(int32_t colour) {
    // Worked out here rather than through LongToHSL, which would leave the
    // colour in the shared components every time a box is painted.
    const Module1::HSLValue hsl = Module1::RGBToHSL(R(colour), G(colour), B(colour));
    return hsl.L <= kWhiteTextMaxLightness ? QColor(Qt::white) : QColor(Qt::black);
}

void BoxPanel::wheelEvent(QWheelEvent* e) {
    QCoreApplication::sendEvent(vsbFav_, e);
}

} // namespace favourites
