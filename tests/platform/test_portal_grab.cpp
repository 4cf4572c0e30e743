// The screen copy through a portal and a KWin of the test's own on a private
// bus: every answer ends in a still or a plain failure, never a hang, and no
// file is left, also from an answer that comes after Tintra has given up.
#include "platform/ScreenGrab.h"
#include "platform/wayland/KWinGrab.h"
#include "platform/wayland/PortalGrab.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QtDBus>

#include <csignal>
#include <map>
#include <optional>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace platform;

// The portal's colour, (ddd); only ever sent.
struct Rgb {
    double r, g, b;
};
QDBusArgument& operator<<(QDBusArgument& a, const Rgb& c) {
    a.beginStructure();
    a << c.r << c.g << c.b;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, Rgb&) {
    return a;
}
Q_DECLARE_METATYPE(Rgb)

namespace {

// The portal (Screenshot, PickColor, its version, and Request.Close on the
// requests below it) and KWin's ScreenShot2, answering as the test tells them.
class Fakes : public QDBusVirtualObject {
public:
    std::optional<QDBusConnection> bus;
    // The portal.
    uint response = 0;
    QImage picture;            // written as the screenshot; none when null
    bool holdCall = false;     // the call's reply waits for SendCallReply
    bool holdResponse = false; // the answer waits for SendResponse
    QDir folder;
    QString written, path; // the last screenshot written, the last request's path
    QStringList tokens, closed;
    // KWin: the pixels of `images` (by screen name, the whole desktop at "")
    // as RGBA with padded rows, from another thread as KWin sends them.
    std::map<QString, QImage> images;
    bool refuse = false, cut = false; // cut: the pipe closes before all pixels are sent
    QStringList calls;
    QVariantMap options;

    void SendCallReply() { bus->send(callReply_); }
    void SendResponse() {
        QVariantMap results;
        if (!still_) {
            results.insert("color", QVariant::fromValue(Rgb{0.2, 0.4, 0.6}));
        } else if (!picture.isNull()) {
            written = folder.filePath(QStringLiteral("Skjermbilde-%1.png").arg(tokens.size()));
            picture.save(written, "PNG");
            results.insert("uri", QUrl::fromLocalFile(written).toString());
        }
        QDBusMessage signal =
            QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
        signal << response << results;
        bus->send(signal);
    }

    bool handleMessage(const QDBusMessage& m, const QDBusConnection& c) override {
        const QString member = m.member();
        if (member.startsWith("Capture")) {
            return c.send(Capture(m));
        }
        if (member == "Get") {
            return c.send(m.createReply(QVariant::fromValue(QDBusVariant(2u))));
        }
        if (member == "Screenshot" || member == "PickColor") {
            const QString token =
                qdbus_cast<QVariantMap>(m.arguments().at(1)).value("handle_token").toString();
            tokens << token;
            still_ = member == "Screenshot";
            path = "/org/freedesktop/portal/desktop/request/" +
                   m.service().mid(1).replace('.', '_') + '/' + token;
            callReply_ = m.createReply(QVariant::fromValue(QDBusObjectPath(path)));
            if (!holdResponse) {
                // As a real portal: the answer follows the call's reply.
                QTimer::singleShot(20, [this] { SendResponse(); });
            }
            return holdCall || c.send(callReply_);
        }
        closed << m.path();
        return c.send(m.createReply());
    }
    QString introspect(const QString&) const override { return {}; }

private:
    QDBusMessage Capture(const QDBusMessage& m) {
        const QVariantList args = m.arguments();
        const bool screen = m.member() == "CaptureScreen";
        const QString name = screen ? args[0].toString() : QString();
        calls << (m.member() + ' ' + name).trimmed();
        options = qdbus_cast<QVariantMap>(args[screen ? 1 : 0]);
        if (refuse) {
            return m.createErrorReply("org.kde.KWin.ScreenShot2.Error.NoAuthorized", "No");
        }
        const QImage image = images[name].convertToFormat(QImage::Format_RGBA8888);
        QByteArray bytes;
        for (int y = 0; y < image.height(); ++y) {
            bytes.append(reinterpret_cast<const char*>(image.constScanLine(y)),
                         image.bytesPerLine());
            bytes.append(12, '\x7f');
        }
        bytes.chop(cut ? 100 : 0);
        const int fd = ::dup(args.last().value<QDBusUnixFileDescriptor>().fileDescriptor());
        writers_.emplace_back([fd, bytes] {
            for (qsizetype at = 0, n = 1; at < bytes.size() && n > 0; at += n) {
                n = ::write(fd, bytes.constData() + at, bytes.size() - at);
            }
            ::close(fd);
        });
        return m.createReply(QVariantMap{{"type", "raw"},
                                         {"width", uint(image.width())},
                                         {"height", uint(image.height())},
                                         {"stride", uint(image.bytesPerLine() + 12)},
                                         {"format", uint(image.format())}});
    }
    bool still_ = true;
    QDBusMessage callReply_;
    std::vector<std::jthread> writers_;
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

} // namespace

class PortalGrabTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QProcess daemon;
    Fakes fakes;
    std::optional<QDBusConnection> bus; // the program's side
    std::optional<IScreenGrab::Result> got;
    int answers = 0;

    void Start(IScreenGrab& grab) {
        got.reset();
        grab.GrabDesktop([this](IScreenGrab::Result r) { got = std::move(r), ++answers; });
    }
    // Grabs and waits for the answer.
    IScreenGrab::Result Grab(IScreenGrab& grab) {
        Start(grab);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(got.has_value(), 5000); }();
        return got ? std::move(*got) : IScreenGrab::Result{};
    }

private slots:
    void initTestCase() {
        qDBusRegisterMetaType<Rgb>();
        daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1",
                                     "--address=unix:path=" + dir.filePath("bus")});
        QVERIFY(daemon.waitForReadyRead(5000));
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        bus = QDBusConnection::connectToBus(address, "program");
        fakes.bus = QDBusConnection::connectToBus(address, "fakes");
        QVERIFY(bus->isConnected() && fakes.bus->isConnected());
        fakes.folder = QDir(dir.path());
        for (const char* path : {"/org/freedesktop/portal/desktop", "/org/kde/KWin/ScreenShot2"}) {
            QVERIFY(fakes.bus->registerVirtualObject(path, &fakes, QDBusConnection::SubPath));
        }
        QVERIFY(fakes.bus->registerService("org.freedesktop.portal.Desktop"));
        QVERIFY(fakes.bus->registerService("org.kde.KWin"));
        // Tintra may close a pipe the fake KWin still writes to.
        std::signal(SIGPIPE, SIG_IGN);
    }
    void cleanupTestCase() {
        daemon.kill();
        daemon.waitForFinished();
    }

    void stillsAndFailures() {
        PortalGrab grab(*bus, {.timeoutMs = 1000, .pointerInStill = false});
        const QSize screen = QGuiApplication::primaryScreen()->size();
        const QImage expected = Pattern(screen);
        fakes.picture = expected;
        IScreenGrab::Result r = Grab(grab);
        QVERIFY(r.still && r.still->Image() == expected && !r.pointerInStill);
        QCOMPARE(r.still->Screens().size(), size_t(1));
        QCOMPARE(r.still->Screens()[0].area, QRect(QPoint(), screen));
        QVERIFY(!QFile::exists(fakes.written));
        // A picture not the screens' size, none, or refused: no still and no
        // file; refused, the desktop's own pick is offered.
        for (int i = 0; i < 4; ++i) {
            fakes.picture = i == 0 ? Pattern(screen + QSize(2, 0)) : i == 1 ? QImage() : expected;
            fakes.response = std::max(i - 1, 0);
            r = Grab(grab);
            QVERIFY(!r.still && r.canPickColour == (i > 1));
            QVERIFY(fakes.written.isEmpty() || !QFile::exists(fakes.written));
        }
        std::optional<std::optional<int32_t>> picked;
        fakes.response = 0;
        grab.PickColour([&](std::optional<int32_t> c) { picked = c; });
        QTRY_VERIFY(picked);
        QCOMPARE(*picked, std::optional<int32_t>(51 + 256 * 102 + 65536 * 153));
    }

    // Once the portal has taken the request, the desktop may be asking the
    // user: Tintra waits as long as that takes, with a note to call it off.
    void waitsForTheUser() {
        PortalGrab grab(*bus, {.timeoutMs = 200, .noteDelayMs = 400, .redrawMs = 100});
        const QSize screen = QGuiApplication::primaryScreen()->size();
        fakes.picture = Pattern(screen);
        fakes.holdResponse = true;
        answers = 0;
        // Past the call's time limit the note shows.
        // The answer's copy shows the question and the note: the screen is
        // asked for again once the note has gone, and that copy makes the
        // still, both files removed.
        Start(grab);
        QTRY_VERIFY(grab.Note() && grab.Note()->isVisible());
        QVERIFY(!got);
        fakes.SendResponse();
        const QString first = fakes.written;
        const qsizetype asked = fakes.tokens.size();
        QTRY_VERIFY(!QFile::exists(first) && !grab.Note());
        QTRY_COMPARE(fakes.tokens.size(), asked + 1);
        fakes.picture = Pattern(screen, 1);
        fakes.SendResponse();
        QTRY_VERIFY(got);
        QVERIFY(got->still && got->still->Image() == fakes.picture && got->pointerInStill);
        QVERIFY(!QFile::exists(fakes.written) && !grab.Note() && fakes.closed.isEmpty());

        // "Avbryt" (called off without a word), or the call itself not
        // answered in time (a failure): the request is withdrawn, and a file
        // that comes all the same goes.
        for (bool avbryt : {true, false}) {
            fakes.holdCall = !avbryt;
            Start(grab);
            QTRY_VERIFY(got || grab.Note());
            if (avbryt) {
                grab.Note()->Avbryt()->click();
            }
            QVERIFY(got && !got->still && got->cancelled == avbryt);
            QTRY_VERIFY(fakes.closed.contains(fakes.path));
            if (!avbryt) {
                fakes.SendCallReply();
            }
            fakes.SendResponse();
            QTRY_VERIFY(!QFile::exists(fakes.written));
        }
        fakes.holdCall = false;

        // A grab that goes mid-request withdraws it, and never answers.
        const qsizetype before = fakes.tokens.size();
        PortalGrab(*bus).GrabDesktop([&](IScreenGrab::Result) { ++answers; });
        QTRY_VERIFY(fakes.tokens.size() > before && fakes.closed.contains(fakes.path));
        QTest::qWait(50);
        QCOMPARE(answers, 3);
        fakes.holdResponse = false;
    }

    // On KDE Plasma: KWin's own copy, without the pointer, each screen in its
    // device pixels; where KWin refuses or fails, the portal's.
    void kwinStill() {
        const QList<QScreen*> screens = QGuiApplication::screens();
        const double scale = LargestScale();
        const QRect all = screens[0]->virtualGeometry();
        const QImage workspace = Pattern(all.size() * scale);
        for (int i = 0; i < screens.size(); ++i) {
            fakes.images[screens[i]->name()] =
                Pattern(screens[i]->size() * screens[i]->devicePixelRatio(), i + 1);
        }
        fakes.images[QString()] = workspace;
        for (bool perScreen : {false, true}) {
            KWinGrab grab(std::make_unique<PortalGrab>(*bus), *bus, {.perScreen = perScreen});
            IScreenGrab::Result r = Grab(grab);
            QVERIFY(r.still && !r.pointerInStill);
            QCOMPARE(fakes.options,
                     (QVariantMap{{"include-cursor", false}, {"native-resolution", true}}));
            // Screens without names can only be copied whole.
            const bool each = perScreen && !screens[0]->name().isEmpty();
            QCOMPARE(fakes.calls.last(), each ? "CaptureScreen " + screens.last()->name()
                                              : QStringLiteral("CaptureWorkspace"));
            QCOMPARE(r.still->Screens().size(), size_t(screens.size()));
            for (int i = 0; i < screens.size(); ++i) {
                const ScreenArea& a = r.still->Screens()[i];
                const QRect g = screens[i]->geometry();
                QCOMPARE(a.screen, screens[i]);
                // Copied whole, a screen of a lower scale is enlarged.
                QCOMPARE(a.area, QRect((g.topLeft() - all.topLeft()) * scale,
                                       g.size() * (each ? screens[i]->devicePixelRatio() : scale)));
                QVERIFY(r.still->Image().copy(a.area) ==
                        (each ? Pattern(a.area.size(), i + 1) : workspace.copy(a.area)));
            }
        }
        // Cut short, or refused: the portal's copy, which there shows the
        // pointer. Refused once, KWin is not asked again.
        fakes.picture = workspace;
        KWinGrab grab(
            std::make_unique<PortalGrab>(*bus, PortalGrab::Options{.pointerInStill = false}), *bus);
        for (int i = 0; i < 3; ++i) {
            fakes.cut = i == 0;
            fakes.refuse = i > 0;
            const qsizetype asked = fakes.calls.size();
            const IScreenGrab::Result r = Grab(grab);
            QVERIFY(r.still && r.pointerInStill && r.still->Image() == workspace);
            QCOMPARE(fakes.calls.size(), asked + (i < 2));
        }
        fakes.refuse = false;
    }

    void whichWayWhere() {
        QCOMPARE(ChooseGrab("xcb", "x11", "", "KDE"), GrabWay::X11);
        QCOMPARE(ChooseGrab("offscreen", "", "", "KDE"), GrabWay::X11);
        QCOMPARE(ChooseGrab("xcb", "", "wayland-0", "sway"), GrabWay::Portal);
        QCOMPARE(ChooseGrab("wayland", "wayland", "wayland-0", "ubuntu:GNOME"), GrabWay::Portal);
        QCOMPARE(ChooseGrab("wayland-egl", "", "wayland-1", "KDE"), GrabWay::KWin);
        QCOMPARE(ChooseGrab("xcb", "wayland", "", "kde"), GrabWay::KWin);
        // Which portals draw the pointer into their copies.
        QVERIFY(PortalShowsPointer("KDE") && PortalShowsPointer("") && PortalShowsPointer("XFCE"));
        QVERIFY(!PortalShowsPointer("ubuntu:GNOME") && !PortalShowsPointer("sway"));
    }
    void noPortal() {
        QVERIFY(fakes.bus->unregisterService("org.freedesktop.portal.Desktop"));
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
