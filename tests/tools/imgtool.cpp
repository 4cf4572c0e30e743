// Picture helper for the end-to-end tests: chart writes the program's chart;
// same compares two pictures' pixels; unique writes a picture with no two
// pixels alike (up to 4096 x 4096), or its columns from X0 on; cross checks
// that B is A with a cross-hair of R-pixel black or white arms round (X, Y);
// crosshair prints the centre of such a cross-hair in B, or where B differs
// from A; show puts a picture on the whole screen, a pixel a device pixel.
#include "chart/ChartPicture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRasterWindow>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const auto BlackOrWhite = [](QRgb p) { return (p & 0xFFFFFF) == 0 || (p & 0xFFFFFF) == 0xFFFFFF; };

// The centre of the first cross-hair of B over A: a pixel as A has it whose
// neighbours, three on each side, are black or white where A has not. With
// none, the box of B's pixels that differ from A's goes to standard error.
int FindCrossHair(const QImage& a, const QImage& b) {
    constexpr int kArm = 3;
    // Straight from the rows: a 4K screen is 8 million pixels.
    const auto at = [](const QImage& i, int x, int y) {
        return reinterpret_cast<const QRgb*>(i.constScanLine(y))[x];
    };
    QRect differs;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (at(b, x, y) != at(a, x, y)) {
                differs |= QRect(x, y, 1, 1);
                continue;
            }
            bool arms = x >= kArm && y >= kArm && x < a.width() - kArm && y < a.height() - kArm;
            for (int d = 1; arms && d <= kArm; ++d) {
                for (const QPoint q :
                     {QPoint(x - d, y), QPoint(x + d, y), QPoint(x, y - d), QPoint(x, y + d)}) {
                    arms = arms && at(b, q.x(), q.y()) != at(a, q.x(), q.y()) &&
                           BlackOrWhite(at(b, q.x(), q.y()));
                }
            }
            if (arms) {
                std::printf("%d %d\n", x, y);
                return 0;
            }
        }
    }
    std::fprintf(stderr, "no cross-hair, %d x %d pixels from (%d, %d) differ\n", differs.width(),
                 differs.height(), differs.x(), differs.y());
    return 1;
}

class Picture : public QRasterWindow {
public:
    explicit Picture(const QImage& image) : image_(image) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QImage shown = image_;
        shown.setDevicePixelRatio(devicePixelRatio());
        QPainter(this).drawImage(0, 0, shown);
    }

private:
    QImage image_;
};

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const auto is = [&](const char* name, int min, int max) {
        return argc >= min && argc <= max && std::strcmp(argv[1], name) == 0;
    };
    if (is("chart", 3, 3)) {
        return chart::ChartPicture().save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
    }
    const auto load = [&](int i) {
        return argc > i
                   ? QImage(QString::fromLocal8Bit(argv[i])).convertToFormat(QImage::Format_RGB32)
                   : QImage();
    };
    const QImage a = load(2), b = load(3);
    if (is("same", 4, 4)) {
        return !a.isNull() && a == b ? 0 : 1; // both opaque: same size and pixels
    }
    if (is("unique", 5, 6)) {
        const int w = std::atoi(argv[2]);
        const int h = std::atoi(argv[3]);
        const int x0 = argc == 6 ? std::atoi(argv[5]) : 0;
        if (w < 1 || h < 1 || x0 < 0 || x0 + w > 4096 || h > 4096) {
            return 2;
        }
        QImage img(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                img.setPixel(x, y,
                             qRgb((x0 + x) & 255, y & 255, ((x0 + x) >> 8) | ((y >> 8) << 4)));
            }
        }
        return img.save(QString::fromLocal8Bit(argv[4]), "PNG") ? 0 : 1;
    }
    if (is("cross", 7, 7)) {
        const QPoint c(std::atoi(argv[4]), std::atoi(argv[5]));
        for (int y = 0; a.size() == b.size() && y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const int off = std::abs(x - c.x()) + std::abs(y - c.y());
                const bool arm =
                    (x == c.x() || y == c.y()) && off >= 1 && off <= std::atoi(argv[6]);
                if (arm ? !BlackOrWhite(b.pixel(x, y)) : b.pixel(x, y) != a.pixel(x, y)) {
                    return std::fprintf(stderr, "pixel (%d, %d) differs\n", x, y), 1;
                }
            }
        }
        return a.isNull() || a.size() != b.size() ? 1 : 0;
    }
    if (is("crosshair", 4, 4)) {
        return a.isNull() || a.size() != b.size() ? 2 : FindCrossHair(a, b);
    }
    if (is("show", 3, 3) && !a.isNull()) {
        Picture window(a);
        window.setTitle(QStringLiteral("Mønster"));
        window.showFullScreen();
        return app.exec();
    }
    std::fprintf(stderr,
                 "usage: imgtool chart FILE | imgtool same A B | imgtool unique W H FILE [X0] | "
                 "imgtool cross A B X Y R | imgtool crosshair A B | imgtool show FILE\n");
    return 2;
}
