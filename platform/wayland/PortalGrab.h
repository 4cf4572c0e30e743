#pragma once
// The screen copy through the desktop portal (org.freedesktop.portal.Screenshot),
// where a program cannot read the screen itself: native Wayland, and X11
// inside a Wayland session, whose root holds only the X11 windows. The
// portal writes a PNG, which is read and removed again: the user asked for a
// colour, not for a screenshot among their pictures.
#include "platform/Services.h"

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

#include <optional>

namespace platform {

class PortalGrab : public QObject, public IScreenGrab {
    Q_OBJECT
public:
    // `bus` is where the portal is asked, the session bus when none is
    // given (connected to at the first request, not at start-up); a request
    // with no answer within `timeoutMs` fails.
    explicit PortalGrab(std::optional<QDBusConnection> bus = std::nullopt, int timeoutMs = 10000);
    ~PortalGrab() override;

    void GrabDesktop(StillDone done) override;
    void PickColour(ColourDone done) override;

private slots:
    void Response(uint response, const QVariantMap& results);

private:
    enum class Kind { Still, Colour };
    // Sends `method` with a fresh request token; the answer comes to Response.
    void Ask(Kind kind, const QString& method, const QVariantMap& options);
    // Listens for the answer on `path`.
    void Listen(const QString& path);
    void Unlisten();
    // Ends the request under way with `response` (0 success) and `results`.
    void Finish(uint response, const QVariantMap& results);
    void FinishStill(uint response, const QVariantMap& results);

    QDBusConnection& Bus();

    std::optional<QDBusConnection> bus_;
    QTimer timeout_;
    Kind kind_ = Kind::Still;
    StillDone stillDone_;
    ColourDone colourDone_;
    QString requestPath_;
    unsigned serial_ = 0;
};

} // namespace platform
