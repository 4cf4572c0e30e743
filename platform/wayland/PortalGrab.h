#pragma once
// The screen copy through the desktop portal (org.freedesktop.portal.Screenshot),
// where a program cannot read the screen itself: native Wayland, and X11
// inside a Wayland session, whose root holds only the X11 windows. The
// portal writes a PNG, which is read and removed again: the user asked for a
// colour, not for a screenshot among their pictures.
#include "platform/Services.h"
#include "platform/wayland/WaitNote.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QVariantMap>

#include <optional>

namespace platform {

struct PortalGrabOptions {
    // A portal that has not taken the request within this time is
    // given up on. Once it has, the desktop may be asking the user,
    // and the answer is waited for as long as it takes.
    int timeoutMs = 10000;
    // The note with "Avbryt" shows when the answer has not come this
    // long after the portal took the request.
    int noteDelayMs = 1000;
    // A copy taken while the desktop's question was up shows that question
    // and the note: the screen is asked for again this long after the
    // note has gone, time enough for the desktop to draw it without them.
    int redrawMs = 400;
    // The desktop's portal draws the pointer into its copies.
    bool pointerInStill = true;
};

class PortalGrab : public QObject, public IScreenGrab, protected QDBusContext {
    Q_OBJECT
public:
    using Options = PortalGrabOptions;

    // `bus` is where the portal is asked, the session bus when none is
    // given (connected to at the first request, not at start-up).
    explicit PortalGrab(std::optional<QDBusConnection> bus = std::nullopt, Options options = {});
    ~PortalGrab() override;

    void GrabDesktop(StillDone done) override;
    void PickColour(ColourDone done) override;

    // The note while it is up, else null.
    WaitNote* Note() const { return note_; }

private slots:
    void Response(uint response, const QVariantMap& results);

private:
    enum class Kind { Still, Colour };
    // Sends `method` with a fresh request token; the answer comes to Response.
    void Ask(Kind kind, const QString& method, const QVariantMap& options);
    // Listens for the answer on `path`.
    void Listen(const QString& path);
    void Unlisten();
    // The portal took the request: from now on the desktop may be asking.
    void Taken(const QString& path);
    void ShowNote();
    void HideNote();
    // The copy taken when the user answered: asks once more, with nothing
    // of the question or the note on the screen.
    void AskAgain(const QVariantMap& results);
    // Withdraws the request under way (no answer in time, "Avbryt"), so
    // the desktop takes no picture after all; one it takes still goes.
    void GiveUp(uint response);
    void Close(const QString& path);
    // Ends the request under way with `response` (0 success) and `results`.
    void Finish(uint response, const QVariantMap& results);
    void FinishStill(uint response, const QVariantMap& results);

    QDBusConnection& Bus();

    std::optional<QDBusConnection> bus_;
    Options options_;
    QTimer timeout_;
    QTimer noteDelay_;
    QTimer redraw_;
    QPointer<WaitNote> note_;
    Kind kind_ = Kind::Still;
    StillDone stillDone_;
    ColourDone colourDone_;
    QString requestPath_;
    // The note was shown for the request under way: the desktop asked.
    bool late_ = false;
    // This still's screen has been asked for once more: a second slow
    // answer is taken as it comes, or a slow desktop would be asked forever.
    bool askedAgain_ = false;
    // Requests given up on whose answer may still come.
    QSet<QString> abandoned_;
    unsigned serial_ = 0;
};

} // namespace platform
