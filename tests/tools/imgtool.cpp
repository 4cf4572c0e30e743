// Small picture helper for the end-to-end tests:
//   imgtool chart FILE        writes the colour chart as the program draws it
//   imgtool same A B          exits 0 when both pictures have the same pixels
#include "chart/ChartPicture.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
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
        if (a.isNull() || a.size() != b.size()) {
            std::fprintf(stderr, "sizes differ\n");
            return 1;
        }
        int differ = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF) && differ++ < 5) {
                    std::fprintf(stderr, "pixel %d,%d: %06X vs %06X\n", x, y,
                                 a.pixel(x, y) & 0xFFFFFF, b.pixel(x, y) & 0xFFFFFF);
                }
            }
        }
        return differ == 0 ? 0 : 1;
    }
    std::fprintf(stderr, "usage: imgtool chart FILE | imgtool same A B\n");
    return 2;
}
