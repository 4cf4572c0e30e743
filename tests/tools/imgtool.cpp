// Picture helper for the end-to-end tests: chart writes the program's chart;
// same compares two pictures' pixels; hex prints a pixel as the hex text;
// unique writes a picture with no two pixels alike (up to 4096 x 4096), or
// its columns from X0 on; cross checks that B is A with a cross-hair of
// R-pixel black or white arms round (X, Y), leaving that pixel itself;
// crosshair finds such a cross-hair in B and prints its centre; show puts a
// picture on the whole screen, one picture pixel to a device pixel, until it
// is ended.
#include "chart/ChartPicture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRasterWindow>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool BlackOrWhite(QRgb p) {
    return (p & 0xFFFFFF) == 0 || (p & 0xFFFFFF) == 0xFFFFFF;
}

// The centre of the first cross-hair of B over A: a pixel as A has it whose
// neighbours, three on each side, are black or white where A has not.
int FindCrossHair(const QImage& a, const QImage& b) {
    constexpr int kArm = 3;
    for (int y = kArm; y < a.height() - kArm; ++y) {
        for (int x = kArm; x < a.width() - kArm; ++x) {
            if (b.pixel(x, y) != a.pixel(x, y)) {
                continue;
            }
            bool arms = true;
            for (int d = 1; arms && d <= kArm; ++d) {
                for (const QPoint q :
                     {QPoint(x - d, y), QPoint(x + d, y), QPoint(x, y - d), QPoint(x, y + d)}) {
                    arms = arms && b.pixel(q) != a.pixel(q) && BlackOrWhite(b.pixel(q));
                }
            }
            if (arms) {
                std::printf("%d %d\n", x, y);
                return 0;
            }
        }
    }
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
    if (argc == 3 && std::strcmp(argv[1], "chart") == 0) {
        return chart::ChartPicture().save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "same") == 0) {
        const QImage a =
            QImage(QString::fromLocal8Bit(argv[2])).convertToFormat(QImage::Format_RGB32);
        const QImage b =
            QImage(QString::fromLocal8Bit(argv[3])).convertToFormat(QImage::Format_RGB32);
        // Both opaque: equal images have the same size and pixels.
        return !a.isNull() && a == b ? 0 : 1;
    }
    if (argc == 5 && std::strcmp(argv[1], "hex") == 0) {
        const QImage a(QString::fromLocal8Bit(argv[2]));
        const QPoint at(std::atoi(argv[3]), std::atoi(argv[4]));
        if (!a.valid(at)) {
            return 1;
        }
        const QRgb c = a.pixel(at);
        std::printf("%02X%02X%02X\n", qBlue(c), qGreen(c), qRed(c));
        return 0;
    }
    if ((argc == 5 || argc == 6) && std::strcmp(argv[1], "unique") == 0) {
        const int w = std::atoi(argv[2]);
        const int h = std::atoi(argv[3]);
        const int x0 = argc == 6 ? std::atoi(argv[5]) : 0;
        if (w < 1 || h < 1 || x0 < 0 || x0 + w > 4096 || h > 4096) {
            return 2;
        }
        QImage img(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < w; ++x) {
                line[x] = qRgb((x0 + x) & 255, y & 255, ((x0 + x) >> 8) | ((y >> 8) << 4));
            }
        }
        return img.save(QString::fromLocal8Bit(argv[4]), "PNG") ? 0 : 1;
    }
    if (argc == 7 && std::strcmp(argv[1], "cross") == 0) {
        const QImage a =
            QImage(QString::fromLocal8Bit(argv[2])).convertToFormat(QImage::Format_RGB32);
        const QImage b =
            QImage(QString::fromLocal8Bit(argv[3])).convertToFormat(QImage::Format_RGB32);
        const int cx = std::atoi(argv[4]);
        const int cy = std::atoi(argv[5]);
        const int arm = std::atoi(argv[6]);
        if (a.isNull() || a.size() != b.size()) {
            return 1;
        }
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const int off = std::abs(x - cx) + std::abs(y - cy);
                const bool onArm = (x == cx || y == cy) && off >= 1 && off <= arm;
                const QRgb p = b.pixel(x, y) & 0xFFFFFF;
                if (onArm ? p != 0 && p != 0xFFFFFF : p != (a.pixel(x, y) & 0xFFFFFF)) {
                    std::fprintf(stderr, "pixel (%d, %d) differs\n", x, y);
                    return 1;
                }
            }
        }
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "crosshair") == 0) {
        const QImage a =
            QImage(QString::fromLocal8Bit(argv[2])).convertToFormat(QImage::Format_RGB32);
        const QImage b =
            QImage(QString::fromLocal8Bit(argv[3])).convertToFormat(QImage::Format_RGB32);
        return a.isNull() || a.size() != b.size() ? 2 : FindCrossHair(a, b);
    }
    if (argc == 3 && std::strcmp(argv[1], "show") == 0) {
        const QImage image(QString::fromLocal8Bit(argv[2]));
        if (image.isNull()) {
            return 2;
        }
        Picture window(image);
        window.setTitle(QStringLiteral("Mønster"));
        window.showFullScreen();
        return app.exec();
    }
    std::fprintf(stderr,
                 "usage: imgtool chart FILE | imgtool same A B | imgtool hex FILE X Y | "
                 "imgtool unique W H FILE [X0] | imgtool cross A B X Y R | imgtool crosshair A B | "
                 "imgtool show FILE\n");
    return 2;
}
