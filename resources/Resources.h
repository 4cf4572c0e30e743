#pragma once
#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QString>

namespace resources {
// Resource paths of the program's pictures.
inline const QString kCopyIcon = QStringLiteral(":/tintra/copy.xpm");
inline const QString kEyedropper = QStringLiteral(":/tintra/eyedropper.xpm");
inline const QString kAppIcon = QStringLiteral(":/tintra/tintra.xpm");

// The pointer over the pictures one picks colours from: a 32 x 32 eyedropper,
// black outline and white inside, its tip at the lower left.
inline constexpr int kEyedropperHotX = 3;
inline constexpr int kEyedropperHotY = 28;
QImage EyedropperImage();
// Needs a running QGuiApplication.
QCursor EyedropperCursor();

// The program's window icon. Needs a running QGuiApplication.
QIcon AppIcon();
} // namespace resources
