#include "platform/SessionInhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>

namespace platform {

namespace {
const QString kService = QStringLiteral("org.gnome.SessionManager");
const QString kPath = QStringLiteral("/org/gnome/SessionManager");
constexpr quint32 kLogOut = 1; // the inhibitor's flag for logging out

QDBusMessage Call(const QString& method, const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, method);
    call.setArguments(arguments);
    // A session without it does not get one started for this.
    call.setAutoStartService(false);
    return call;
}
} // namespace

SessionInhibitor::SessionInhibitor(std::optional<QDBusConnection> bus) : bus_(std::move(bus)) {}

bool SessionInhibitor::Connected() {
    if (!bus_ && !missing_) {
        // Without an address or the usual socket, connecting would start a
        // bus of its own (autolaunch).
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
            (runtime.isEmpty() || !QFileInfo::exists(runtime + QStringLiteral("/bus")))) {
            missing_ = true;
        } else {
            bus_ = QDBusConnection::sessionBus();
        }
    }
    missing_ = missing_ || !bus_->isConnected();
    return !missing_;
}

void SessionInhibitor::Hold(bool hold, quint32 windowId, const QString& reason) {
    want_ = hold;
    windowId_ = windowId;
    reason_ = reason;
    Apply();
}

void SessionInhibitor::Apply() {
    if (asking_ || want_ == cookie_.has_value() || !Connected()) {
        return;
    }
    if (!want_) {
        bus_->send(Call(QStringLiteral("Uninhibit"), {*cookie_}));
        cookie_.reset();
        return;
    }
    asking_ = true;
    auto* watcher = new QDBusPendingCallWatcher(
        bus_->asyncCall(Call(QStringLiteral("Inhibit"),
                             {QStringLiteral("tintra"), windowId_, reason_, kLogOut})),
        this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<quint32> reply = *w;
        w->deleteLater();
        asking_ = false;
        if (reply.isError()) {
            missing_ = true; // no such service here: do without
            return;
        }
        cookie_ = reply.value();
        Apply(); // let go again where it is no longer wanted
    });
}

} // namespace platform
