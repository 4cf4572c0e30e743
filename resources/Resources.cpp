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
    return QIcon(kAppIcon);
}

} // namespace resources
