// Pictures put straight onto a window on a real X server: every part of the
// window that can be seen shows its picture and the rectangles drawn over it,
// when first shown and when uncovered.
#include "platform/x11/NativeImage.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>

namespace {

constexpr QRgb kFill = qRgb(0, 0, 255);
// Over the picture, across the later cover's edge, and over the fill.
const std::vector<platform::Overlay> kOverlays{{QRect(60, 100, 100, 1), qRgb(0, 0, 0)},
                                               {QRect(310, 10, 20, 5), qRgb(255, 255, 255)}};

class Picture : public QWidget {
public:
    explicit Picture(QImage image) : image_(std::move(image)) {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    bool native = true;

protected:
    void paintEvent(QPaintEvent* e) override {
        native = native_.Paint(image_, e->region(), kFill, kOverlays) && native;
    }

private:
    QImage image_;
    platform::NativeImage native_{this};
};

} // namespace

class NativeImageTest : public QObject {
    Q_OBJECT

    static QImage Screen(QRect area) {
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    // Waits up to 3 s until the screen at `at` shows `expected`.
    static bool Shows(const QImage& expected, QPoint at) {
        for (int i = 0; i < 150; ++i) {
            QCoreApplication::processEvents();
            if (Screen(QRect(at, expected.size())) == expected) {
                return true;
            }
            QTest::qWait(20);
        }
        return false;
    }

private slots:
    void showsItsPictureWheneverItComesIntoView() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QSKIP("needs an X server");
        }
        QImage picture(300, 200, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                picture.setPixel(x, y, qRgb(x % 256, y, (x * y) % 256));
            }
        }
        // The window is wider than its picture: the rest is filled.
        QImage expected(340, 200, QImage::Format_RGB32);
        expected.fill(kFill);
        QPainter painter(&expected);
        painter.drawImage(0, 0, picture);
        for (const platform::Overlay& o : kOverlays) {
            painter.fillRect(o.rect, QColor(o.colour));
        }
        painter.end();

        Picture w(picture);
        w.setGeometry(20, 20, 340, 200);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(Shows(expected, {20, 20}));
        QVERIFY(w.native);

        // Another window over part of it and away: the part uncovered is drawn.
        QWidget cover;
        cover.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        cover.setAutoFillBackground(true);
        cover.setPalette(QPalette(Qt::red));
        cover.setGeometry(100, 60, 120, 120);
        cover.show();
        QVERIFY(QTest::qWaitForWindowExposed(&cover));
        QImage covered = expected.copy();
        QPainter(&covered).fillRect(80, 40, 120, 120, Qt::red);
        QVERIFY(Shows(covered, {20, 20}));
        cover.hide();
        QVERIFY(Shows(expected, {20, 20}));
    }
};

QTEST_MAIN(NativeImageTest)
#include "test_native_image.moc"
