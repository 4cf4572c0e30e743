#pragma once
// The screen copy on KDE Plasma, from KWin itself (org.kde.KWin.ScreenShot2):
// without the pointer, which the desktop portal there draws in, and in each
// screen's own device pixels. The pixels come raw through a pipe, with no
// file. KWin answers only programs whose installed menu entry names the
// interface; where it refuses, the copy comes from the portal instead.
#include "platform/Services.h"

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

class QScreen;

namespace platform {

struct KWinGrabOptions {
    // KWin's answer and its pixels take at most this long.
    int timeoutMs = 10000;
    // One copy per screen (by its name) rather than one of the whole
    // desktop; unset: where the screens are KWin's own (native Wayland).
    std::optional<bool> perScreen;
};

class KWinGrab : public QObject, public IScreenGrab {
    Q_OBJECT
public:
    using Options = KWinGrabOptions;

    // `fallback` copies the screen where KWin does not; `bus` as PortalGrab's.
    explicit KWinGrab(std::unique_ptr<IScreenGrab> fallback,
                      std::optional<QDBusConnection> bus = std::nullopt, Options options = {});
    ~KWinGrab() override;

    void GrabDesktop(StillDone done) override;
    void Prepare() override { fallback_->Prepare(); }
    void PickColour(ColourDone done) override { fallback_->PickColour(std::move(done)); }

private:
    struct Shot;
    // Asks for one copy: of `screen`, or of the whole desktop when null.
    bool Capture(QScreen* screen);
    void Replied(Shot& shot, const QVariantMap& results);
    void Read(Shot& shot);
    // Hands over the still once every copy is in.
    void Check();
    // The screens' copies side by side in one still; false where one is not
    // of its screen's size.
    bool Compose(std::vector<ScreenArea>& areas, QImage& still) const;
    // Leaves this copy, or from now on every copy (`refused`), to the fallback.
    void Fallback(bool refused);
    // The fallback's copy, which may hold the pointer.
    void FromFallback(StillDone done);
    void Stop();

    QDBusConnection& Bus();

    std::unique_ptr<IScreenGrab> fallback_;
    std::optional<QDBusConnection> bus_;
    Options options_;
    QTimer timeout_;
    StillDone done_;
    std::vector<std::unique_ptr<Shot>> shots_;
    bool refused_ = false;
    unsigned serial_ = 0;
};

} // namespace platform
