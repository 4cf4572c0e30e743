// The picture box: what it shows and answers before, while and after
// pictures are put in it.
#include "platform/PictureBox.h"

#include <QTest>

using platform::PictureBox;

class PictureBoxTest : public QObject {
    Q_OBJECT

    static int32_t Shown(PictureBox& box, int x, int y) {
        const QPoint at = box.Origin() + QPoint(x, y);
        return platform::ToPacked(box.grab().toImage().pixel(at));
    }

private slots:
    void backgroundPicturesAndText() {
        PictureBox box;
        box.setGeometry(0, 0, 52, 42); // a 50 x 40 drawing area
        box.SetBackColor(0x112233);
        QVERIFY(box.ScaleWidth() == 50 && box.ScaleHeight() == 40);
        QVERIFY(box.Point(0, 0) == 0x112233 && box.Point(49.9, 39.9) == 0x112233);
        QVERIFY(box.Point(50, 0) == -1 && box.Point(-0.5, 3) == -1);
        QCOMPARE(Shown(box, 25, 20), 0x112233);

        // A picture the size of the area is shown as it is; drawing in the
        // box afterwards leaves the picture it was given alone.
        QImage picture(50, 40, QImage::Format_RGB32);
        picture.fill(QColor(1, 2, 3));
        box.SetPicture(picture);
        QCOMPARE(box.Point(49, 39), 0x030201);
        box.Image().setPixel(0, 0, qRgb(200, 0, 0));
        QVERIFY(box.Point(0, 0) == 200 && picture.pixel(0, 0) == qRgb(1, 2, 3));
        QCOMPARE(Shown(box, 0, 0), 200);

        // A smaller picture: the rest is background again; the box grows
        // keeping what it shows.
        box.SetPicture(picture.copy(0, 0, 10, 10));
        QVERIFY(box.Point(9, 9) == 0x030201 && box.Point(10, 10) == 0x112233);
        box.resize(62, 52);
        QVERIFY(box.Point(9, 9) == 0x030201 && box.Point(55, 45) == 0x112233);

        // A drawing left for later runs once, when the box is first read; one
        // cleared away before that never runs.
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
        text.SetBackColor(0xFFFFFF);
        text.PrintText(0, 0, QStringLiteral("Klikk"), Qt::black);
        bool inked = false;
        for (int x = 0; x < 100 && !inked; ++x) {
            for (int y = 0; y < 20 && !inked; ++y) {
                inked = text.Point(x, y) != 0xFFFFFF;
            }
        }
        QVERIFY(inked);
    }
};

QTEST_MAIN(PictureBoxTest)
#include "test_picture_box.moc"
