// Small picture helper for the end-to-end tests:
//   imgtool chart FILE        writes the colour chart as the program draws it
//   imgtool same A B          exits 0 when both pictures have the same pixels
//   imgtool hex FILE X Y      prints pixel (X, Y) as the program's hex text
#include "chart/ChartPicture.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <cstring>

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
    std::fprintf(stderr, "usage: imgtool chart FILE | imgtool same A B | imgtool hex FILE X Y\n");
    return 2;
}
