// The screen copy through a portal and a KWin of the test's own on a private
// bus: every answer ends in a still or a plain failure, never a hang, and no
// file left, also from an answer that comes after Tintra has given up.
#include "platform/ScreenGrab.h"
#include "platform/wayland/KWinGrab.h"
#include "platform/wayland/PortalGrab.h"
#include "tests/Support.h"

#include <QBuffer>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstring>
#include <map>
#include <optional>
#include <thread>
#include <unistd.h>

using platform::IScreenGrab;
using platform::KWinGrab;
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
    QByteArray file;           // written as the screenshot; none when empty
    bool holdCall = false;     // the call's reply waits for SendCallReply
    bool holdResponse = false; // the answer waits for SendResponse
    Rgb colour{0.2, 0.4, 0.6};
    QString written; // the path of the last screenshot written
    QDir folder;
    QStringList tokens;
    QString path; // of the last request
    std::optional<QDBusConnection> bus;

    uint version() const { return 2; }

    void SendCallReply() { bus->send(callReply_); }
    void SendResponse() {
        QVariantMap results;
        if (!still_) {
            results.insert(QStringLiteral("color"), QVariant::fromValue(colour));
        } else if (!file.isEmpty()) {
            written = folder.filePath(QStringLiteral("Skjermbilde-%1.png").arg(tokens.size()));
            support::Write(written, file);
            results.insert(QStringLiteral("uri"), QUrl::fromLocalFile(written).toString());
        }
        QDBusMessage signal = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        signal << response << results;
        bus->send(signal);
    }

public slots:
    QDBusObjectPath Screenshot(const QString&, const QVariantMap& options) {
        return Reply(options, true);
    }
    QDBusObjectPath PickColor(const QString&, const QVariantMap& options) {
        return Reply(options, false);
    }

private:
    QDBusObjectPath Reply(const QVariantMap& options, bool still) {
        const QString token = options.value(QStringLiteral("handle_token")).toString();
        tokens << token;
        still_ = still;
        path = QStringLiteral("/org/freedesktop/portal/desktop/request/") +
               message().service().mid(1).replace('.', '_') + '/' + token;
        if (holdCall) {
            setDelayedReply(true);
            callReply_ = message().createReply(QVariant::fromValue(QDBusObjectPath(path)));
        }
        if (!holdResponse) {
            // As a real portal: the answer follows the call's reply.
            QTimer::singleShot(20, this, &FakePortal::SendResponse);
        }
        return QDBusObjectPath(path);
    }
    bool still_ = true;
    QDBusMessage callReply_;
};

// The requests' objects: the paths Request.Close was called on.
class FakeRequests : public QDBusVirtualObject {
public:
    QStringList closed;
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& c) override {
        if (m.member() == QLatin1String("Close")) {
            closed << m.path();
        }
        return c.send(m.createReply());
    }
    QString introspect(const QString&) const override { return {}; }
};

// KWin's ScreenShot2: the pixels of `image` through the pipe, as KWin sends
// them (the reply first, then the pixels from another thread).
class FakeKWin : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.KWin.ScreenShot2")
public:
    std::map<QString, QImage> images; // by screen name; the whole desktop at ""
    bool refuse = false;
    bool cut = false; // the pipe closes before all pixels are sent
    QStringList calls;
    QVariantMap options;
    ~FakeKWin() override { Join(); }

public slots:
    QVariantMap CaptureWorkspace(const QVariantMap& o, const QDBusUnixFileDescriptor& pipe) {
        return Capture(QStringLiteral("CaptureWorkspace"), QString(), o, pipe);
    }
    QVariantMap CaptureScreen(const QString& name, const QVariantMap& o,
                              const QDBusUnixFileDescriptor& pipe) {
        return Capture(QStringLiteral("CaptureScreen ") + name, name, o, pipe);
    }

private:
    QVariantMap Capture(const QString& call, const QString& name, const QVariantMap& o,
                        const QDBusUnixFileDescriptor& pipe) {
        calls << call;
        options = o;
        if (refuse) {
            sendErrorReply(QStringLiteral("org.kde.KWin.ScreenShot2.Error.NoAuthorized"),
                           QStringLiteral("The process is not authorized to take a screenshot"));
            return {};
        }
        Join();
        const QImage& image = images[name];
        QByteArray bytes(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
        if (cut) {
            bytes.chop(image.bytesPerLine());
        }
        writer_ = std::thread([fd = ::dup(pipe.fileDescriptor()), bytes] {
            for (qsizetype at = 0; at < bytes.size();) {
                const ssize_t n = ::write(fd, bytes.constData() + at, bytes.size() - at);
                if (n <= 0) {
                    break;
                }
                at += n;
            }
            ::close(fd);
        });
        return {{QStringLiteral("type"), QStringLiteral("raw")},
                {QStringLiteral("width"), uint(image.width())},
                {QStringLiteral("height"), uint(image.height())},
                {QStringLiteral("stride"), uint(image.bytesPerLine())},
                {QStringLiteral("format"), uint(image.format())}};
    }
    void Join() {
        if (writer_.joinable()) {
            writer_.join();
        }
    }
    std::thread writer_;
};

// Counts the notes shown.
struct NoteShows : QObject {
    int count = 0;
    bool eventFilter(QObject* o, QEvent* e) override {
        count += e->type() == QEvent::Show && qobject_cast<platform::WaitNote*>(o);
        return false;
    }
};

// Every pixel its own colour; `salt` tells pictures apart.
QImage Pattern(const QSize& size, int salt = 0) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            img.setPixel(x, y, qRgb(x & 255, y & 255, (x >> 8) | ((y >> 8) << 3) | (salt << 6)));
        }
    }
    return img;
}

QByteArray Png(const QSize& size, QImage* image = nullptr) {
    const QImage img = Pattern(size);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    if (image) {
        *image = img;
    }
    return bytes;
}

// Raw pixels as KWin may send them: of another format, rows padded.
QImage Raw(const QImage& image) {
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    const qsizetype stride = rgba.bytesPerLine() + 12;
    auto* bytes = new uchar[stride * rgba.height()];
    for (int y = 0; y < rgba.height(); ++y) {
        std::memcpy(bytes + y * stride, rgba.constScanLine(y), rgba.bytesPerLine());
    }
    return QImage(
        bytes, rgba.width(), rgba.height(), stride, QImage::Format_RGBA8888,
        [](void* p) { delete[] static_cast<uchar*>(p); }, bytes);
}

} // namespace

class PortalGrabTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QProcess daemon;
    FakePortal portal;
    FakeRequests requests;
    FakeKWin kwin;
    std::optional<QDBusConnection> bus;    // the program's side
    std::optional<QDBusConnection> server; // the portal's side

    // Grabs and waits for the answer.
    IScreenGrab::Result Grab(IScreenGrab& grab) {
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
        QVERIFY(
            server->registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop/request"),
                                          &requests, QDBusConnection::SubPath));
        QVERIFY(server->registerObject(QStringLiteral("/org/kde/KWin/ScreenShot2"), &kwin,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(server->registerService(QStringLiteral("org.kde.KWin")));
        portal.bus = server;
        // The fake KWin may write to a pipe that Tintra has closed.
        std::signal(SIGPIPE, SIG_IGN);
    }
    void cleanupTestCase() {
        daemon.kill();
        daemon.waitForFinished();
    }

    void stillsAndFailures() {
        PortalGrab grab(*bus, {.timeoutMs = 1000, .pointerInStill = false});
        const QSize screen = QGuiApplication::primaryScreen()->size();
        QImage expected;
        portal.file = Png(screen, &expected);
        IScreenGrab::Result r = Grab(grab);
        QVERIFY(r.still && r.still->Image() == expected.convertToFormat(QImage::Format_RGB32));
        QVERIFY(!r.pointerInStill);
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
    }

    // Once the portal has taken the request, the desktop may be asking the
    // user: Tintra waits, with a note to call it off, as long as that takes.
    void waitsForTheUser() {
        NoteShows shows;
        qApp->installEventFilter(&shows);
        PortalGrab grab(*bus, {.timeoutMs = 200, .noteDelayMs = 400});
        const QSize screen = QGuiApplication::primaryScreen()->size();
        portal.file = Png(screen);
        // A quick answer: no note.
        QVERIFY(Grab(grab).still);
        QCOMPARE(shows.count, 0);

        // A slow one: past the call's time limit the note shows, and the
        // answer still makes the still, its file removed.
        int calls = 0;
        std::optional<IScreenGrab::Result> got;
        const auto start = [&](IScreenGrab& g) {
            got.reset();
            g.GrabDesktop([&](IScreenGrab::Result r) {
                got = std::move(r);
                ++calls;
            });
        };
        portal.holdResponse = true;
        start(grab);
        QTRY_VERIFY(grab.Note() && grab.Note()->isVisible());
        QVERIFY(!got);
        portal.SendResponse();
        QTRY_VERIFY(got);
        QVERIFY(got->still && got->pointerInStill && !QFile::exists(portal.written));
        QVERIFY(!grab.Note() && requests.closed.isEmpty());

        // "Avbryt": called off and withdrawn; a file that comes after all
        // goes, without a word.
        start(grab);
        QTRY_VERIFY(grab.Note());
        grab.Note()->Avbryt()->click();
        QVERIFY(got && got->cancelled && !got->still);
        QTRY_VERIFY(requests.closed.contains(portal.path));
        portal.SendResponse();
        QTRY_VERIFY(!QFile::exists(portal.written));

        // No answer to the call in time: a failure, withdrawn, and the same
        // for what the portal answers late.
        portal.holdCall = true;
        start(grab);
        QTRY_VERIFY(got);
        QVERIFY(!got->still && !got->cancelled);
        QTRY_VERIFY(requests.closed.contains(portal.path));
        portal.SendCallReply();
        portal.SendResponse();
        QTRY_VERIFY(!QFile::exists(portal.written));
        portal.holdCall = false;

        // A grab that goes mid-request withdraws it.
        {
            PortalGrab gone(*bus);
            const qsizetype asked = portal.tokens.size();
            start(gone);
            QTRY_COMPARE(portal.tokens.size(), asked + 1);
        }
        QTRY_VERIFY(requests.closed.contains(portal.path));
        QTest::qWait(50);
        QCOMPARE(calls, 3);
        portal.holdResponse = false;
    }

    // On KDE Plasma: KWin's own copy, without the pointer, each screen in its
    // device pixels; where KWin refuses or fails, the portal's.
    void kwinStill() {
        // The whole desktop at the largest scale, each screen at its own.
        const QList<QScreen*> screens = QGuiApplication::screens();
        const double scale = platform::LargestScale();
        QRect all;
        for (QScreen* s : screens) {
            all |= s->geometry();
        }
        const QImage workspace = Pattern(all.size() * scale);
        for (int i = 0; i < screens.size(); ++i) {
            kwin.images[screens[i]->name()] =
                Raw(Pattern(screens[i]->size() * screens[i]->devicePixelRatio(), i + 1));
        }
        kwin.images[QString()] = Raw(workspace);
        for (bool perScreen : {false, true}) {
            KWinGrab grab(std::make_unique<PortalGrab>(*bus), *bus, {.perScreen = perScreen});
            IScreenGrab::Result r = Grab(grab);
            QVERIFY(r.still && !r.pointerInStill);
            QCOMPARE(kwin.options,
                     (QVariantMap{{"include-cursor", false}, {"native-resolution", true}}));
            // Screens without names can only be copied whole.
            const bool each = perScreen && !screens[0]->name().isEmpty();
            QCOMPARE(kwin.calls.last(), each ? "CaptureScreen " + screens.last()->name()
                                             : QStringLiteral("CaptureWorkspace"));
            QCOMPARE(r.still->Screens().size(), size_t(screens.size()));
            for (int i = 0; i < screens.size(); ++i) {
                const platform::ScreenArea& a = r.still->Screens()[i];
                const QRect g = screens[i]->geometry();
                QCOMPARE(a.screen, screens[i]);
                // Copied whole, a screen of a lower scale is enlarged.
                QCOMPARE(a.area, QRect((g.topLeft() - all.topLeft()) * scale,
                                       g.size() * (each ? screens[i]->devicePixelRatio() : scale)));
                QVERIFY(r.still->Image().copy(a.area) ==
                        (each ? Pattern(a.area.size(), i + 1) : workspace.copy(a.area)));
            }
        }
        // Refused, or the pixels cut short: the portal's copy, which may
        // show the pointer.
        portal.file = Png(workspace.size());
        KWinGrab grab(std::make_unique<PortalGrab>(*bus), *bus);
        kwin.cut = true;
        IScreenGrab::Result r = Grab(grab);
        QVERIFY(r.still && r.pointerInStill);
        kwin.cut = false;
        kwin.refuse = true;
        r = Grab(grab);
        QVERIFY(r.still && r.pointerInStill);
        // Refused once, not asked again.
        const qsizetype asked = kwin.calls.size();
        QVERIFY(Grab(grab).still);
        QCOMPARE(kwin.calls.size(), asked);
        kwin.refuse = false;
    }

    void whichWayWhere() {
        using platform::ChooseGrab;
        using platform::GrabWay;
        QCOMPARE(ChooseGrab("xcb", "x11", "", "KDE"), GrabWay::X11);
        QCOMPARE(ChooseGrab("xcb", "", "", ""), GrabWay::X11);
        QCOMPARE(ChooseGrab("xcb", "wayland", "", "GNOME"), GrabWay::Portal);
        QCOMPARE(ChooseGrab("xcb", "", "wayland-0", "sway"), GrabWay::Portal);
        QCOMPARE(ChooseGrab("wayland", "wayland", "wayland-0", "ubuntu:GNOME"), GrabWay::Portal);
        QCOMPARE(ChooseGrab("wayland-egl", "", "wayland-1", ""), GrabWay::Portal);
        QCOMPARE(ChooseGrab("wayland", "wayland", "wayland-0", "KDE"), GrabWay::KWin);
        QCOMPARE(ChooseGrab("xcb", "wayland", "wayland-0", "kde"), GrabWay::KWin);
        QCOMPARE(ChooseGrab("offscreen", "", "", "KDE"), GrabWay::X11);
        // Which portals draw the pointer into their copies.
        using platform::PortalShowsPointer;
        QVERIFY(PortalShowsPointer("KDE") && PortalShowsPointer("") && PortalShowsPointer("XFCE"));
        QVERIFY(!PortalShowsPointer("ubuntu:GNOME") && !PortalShowsPointer("sway") &&
                !PortalShowsPointer("Hyprland"));
    }
    void noPortal() {
        QVERIFY(server->unregisterService(QStringLiteral("org.freedesktop.portal.Desktop")));
        PortalGrab grab(*bus, {.timeoutMs = 3000});
        const IScreenGrab::Result r = Grab(grab);
        QVERIFY(!r.still && !r.canPickColour);
        // Nor a bus at all.
        PortalGrab nowhere(QDBusConnection(QStringLiteral("nowhere")));
        QVERIFY(!Grab(nowhere).still);
    }
};

QTEST_MAIN(PortalGrabTest)
#include "test_portal_grab.moc"
