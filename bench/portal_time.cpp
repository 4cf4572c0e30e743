// The bare screenshot request through the desktop portal, for the benchmark:
//   portal_time N    N requests, one "wl.portal MICROSECONDS" line each
//   portal_time -    one request for each line read, until the input ends
// Each is answered without a dialog (the permission given before), and the
// file it writes is removed.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

int Fail(const QString& why) {
    std::fprintf(stderr, "portal_time: %s\n", qPrintable(why));
    return 1;
}

// The portal's answer to a request: success or not; the file it names is
// removed.
class Receiver : public QObject {
    Q_OBJECT
public:
    QEventLoop* loop = nullptr;
    bool* ok = nullptr;
public slots:
    void Response(uint code, const QVariantMap& results) {
        *ok = code == 0;
        const QString uri = results.value(QStringLiteral("uri")).toString();
        if (uri.startsWith(QLatin1String("file://"))) {
            QFile::remove(uri.mid(7));
        }
        loop->quit();
    }
};

// One screenshot request through the desktop portal, answered without a
// dialog (its permission given before); the file it writes is removed.
bool PortalShot() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString token = QStringLiteral("t%1").arg(QCoreApplication::applicationPid());
    QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString handle =
        QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    QEventLoop loop;
    bool ok = false;
    Receiver receiver;
    receiver.loop = &loop;
    receiver.ok = &ok;
    // A message handler by name: the signal's arguments as the slot's.
    bus.connect(QString(), handle, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"), &receiver, SLOT(Response(uint, QVariantMap)));
    QDBusMessage m = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"));
    m.setArguments({QString(), QVariantMap{{QStringLiteral("handle_token"), token},
                                           {QStringLiteral("interactive"), false}}});
    const QDBusMessage r = bus.call(m);
    if (r.type() == QDBusMessage::ErrorMessage) {
        return Fail(QStringLiteral("portal: ") + r.errorMessage()), false;
    }
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    bus.disconnect(QString(), handle, QStringLiteral("org.freedesktop.portal.Request"),
                   QStringLiteral("Response"), &receiver, SLOT(Response(uint, QVariantMap)));
    return ok || Fail(QStringLiteral("the portal refused the screenshot"));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool asked = argc == 2 && std::strcmp(argv[1], "-") == 0;
    const int n = argc == 2 ? std::atoi(argv[1]) : 0;
    if (n < 1 && !asked) {
        std::fprintf(stderr, "usage: portal_time N | portal_time -\n");
        return 2;
    }
    for (int i = 0; asked ? std::getchar() != EOF : i < n; ++i) {
        QElapsedTimer t;
        t.start();
        if (!PortalShot()) {
            return 1;
        }
        std::printf("wl.portal %lld\n", t.nsecsElapsed() / 1000);
        std::fflush(stdout);
    }
    return 0;
}

#include "portal_time.moc"
