// Point measurement on a desktop of all-different pixels, also scaled and on
// two screens (CMakeLists); real pointer, screen and cross-hair: the e2e's.
#include "measure/PointMeasure.h"
#include "measure/StillPane.h"
#include "measure/frmPunkt.h"
#include "measure/frmZoom.h"
#include "platform/widgets/PictureBox.h"
#include "tests/Support.h"

#include <QAccessible>
#include <QEnterEvent>
#include <QLabel>
#include <QScreen>
#include <QSet>
#include <QTest>

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
    for (int i = 0; i < width * height; ++i) {
        img.setPixel(i % width, i / width, platform::FromPacked(At(i % width, i / width)).rgb());
    }
    return img;
}

// What a window shows, one image pixel per device pixel.
QImage Shown(QWidget* w) {
    QImage img = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    img.setDevicePixelRatio(1);
    return img;
}

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

    // "Uten zoom" on a copy that comes later (the main window hidden till
    // then): a left press copies the block; the cursor steps aside while the
    // mouse leads, arrows move it (its pixel in a label), Enter takes it.
    void withoutZoom() {
        fakes.screenGrab.deferred = true;
        Start(0);
        pm->tmr1_Timer(); // a second tick while the copy is on its way
        QVERIFY(!pm->Punkt() && !host->visible && fakes.screenGrab.grabs == 1);
        fakes.screenGrab.Answer();
        frmPunkt* punkt = pm->Punkt();
        QVERIFY(punkt && !pm->Zoom());
        const QPoint beside = kPointer + QPoint(1, 0);
        const QImage first = Shown(punkt);
        QVERIFY(first.copy(0, 0, 400, 300) == desk.copy(0, 0, 400, 300) &&
                first.pixel(beside) != desk.pixel(beside) && punkt->Cursor() == kPointer);
        punkt->Form_MouseDown(1, 0, 500, 300);
        QCOMPARE(host->pic->Image(), desk.copy(404, 204, 190, 190));
        QVERIFY(host->mark == QPointF(96, 96) && host->tabs == 1);
        punkt->Form_MouseDown(1, 0, 10, 10);
        QCOMPARE(host->pic->Image().copy(86, 86, 104, 104), desk.copy(0, 0, 104, 104));
        const QImage before = host->pic->Image();
        punkt->Form_MouseDown(2, 0, 700, 500);
        QCoreApplication::processEvents();
        QVERIFY(host->pic->Image() == before && host->tabs == 2);
        QCOMPARE(Shown(punkt).pixel(beside), desk.pixel(beside));
        punkt->Form_MouseMove(2, 0, 300, 200);
        QCOMPARE(punkt->Cursor(), QPoint(300, 200));
        QTest::keyClick(punkt, Qt::Key_Right);
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
        // 5, then 3: the mean of the 3 x 3 pixels the arms leave free, at the
        // screen's edge of those on it: red (0 + 1) / 2 rounded up.
        QTest::keyClick(punkt, Qt::Key_5);
        QTest::keyClick(punkt, Qt::Key_3);
        punkt->MoveCursor({0, 109});
        QVERIFY((Shown(punkt).pixel(2, 109) & 0xFFFFFF) == 0 &&
                Shown(punkt).pixel(1, 110) == desk.pixel(1, 110));
        QVERIFY(MeanOf(desk, {256, 0}, 3, desk.rect()) == 85 + 256 * 9 &&
                MeanOf(desk, {256, 0}, 5, {256, 0, 1, 1}) == At(256, 0) &&
                MeanOf(desk, {255, 0}, 3, {256, 0, 9, 9}) == -1);
        QTest::keyClick(punkt, Qt::Key_Return);
        QVERIFY(host->picks == std::vector<int32_t>{At(1, 109)} &&
                host->log == QStringList({"hide", "show", "pick"}));
        Ended();
    }

    // A click in the zoom window (or magnifier) picks the pixel shown.
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

            const int half = pm->lZoomHalf;
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

            // Once, the mean of the 5 x 5 still pixels round the one shown.
            const QPoint click(37 * choice, 150 - 20 * choice);
            const int32_t c = ToPacked(shown.pixel(DevicePixel(click, dpr)));
            QTest::keyClick(zoom, round == 1 ? Qt::Key_5 : Qt::Key_A);
            QCOMPARE(zoom->Marked(), round == 1);
            QTest::mouseClick(zoom, choice == 2 ? Qt::RightButton : Qt::LeftButton, {}, click);
            QCOMPARE(host->picks,
                     std::vector<int32_t>{
                         round == 1 ? MeanOf(desk, {c % 4096, c / 4096}, 5, desk.rect()) : c});
            QVERIFY(ToPacked(host->pic->Image().pixel(click)) == c && host->mark == click);
            pm->sampleSide = 1;
            Ended();
            QCOMPARE(support::Setting(fakes, "ZoomLeft").isEmpty(), round < 4);
            host->picks.clear();
        }
    }

    // Escape (released, from either window) or closing ends without a pick;
    // the zoom window's stored place is kept where partly on a screen.
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

    // One key handler for both windows: Space presses, arrows choose in the
    // block (outlined on the window, not in the view), Enter takes it.
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
        QVERIFY(shown.copy(cell) == view.copy(cell) &&
                (shown.pixel(cell.topLeft() - QPoint(1, 0)) & 0xFFFFFF) == 0 &&
                (shown.pixel(cell.bottomRight() + QPoint(0, 2)) & 0xFFFFFF) == 0xFFFFFF);

        // The pointer chooses the pixel under it; the keys go on from there.
        support::SendMouse(zoom, QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(zoom->Cell(), QPoint(0, 0));
        QTest::keyClick(zoom, Qt::Key_Right, Qt::ControlModifier);
        QTest::keyClick(zoom, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(punkt, Qt::Key_Down);
        QVERIFY(zoom->Cell() == QPoint(13, 1) && punkt->Cursor() == pressed);
        QTest::keyClick(punkt, Qt::Key_Return);
        QCOMPARE(host->picks, std::vector<int32_t>{At(pressed.x() + 1, pressed.y() - 11)});
        Ended();
    }

    // A still that may show the pointer: the cursor starts clear of it, and
    // a pick that may take it tells so once and waits to be repeated.
    void pointerInTheStillNeverDecidesAPick() {
        const auto load = [&](int zoomChoice) {
            pm->cboZoom_Click(zoomChoice);
            return pm->LoadPunkt(std::make_unique<platform::ScreenStill>(desk), true);
        };
        frmPunkt* punkt = load(0);
        QCOMPARE(punkt->Cursor(), kPointer - QPoint(kPointerReach + 1, 0));
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

    // Where windows cannot be placed, the magnifier is drawn in the still
    // beside the point, following it and passing the pointer until a press.
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
        // Held, it takes the clicks that come to the capture window over it.
        const QPoint click(95, 60);
        const QRgb under = zoom->View().pixel(DevicePixel(click, dpr));
        QTest::mouseClick(punkt->windowHandle(), Qt::LeftButton, {}, zoom->pos() + click);
        QVERIFY(host->picks == std::vector<int32_t>{ToPacked(under)} &&
                std::abs(int(ToPacked(under) % 4096) - 600) < 12);
        Ended();
    }

    // Two pixel ratios: each screen its own window at its device pixels, from
    // a still copied at the larger scale, to its last column and row; keys
    // cross the screens' edge with the cross-hair; picks are what shows.
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
            for (const QPoint d :
                 {QPoint(i % 640, i / 640), QPoint(639, i / 640), QPoint(i % 640, 479)}) {
                QCOMPARE(ToPacked(shown.pixel(d)), At(2 * d.x() + 1, 2 * d.y() + 1));
            }
        }
        QCOMPARE(Shown(two[1]), wide.copy(1280, 0, 400, 300));
        punkt->MoveCursor({639, 100});
        QTest::keyClick(two[0], Qt::Key_Right);
        QTest::keyClick(two[1], Qt::Key_Right);
        QVERIFY(punkt->Cursor() == QPoint(1281, 200) &&
                (Shown(two[1]).pixel(1, 201) & 0xFFFFFF) == 0);
        QTest::mouseClick(two[1], Qt::LeftButton, {}, QPoint(10, 7));
        QVERIFY(host->picks.back() == At(1300, 14) && !two[1]->isVisible());
        Ended();
    }

    // No copy, or one found broken as it shows: a message, or the desktop's own pick.
    void noCopyOffersTheDesktopsPick() {
        for (const bool broken : {true, false}) {
            fakes.screenGrab.brokenPixels = broken;
            fakes.screenGrab.image = broken ? QImage(8, 8, QImage::Format_RGB32) : QImage();
            Start(3);
            fakes.screenGrab.Answer();
            QCOMPARE(fakes.messageBox.shown.back().text, "Skjermbildet kan ikke kopieres her.");
            Ended();
        }

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

    // A screen reader hears each place the keys go to, in the capture
    // window and in the zoom's block, and the colour taken.
    void keysHeardByScreenReaders() {
        static QStringList heard;
        QAccessible::installUpdateHandler([](QAccessibleEvent* e) {
            if (e->type() == QAccessible::DescriptionChanged) {
                heard << e->accessibleInterface()->text(QAccessible::Value);
            }
        });
        Start(3);
        for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Space, Qt::Key_Up, Qt::Key_Return}) {
            QTest::keyClick(pm->Punkt(), key);
        }
        QAccessible::installUpdateHandler(nullptr);
        const QString start("RGB(88,34,28), x 600, y 450"), left("RGB(87,34,28), x 599, y 450"),
            up("RGB(87,18,28), x 599, y 449");
        QCOMPARE(heard, QStringList({start, left, up, up, "Målt farge: " + up, up}));
    }
};

QTEST_MAIN(TestMeasure)
#include "test_measure.moc"
