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

// A desktop whose pixel (x, y) is At(x, y).
QImage Unique(int width, int height) {
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            img.setPixel(x, y, platform::FromPacked(At(x, y)).rgb());
        }
    }
    return img;
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
    const QImage desk = Unique(1024, 768);
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
    void init() {
        pm.reset(); // before the host it holds
        fakes = {};
        fakes.screenGrab.image = desk;
        host = std::make_unique<FakeHost>();
        pm = std::make_unique<PointMeasure>(*host, fakes.Get());
        // The keyboard cursor starts at the pointer, away from what is checked.
        QCursor::setPos(kPointer / QGuiApplication::primaryScreen()->devicePixelRatio());
    }

    // "Uten zoom": the still one to one; a left press copies the block round
    // it. The cursor, a cross-hair (e2e_measure) at the pointer, steps aside
    // while the mouse leads; arrows (Shift: ten, Ctrl: a hundred) move it,
    // repainting only round it, its pixel shown at once in a label at its
    // lower right; Enter takes it as a press and release there would.
    void withoutZoom() {
        Start(0);
        frmPunkt* punkt = pm->Punkt();
        QVERIFY(punkt && !pm->Zoom() && fakes.screenGrab.grabs == 1);
        const QPoint beside = kPointer + QPoint(1, 0);
        const QImage first = Shown(punkt);
        QVERIFY(first.copy(0, 0, 400, 300) == desk.copy(0, 0, 400, 300) &&
                first.pixel(beside) != desk.pixel(beside) && punkt->Cursor() == kPointer);
        punkt->Form_MouseDown(1, 0, 500, 300);
        QCOMPARE(host->pic->Image(), desk.copy(404, 204, 190, 190));
        QVERIFY(host->mark == QPointF(96, 96) && host->tabs == 1);
        // Past the edge the block is not shifted.
        punkt->Form_MouseDown(1, 0, 10, 10);
        QCOMPARE(host->pic->Image().copy(86, 86, 104, 104), desk.copy(0, 0, 104, 104));
        // Only the left button copies.
        const QImage before = host->pic->Image();
        punkt->Form_MouseDown(2, 0, 700, 500);
        QCoreApplication::processEvents();
        QVERIFY(host->pic->Image() == before && host->tabs == 2);
        QCOMPARE(Shown(punkt).pixel(beside), desk.pixel(beside));
        PaintLog painted;
        punkt->installEventFilter(&painted);
        punkt->Form_MouseMove(2, 0, 300, 200);
        QCoreApplication::processEvents();
        QVERIFY(painted.region.isEmpty() && punkt->Cursor() == QPoint(300, 200));
        QTest::keyClick(punkt, Qt::Key_Right);
        QCoreApplication::processEvents();
        QVERIFY(!painted.region.isEmpty() && painted.region.boundingRect().width() < 40);
        const auto* live = punkt->findChild<QLabel*>();
        const QColor c = platform::FromPacked(At(301, 200));
        QCOMPARE(live->text(),
                 QString("RGB(%1,%2,%3)  x 301  y 200").arg(c.red()).arg(c.green()).arg(c.blue()));
        QVERIFY(live->isVisible() &&
                live->pos() == punkt->GlobalOf({301, 200}) + QPoint(kLiveGap, kLiveGap));
        QCOMPARE(LivePlace({700, 590}, {120, 20}, QRect(0, 0, 800, 600)), QPoint(560, 550));

        punkt->MoveCursor({-5, 5000});
        QCOMPARE(punkt->Cursor(), QPoint(0, desk.height() - 1));
        punkt->MoveCursor({301, 200});
        for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up}) {
            QTest::keyClick(punkt, key);
        }
        QTest::keyClick(punkt, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(punkt, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(punkt->Cursor(), QPoint(302, 109));
        QTest::keyClick(punkt, Qt::Key_Return);
        QCOMPARE(host->picks, std::vector<int32_t>{At(302, 109)});
        QCOMPARE(host->pic->Image(), desk.copy(302 - 96, 109 - 96, 190, 190));
        QVERIFY(host->mark == QPointF(96, 96) &&
                host->log == QStringList({"hide", "show", "pick"}));
        Ended();
    }

    // A press shows its block in the zoom window (or the magnifier in the
    // still, storing no place); a click there picks the pixel shown.
    void zoomClickPicksThePixelShown() {
        for (int round = 0; round < 8; ++round) {
            const int choice = round % 4 + 1;
            pm->desktop.placesWindows = round >= 4;
            Start(choice);
            frmZoom* zoom = pm->Zoom();
            QVERIFY(zoom->isVisible() && zoom->windowTitle() == "Zoom" &&
                    zoom->isWindow() == (round >= 4));
            pm->Punkt()->Form_MouseDown(1, 0, 500, 300);
            pm->Punkt()->Form_MouseUp(1, 0, 500, 300);
            QVERIFY(host->picks.empty() && pm->Punkt());

            // The view shows the whole block and nothing else, read as shown.
            const int half = pm->lZoomHalf;
            QCOMPARE(half, (std::array{48, 24, 12, 8})[choice - 1]);
            const QImage shown = Shown(zoom);
            const double dpr = zoom->devicePixelRatioF();
            QSet<int32_t> seen;
            for (int i = 0; i < shown.width() * shown.height(); ++i) {
                const QPoint d(i % shown.width(), i / shown.width());
                const int32_t c = ToPacked(shown.pixel(d));
                seen.insert(c);
                QVERIFY(std::abs(c % 4096 - 500 + 0.5) < half &&
                        std::abs(c / 4096 - 300 + 0.5) < half &&
                        zoom->Point((d.x() + 0.5) / dpr, (d.y() + 0.5) / dpr) == c);
            }
            QCOMPARE(seen.size(), 4 * half * half);

            const QPoint click(37 * choice, 150 - 20 * choice);
            const int32_t expected = ToPacked(shown.pixel(DevicePixel(click, dpr)));
            QTest::mouseClick(zoom, choice == 2 ? Qt::RightButton : Qt::LeftButton, {}, click);
            QCOMPARE(host->picks, std::vector<int32_t>{expected});
            QVERIFY(ToPacked(host->pic->Image().pixel(click)) == expected && host->mark == click);
            Ended();
            QCOMPARE(support::Setting(fakes, "ZoomLeft").isEmpty(), round < 4);
            host->picks.clear();
        }
    }

    // Escape (released, not repeated; from either window) or closing ends
    // without a pick. The zoom window's place (twips; unusable ones skipped)
    // is kept where partly on a screen, else brought onto the nearest.
    void escapeAndCloseEndAndStoreThePlace() {
        support::Setting(fakes, "ZoomLeft") = "-750";
        support::Setting(fakes, "ZoomTop") = "3e10";
        Start(2);
        QCOMPARE(pm->Zoom()->pos(), QPoint(-50, 17));
        QTest::keyClick(pm->Punkt(), Qt::Key_Return);
        QTest::keyPress(pm->Punkt(), Qt::Key_Escape);
        QTest::keyRelease(pm->Punkt(), Qt::Key_A);
        QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Escape, {}, QString(), true);
        QApplication::sendEvent(pm->Punkt(), &repeat);
        QVERIFY(pm->Punkt() && pm->Zoom()->KeysOnCell());
        QTest::keyRelease(pm->Zoom(), Qt::Key_Escape);
        Ended();
        QCOMPARE(support::Setting(fakes, "ZoomLeft") + " " + support::Setting(fakes, "ZoomTop"),
                 QString("-750 255"));

        support::Setting(fakes, "ZoomLeft") = "450000";
        Start(3);
        QCOMPARE(pm->Zoom()->x() + kZoomView,
                 QGuiApplication::primaryScreen()->virtualGeometry().right() + 1);
        pm->Zoom()->close();
        Ended();
        QVERIFY(host->picks.empty());
    }

    // One key handler serves both windows: Space presses on the cursor, the
    // arrows then move the chosen pixel in the block, Enter takes it. Its
    // outline shows on the window, never in the view that picks read.
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
        QVERIFY(host->picks.empty() && zoom->Marked() && zoom->Cell() == QPoint(12, 12));
        QImage view = zoom->View().copy();
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

        // The pointer chooses the pixel under it; the keys go on from there.
        support::SendMouse(zoom, QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(zoom->Cell(), QPoint(0, 0));
        const QColor corner = platform::FromPacked(At(pressed.x() - 12, pressed.y() - 12));
        QCOMPARE(
            zoom->windowTitle(),
            QString("Zoom-RGB(%1,%2,%3)").arg(corner.red()).arg(corner.green()).arg(corner.blue()));
        QTest::keyClick(zoom, Qt::Key_Right, Qt::ControlModifier);
        QTest::keyClick(zoom, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(punkt, Qt::Key_Down);
        QVERIFY(zoom->Cell() == QPoint(13, 1) && punkt->Cursor() == pressed);
        QTest::keyClick(punkt, Qt::Key_Return);
        const int32_t expected = At(pressed.x() + 1, pressed.y() - 11);
        QCOMPARE(host->picks, std::vector<int32_t>{expected});
        QCOMPARE(ToPacked(host->pic->Image().pixel(host->mark.toPoint())), expected);
        Ended();
    }

    // A still that may show the pointer never gives its colour unasked: the
    // cursor starts clear of the pointer (or moves there once it is seen),
    // and a pick that may take it tells so once and waits to be repeated.
    void pointerInTheStillNeverDecidesAPick() {
        const auto load = [&](int zoomChoice) {
            pm->cboZoom_Click(zoomChoice);
            return pm->LoadPunkt(std::make_unique<platform::ScreenStill>(desk), true);
        };
        frmPunkt* punkt = load(0);
        QCOMPARE(punkt->Cursor(), kPointer - QPoint(kPointerReach + 1, 0));
        QCOMPARE(AwayFromPointer({5, 5}, QRect(0, 0, 200, 100)), QPoint(5 + kPointerReach + 1, 5));
        const QPointF rest = QPointF(kPointer) / punkt->devicePixelRatioF();
        QTest::mouseClick(punkt, Qt::LeftButton, {}, rest.toPoint());
        QVERIFY(host->picks.empty() && punkt->findChild<QLabel*>()->text().contains("musepekeren"));
        QTest::mouseClick(punkt, Qt::RightButton, {}, rest.toPoint()); // any release picks
        QCOMPARE(host->picks, std::vector<int32_t>{At(kPointer.x(), kPointer.y())});
        Ended();

        pm->desktop.pointerKnownAtStart = false;
        punkt = load(3);
        const QPoint start = punkt->Cursor();
        QTest::keyClick(pm->Zoom(), Qt::Key_Space);
        QVERIFY(!pm->Zoom()->KeysOnCell() && punkt->findChild<QLabel*>()->isVisible());
        QEnterEvent enter(QPointF(start) / punkt->devicePixelRatioF(), {}, {});
        QApplication::sendEvent(punkt, &enter);
        punkt->Form_MouseMove(0, 0, start.x(), start.y());
        const QPoint away = start - QPoint(kPointerReach + 1, 0);
        QCOMPARE(punkt->Cursor(), away);
        QTest::keyClick(pm->Zoom(), Qt::Key_Space);
        QTest::keyClick(pm->Zoom(), Qt::Key_Return);
        QCOMPARE(host->picks.back(), At(away.x(), away.y()));
        Ended();
    }

    // Where windows cannot be placed, the magnifier is inside the still,
    // outlined beside the point (never over it or its cross-hair, flipped at
    // edges), following it, and letting the pointer through, until a press.
    void magnifierInsideTheStill() {
        const QRect screen(0, 0, 800, 600);
        for (int i = 0; i < 800 * 600; i += 2499) {
            const QPoint p(i % 800, i / 800);
            const QRect r = MagnifierPlace(p, QSize(190, i % 2 ? 590 : 190), screen);
            QVERIFY(screen.contains(r) &&
                    !r.intersects(QRect(p.x() - kCrossArm, p.y(), 2 * kCrossArm + 1, 1)));
        }

        pm->desktop.placesWindows = false;
        Start(3);
        frmPunkt* punkt = pm->Punkt();
        frmZoom* zoom = pm->Zoom();
        const double dpr = punkt->devicePixelRatioF();
        QCoreApplication::processEvents(); // the pointer set in init()
        punkt->Form_MouseMove(0, 0, 100, 100);
        QVERIFY(zoom->pos() == QPoint(100 / dpr, 100 / dpr) + QPoint(24, 24));
        const QImage hovered = zoom->View().copy();
        const QPoint onto = zoom->geometry().center();
        QTest::mouseMove(punkt->windowHandle(), onto);
        QVERIFY(!zoom->geometry().contains(onto) && zoom->View() != hovered);
        punkt->Form_MouseDown(1, 0, 600, 400);
        punkt->Form_MouseMove(0, 0, 300, 300);
        const QRect placed = platform::DeviceArea(zoom->geometry(), dpr);
        QVERIFY(placed.right() < 600);
        QCOMPARE(Shown(punkt).pixel(placed.topLeft() - QPoint(1, 1)) & 0xFFFFFF, 0u);
        QImage view = zoom->View().copy();
        StretchBlock(desk, QRect(588, 388, 24, 24), view, view.size());
        QCOMPARE(zoom->View(), view);
        // Held, it takes the clicks that come to the capture window over it.
        const QPoint click(95, 60);
        QTest::mouseClick(punkt->windowHandle(), Qt::LeftButton, {}, zoom->pos() + click);
        QCOMPARE(host->picks, std::vector<int32_t>{ToPacked(view.pixel(DevicePixel(click, dpr)))});
        Ended();
    }

    // Screens of different pixel ratios: each its own window at its device
    // pixels, from a still copied at the larger scale (the portal's) by the
    // middle of the still pixels each covers; mouse and keys (on across the
    // screens' edge) pick exactly what shows.
    void eachScreenItsOwnWindow() {
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (screens.size() < 2) {
            QSKIP("one screen");
        }
        const QImage wide = Unique(1680, 960);
        auto still = std::make_unique<platform::ScreenStill>(wide);
        still->SetScreens(platform::ScaledScreenAreas(2));
        pm->cboZoom_Click(0);
        frmPunkt* punkt = pm->LoadPunkt(std::move(still));
        const std::vector<StillPane*> two = punkt->Panes();
        QVERIFY(two.size() == 2 && two[0] == punkt && two[0]->Area() == QRect(0, 0, 640, 480) &&
                two[1]->Area() == QRect(1280, 0, 400, 300));
        QVERIFY(two[1]->screen() == screens[1] && two[1]->geometry() == screens[1]->geometry());
        const QImage shown = Shown(two[0]);
        for (int i = 0; i < 640 * 480; i += 997) {
            const QPoint d(i % 640, i / 640);
            QCOMPARE(ToPacked(shown.pixel(d)), At(2 * d.x() + 1, 2 * d.y() + 1));
        }
        QCOMPARE(Shown(two[1]), wide.copy(1280, 0, 400, 300));
        punkt->MoveCursor({639, 100});
        QTest::keyClick(two[0], Qt::Key_Right);
        QTest::keyClick(two[1], Qt::Key_Right);
        QCOMPARE(punkt->Cursor(), QPoint(1281, 200));
        QTest::mouseClick(two[1], Qt::LeftButton, {}, QPoint(10, 7));
        QVERIFY(host->picks.back() == At(1300, 14) && !two[1]->isVisible());
        Ended();
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
