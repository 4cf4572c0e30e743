#include "platform/Convert.h"
#include "platform/PictureBox.h"
#include "platform/QtServices.h"

#include <QSignalSpy>
#include <QTest>

// The track bar's user moves (Scroll) and moves by code (Change only) are
// the editor suite's and the random session's to check.
class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void pictureBoxAnswersDisplayedPixelsOrMinusOne() {
        platform::PictureBox box;
        box.setGeometry(0, 0, 192, 192);
        QCOMPARE(box.ScaleWidth(), 190);
        QImage pic(190, 190, QImage::Format_RGB32);
        pic.fill(QColor(1, 2, 3));
        pic.setPixel(189, 0, qRgb(0x12, 0x34, 0x56));
        box.SetPicture(pic);
        QCOMPARE(box.Point(0, 0), 1 + 2 * 256 + 3 * 65536);
        QCOMPARE(box.Point(189.9, 0.5), 0x563412);
        for (const QPointF outside : {QPointF(190, 0), QPointF(-0.5, 3), QPointF(3, 190)}) {
            QCOMPARE(box.Point(outside.x(), outside.y()), -1);
        }
        // Mouse positions count in drawing-area pixels, inside the frame.
        QSignalSpy down(&box, &platform::PictureBox::MouseDown);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::mousePress(&box, Qt::RightButton, {}, QPoint(11, 21));
        QCOMPARE(down.value(0), QVariantList({2, 0, 10.0, 20.0}));
    }

    void lineMarkerMovesBetweenContainers() {
        QWidget top;
        platform::PictureBox a(&top), b(&top);
        a.setGeometry(0, 0, 100, 100);
        b.setGeometry(100, 0, 50, 60);
        top.show();
        platform::LineMarker x(Qt::Vertical, &a);
        x.SetPosition(10);
        x.show();
        x.SetContainer(&b);
        x.SetPosition(5);
        QVERIFY(x.parentWidget() == &b && a.findChildren<platform::LineMarker*>().isEmpty());
        QCOMPARE(x.geometry(), QRect(6, 1, 1, 58)); // full height of b's drawing area
        b.resize(50, 80);
        QCOMPARE(x.height(), 78);
    }

    void textConversions() {
        QCOMPARE(platform::ToInt16(" 5 ").value(), int16_t(5));
        QCOMPARE(platform::ToInt16("2.5").value(), int16_t(2));
        for (const char* bad : {"abc", "", "40000"}) {
            QVERIFY(!platform::ToInt16(bad));
        }
        QCOMPARE(platform::ToSingle("250").value(), 250.0f);
        QCOMPARE(platform::SingleText(3750.0f), QString("3750"));
        QCOMPARE(platform::ToQtFilter("Fargefil (*.KVC)|*.kvc"), QString("Fargefil (*.kvc *.KVC)"));
        QCOMPARE(platform::ShellTarget("www.kvidra.example"),
                 QString("https://www.kvidra.example"));
        QCOMPARE(platform::ShellTarget("mailto:post@kvidra.example"),
                 QString("mailto:post@kvidra.example"));
    }
};

QTEST_MAIN(PlatformTest)
#include "test_platform.moc"
