// Point measurement on a desktop of all-different pixels, also scaled and on
// two screens (CMakeLists); real pointer, screen and cross-hair: the e2e's.
#include "measure/PointMeasure.h"
#include "measure/StillPane.h"
#include "measure/frmPunkt.h"
#include "measure/frmZoom.h"
#include "platform/widgets/PictureBox.h"
#include "tests/Support.h"

#include <QEnterEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QScreen>
#include <QSet>
#include <QTest>

#include <array>
#include <memory>

using namespace measure;
using platform::ToPacked;

namespace {

// Where the pointer is, in device pixels of the primary screen.
const QPoint kPointer(600, 450);

int32_t At(int x, int y) {
    return x + 4096 * y;
}

// What a window shows, one image pixel per device pixel.
QImage Shown(QWidget* w) {
    QImage img = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    img.setDevicePixelRatio(1);
    return img;
}

// The parts of a window painted again.
struct PaintLog : QObject {
    QRegion region;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            region += static_cast<QPaintEvent*>(e)->region();
        }
        return false;
    }
    int Area() const {
        int n = 0;
        for (const QRect& r : region) {
            n += r.width() * r.height();
        }
        return n;
    }
};

struct FakeHost : Host {
    QWidget main;
    platform::PictureBox* pic = new platform::PictureBox(&main);
    std::vector<int32_t> picks;
    QStringList log;
    QPointF mark{-1, -1};
    int tabs = 0;
    bool visible = true;

    FakeHost() {
        pic->SetOuterGeometry(0, 0, 192, 192);
        main.show();
    }
    void PickColour(int32_t c) override {
        picks.push_back(c);
        log << "pick";
    }
    void SelectMeasureTab() override { ++tabs; }
    void SetMainVisible(bool v) override { log << ((visible = v) ? "show" : "hide"); }
    platform::PictureBox* MeasurePicture() override { return pic; }
    void MarkMeasurePicture(double x, double y) override { mark = {x, y}; }
    QWidget* MainWindow() override { return &main; }
};

} // namespace

class TestMeasure : public QObject {
    Q_OBJECT
    QImage desk{1024, 768, QImage::Format_RGB32};
    platform::doubles::FakeServices fakes;
    std::unique_ptr<FakeHost> host;
    std::unique_ptr<PointMeasure> pm;

    void Start(int zoomChoice) {
        pm->cboZoom_Click(zoomChoice);
        pm->cmdPunkt_Click();
        QVERIFY(!host->visible && pm->tmr1.isActive());
        pm->tmr1_Timer();
    }
    void Ended() {
        QVERIFY(!pm->Punkt() && !pm->Zoom() && host->visible);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void initTestCase() {
        for (int y = 0; y < desk.height(); ++y) {
            for (int x = 0; x < desk.width(); ++x) {
                desk.setPixel(x, y, platform::FromPacked(At(x, y)).rgb());
            }
        }
    }
    void init() {
        pm.reset(); // before the host it holds
        fakes = {};
        fakes.screenGrab.image = desk;
        host = std::make_unique<FakeHost>();
        pm = std::make_unique<PointMeasure>(*host, fakes.Get());
        // The keyboard cursor starts at the pointer, away from what is checked.
        QCursor::setPos(kPointer / QGuiApplication::primaryScreen()->devicePixelRatio());
    }

    void withoutZoomTheReleasePicksThePixel() {
        Start(0);
        QVERIFY(pm->Punkt() && !pm->Zoom() && fakes.screenGrab.grabs == 1);
        QCOMPARE(Shown(pm->Punkt()).copy(0, 0, 400, 300), desk.copy(0, 0, 400, 300));
        pm->Punkt()->Form_MouseDown(1, 0, 500, 300);
        QCOMPARE(host->pic->Image(), desk.copy(404, 204, 190, 190));
        QVERIFY(host->mark == QPointF(96, 96) && host->tabs == 1);
        // The picture answers for the pixel drawn at a point, -1 beside it.
        QCOMPARE(host->pic->Point(189.9, 0.5), At(404 + 189, 204));
        QVERIFY(host->pic->Point(190, 0) == -1 && host->pic->Point(-0.5, 3) == -1 &&
                host->pic->Point(3, 190) == -1);
        // Past the edge the block is not shifted.
        pm->Punkt()->Form_MouseDown(1, 0, 10, 10);
        QCOMPARE(host->pic->Image().copy(86, 86, 104, 104), desk.copy(0, 0, 104, 104));
        // Only the left button copies, but any release picks.
        const QImage before = host->pic->Image();
        pm->Punkt()->Form_MouseDown(2, 0, 700, 500);
        pm->Punkt()->Form_MouseMove(3, 0, 700, 500);
        QVERIFY(host->pic->Image() == before && host->tabs == 2);
        pm->Punkt()->Form_MouseUp(2, 0, 700, 500);
        QCOMPARE(host->picks, std::vector<int32_t>{At(700, 500)});
        QCOMPARE(host->log, QStringList({"hide", "show", "pick"}));
        Ended();
        QCOMPARE(fakes.screenGrab.grabs, 1);
    }

    void zoomClickPicksThePixelShown() {
        for (int choice = 1; choice <= 4; ++choice) {
            Start(choice);
            frmZoom* zoom = pm->Zoom();
            QVERIFY(zoom && zoom->isVisible() && zoom->windowTitle() == "Zoom");
            pm->Punkt()->Form_MouseDown(1, 0, 500, 300);
            pm->Punkt()->Form_MouseUp(1, 0, 500, 300);
            QVERIFY(host->picks.empty() && pm->Punkt());

            // The view shows the block around the pointer, all of it and
            // nothing else, and answers for the pixel shown.
            const int half = pm->lZoomHalf;
            QCOMPARE(half, (std::array{48, 24, 12, 8})[choice - 1]);
            const QImage shown = Shown(zoom);
            QSet<int32_t> seen;
            for (int i = 0; i < shown.width() * shown.height(); ++i) {
                const int32_t c = ToPacked(shown.pixel(i % shown.width(), i / shown.width()));
                seen.insert(c);
                QVERIFY(std::abs(c % 4096 - 500 + 0.5) < half &&
                        std::abs(c / 4096 - 300 + 0.5) < half);
            }
            QCOMPARE(seen.size(), 4 * half * half);
            for (int v = 0; v < kZoomView; v += 7) {
                const QPoint d = DevicePixel(QPointF(v, 189 - v), zoom->devicePixelRatioF());
                QCOMPARE(zoom->Point(v, 189 - v), ToPacked(shown.pixel(d)));
            }

            const QPoint click(37 * choice, 150 - 20 * choice);
            const int32_t expected =
                ToPacked(shown.pixel(DevicePixel(click, zoom->devicePixelRatioF())));
            QTest::mouseClick(zoom, choice == 2 ? Qt::RightButton : Qt::LeftButton, {}, click);
            QCOMPARE(host->picks, std::vector<int32_t>{expected});
            QCOMPARE(ToPacked(host->pic->Image().pixel(click)), expected);
            QCOMPARE(host->mark, QPointF(click));
            Ended();
            host->picks.clear();
        }
    }

    // Escape (released, not repeated) or closing ends without a pick. The zoom
    // window's place (twips; an unusable one skipped) is kept where partly on
    // a screen, else brought onto the nearest (the main window's rule too).
    void escapeAndCloseEndAndStoreThePlace() {
        support::Setting(fakes, "ZoomLeft") = "-750";
        support::Setting(fakes, "ZoomTop") = "3e10";
        Start(2);
        QCOMPARE(pm->Zoom()->pos(), QPoint(-50, 17));
        QTest::keyPress(pm->Punkt(), Qt::Key_Escape);
        QTest::keyRelease(pm->Punkt(), Qt::Key_A);
        QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Escape, {}, QString(), true);
        QApplication::sendEvent(pm->Punkt(), &repeat);
        QVERIFY(pm->Punkt() && pm->Zoom());
        QTest::keyRelease(pm->Punkt(), Qt::Key_Escape);
        Ended();
        QCOMPARE(support::Setting(fakes, "ZoomLeft") + " " + support::Setting(fakes, "ZoomTop"),
                 QString("-750 255"));

        support::Setting(fakes, "ZoomLeft") = "450000";
        Start(3);
        const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
        QCOMPARE(pm->Zoom()->x() + kZoomView, desktop.right() + 1);
        pm->Zoom()->close();
        Ended();
        QVERIFY(host->picks.empty());
    }

    // The keyboard cursor starts at the pointer as a cross-hair (its shape:
    // e2e_measure), which steps aside while the mouse leads. Arrows move it
    // (Shift: ten, Ctrl: a hundred) within the still, repainting only around it; Enter takes
    // its pixel as a press and release there would.
    void keyboardWithoutZoomTakesTheCursorPixel() {
        Start(0);
        frmPunkt* punkt = pm->Punkt();
        QCOMPARE(punkt->Cursor(), kPointer);
        QVERIFY(Shown(punkt).pixel(kPointer + QPoint(1, 0)) != desk.pixel(kPointer + QPoint(1, 0)));
        punkt->Form_MouseMove(0, 0, 700, 500);
        QCoreApplication::processEvents();
        QCOMPARE(Shown(punkt).pixel(kPointer + QPoint(1, 0)), desk.pixel(kPointer + QPoint(1, 0)));
        {
            PaintLog moves;
            punkt->installEventFilter(&moves);
            punkt->Form_MouseMove(1, 0, 710, 505);
            QCoreApplication::processEvents();
            punkt->removeEventFilter(&moves);
            QVERIFY(moves.region.isEmpty() && punkt->Cursor() == QPoint(710, 505));
        }

        punkt->MoveCursor({-5, 5000});
        QCOMPARE(punkt->Cursor(), QPoint(0, desk.height() - 1));
        punkt->MoveCursor(kPointer);
        QCoreApplication::processEvents();
        PaintLog painted;
        punkt->installEventFilter(&painted);
        QTest::keyClick(punkt, Qt::Key_Right);
        QCoreApplication::processEvents();
        QVERIFY(!painted.region.isEmpty() && painted.Area() < 300);
        for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left, Qt::Key_Up}) {
            QTest::keyClick(punkt, key);
        }
        QTest::keyClick(punkt, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(punkt, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(punkt->Cursor(), kPointer + QPoint(2, -91));
        QTest::keyClick(punkt, Qt::Key_Return);
        QCOMPARE(host->picks, std::vector<int32_t>{At(602, 359)});
        QCOMPARE(host->pic->Image(), desk.copy(602 - 96, 359 - 96, 190, 190));
        QVERIFY(host->mark == QPointF(96, 96));
        Ended();
    }

    // One key handler serves both windows, also before a block shows: Space
    // presses on the cursor, and the arrows then move the zoom window's
    // chosen pixel, Enter takes it. The outline shows on the window, never in
    // what Point() reads.
    void keyboardWithZoomTakesTheChosenPixel() {
        Start(3);
        frmPunkt* punkt = pm->Punkt();
        frmZoom* zoom = pm->Zoom();
        QTest::keyClick(zoom, Qt::Key_Left, Qt::ControlModifier);
        QTest::keyClick(punkt, Qt::Key_Left);
        QTest::keyClick(zoom, Qt::Key_Left);
        QTest::keyClick(zoom, Qt::Key_Up);
        QTest::keyClick(zoom, Qt::Key_Space);
        const QPoint pressed = kPointer - QPoint(102, 1);
        QVERIFY(host->picks.empty() && pm->Punkt());
        QVERIFY(zoom->Marked() && zoom->Cell() == QPoint(12, 12));
        QImage view = zoom->View().copy();
        view.fill(zoom->palette().color(QPalette::Window));
        StretchBlock(desk, QRect(pressed - QPoint(12, 12), QSize(24, 24)), view, view.size());
        QCOMPARE(zoom->View(), view);
        view.setDevicePixelRatio(1);
        // The pressed pixel stays in sight inside a black and a white ring.
        QRect cell;
        for (int i = 0; i < view.width() * view.height(); ++i) {
            const QPoint d(i % view.width(), i / view.width());
            if (ToPacked(view.pixel(d)) == At(pressed.x(), pressed.y())) {
                cell |= QRect(d, QSize(1, 1));
            }
        }
        const QImage shown = Shown(zoom);
        QCOMPARE(shown.copy(cell), view.copy(cell));
        QCOMPARE(shown.pixel(cell.topLeft() - QPoint(1, 0)) & 0xFFFFFF, 0u);
        QCOMPARE(shown.pixel(cell.bottomRight() + QPoint(0, 2)) & 0xFFFFFF, 0xFFFFFFu);
        const double dpr = zoom->devicePixelRatioF();
        for (int v = 0; v < kZoomView; v += 3) {
            const QPoint d = DevicePixel(QPointF(v, v), dpr);
            QCOMPARE(zoom->Point(v, v), ToPacked(view.pixel(d)));
        }

        // The pointer chooses the pixel under it; the arrows go on from there.
        support::SendMouse(zoom, QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(zoom->Cell(), QPoint(0, 0));
        const QColor corner = platform::FromPacked(At(pressed.x() - 12, pressed.y() - 12));
        QCOMPARE(
            zoom->windowTitle(),
            QString("Zoom-RGB(%1,%2,%3)").arg(corner.red()).arg(corner.green()).arg(corner.blue()));
        for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right}) {
            QTest::keyClick(zoom, key);
        }
        QTest::keyClick(punkt, Qt::Key_Down);
        QCOMPARE(zoom->Cell(), QPoint(3, 1));
        QCOMPARE(punkt->Cursor(), pressed);
        QTest::keyClick(punkt, Qt::Key_Return);
        const int32_t expected = At(pressed.x() - 9, pressed.y() - 11);
        QCOMPARE(host->picks, std::vector<int32_t>{expected});
        const QPoint marked = DevicePixel(host->mark, dpr);
        QCOMPARE(ToPacked(host->pic->Image().pixel(host->mark.toPoint())), expected);
        QCOMPARE(ToPacked(view.pixel(marked)), expected);
        Ended();

        // Escape leaves on release, from the window with the keyboard too.
        Start(3);
        QTest::keyClick(pm->Punkt(), Qt::Key_Return);
        QTest::keyPress(pm->Punkt(), Qt::Key_Escape);
        QVERIFY(pm->Zoom()->Marked());
        QTest::keyRelease(pm->Zoom(), Qt::Key_Escape);
        Ended();
        QCOMPARE(host->picks.size(), size_t(1));
    }

    // A still that may show the pointer never gives its colour unasked: the
    // cursor starts clear of where the pointer stood (when the pointer comes
    // in later, it moves there if the keys have not moved it), and a pick
    // that may take it tells so once and waits to be repeated.
    void pointerInTheStillNeverDecidesAPick() {
        const auto load = [&](int zoomChoice) {
            pm->cboZoom_Click(zoomChoice);
            return pm->LoadPunkt(std::make_unique<platform::ScreenStill>(desk), true);
        };
        frmPunkt* punkt = load(0);
        const QPoint away = kPointer - QPoint(kPointerReach + 1, 0);
        QCOMPARE(punkt->Cursor(), away);
        QCOMPARE(AwayFromPointer({5, 5}, QRect(0, 0, 200, 100)), QPoint(5 + kPointerReach + 1, 5));
        QCOMPARE(AwayFromPointer({5, 5}, QRect(0, 0, 50, 50)), QPoint(5, 5));
        QTest::keyClick(punkt, Qt::Key_Return);
        QCOMPARE(host->picks, std::vector<int32_t>{At(away.x(), away.y())});
        Ended();
        punkt = load(0);
        const QPointF rest = QPointF(kPointer) / punkt->devicePixelRatioF();
        QTest::mouseClick(punkt, Qt::LeftButton, {}, rest.toPoint());
        const auto* note = punkt->findChild<QLabel*>();
        QVERIFY(host->picks.size() == 1 && note && note->text().contains("musepekeren"));
        QTest::mouseClick(punkt, Qt::LeftButton, {}, rest.toPoint());
        QCOMPARE(host->picks.back(), At(kPointer.x(), kPointer.y()));
        Ended();

        pm->desktop.pointerKnownAtStart = false;
        punkt = load(3);
        const QPoint start = punkt->Cursor();
        QEnterEvent enter(QPointF(start) / punkt->devicePixelRatioF(), {}, {});
        QApplication::sendEvent(punkt, &enter);
        punkt->Form_MouseMove(0, 0, start.x(), start.y());
        QCOMPARE(punkt->Cursor(), start - QPoint(kPointerReach + 1, 0));
        QTest::keyRelease(punkt, Qt::Key_Escape);
        Ended();
        punkt = load(3);
        QTest::keyClick(pm->Zoom(), Qt::Key_Space);
        QVERIFY(!pm->Zoom()->KeysOnCell() && punkt->findChild<QLabel*>()->isVisible());
        QTest::keyClick(pm->Zoom(), Qt::Key_Space);
        QTest::keyClick(pm->Zoom(), Qt::Key_Return);
        QCOMPARE(host->picks.back(), At(start.x(), start.y()));
        Ended();
    }

    // Where windows cannot be placed, the magnifier is drawn inside the
    // capture window beside the point, flipped at the screen's edges and
    // never over the point or the cross-hair, outlined; it measures as the
    // zoom window does, and stores no place.
    void magnifierInsideTheStill() {
        const QRect screen(0, 0, 800, 600);
        const QSize side(kZoomView, kZoomView);
        QCOMPARE(MagnifierPlace({100, 100}, side, screen).topLeft(), QPoint(124, 124));
        QCOMPARE(MagnifierPlace({700, 500}, side, screen).topLeft(), QPoint(486, 286));
        QCOMPARE(MagnifierPlace({700, 20}, {190, 590}, screen).topLeft(), QPoint(486, 10));
        for (int i = 0; i < 800 * 600; i += 4999) {
            const QPoint p(i % 800, i / 800);
            const QRect r = MagnifierPlace(p, side, screen);
            QVERIFY(screen.contains(r) &&
                    !r.intersects(QRect(p.x() - kCrossArm, p.y(), 2 * kCrossArm + 1, 1)));
        }

        pm->desktop.placesWindows = false;
        Start(3);
        frmPunkt* punkt = pm->Punkt();
        frmZoom* zoom = pm->Zoom();
        QVERIFY(zoom->isVisible() && !zoom->isWindow() && zoom->parentWidget() == punkt);
        const double dpr = punkt->devicePixelRatioF();
        punkt->Form_MouseMove(0, 0, 100, 100);
        QVERIFY(zoom->pos() == QPoint(100 / dpr, 100 / dpr) + QPoint(24, 24));
        punkt->Form_MouseDown(1, 0, 700, 700);
        punkt->Form_MouseMove(0, 0, 300, 300);
        const QRect placed = platform::DeviceArea(zoom->geometry(), dpr);
        QVERIFY(placed.right() < 700 && placed.bottom() < 700);
        QCOMPARE(Shown(punkt).pixel(placed.topLeft() - QPoint(1, 1)) & 0xFFFFFF, 0u);
        QImage view = zoom->View().copy();
        StretchBlock(desk, QRect(688, 688, 24, 24), view, view.size());
        QCOMPARE(zoom->View(), view);
        const QPoint click(95, 60);
        const int32_t expected = ToPacked(view.pixel(DevicePixel(click, dpr)));
        QTest::mouseClick(zoom, Qt::LeftButton, {}, click);
        QCOMPARE(host->picks, std::vector<int32_t>{expected});
        QVERIFY(host->mark == QPointF(click) &&
                ToPacked(host->pic->Image().pixel(click)) == expected);
        Ended();
        QVERIFY(support::Setting(fakes, "ZoomLeft").isEmpty());
    }

    // Before a press, what lies under the pointer or cursor shows at once: in
    // a label at its lower right (flipped at the screen's edges), or in the
    // zoom window until a press holds the block there.
    void liveValueBeforeAPress() {
        Start(0);
        pm->Punkt()->Form_MouseMove(0, 0, 300, 200);
        QTest::keyClick(pm->Punkt(), Qt::Key_Right);
        const auto* live = pm->Punkt()->findChild<QLabel*>();
        const QColor c = platform::FromPacked(At(301, 200));
        QCOMPARE(live->text(),
                 QString("RGB(%1,%2,%3)  x 301  y 200").arg(c.red()).arg(c.green()).arg(c.blue()));
        QVERIFY(live->isVisible() &&
                live->pos() == pm->Punkt()->GlobalOf({301, 200}) + QPoint(kLiveGap, kLiveGap));
        QCOMPARE(LivePlace({700, 590}, {120, 20}, QRect(0, 0, 800, 600)), QPoint(560, 550));
        QTest::keyRelease(pm->Punkt(), Qt::Key_Escape);
        Ended();

        Start(3);
        const QImage& view = pm->Zoom()->View();
        pm->Punkt()->Form_MouseMove(0, 0, 400, 200);
        const QImage hovered = view.copy();
        pm->Punkt()->Form_MouseMove(0, 0, 500, 300);
        QVERIFY(view != hovered);
        pm->Punkt()->Form_MouseDown(1, 0, 400, 200);
        pm->Punkt()->Form_MouseMove(0, 0, 600, 400);
        QCOMPARE(view, hovered);
        QTest::keyRelease(pm->Punkt(), Qt::Key_Escape);
        Ended();
    }

    // On two screens of different pixel ratios each shows its own area of
    // the still, and a click on any measures in still pixels.
    void eachScreenItsOwnWindow() {
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (screens.size() < 2) {
            QSKIP("one screen");
        }
        auto still = std::make_unique<platform::ScreenStill>(desk);
        still->SetScreens(platform::NativeScreenAreas());
        pm->cboZoom_Click(0);
        frmPunkt* punkt = pm->LoadPunkt(std::move(still));
        const std::vector<StillPane*> panes = punkt->Panes();
        QVERIFY(panes.size() == 2 && panes[0] == punkt && panes[1]->isVisible());
        QCOMPARE(panes[1]->screen(), screens[1]);
        QCOMPARE(panes[1]->geometry(), screens[1]->geometry());
        const QRect area = panes[1]->Area();
        QCOMPARE(Shown(panes[1]).copy(0, 0, 100, 50), desk.copy(area.x(), area.y(), 100, 50));

        const QPoint click(10, 7);
        const QPoint pixel = area.topLeft() + DevicePixel(click, panes[1]->devicePixelRatioF());
        QTest::mouseClick(panes[1], Qt::LeftButton, {}, click);
        QCOMPARE(host->picks, std::vector<int32_t>{At(pixel.x(), pixel.y())});
        QVERIFY(!panes[1]->isVisible());
        Ended();

        // A still copied at the larger scale, as the portal copies it: each
        // screen shows its own device pixels, the lower-scale one each from
        // the middle of the still pixels it covers, and mouse and keys (on
        // across the screens' edge) pick exactly what shows.
        QImage wide(1680, 960, QImage::Format_RGB32);
        for (int y = 0; y < wide.height(); ++y) {
            for (int x = 0; x < wide.width(); ++x) {
                wide.setPixel(x, y, platform::FromPacked(At(x, y)).rgb());
            }
        }
        for (int round = 0; round < 2; ++round) {
            still = std::make_unique<platform::ScreenStill>(wide);
            still->SetScreens(platform::ScaledScreenAreas(2));
            frmPunkt* mixed = pm->LoadPunkt(std::move(still));
            const std::vector<StillPane*> two = mixed->Panes();
            QVERIFY(two[0]->Area() == QRect(0, 0, 640, 480) &&
                    two[1]->Area() == QRect(1280, 0, 400, 300));
            if (round == 0) {
                const QImage shown = Shown(two[0]);
                for (int i = 0; i < 640 * 480; i += 997) {
                    const QPoint d(i % 640, i / 640);
                    QCOMPARE(ToPacked(shown.pixel(d)), At(2 * d.x() + 1, 2 * d.y() + 1));
                }
                QCOMPARE(Shown(two[1]), wide.copy(1280, 0, 400, 300));
                QTest::mouseClick(two[0], Qt::LeftButton, {}, click);
                QCOMPARE(host->picks.back(), At(21, 15));
            } else {
                mixed->MoveCursor({639, 100});
                QTest::keyClick(two[0], Qt::Key_Right);
                QTest::keyClick(two[1], Qt::Key_Right);
                QCOMPARE(mixed->Cursor(), QPoint(1281, 200));
                QTest::keyClick(two[1], Qt::Key_Return);
                QCOMPARE(host->picks.back(), At(1281, 200));
            }
            Ended();
        }
    }

    // A copy that comes later (the portal) keeps the main window hidden until
    // it is there; none brings it back with a message or the desktop's pick.
    void copiesThatComeLateOrNotAtAll() {
        fakes.screenGrab.deferred = true;
        Start(0);
        pm->tmr1_Timer(); // a second tick while the copy is on its way
        QVERIFY(!pm->Punkt() && !host->visible && fakes.screenGrab.grabs == 1);
        fakes.screenGrab.Answer();
        QVERIFY(pm->Punkt() && pm->Punkt()->Point(5, 6) == At(5, 6));
        QTest::keyRelease(pm->Punkt(), Qt::Key_Escape);
        Ended();

        fakes.screenGrab.image = QImage();
        Start(0);
        fakes.screenGrab.Answer();
        QVERIFY(!pm->Punkt() && host->visible && fakes.messageBox.shown.size() == 1);
        QCOMPARE(fakes.messageBox.shown[0].text, "Skjermbildet kan ikke kopieres her.");

        fakes.screenGrab.canPickColour = true;
        fakes.screenGrab.pickAnswer = 0x336699;
        for (const auto answer : {platform::MsgAnswer::No, platform::MsgAnswer::Yes}) {
            fakes.messageBox.answers = {answer};
            Start(0);
            fakes.screenGrab.Answer();
            QVERIFY(host->visible &&
                    fakes.messageBox.shown.back().buttons == platform::MsgButtons::YesNo);
        }
        QVERIFY(fakes.screenGrab.colourPicks == 1 && !pm->Punkt());
        QCOMPARE(host->picks, std::vector<int32_t>{0x336699});
        QCOMPARE(host->log.mid(host->log.size() - 2), QStringList({"show", "pick"}));
    }
};

QTEST_MAIN(TestMeasure)
#include "test_measure.moc"
