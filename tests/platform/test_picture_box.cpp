// The picture box: what it shows and answers as pictures are put in it.
#include "platform/widgets/PictureBox.h"
#include "tests/Support.h"

#include <QTest>

#include <cmath>

using platform::PictureBox;

class PictureBoxTest : public QObject {
    Q_OBJECT

    // The colour on the first device pixel of a pixel of the drawing area.
    static int32_t Shown(PictureBox& box, int x, int y) {
        const QPointF at = QPointF(box.Origin() + QPoint(x, y)) * box.devicePixelRatioF();
        return platform::ToPacked(box.grab().toImage().pixel(static_cast<int>(std::ceil(at.x())),
                                                             static_cast<int>(std::ceil(at.y()))));
    }

private slots:
    void picturesTextAndPointer() {
        PictureBox box;
        box.setGeometry(0, 0, 52, 42); // a 50 x 40 drawing area
        box.SetBackColor(0x112233);
        QVERIFY(box.ScaleWidth() == 50 && box.ScaleHeight() == 40);
        QVERIFY(box.Point(49.9, 39.9) == 0x112233 && box.Point(50, 0) == -1 &&
                box.Point(-0.5, 3) == -1);
        QCOMPARE(Shown(box, 25, 20), 0x112233);

        // A picture is shown as it is; drawing in the box leaves it alone.
        QImage picture(50, 40, QImage::Format_RGB32);
        picture.fill(QColor(1, 2, 3));
        box.SetPicture(picture);
        QCOMPARE(box.Point(49, 39), 0x030201);
        box.Image().setPixel(0, 0, qRgb(200, 0, 0));
        QVERIFY(Shown(box, 0, 0) == 200 && picture.pixel(0, 0) == qRgb(1, 2, 3));

        // A smaller picture: background round it, also once the box grows.
        box.SetPicture(picture.copy(0, 0, 10, 10));
        box.resize(62, 52);
        QVERIFY(box.Point(9, 9) == 0x030201 && box.Point(55, 45) == 0x112233);

        // A drawing left for later runs once when first read, never if cleared.
        int runs = 0;
        const auto draw = [&](PictureBox& b) {
            ++runs;
            b.SetPicture(picture.copy(0, 0, 5, 5));
        };
        box.DrawLater(draw);
        QCOMPARE(runs, 0);
        QVERIFY(box.Point(4, 4) == 0x030201 && box.Point(9, 9) == 0x112233 && runs == 1);
        box.DrawLater(draw);
        box.Cls();
        QVERIFY(box.Point(4, 4) == 0x112233 && Shown(box, 4, 4) == 0x112233 && runs == 1);

        // Text is drawn also in a box nothing was drawn in before.
        PictureBox text;
        text.setGeometry(0, 0, 102, 22);
        const QImage blank = text.grab().toImage();
        text.PrintText(0, 0, QStringLiteral("Klikk"), Qt::black);
        QVERIFY(text.grab().toImage() != blank);

        // At scale factors 1.25 to 2 too, a press, move or release on any
        // device pixel reaches the handlers at the picture pixel shown there.
        box.setGeometry(0, 0, 22, 17); // a 20 x 15 drawing area
        QImage grid(20, 15, QImage::Format_RGB32);
        for (int i = 0; i < 20 * 15; ++i) {
            grid.setPixel(i % 20, i / 20, qRgb(i % 20, i / 20, 99));
        }
        box.SetPicture(grid);
        box.show();
        const QImage shown = box.grab().toImage();
        const double dpr = box.devicePixelRatioF();
        QList<QPointF> got;
        for (const auto signal :
             {&PictureBox::MouseDown, &PictureBox::MouseMove, &PictureBox::MouseUp}) {
            connect(&box, signal, this, [&](int, int, double x, double y) { got.append({x, y}); });
        }
        for (int i = 0; i < shown.width() * shown.height(); ++i) {
            const QPoint d(i % shown.width(), i / shown.width());
            // The device pixel's exact corner (offscreen has no pointer).
            for (const auto type :
                 {QEvent::MouseButtonPress, QEvent::MouseMove, QEvent::MouseButtonRelease}) {
                support::SendMouse(&box, type, QPointF(d) / dpr, Qt::LeftButton, Qt::LeftButton);
            }
            const QRgb c = shown.pixel(d);
            const int32_t expected = qBlue(c) == 99 ? platform::ToPacked(c) : -1;
            QCOMPARE(got.size(), 3);
            for (const QPointF& p : got) {
                QVERIFY2(box.Point(p.x(), p.y()) == expected,
                         qPrintable(QStringLiteral("device pixel %1,%2").arg(d.x()).arg(d.y())));
            }
            got.clear();
        }
    }
};

QTEST_MAIN(PictureBoxTest)
#include "test_picture_box.moc"
