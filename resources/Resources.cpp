#include "resources/Resources.h"

#include <QPixmap>

namespace resources {

QImage EyedropperImage() {
    return QImage(kEyedropper).convertToFormat(QImage::Format_ARGB32);
}

QCursor EyedropperCursor() {
    return QCursor(QPixmap::fromImage(EyedropperImage()), kEyedropperHotX, kEyedropperHotY);
}

QIcon AppIcon() {
    // From a pixmap: an icon made from a file name looks through every icon
    // engine plugin first, which costs start-up time.
    return QIcon(QPixmap(kAppIcon));
}

} // namespace resources
