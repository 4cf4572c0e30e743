#include "resources/Resources.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPixmap>
#include <QTranslator>

// The pictures as the C arrays they are written as: read straight by
// QImage's own XPM reader, without the image-format plugin look-up a file
// or resource name costs at start-up.
#include "resources/copy.xpm"
#include "resources/eyedropper.xpm"

namespace resources {

QImage CopyIconImage() {
    return QImage(copy_xpm);
}

QImage EyedropperImage() {
    return QImage(eyedropper_xpm).convertToFormat(QImage::Format_ARGB32);
}

QCursor EyedropperCursor() {
    return QCursor(QPixmap::fromImage(EyedropperImage()), kEyedropperHotX, kEyedropperHotY);
}

QIcon AppIcon() {
    // Rendered from icons/tintra.svg at build time, as the icons installed
    // for the desktop.
    QIcon icon;
    for (const int n : {16, 32, 48, 64, 128}) {
        icon.addFile(QStringLiteral(":/icons/tintra-%1.png").arg(n), QSize(n, n));
    }
    return icon;
}

QIcon CopyIcon() {
    return QIcon::fromTheme(QStringLiteral("edit-copy"),
                            QIcon(QPixmap::fromImage(CopyIconImage())));
}

bool InstallNorwegian() {
    QLocale::setDefault(QLocale(QLocale::NorwegianBokmal, QLocale::Norway));
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral(":/translations/qtbase_nb.qm"))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace resources
