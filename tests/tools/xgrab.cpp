// Saves what the X screen shows as a PNG: `xgrab FILE [X Y W H]`. Used by the
// end-to-end tests to read screen pixels and by the screenshot script.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2 && argc != 6) {
        std::fprintf(stderr, "usage: xgrab FILE [X Y W H]\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    // QGuiApplication has ended the program already where there is no screen.
    QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    if (argc == 6) {
        shot = shot.copy(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                         std::atoi(argv[5]));
    }
    return shot.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
