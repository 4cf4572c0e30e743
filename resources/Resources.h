#pragma once
#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QString>

namespace resources {
// The 16 x 16 copy icon of the "Kopi" buttons.
QImage CopyIconImage();

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
