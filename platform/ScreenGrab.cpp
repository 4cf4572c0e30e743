#include "platform/ScreenGrab.h"

#include "platform/wayland/PortalGrab.h"
#include "platform/x11/X11Grab.h"

#include <QGuiApplication>

namespace platform {

GrabWay ChooseGrab(const QString& platformName, const QString& sessionType,
                   const QString& waylandDisplay) {
    if (platformName.startsWith(QLatin1String("wayland"))) {
        return GrabWay::Portal;
    }
    if (platformName == QLatin1String("xcb") &&
        (sessionType == QLatin1String("wayland") || !waylandDisplay.isEmpty())) {
        return GrabWay::Portal;
    }
    return GrabWay::X11;
}

std::unique_ptr<IScreenGrab> MakeScreenGrab() {
    switch (ChooseGrab(QGuiApplication::platformName(), qEnvironmentVariable("XDG_SESSION_TYPE"),
                       qEnvironmentVariable("WAYLAND_DISPLAY"))) {
    case GrabWay::Portal:
        return std::make_unique<PortalGrab>();
    case GrabWay::X11:
        break;
    }
    return std::make_unique<X11Grab>();
}

} // namespace platform
