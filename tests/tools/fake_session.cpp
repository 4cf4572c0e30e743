// A test's own session: an X11 session manager (XSMP) and GNOME's on the bus.
// Prints "SESSION_MANAGER=<address>", then a line per event (interact-done
// cancel=0|1, save-done success=0|1, inhibit <app id> <flags> <reason>,
// uninhibit). Reads "save any" or "save none" (a log-out, asking allowed or
// not) and "die", a line each.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QObject>
#include <QSocketNotifier>

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

const auto Say = [](const std::string& line) { std::cout << line << std::endl; };

SmsConn client = nullptr;

class GnomeSession : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.SessionManager")
public slots:
    uint Inhibit(const QString& appId, uint, const QString& reason, uint flags) {
        Say(QStringLiteral("inhibit %1 %2 %3").arg(appId).arg(flags).arg(reason).toStdString());
        return 7;
    }
    void Uninhibit(uint) { Say("uninhibit"); }
};

constexpr auto AnyHost = [](char*) -> Bool { return True; };

Status NewClient(SmsConn, SmPointer, unsigned long* mask, SmsCallbacks* cb, char**) {
    *mask = ~0UL; // every callback is set below
    cb->register_client.callback = [](SmsConn c, SmPointer, char* previousId) -> Status {
        char* id = SmsGenerateClientID(c);
        SmsRegisterClientReply(c, id);
        free(id);
        free(previousId);
        client = c;
        return 1;
    };
    cb->interact_request.callback = [](SmsConn c, SmPointer, int) { SmsInteract(c); };
    cb->interact_done.callback = [](SmsConn, SmPointer, Bool cancel) {
        Say("interact-done cancel=" + std::to_string(cancel ? 1 : 0));
    };
    cb->save_yourself_phase2_request.callback = [](SmsConn c, SmPointer) {
        SmsSaveYourselfPhase2(c);
    };
    cb->save_yourself_done.callback = [](SmsConn, SmPointer, Bool success) {
        Say("save-done success=" + std::to_string(success ? 1 : 0));
    };
    cb->close_connection.callback = [](SmsConn c, SmPointer, int count, char** reasons) {
        SmFreeReasons(count, reasons);
        SmsCleanUp(c); // the connection itself closes with the client's end
        client = nullptr;
    };
    cb->save_yourself_request.callback = [](SmsConn, SmPointer, int, Bool, int, Bool, Bool) {};
    cb->set_properties.callback = [](SmsConn, SmPointer, int, SmProp**) {};
    cb->delete_properties.callback = [](SmsConn, SmPointer, int, char**) {};
    cb->get_properties.callback = [](SmsConn c, SmPointer) { SmsReturnProperties(c, 0, nullptr); };
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    GnomeSession gnome;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.registerObject("/org/gnome/SessionManager", &gnome, QDBusConnection::ExportAllSlots);
    bus.registerService("org.gnome.SessionManager");
    // A client gone is no reason to stop (libICE's default handler exits).
    IceSetIOErrorHandler([](IceConn) {});
    char error[256] = {};
    int count = 0;
    IceListenObj* listeners = nullptr;
    if (!SmsInitialize("tintra-test", "1.0", NewClient, nullptr, AnyHost, sizeof error, error) ||
        !IceListenForConnections(&count, &listeners, sizeof error, error)) {
        std::fprintf(stderr, "fake_session: %s\n", error);
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        IceSetHostBasedAuthProc(listeners[i], AnyHost);
        IceListenObj listener = listeners[i];
        auto* notifier =
            new QSocketNotifier(IceGetListenConnectionNumber(listener), QSocketNotifier::Read);
        QObject::connect(notifier, &QSocketNotifier::activated, [listener] {
            IceAcceptStatus status;
            IceConn ice = IceAcceptConnection(listener, &status);
            if (!ice) {
                return;
            }
            // Served from the event loop until it fails.
            auto* reader = new QSocketNotifier(IceConnectionNumber(ice), QSocketNotifier::Read);
            QObject::connect(reader, &QSocketNotifier::activated, [ice, reader] {
                if (IceProcessMessages(ice, nullptr, nullptr) == IceProcessMessagesIOError) {
                    reader->setEnabled(false);
                    reader->deleteLater();
                    IceSetShutdownNegotiation(ice, False);
                    IceCloseConnection(ice);
                }
            });
        });
    }
    char* ids = IceComposeNetworkIdList(count, listeners);
    Say(std::string("SESSION_MANAGER=") + ids);
    free(ids);

    QSocketNotifier commands(0, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, [&commands] {
        std::string line;
        if (!std::getline(std::cin, line)) {
            commands.setEnabled(false);
            QCoreApplication::quit();
        } else if (client && line.rfind("save ", 0) == 0) {
            SmsSaveYourself(client, SmSaveBoth, True,
                            line == "save any" ? SmInteractStyleAny : SmInteractStyleNone, False);
        } else if (client && line == "die") {
            SmsDie(client);
        }
    });
    return QCoreApplication::exec();
}

#include "fake_session.moc"
