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
        // Both opaque: equal images have the same size and pixels.
        return !a.isNull() && a == b ? 0 : 1;
    }
    std::fprintf(stderr, "usage: imgtool chart FILE | imgtool same A B\n");
    return 2;
}
