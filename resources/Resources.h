#pragma once
#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QString>

namespace resources {
// The 16 x 16 copy picture of the "Kopi" buttons.
QImage CopyIconImage();
// The "Kopi" buttons' icon: the desktop theme's edit-copy where the theme has
// one, else the picture above. Needs a running QGuiApplication.
QIcon CopyIcon();

// The pointer over the pictures one picks colours from: a 32 x 32 eyedropper,
// black outline and white inside, its tip at the lower left.
inline constexpr int kEyedropperHotX = 3;
inline constexpr int kEyedropperHotY = 28;
QImage EyedropperImage();
// Needs a running QGuiApplication.
QCursor EyedropperCursor();

// The program's window icon. Needs a running QGuiApplication.
QIcon AppIcon();

// Makes the program Norwegian (Bokmål) whatever the user's language: Qt's own
// texts (file dialogs, message box buttons, context menus) through a
// translator built into the program, and Norwegian file type names, sizes
// and dates. Call once the application object exists, before any window is
// made. False when the translator could not be loaded.
bool InstallNorwegian();
} // namespace resources
