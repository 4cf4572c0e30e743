#include "measure/frmPunkt.h"

#include "platform/x11/NativePointer.h"
#include "platform/x11/NativeWindow.h"

#include "measure/Measure.h"
#include "measure/MeasureAccessible.h"
#include "measure/PointMeasure.h"
#include "measure/frmZoom.h"
#include "platform/widgets/PictureBox.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHideEvent>
#include <QLabel>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace measure {

frmPunkt::frmPunkt(PointMeasure& measure, QWidget* owner,
                   std::unique_ptr<platform::ScreenStill> still, bool pointerInStill)
    : StillPane(*this, owner), m_(measure), still_(AtDevicePixels(std::move(still))),
      pointerInStill_(pointerInStill) {
    setAccessibleName(QStringLiteral("Punktmåling"));
}

void frmPunkt::Form_Load() {
    // The copy was taken before the window shows, so it cannot show itself.
    const QSize size = still_->Size();
    pointer_ = KnownPointer();
    cursor_ = StartingPoint();
    if (platform::OneWindowAcrossScreens()) {
        // The whole desktop from its top-left corner, in device pixels.
        const QPoint origin = RootOrigin();
        SetArea(QRect(QPoint(), size));
        const bool placed = platform::PlaceWindow(this, QRect(origin, size));
        if (placed && QGuiApplication::screens().size() == 1) {
            // Over the desktop's panels too (a window manager keeps plain
            // windows below its top bar): the full-screen state, on the
            // one screen, covers it exactly where it is placed.
            setWindowState(Qt::WindowFullScreen);
        }
        if (!placed) {
            QScreen* screen = QGuiApplication::primaryScreen();
            const double ratio = screen ? screen->devicePixelRatio() : 1.0;
            setGeometry(QRect(origin, QSize(static_cast<int>(std::ceil(size.width() / ratio)),
                                            static_cast<int>(std::ceil(size.height() / ratio)))));
        }
        setCursor(MeasureCursor());
        show();
    } else {
        // Each screen its own area, full screen.
        const std::vector<platform::ScreenArea> screens = ScreenAreas();
        for (const platform::ScreenArea& s : screens) {
            StillPane* pane = this;
            if (&s != &screens.front()) {
                others_.push_back(pane = new StillPane(*this, this));
            }
            pane->SetArea(s.area);
            if (s.screen) {
                pane->setScreen(s.screen);
                pane->setGeometry(s.screen->geometry());
            }
            pane->setCursor(MeasureCursor());
            pane->showFullScreen();
        }
    }
    activateWindow();
    update();
    if (m_.lZoomHalf < kNoZoomHalf) {
        frmZoom* zoom = m_.LoadZoom();
        if (zoom->Inside()) {
            PlaceMagnifier(cursor_);
        } else {
            zoom->show();
        }
    } // Read last: the pixels may still be on their way.
    ReportCursor(*this);
}

std::vector<StillPane*> frmPunkt::Panes() const {
    std::vector<StillPane*> panes{const_cast<frmPunkt*>(this)};
    panes.insert(panes.end(), others_.begin(), others_.end());
    return panes;
}

std::vector<platform::ScreenArea> frmPunkt::ScreenAreas() const {
    std::vector<platform::ScreenArea> screens = still_->Screens();
    if (screens.empty()) {
        QScreen* primary = QGuiApplication::primaryScreen();
        const QSize size =
            primary ? primary->geometry().size() * primary->devicePixelRatio() : still_->Size();
        screens.push_back({primary, QRect(QPoint(), size)});
    }
    return screens;
}

QPoint frmPunkt::Within(const QPoint& p) const {
    return {std::clamp(p.x(), 0, still_->Size().width() - 1),
            std::clamp(p.y(), 0, still_->Size().height() - 1)};
}

QPoint frmPunkt::Stepped(const QPoint& from, const QPoint& by) const {
    const QPoint to = from + by;
    const std::vector<StillPane*> panes = Panes();
    const auto here = std::find_if(panes.begin(), panes.end(),
                                   [&](const StillPane* p) { return p->Area().contains(from); });
    if (panes.size() < 2 || here == panes.end() || (*here)->Area().contains(to)) {
        return Within(to);
    }
    const QRect a = (*here)->Area();
    const QPoint edge(std::clamp(to.x(), a.left(), a.right()),
                      std::clamp(to.y(), a.top(), a.bottom()));
    if (edge != from) {
        return edge;
    }
    // From the screen's edge on to the screen beyond it, where the desktop
    // goes on.
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    const QPoint beyond = (*here)->GlobalOf(from) + QPoint(sign(by.x()), sign(by.y()));
    for (const StillPane* p : panes) {
        if (p != *here && p->geometry().contains(beyond)) {
            return Within(p->StillAt(beyond));
        }
    }
    return from;
}

std::optional<QPoint> frmPunkt::KnownPointer() const {
    if (platform::OneWindowAcrossScreens()) {
        if (const auto p = platform::NativePointerPosition()) {
            return Within(*p - RootOrigin());
        }
    }
    if (m_.desktop.pointerKnownAtStart) {
        const QPoint p = QCursor::pos();
        for (const platform::ScreenArea& s : ScreenAreas()) {
            if (s.screen && s.screen->geometry().contains(p)) {
                return Within(s.area.topLeft() + DevicePixel(p - s.screen->geometry().topLeft(),
                                                             s.screen->devicePixelRatio()));
            }
        }
    }
    return std::nullopt;
}

QRect frmPunkt::AreaAt(const QPoint& p) const {
    for (const platform::ScreenArea& s : ScreenAreas()) {
        if (s.area.contains(p)) {
            return s.area & QRect(QPoint(), still_->Size());
        }
    }
    return QRect(QPoint(), still_->Size());
}

QPoint frmPunkt::StartingPoint() const {
    if (pointer_) {
        return pointerInStill_ ? AwayFromPointer(*pointer_, AreaAt(*pointer_)) : *pointer_;
    }
    // The middle of the primary screen: (960, 540) on a 1920 x 1080 one.
    const std::vector<platform::ScreenArea> screens = ScreenAreas();
    const auto primary = std::find_if(screens.begin(), screens.end(), [](const auto& s) {
        return s.screen == QGuiApplication::primaryScreen();
    });
    const QRect area = (primary != screens.end() ? primary : screens.begin())->area;
    return Within(area.topLeft() + QPoint(area.width() / 2, area.height() / 2));
}

void frmPunkt::PointerSeen(const QPoint& at) {
    if (pointer_) {
        return;
    }
    pointer_ = at;
    // The cursor, where the keys have not moved it yet, starts clear of it.
    if (pointerInStill_ && !keysMoved_ && NearPointer(cursor_, at)) {
        MoveCursor(AwayFromPointer(at, AreaAt(at)), crossShown_);
        Follow(cursor_);
    }
}

bool frmPunkt::Doubtful(const QPoint& at, bool byMouse) {
    if (!pointerInStill_ || told_) {
        return false;
    }
    // A click where the pointer rests since it was drawn; a key anywhere
    // while the pointer's place is unknown, or near it.
    const bool doubtful = byMouse ? pointer_ && !pointerMoved_ && NearPointer(at, *pointer_)
                                  : !pointer_ || NearPointer(at, *pointer_);
    if (doubtful) {
        told_ = true;
        ShowLabel(at, QString::fromUtf8("Her kan musepekeren være med i skjermbildet. Flytt deg "
                                        "bort, eller trykk en gang til for å måle her."));
    }
    return doubtful;
}

QPoint frmPunkt::RootOrigin() const {
    // Each screen keeps its top-left corner at its place on the root.
    for (const platform::ScreenArea& a : still_->Screens()) {
        if (a.screen) {
            return a.screen->geometry().topLeft() - a.area.topLeft();
        }
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->geometry().topLeft() : QPoint();
}

void frmPunkt::Form_MouseDown(int button, int, double x, double y) {
    // The keyboard goes on from the pointer; a press on the cursor itself
    // (from the keyboard) leaves it showing.
    if (const QPoint p(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
        p != cursor_) {
        MoveCursor(p, false);
    }
    if (button != 1) {
        return;
    }
    const int half = m_.lZoomHalf;
    const QPoint at(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
    if (half == kNoZoomHalf) {
        platform::PictureBox* pic = m_.host.MeasurePicture();
        pic->SetPicture(QImage());
        const QSize area(pic->ScaleWidth(), pic->ScaleHeight());
        StretchBlock(Still(), QRect(at - QPoint(half, half), area), pic->Image(), area);
        pic->Refresh();
        m_.host.MarkMeasurePicture(pic->width() / 2.0, pic->height() / 2.0);
    } else {
        held_ = true;
        ShowBlock(at);
    }
    m_.host.SelectMeasureTab();
}

void frmPunkt::ShowBlock(const QPoint& at) {
    if (frmZoom* zoom = m_.Zoom()) {
        const int half = m_.lZoomHalf;
        PlaceMagnifier(at);
        zoom->Cls();
        const QRect block(at - QPoint(half, half), QSize(2 * half, 2 * half));
        StretchBlock(Still(), block, zoom->View(), zoom->View().size());
        zoom->ShowsBlock(block);
    }
}

void frmPunkt::PlaceMagnifier(const QPoint& at) {
    frmZoom* zoom = m_.Zoom();
    const std::vector<StillPane*> panes = Panes();
    const auto pane = std::find_if(panes.begin(), panes.end(),
                                   [&](const StillPane* p) { return p->Area().contains(at); });
    if (!zoom || !zoom->Inside() || pane == panes.end()) {
        return;
    }
    // Its outline, where it was and where it goes, is painted again.
    constexpr int ring = 3;
    auto* before = zoom->parentWidget();
    if (before && zoom->isVisible()) {
        before->update(zoom->geometry().adjusted(-ring, -ring, ring, ring));
    }
    if (before != *pane) {
        zoom->setParent(*pane);
        zoom->FitRatio();
    }
    const double dpr = (*pane)->devicePixelRatioF();
    const QPointF point = QPointF(at - (*pane)->Area().topLeft()) / dpr;
    zoom->move(MagnifierPlace(QPoint(static_cast<int>(std::floor(point.x())),
                                     static_cast<int>(std::floor(point.y()))),
                              zoom->size(), (*pane)->rect())
                   .topLeft());
    // Until a press holds its block, it follows the point, and the pointer
    // passes through it to the still: else a quick move lands on it, which
    // then stays over the pixel the pointer is on and takes its clicks.
    zoom->setAttribute(Qt::WA_TransparentForMouseEvents, !held_);
    zoom->show();
    zoom->raise();
    (*pane)->update(zoom->geometry().adjusted(-ring, -ring, ring, ring));
}

std::vector<platform::Overlay> frmPunkt::MagnifierRing(const StillPane* pane) const {
    const frmZoom* zoom = m_.Zoom();
    if (!zoom || !zoom->Inside() || zoom->parentWidget() != pane || zoom->isHidden()) {
        return {};
    }
    return platform::RingsAround(platform::DeviceArea(zoom->geometry(), pane->devicePixelRatioF()));
}

void frmPunkt::Follow(const QPoint& at) {
    if (m_.lZoomHalf == kNoZoomHalf) {
        ShowLive(at);
        return;
    }
    if (live_) {
        live_->hide();
    }
    if (!held_) {
        ShowBlock(at);
    }
}

void frmPunkt::ShowLive(const QPoint& at) {
    if (const int32_t c = Sample(at); c != -1) {
        ShowLabel(at, LiveText(c, at + RootOrigin()));
    }
}

void frmPunkt::ShowLabel(const QPoint& at, const QString& text) {
    const std::vector<StillPane*> panes = Panes();
    const auto pane = std::find_if(panes.begin(), panes.end(),
                                   [&](const StillPane* p) { return p->Area().contains(at); });
    if (pane == panes.end()) {
        return;
    }
    if (!live_) {
        live_ = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint |
                                     Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
        live_->setAttribute(Qt::WA_ShowWithoutActivating);
        live_->setAttribute(Qt::WA_TransparentForMouseEvents);
        live_->setForegroundRole(QPalette::ToolTipText);
        live_->setBackgroundRole(QPalette::ToolTipBase);
        live_->setAutoFillBackground(true);
        live_->setFrameStyle(QFrame::Box | QFrame::Plain);
        live_->setMargin(2);
    }
    live_->setText(text);
    live_->adjustSize();
    const QPoint point = (*pane)->GlobalOf(at);
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen) {
        screen = (*pane)->screen();
    }
    live_->move(LivePlace(point, live_->size(), screen->geometry()));
    if (!live_->isVisible()) {
        live_->show();
        live_->raise();
    }
}

void frmPunkt::Form_MouseMove(int button, int shift, double x, double y) {
    const QPoint at(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
    PointerSeen(at);
    pointerMoved_ = pointerMoved_ || at != *pointer_;
    if (pointerInStill_ && !pointerMoved_ && button == 0) {
        // Resting where the still shows it, the pointer leaves the cursor
        // clear of it.
        return;
    }
    Form_MouseDown(button, shift, x, y);
    Follow(cursor_);
}

void frmPunkt::Form_MouseUp(int, int, double x, double y) {
    if (m_.lZoomHalf != kNoZoomHalf) {
        return;
    }
    const QPoint at(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
    const int32_t c = Sample(at);
    if (c == -1 || Doubtful(at, true)) {
        return;
    }
    ReportTaken(m_, c, OnScreen(at));
    hide();
    m_.host.SetMainVisible(true);
    m_.host.PickColour(c);
    m_.UnloadPunkt();
}

void frmPunkt::Form_KeyUp(int keyCode, int) {
    if (keyCode != kEscape) {
        return;
    }
    hide();
    m_.UnloadZoom();
    m_.host.SetMainVisible(true);
    m_.UnloadPunkt();
}

void frmPunkt::Form_KeyDown(int keyCode, int shift) {
    const std::optional<QPoint> arrow = platform::ArrowStep(keyCode);
    const bool enter = keyCode == Qt::Key_Return || keyCode == Qt::Key_Enter;
    if (const int side = SampleSideForKey(keyCode)) {
        SetSampleSide(side);
        return;
    }
    // Once a press from the keyboard holds a block, the keys choose in it.
    if (frmZoom* zoom = m_.Zoom(); zoom && zoom->KeysOnCell()) {
        if (arrow) {
            zoom->MoveCellBy(*arrow * CursorStride(shift));
        } else if (enter) {
            zoom->ClickCell();
        }
        return;
    }
    if (arrow) {
        keysMoved_ = true;
        MoveCursor(Stepped(cursor_, *arrow * CursorStride(shift)));
        Follow(cursor_);
    } else if (keyCode == Qt::Key_Space) {
        PressAtCursor();
    } else if (enter && PressAtCursor() && m_.lZoomHalf == kNoZoomHalf) {
        Form_MouseUp(1, 0, cursor_.x(), cursor_.y());
    }
}

bool frmPunkt::PressAtCursor() {
    if (Doubtful(cursor_, false)) {
        return false;
    }
    Form_MouseDown(1, 0, cursor_.x(), cursor_.y());
    if (frmZoom* zoom = m_.Zoom()) {
        zoom->TakeKeys();
    }
    return true;
}

void frmPunkt::SetSampleSide(int side) {
    std::vector<platform::Overlay> arms = CrossHairShown();
    m_.sampleSide = side;
    const std::vector<platform::Overlay> now = CrossHairShown();
    arms.insert(arms.end(), now.begin(), now.end());
    UpdateArms(arms);
    if (frmZoom* zoom = m_.Zoom()) {
        zoom->update();
    }
    if (m_.lZoomHalf == kNoZoomHalf && live_ && live_->isVisible()) {
        ShowLive(cursor_);
    }
    ReportCursor(*this);
}

int32_t frmPunkt::Sample(const QPoint& at) const {
    return MeanOf(Still(), at, m_.sampleSide, AreaAt(at));
}

std::vector<platform::Overlay> frmPunkt::CrossHairShown() const {
    return crossShown_ || m_.sampleSide > 1 ? CrossHair(cursor_, m_.sampleSide)
                                            : std::vector<platform::Overlay>();
}

void frmPunkt::UpdateArms(const std::vector<platform::Overlay>& arms) {
    for (StillPane* pane : Panes()) {
        for (const platform::Overlay& arm : arms) {
            pane->UpdatePixels(arm.rect);
        }
    }
}

void frmPunkt::MoveCursor(const QPoint& to, bool shown) {
    const QPoint at = Within(to);
    if (at == cursor_ && shown == crossShown_) {
        return;
    }
    // Only the arms, where they were and where they go, are painted again:
    // nothing while the cross-hair stays hidden.
    std::vector<platform::Overlay> arms = CrossHairShown();
    cursor_ = at;
    crossShown_ = shown;
    const std::vector<platform::Overlay> now = CrossHairShown();
    arms.insert(arms.end(), now.begin(), now.end());
    UpdateArms(arms);
    ReportCursor(*this);
}

const QImage& frmPunkt::Still() const {
    static const QImage none;
    return still_ ? still_->Image() : none;
}

void frmPunkt::hideEvent(QHideEvent* e) {
    for (StillPane* pane : others_) {
        pane->hide();
    }
    if (live_) {
        live_->hide();
    }
    StillPane::hideEvent(e);
}

} // namespace measure
