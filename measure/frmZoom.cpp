#include "measure/frmZoom.h"

#include "platform/x11/NativePointer.h"

#include "colour/Module1.h"
#include "measure/MeasureAccessible.h"
#include "measure/PointMeasure.h"
#include "measure/frmPunkt.h"
#include "platform/Twips.h"
#include "platform/WindowPlace.h"
#include "platform/widgets/Accessible.h"
#include "platform/widgets/PictureBox.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace measure {

namespace {
const QString kApp = QStringLiteral("Tintra");
const QString kSection = QStringLiteral("Tilpass");

// A stored edge in pixels; 250 twips where it is missing, not a number or
// beyond any screen.
int StoredEdge(platform::ISettings* settings, const QString& key) {
    const QString text =
        settings ? settings->GetSetting(kApp, kSection, key, QString()) : QString();
    return platform::StoredEdge(text).value_or(platform::Px(250));
}
} // namespace

frmZoom::frmZoom(PointMeasure& measure, QWidget* owner, bool inside)
    : MeasureWindow(owner, inside ? Qt::Widget
                                  : Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      m_(measure), inside_(inside) {
    setWindowTitle(QStringLiteral("Zoom"));
    // Its value (see MeasureAccessible.h) comes with the first move.
    platform::SetAccessibleRole(this, isWindow() ? QAccessible::Window : QAccessible::Graphic);
    setFixedSize(kZoomView, kZoomView);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // Tahoma where it is installed; elsewhere the window font, rather than
    // a search for a stand-in that costs the first measurement its time.
    QFont f = font();
    if (QFontDatabase::hasFamily(QStringLiteral("Tahoma"))) {
        f.setFamily(QStringLiteral("Tahoma"));
    }
    f.setPointSizeF(8.25);
    setFont(f);
    FitRatio();
}

void frmZoom::FitRatio() {
    const double ratio = devicePixelRatioF();
    if (!view_.isNull() && view_.devicePixelRatio() == ratio) {
        return;
    }
    const int side = static_cast<int>(std::lround(kZoomView * ratio));
    view_ = QImage(side, side, QImage::Format_RGB32);
    view_.setDevicePixelRatio(ratio);
    Cls();
}

void frmZoom::Form_Load() {
    platform::ISettings* settings = m_.services.settings;
    if (!inside_) {
        const QPoint stored(StoredEdge(settings, QStringLiteral("ZoomLeft")),
                            StoredEdge(settings, QStringLiteral("ZoomTop")));
        move(platform::OnScreen(QRect(stored, frameGeometry().size())));
    }
    QPainter p(&view_);
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics fm = p.fontMetrics();
    const QStringList lines{QStringLiteral("Trykk med venstre musetast på"),
                            QStringLiteral("ønsket sted i skjermbildet."), QString(),
                            QStringLiteral("Velg deretter farge i dette vinduet.")};
    for (int i = 0; i < lines.size(); ++i) {
        p.drawText(0, i * fm.height() + fm.ascent(), lines[i]);
    }
    setCursor(MeasureCursor());
}

void frmZoom::Form_MouseDown(int, int, double, double) {
    m_.host.SelectMeasureTab();
    // The view lands one to one in the picture's top-left corner.
    platform::PictureBox* pic = m_.host.MeasurePicture();
    StretchBlock(view_, view_.rect(), pic->Image(), QSize(kZoomView, kZoomView));
    pic->Refresh();
}

void frmZoom::Form_MouseMove(int, int, double x, double y) {
    const int32_t c = Point(x, y);
    if (c == -1) {
        return;
    }
    Caption(c);
    if (!std::exchange(hover_, true)) {
        UpdateOutline(cell_);
    }
    if (side_ > 0) {
        MoveCell(CellAt(x, y));
    }
}

QPoint frmZoom::CellAt(double x, double y) const {
    return BlockSource(DevicePixel({x, y}, view_.devicePixelRatio()), QRect(0, 0, side_, side_),
                       view_.size());
}

void frmZoom::Caption(int32_t c) {
    Module1::LongToRGB(c);
    setWindowTitle(QStringLiteral("Zoom-RGB(%1,%2,%3)")
                       .arg(Module1::Red)
                       .arg(Module1::Green)
                       .arg(Module1::Blue));
}

void frmZoom::Form_MouseUp(int, int, double x, double y) {
    int32_t c = Point(x, y);
    if (c == -1) {
        return;
    }
    // Where the view shows a pixel of the still, the pick is what a pick
    // there takes; elsewhere (the instructions, past the still's edge) the
    // colour shown.
    if (frmPunkt* punkt = m_.Punkt(); punkt && side_ > 0) {
        if (const int32_t sample = punkt->Sample(block_.topLeft() + CellAt(x, y)); sample != -1) {
            c = sample;
        }
    }
    ReportTaken(m_, c, CellOnScreen(m_, cell_));
    hide();
    m_.UnloadPunkt();
    m_.host.SetMainVisible(true);
    m_.host.PickColour(c);
    m_.host.MarkMeasurePicture(x, y);
    m_.UnloadZoom();
}

void frmZoom::Form_KeyUp(int keyCode, int shift) {
    if (frmPunkt* punkt = m_.Punkt()) {
        punkt->Form_KeyUp(keyCode, shift);
    }
}

void frmZoom::Form_KeyDown(int keyCode, int shift) {
    if (frmPunkt* punkt = m_.Punkt()) {
        punkt->Form_KeyDown(keyCode, shift);
    }
}

void frmZoom::MoveCellBy(const QPoint& step) {
    MoveCell(cell_ + step);
    const QRect moved = CellPixels(cell_);
    Caption(PointOf(view_, moved.left(), moved.top()));
}

void frmZoom::ClickCell() {
    // A click inside the cell: the middle of its middle device pixel, in
    // logical pixels.
    const QRect cell = CellPixels(cell_);
    const double dpr = view_.devicePixelRatio();
    const QPointF inside(((cell.left() + cell.right() + 1) / 2 + 0.5) / dpr,
                         ((cell.top() + cell.bottom() + 1) / 2 + 0.5) / dpr);
    Form_MouseDown(1, 0, inside.x(), inside.y());
    Form_MouseUp(1, 0, inside.x(), inside.y());
}

void frmZoom::Form_Unload() {
    if (inside_ || isMinimized() || isMaximized() || !m_.services.settings) {
        return;
    }
    m_.services.settings->SaveSetting(kApp, kSection, QStringLiteral("ZoomLeft"),
                                      QString::number(x() * kTwipsPerPixel));
    m_.services.settings->SaveSetting(kApp, kSection, QStringLiteral("ZoomTop"),
                                      QString::number(y() * kTwipsPerPixel));
}

int32_t frmZoom::Point(double x, double y) const {
    if (!(x >= 0 && y >= 0 && x < kZoomView && y < kZoomView)) {
        return -1;
    }
    const QPoint d = DevicePixel({x, y}, view_.devicePixelRatio());
    return PointOf(view_, d.x(), d.y());
}

void frmZoom::Cls() {
    view_.fill(palette().color(QPalette::Window));
    side_ = 0;
    update();
}

bool frmZoom::Marked() const {
    return side_ > 0 && (hover_ || keys_ || m_.sampleSide > 1);
}

void frmZoom::ShowsBlock(const QRect& block) {
    block_ = block;
    side_ = block.width();
    cell_ = QPoint(side_ / 2, side_ / 2);
    keys_ = false;
    update();
}

void frmZoom::TakeKeys() {
    keys_ = true;
    UpdateOutline(cell_);
}

QRect frmZoom::CellPixels(const QPoint& cell) const {
    // View pixel v shows block pixel v * side / view (BlockSource).
    const int view = view_.width();
    const auto first = [&](int c) { return (c * view + side_ - 1) / side_; };
    return QRect(QPoint(first(cell.x()), first(cell.y())),
                 QPoint(first(cell.x() + 1) - 1, first(cell.y() + 1) - 1));
}

QRect frmZoom::SamplePixels(const QPoint& cell) const {
    // The part of the mean's block that the view shows.
    const int half = m_.sampleSide / 2;
    const auto in = [&](const QPoint& c) {
        return QPoint(std::clamp(c.x(), 0, side_ - 1), std::clamp(c.y(), 0, side_ - 1));
    };
    return CellPixels(in(cell - QPoint(half, half))) | CellPixels(in(cell + QPoint(half, half)));
}

std::vector<platform::Overlay> frmZoom::Outline(const QPoint& cell) const {
    return platform::RingsAround(SamplePixels(cell));
}

void frmZoom::MoveCell(const QPoint& cell) {
    const QPoint to(std::clamp(cell.x(), 0, side_ - 1), std::clamp(cell.y(), 0, side_ - 1));
    if (to != cell_) {
        UpdateOutline(cell_);
        UpdateOutline(to);
        cell_ = to;
        ReportCell(m_);
    }
}

void frmZoom::UpdateOutline(const QPoint& cell) {
    if (side_ == 0) {
        return;
    }
    update(
        platform::LogicalArea(SamplePixels(cell).adjusted(-2, -2, 2, 2), view_.devicePixelRatio()));
}

void frmZoom::leaveEvent(QEvent* e) {
    hover_ = false;
    UpdateOutline(cell_);
    MeasureWindow::leaveEvent(e);
}

void frmZoom::paintEvent(QPaintEvent* e) {
    // The highlight is drawn over the view, never into it: the view is what
    // the picks read.
    const std::vector<platform::Overlay> outline =
        Marked() ? Outline(cell_) : std::vector<platform::Overlay>();
    if (native_.Paint(view_, e->region(), palette().color(QPalette::Window).rgb(), outline)) {
        return;
    }
    QPainter p(this);
    p.drawImage(0, 0, view_);
    const double dpr = view_.devicePixelRatio();
    p.scale(1 / dpr, 1 / dpr);
    for (const platform::Overlay& o : outline) {
        p.fillRect(o.rect, QColor(o.colour));
    }
}

// The corner of the device pixel under the pointer, in logical pixels, so
// that reading the view back finds exactly that device pixel.
QPointF frmZoom::PointerAt(const QPointF& eventPos) const {
    if (inside_) {
        return eventPos;
    }
    const double dpr = devicePixelRatioF();
    const QPoint d = platform::PointerPixel(this, eventPos);
    if (d == DevicePixel(eventPos, dpr)) {
        return eventPos;
    }
    return {d.x() / dpr, d.y() / dpr};
}

} // namespace measure
