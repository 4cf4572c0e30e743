// The screen copy through a portal of the test's own on a private bus: every
// answer ends in a still or a plain failure, never a hang, and no file left.
#include "platform/wayland/PortalGrab.h"
#include "platform/ScreenGrab.h"
#include "tests/Support.h"

#include <QBuffer>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <optional>

using platform::IScreenGrab;
using platform::PortalGrab;

namespace {

struct Rgb {
    double r, g, b;
};
QDBusArgument& operator<<(QDBusArgument& a, const Rgb& c) {
    a.beginStructure();
    a << c.r << c.g << c.b;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, Rgb& c) {
    a.beginStructure();
    a >> c.r >> c.g >> c.b;
    a.endStructure();
    return a;
}

} // namespace
Q_DECLARE_METATYPE(Rgb)

namespace {

// The portal's Screenshot interface, answering as the test tells it.
class FakePortal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
    Q_PROPERTY(uint version READ version)
public:
    uint response = 0;
    QByteArray file;    // written as the screenshot; none when empty
    bool answer = true; // false: never answers
    Rgb colour{0.2, 0.4, 0.6};
    QString written; // the path of the last screenshot written
    QDir folder;
    QStringList tokens;

    uint version() const { return 2; }

public slots:
    QDBusObjectPath Screenshot(const QString&, const QVariantMap& options) {
        QVariantMap results;
        if (!file.isEmpty()) {
            written = folder.filePath(QStringLiteral("Skjermbilde-%1.png").arg(tokens.size()));
            support::Write(written, file);
            results.insert(QStringLiteral("uri"), QUrl::fromLocalFile(written).toString());
        }
        return Reply(options, results);
    }
    QDBusObjectPath PickColor(const QString&, const QVariantMap& options) {
        return Reply(options, {{QStringLiteral("color"), QVariant::fromValue(colour)}});
    }

private:
    QDBusObjectPath Reply(const QVariantMap& options, const QVariantMap& results) {
        const QString token = options.value(QStringLiteral("handle_token")).toString();
        tokens << token;
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/") +
                             message().service().mid(1).replace('.', '_') + '/' + token;
        if (answer) {
            // As a real portal: the answer follows the call's reply.
            QTimer::singleShot(20, this, [this, bus = connection(), path, results] {
                QDBusMessage signal = QDBusMessage::createSignal(
                    path, QStringLiteral("org.freedesktop.portal.Request"),
                    QStringLiteral("Response"));
                signal << response << results;
                QDBusConnection(bus).send(signal);
            });
        }
        return QDBusObjectPath(path);
    }
};

QByteArray Png(const QSize& size, QImage* image = nullptr) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            img.setPixel(x, y, qRgb(x & 255, y & 255, (x >> 8) | ((y >> 8) << 4)));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    if (image) {
        *image = img;
    }
    return bytes;
}

} // namespace

class PortalGrabTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QProcess daemon;
    FakePortal portal;
    std::optional<QDBusConnection> bus;    // the program's side
    std::optional<QDBusConnection> server; // the portal's side

    // Grabs and waits for the answer.
    IScreenGrab::Result Grab(PortalGrab& grab) {
        std::optional<IScreenGrab::Result> got;
        grab.GrabDesktop([&](IScreenGrab::Result r) { got = std::move(r); });
        [&] { QTRY_VERIFY_WITH_TIMEOUT(got.has_value(), 5000); }();
        return got ? std::move(*got) : IScreenGrab::Result{};
    }

private slots:
    void initTestCase() {
        qDBusRegisterMetaType<Rgb>();
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address=1"),
                      QStringLiteral("--address=unix:path=") + dir.filePath("bus")});
        QVERIFY(daemon.waitForReadyRead(5000));
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        bus = QDBusConnection::connectToBus(address, QStringLiteral("program"));
        server = QDBusConnection::connectToBus(address, QStringLiteral("portal"));
        QVERIFY(bus->isConnected() && server->isConnected());
        portal.folder = QDir(dir.path());
        QVERIFY(server->registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                                       QDBusConnection::ExportAllSlots |
                                           QDBusConnection::ExportAllProperties));
        QVERIFY(server->registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    }
    void cleanupTestCase() {
        daemon.kill();
        daemon.waitForFinished();
    }

    void stillsAndFailures() {
        PortalGrab grab(*bus, 1000);
        const QSize screen = QGuiApplication::primaryScreen()->size();
        QImage expected;
        portal.file = Png(screen, &expected);
        IScreenGrab::Result r = Grab(grab);
        QVERIFY(r.still && r.still->Image() == expected.convertToFormat(QImage::Format_RGB32));
        QCOMPARE(r.still->Screens().size(), size_t(1));
        QCOMPARE(r.still->Screens()[0].area, QRect(QPoint(), screen));
        QVERIFY(!QFile::exists(portal.written));
        // Each request has a token of its own.
        Grab(grab);
        QVERIFY(portal.tokens.size() == 2 && portal.tokens[0] != portal.tokens[1]);

        // A picture not the screens' size, no picture, none: no still, no file.
        for (const QByteArray& file :
             {Png(screen + QSize(2, 0)), QByteArray("\x89PNG\r\n\x1a\n broken"), QByteArray()}) {
            portal.file = file;
            r = Grab(grab);
            QVERIFY(!r.still && !r.canPickColour);
            QVERIFY(portal.written.isEmpty() || !QFile::exists(portal.written));
        }
        // A file that is gone before it is read.
        portal.file = Png(screen);
        portal.folder = QDir(dir.filePath("missing"));
        QVERIFY(!Grab(grab).still);
        portal.folder = QDir(dir.path());

        // Refused: the desktop's own pick is offered, its colour to 0..255.
        for (uint response : {1u, 2u}) {
            portal.response = response;
            r = Grab(grab);
            QVERIFY(!r.still && r.canPickColour);
            QVERIFY(!QFile::exists(portal.written));
        }
        std::optional<int32_t> picked;
        bool answered = false;
        portal.response = 0;
        grab.PickColour([&](std::optional<int32_t> c) {
            picked = c;
            answered = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(answered, 5000);
        QCOMPARE(picked, std::optional<int32_t>(51 + 256 * 102 + 65536 * 153));

        // No answer in time: a failure; a late answer changes nothing.
        portal.answer = false;
        PortalGrab quick(*bus, 200);
        r = Grab(quick);
        QVERIFY(!r.still && !r.canPickColour);
        portal.answer = true;
    }

    void whichWayWhere() {
        using platform::ChooseGrab;
        using platform::GrabWay;
        QCOMPARE(ChooseGrab("xcb", "x11", ""), GrabWay::X11);
        QCOMPARE(ChooseGrab("xcb", "", ""), GrabWay::X11);
        QCOMPARE(ChooseGrab("xcb", "wayland", ""), GrabWay::Portal);
        QCOMPARE(ChooseGrab("xcb", "", "wayland-0"), GrabWay::Portal);
        QCOMPARE(ChooseGrab("wayland", "wayland", "wayland-0"), GrabWay::Portal);
        QCOMPARE(ChooseGrab("wayland-egl", "", "wayland-1"), GrabWay::Portal);
        QCOMPARE(ChooseGrab("offscreen", "", ""), GrabWay::X11);
    }
    void noPortal() {
        QVERIFY(server->unregisterService(QStringLiteral("org.freedesktop.portal.Desktop")));
        PortalGrab grab(*bus, 3000);
        const IScreenGrab::Result r = Grab(grab);
        QVERIFY(!r.still && !r.canPickColour);
        // Nor a bus at all.
        PortalGrab nowhere(QDBusConnection(QStringLiteral("nowhere")), 3000);
        QVERIFY(!Grab(nowhere).still);
    }
};

QTEST_MAIN(PortalGrabTest)
#include "test_portal_grab.moc"
