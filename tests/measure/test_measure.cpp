#include "measure/PointMeasure.h"
#include "measure/frmPunkt.h"
#include "measure/frmZoom.h"
#include "platform/PictureBox.h"
#include "platform/doubles/Doubles.h"

#include <QSet>
#include <QTest>

#include <memory>

using namespace measure;
using platform::ToPacked;

namespace {

// Every pixel of the test desktop has its own colour, x + 4096 * y.
int32_t At(int x, int y) {
    return x + 4096 * y;
}

QImage Desktop() {
    QImage img(1024, 768, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            img.setPixel(x, y, platform::FromPacked(At(x, y)).rgb());
        }
    }
    return img;
}

// What the window shows, one image pixel per device pixel.
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
    void SetMainVisible(bool v) override {
        visible = v;
        log << (v ? "show" : "hide");
    }
    platform::PictureBox* MeasurePicture() override { return pic; }
    void MarkMeasurePicture(double x, double y) override { mark = {x, y}; }
    QWidget* MainWindow() override { return &main; }
};

QString Key(const char* key) {
    return platform::doubles::FakeSettings::Key("Tintra", "Tilpass", key);
}

} // namespace

class TestMeasure : public QObject {
    Q_OBJECT
    const QImage desk = Desktop();
    std::unique_ptr<platform::doubles::FakeServices> fakes;
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
        fakes = std::make_unique<platform::doubles::FakeServices>();
        fakes->screenGrab.image = desk;
        host = std::make_unique<FakeHost>();
        pm = std::make_unique<PointMeasure>(*host, fakes->Get());
    }
    void cleanup() {
        pm.reset();
        host.reset();
    }

    void withoutZoomTheReleasePicksThePixel() {
        Start(0);
        QCOMPARE(fakes->screenGrab.grabs, 1);
        QVERIFY(pm->Punkt() && !pm->Zoom());
        QCOMPARE(Shown(pm->Punkt()).copy(0, 0, 400, 300), desk.copy(0, 0, 400, 300));

        pm->Punkt()->Form_MouseDown(1, 0, 500, 300);
        QCOMPARE(host->pic->Image(), desk.copy(404, 204, 190, 190));
        QCOMPARE(host->mark, QPointF(96, 96));
        QCOMPARE(host->tabs, 1);

        // Past the edge the block is not shifted; the picture keeps its background there.
        pm->Punkt()->Form_MouseDown(1, 0, 10, 10);
        QCOMPARE(host->pic->Image().copy(86, 86, 104, 104), desk.copy(0, 0, 104, 104));
        QImage white(86, 190, QImage::Format_RGB32);
        white.fill(Qt::white);
        QCOMPARE(host->pic->Image().copy(0, 0, 86, 190), white);

        // Only the left button copies, but any release picks.
        const QImage before = host->pic->Image();
        pm->Punkt()->Form_MouseDown(2, 0, 700, 500);
        pm->Punkt()->Form_MouseMove(3, 0, 700, 500);
        QCOMPARE(host->pic->Image(), before);
        QCOMPARE(host->tabs, 2);
        pm->Punkt()->Form_MouseUp(2, 0, 700, 500);
        QCOMPARE(host->picks, std::vector<int32_t>{At(700, 500)});
        QCOMPARE(host->log, QStringList({"hide", "show", "pick"}));
        Ended();
        QCOMPARE(fakes->screenGrab.grabs, 1);
    }

    void realPointerPicksTheDevicePixelUnderIt() {
        Start(0);
        const QPoint logical(333, 201);
        const QPoint d = DevicePixel(logical, pm->Punkt()->devicePixelRatioF());
        QTest::mouseClick(pm->Punkt(), Qt::LeftButton, {}, logical);
        QCOMPARE(host->picks, std::vector<int32_t>{At(d.x(), d.y())});
        QCOMPARE(ToPacked(host->pic->Image().pixel(96, 96)), At(d.x(), d.y()));
    }

    void zoomClickPicksThePixelShown() {
        for (int choice = 1; choice <= 4; ++choice) {
            Start(choice);
            frmZoom* zoom = pm->Zoom();
            QVERIFY(zoom && zoom->isVisible());
            QCOMPARE(zoom->windowTitle(), QString("Zoom"));
            pm->Punkt()->Form_MouseDown(1, 0, 500, 300);
            pm->Punkt()->Form_MouseUp(1, 0, 500, 300);
            QVERIFY(host->picks.empty() && pm->Punkt());

            // The view shows every pixel of the block around the pointer and nothing else.
            const int half = pm->lZoomHalf;
            const QImage shown = Shown(zoom);
            QSet<int32_t> seen, block;
            for (int y = 0; y < shown.height(); ++y) {
                for (int x = 0; x < shown.width(); ++x) {
                    seen.insert(ToPacked(shown.pixel(x, y)));
                }
            }
            for (int y = 300 - half; y < 300 + half; ++y) {
                for (int x = 500 - half; x < 500 + half; ++x) {
                    block.insert(At(x, y));
                }
            }
            QCOMPARE(seen, block);
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

    void captionShowsTheHoveredColour() {
        Start(4);
        pm->Punkt()->Form_MouseDown(1, 0, 255, 8); // red 255, green 128, blue 0
        QTest::mouseMove(pm->Zoom(), QPoint(96, 96));
        QCOMPARE(pm->Zoom()->windowTitle(), QString("Zoom-RGB(255,128,0)"));
        pm->Zoom()->Form_MouseMove(0, 0, 300, 20);
        QCOMPARE(pm->Zoom()->windowTitle(), QString("Zoom-RGB(255,128,0)"));
    }

    void escapeAndCloseEndAndStoreThePlace() {
        fakes->settings.values[Key("ZoomLeft")] = "1500";
        fakes->settings.values[Key("ZoomTop")] = "abc";
        Start(2);
        QCOMPARE(pm->Zoom()->pos(), QPoint(100, 17));
        QTest::keyPress(pm->Punkt(), Qt::Key_Escape);
        QTest::keyRelease(pm->Punkt(), Qt::Key_A);
        QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Escape, {}, QString(), true);
        QApplication::sendEvent(pm->Punkt(), &repeat);
        QVERIFY(pm->Punkt() && pm->Zoom());
        QTest::keyRelease(pm->Punkt(), Qt::Key_Escape);
        Ended();
        QCOMPARE(fakes->settings.values[Key("ZoomLeft")], QString("1500"));
        QCOMPARE(fakes->settings.values[Key("ZoomTop")], QString("255"));

        Start(2);
        QCOMPARE(pm->Zoom()->pos(), QPoint(100, 17));
        pm->Zoom()->move(300, 40);
        QTest::keyRelease(pm->Zoom(), Qt::Key_Escape);
        Ended();
        QCOMPARE(fakes->settings.values[Key("ZoomLeft")], QString("4500"));
        QCOMPARE(fakes->settings.values[Key("ZoomTop")], QString("600"));

        Start(3);
        pm->Zoom()->close();
        Ended();
        QVERIFY(host->picks.empty());
    }

    void noScreenCopyBringsTheMainWindowBack() {
        fakes->screenGrab.image = QImage();
        Start(0);
        Ended();
        QCOMPARE(fakes->messageBox.shown.size(), size_t(1));
        const auto& msg = fakes->messageBox.shown[0];
        QCOMPARE(msg.text, QString("Skjermbildet kan ikke kopieres her."));
        QCOMPARE(msg.title, QString("Tintra"));
        QVERIFY(msg.buttons == platform::MsgButtons::OK &&
                msg.icon == platform::MsgIcon::Exclamation);
        QVERIFY(host->picks.empty());
    }
};

QTEST_MAIN(TestMeasure)
#include "test_measure.moc"
