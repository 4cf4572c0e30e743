#include "platform/Convert.h"
#include "platform/PictureBox.h"
#include "platform/QtServices.h"
#include "platform/TrackBar.h"

#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void trackBarScrollsOnlyForUserMoves() {
        platform::TrackBar bar;
        bar.SetRange(0, 255);
        bar.SetSteps(1, 5);
        bar.resize(256, 22);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QSignalSpy scroll(&bar, &platform::TrackBar::Scroll);
        QSignalSpy change(&bar, &platform::TrackBar::Change);
        int valueAtScroll = -1;
        connect(&bar, &platform::TrackBar::Scroll, this, [&] { valueAtScroll = bar.value(); });

        bar.setValue(100); // code: change only
        QCOMPARE(change.count(), 1);
        QCOMPARE(scroll.count(), 0);

        QTest::keyClick(&bar, Qt::Key_Right);
        QCOMPARE(scroll.count(), 1);
        QCOMPARE(valueAtScroll, 101); // the value already holds the new position
        QTest::keyClick(&bar, Qt::Key_PageUp);
        QCOMPARE(scroll.count(), 2);
        QCOMPARE(bar.value(), 106);

        // Wheel.
        QWheelEvent wheel(QPointF(50, 10), bar.mapToGlobal(QPointF(50, 10)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&bar, &wheel);
        QCOMPARE(scroll.count(), 3);
        QCOMPARE(valueAtScroll, bar.value());

        // Click on the track far from the handle: a page step toward it.
        const int before = bar.value();
        QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(250, 11));
        QVERIFY(bar.value() > before);
        QVERIFY(scroll.count() >= 4);
        QCOMPARE(valueAtScroll, bar.value());

        // Drag the handle.
        bar.setValue(0);
        const int drags = scroll.count();
        QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(4, 11));
        QMouseEvent move(QEvent::MouseMove, QPointF(130, 11), bar.mapToGlobal(QPointF(130, 11)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&bar, &move);
        QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(130, 11));
        QVERIFY(bar.value() > 100);
        QVERIFY(scroll.count() > drags);
        QCOMPARE(valueAtScroll, bar.value());

        // Every value change was reported as a change.
        const int changes = change.count();
        bar.setValue(bar.value() + 1);
        QCOMPARE(change.count(), changes + 1);
    }

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
        QCOMPARE(box.Point(190, 0), -1);
        QCOMPARE(box.Point(-0.5, 3), -1);
        QCOMPARE(box.Point(3, 190), -1);

        QSignalSpy down(&box, &platform::PictureBox::MouseDown);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::mousePress(&box, Qt::RightButton, Qt::NoModifier, QPoint(11, 21));
        QCOMPARE(down.count(), 1);
        QCOMPARE(down[0][0].toInt(), 2);
        QCOMPARE(down[0][2].toDouble(), 10.0); // drawing-area pixels, inside the frame
        QCOMPARE(down[0][3].toDouble(), 20.0);
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
        QCOMPARE(x.parentWidget(), &b);
        QVERIFY(a.findChildren<platform::LineMarker*>().isEmpty());
        QCOMPARE(x.geometry(), QRect(6, 1, 1, 58)); // full height of b's drawing area
        b.resize(50, 80);
        QCOMPARE(x.height(), 78);
    }

    void textConversions() {
        QCOMPARE(platform::ToInt16(" 5 ").value(), int16_t(5));
        QCOMPARE(platform::ToInt16("2.5").value(), int16_t(2));
        QVERIFY(!platform::ToInt16("abc"));
        QVERIFY(!platform::ToInt16(""));
        QVERIFY(!platform::ToInt16("40000"));
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
