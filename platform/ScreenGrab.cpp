#include "platform/ScreenGrab.h"

#include "platform/wayland/KWinGrab.h"
#include "platform/wayland/PortalGrab.h"
#include "platform/wayland/WlrScreenCopy.h"
#include "platform/x11/X11Grab.h"

#include <QGuiApplication>

namespace platform {

namespace {
bool OnDesktop(const QString& currentDesktop, const QString& name) {
    return currentDesktop.split(QLatin1Char(':')).contains(name, Qt::CaseInsensitive);
}
} // namespace

bool InWaylandSession(const QString& platformName, const QString& sessionType,
                      const QString& waylandDisplay) {
    return platformName.startsWith(QLatin1String("wayland")) ||
           (platformName == QLatin1String("xcb") &&
            (sessionType == QLatin1String("wayland") || !waylandDisplay.isEmpty()));
}

GrabWay ChooseGrab(const QString& platformName, const QString& sessionType,
                   const QString& waylandDisplay, const QString& currentDesktop) {
    if (!InWaylandSession(platformName, sessionType, waylandDisplay)) {
        return GrabWay::X11;
    }
    if (OnDesktop(currentDesktop, QStringLiteral("KDE"))) {
        return GrabWay::KWin;
    }
    // An X11 window's screens are XWayland's, not the compositor's outputs.
    return platformName.startsWith(QLatin1String("wayland")) ? GrabWay::WlrScreenCopy
                                                             : GrabWay::Portal;
}

bool PortalShowsPointer(const QString& currentDesktop) {
    // xdg-desktop-portal picks the first desktop in the list it has a
    // back-end for. GNOME's takes its copies without the pointer, and the
    // wlroots back-end runs grim without it; KDE's asks KWin to include it.
    static const QStringList kWithout{QStringLiteral("GNOME"), QStringLiteral("wlroots"),
                                      QStringLiteral("sway"),  QStringLiteral("Wayfire"),
                                      QStringLiteral("river"), QStringLiteral("Hyprland")};
    for (const QString& name : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (kWithout.contains(name, Qt::CaseInsensitive)) {
            return false;
        }
        if (name.compare(QLatin1String("KDE"), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return true;
}

std::unique_ptr<IScreenGrab> MakeScreenGrab() {
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    PortalGrab::Options portal;
    portal.pointerInStill = PortalShowsPointer(desktop);
    switch (ChooseGrab(QGuiApplication::platformName(), qEnvironmentVariable("XDG_SESSION_TYPE"),
                       qEnvironmentVariable("WAYLAND_DISPLAY"), desktop)) {
    case GrabWay::WlrScreenCopy:
        return std::make_unique<WlrScreenCopy>(std::make_unique<PortalGrab>(std::nullopt, portal));
    case GrabWay::KWin:
        return std::make_unique<KWinGrab>(std::make_unique<PortalGrab>(std::nullopt, portal));
    case GrabWay::Portal:
        return std::make_unique<PortalGrab>(std::nullopt, portal);
    case GrabWay::X11:
        break;
    }
    return std::make_unique<X11Grab>();
}

} // namespace platform
