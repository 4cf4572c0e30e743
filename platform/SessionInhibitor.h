#pragma once
// GNOME's log-out inhibitor (org.gnome.SessionManager.Inhibit): held while
// the program has unsaved work, so that the desktop's log-out dialog names
// it. Where the session has no such service, nothing happens.
#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

namespace platform {

class SessionInhibitor : public QObject {
public:
    // On `bus`, else the session bus.
    explicit SessionInhibitor(std::optional<QDBusConnection> bus = std::nullopt);

    // Holds the inhibitor (for the window `windowId`, 0 for none, giving
    // `reason`) or lets it go. The calls go out without waiting for answers.
    void Hold(bool hold, quint32 windowId, const QString& reason);

private:
    void Apply();
    bool Connected();

    std::optional<QDBusConnection> bus_;
    bool missing_ = false; // no session manager to ask
    bool want_ = false;
    bool asking_ = false; // an Inhibit call is out
    std::optional<quint32> cookie_;
    quint32 windowId_ = 0;
    QString reason_;
};

} // namespace platform
