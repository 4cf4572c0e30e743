// Fake portal and KWin on a private bus: a still or a failure, no hang, no file left.
#include "platform/ScreenGrab.h"
#include "platform/wayland/KWinGrab.h"
#include "platform/wayland/PortalGrab.h"
#include "platform/wayland/WlrScreenCopy.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QtDBus>

#include <csignal>
#include <map>
#include <thread>
#include <tuple>
#include <unistd.h>

using namespace platform;

namespace {

// The portal (Screenshot, PickColor, version, Request.Close) and KWin's ScreenShot2.
class Fakes : public QDBusVirtualObject {
public:
    std::optional<QDBusConnection> bus;
    // holdCall/holdResponse: the reply/answer waits for SendCallReply/SendResponse.
    uint response = 0;
    QImage picture; // written as the screenshot, only half with cutFile; none when null
    bool holdCall = false, holdResponse = false, refuse = false, cut = false, cutFile = false;
    QTemporaryDir dir;                 // for the screenshots
    QString written, path;             // the last screenshot written, the last request's path
    QStringList tokens, closed, calls; // calls: KWin's
    // KWin sends `images` (by screen, all at "") as padded rows, or refuses; cut: not all.
    std::map<QString, QImage> images;
    QVariantMap options;

    void SendCallReply() { bus->send(callReply_); }
    void SendResponse() {
        QVariantMap results;
        if (!still_) {
            QDBusArgument rgb; // (ddd) from 0 to 1
            rgb.beginStructure();
            rgb << 0.2 << 0.4 << 0.6;
            rgb.endStructure();
            results.insert("color", QVariant::fromValue(rgb));
        } else if (!picture.isNull()) {
            written = dir.filePath(QStringLiteral("Skjermbilde-%1.png").arg(tokens.size()));
            picture.save(written, "PNG");
            if (cutFile) {
                QFile(written).resize(QFileInfo(written).size() / 2);
            }
            results.insert("uri", QUrl::fromLocalFile(written).toString());
        }
        bus->send(QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response")
                  << response << results);
    }

    bool handleMessage(const QDBusMessage& m, const QDBusConnection& c) override {
        const QString member = m.member();
        if (member == "Get") {
            return c.send(m.createReply(QVariant::fromValue(QDBusVariant(2u))));
        } else if (member == "Screenshot" || member == "PickColor") {
            tokens << qdbus_cast<QVariantMap>(m.arguments().at(1)).value("handle_token").toString();
            still_ = member == "Screenshot";
            path = "/org/freedesktop/portal/desktop/request/" +
                   m.service().mid(1).replace('.', '_') + '/' + tokens.last();
            callReply_ = m.createReply(QVariant::fromValue(QDBusObjectPath(path)));
            if (!holdResponse) { // as a real portal's, after the call's reply
                QTimer::singleShot(20, [this] { SendResponse(); });
            }
            return holdCall || c.send(callReply_);
        }
        return c.send(member == "Close" ? (closed << m.path(), m.createReply()) : Capture(m));
    }
    QString introspect(const QString&) const override { return {}; }

private:
    QDBusMessage Capture(const QDBusMessage& m) {
        const QVariantList args = m.arguments();
        const QString name = m.member() == "CaptureScreen" ? args[0].toString() : QString();
        calls << (m.member() + ' ' + name).trimmed();
        options = qdbus_cast<QVariantMap>(args[args.size() - 2]);
        if (refuse) {
            return m.createErrorReply("org.kde.KWin.ScreenShot2.Error.NoAuthorized", "No");
        }
        const QImage image = images[name].convertToFormat(QImage::Format_RGBA8888);
        const int w = image.width(), h = image.height();
        const QImage rows = image.copy(0, 0, w + 3, h); // each row 3 pixels longer
        const QByteArray bytes(reinterpret_cast<const char*>(rows.constBits()),
                               rows.sizeInBytes() - (cut ? 100 : 0));
        const int fd = ::dup(args.last().value<QDBusUnixFileDescriptor>().fileDescriptor());
        writers_.emplace_back(
            [fd, bytes] { std::ignore = ::write(fd, bytes.data(), bytes.size()), ::close(fd); });
        QVariantMap reply{{"type", "raw"}, {"width", w}, {"height", h}, {"format", image.format()}};
        reply["stride"] = rows.bytesPerLine();
        return m.createReply(reply);
    }
    bool still_ = true;
    QDBusMessage callReply_;
    std::vector<std::jthread> writers_;
};

// Every pixel its own colour; `salt` tells pictures apart.
QImage Pattern(const QSize& size, int salt = 0) {
    QImage img(size, QImage::Format_RGB32);
    for (int i = 0; i < size.width() * size.height(); ++i) {
        const int x = i % size.width(), y = i / size.width();
        img.setPixel(x, y, qRgb(x & 255, y & 255, (x >> 8) | ((y >> 8) << 3) | (salt << 6)));
    }
    return img;
}

} // namespace

class PortalGrabTest : public QObject {
    Q_OBJECT
    QProcess daemon;
    Fakes fakes;
    std::optional<QDBusConnection> bus; // the program's side
    std::optional<IScreenGrab::Result> got;

    // Grabs, and waits for the answer unless told not to.
    IScreenGrab::Result Grab(IScreenGrab& grab, bool wait = true) {
        got.reset();
        grab.GrabDesktop([this](IScreenGrab::Result r) { got = std::move(r); });
        [&] { QTRY_VERIFY_WITH_TIMEOUT(got || !wait, 5000); }();
        return got && wait ? std::move(*got) : IScreenGrab::Result{};
    }

private slots:
    void cleanupTestCase() { daemon.close(); }
    void initTestCase() {
        daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY(daemon.waitForReadyRead(5000));
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        bus = QDBusConnection::connectToBus(address, "program");
        fakes.bus = QDBusConnection::connectToBus(address, "fakes");
        QVERIFY(fakes.bus->registerService("org.freedesktop.portal.Desktop") &&
                fakes.bus->registerService("org.kde.KWin"));
        QVERIFY(fakes.bus->registerVirtualObject("/org", &fakes, QDBusConnection::SubPath));
        std::signal(SIGPIPE, SIG_IGN); // Tintra may close a pipe KWin still writes to
    }

    void stillsAndFailures() { // through wlroots' screen copy, which finds no compositor here
        qputenv("WAYLAND_DISPLAY", "tintra-none");
        WlrScreenCopy grab(std::make_unique<PortalGrab>(
            *bus, PortalGrab::Options{.timeoutMs = 1000, .pointerInStill = false}));
        const QSize screen = QGuiApplication::primaryScreen()->size();
        const QImage expected = Pattern(screen);
        fakes.picture = expected;
        IScreenGrab::Result r = Grab(grab);
        QVERIFY(r.still && r.still->Image() == expected && !r.pointerInStill);
        QVERIFY(r.still->Screens().size() == 1 && !QFile::exists(fakes.written));
        QCOMPARE(r.still->Screens()[0].area, QRect(QPoint(), screen));
        std::optional<std::optional<int32_t>> picked;
        grab.PickColour([&](std::optional<int32_t> c) { picked = c; });
        QTRY_COMPARE(picked, std::make_optional(std::optional(51 + 256 * 102 + 65536 * 153)));
        // Wrong size, none, or refused: no still, no file; refused, the desktop's pick.
        for (int i = 0; i < 4; ++i) {
            fakes.picture = i == 0 ? Pattern(screen + QSize(2, 0)) : i == 1 ? QImage() : expected;
            fakes.response = std::max(i - 1, 0);
            r = Grab(grab);
            QVERIFY(!r.still && r.canPickColour == (i > 1) && !QFile::exists(fakes.written));
        }
        fakes.response = 0;
        // Broken past its header: the screen's size, but no pixels.
        fakes.cutFile = true;
        r = Grab(grab);
        fakes.cutFile = false;
        QVERIFY(r.still && r.still->Size() == screen && r.still->Image().isNull() &&
                !QFile::exists(fakes.written));
    }

    // Once the portal has the request, the desktop may be asking: wait, with a note.
    void waitsForTheUser() {
        PortalGrab grab(*bus, {.timeoutMs = 200, .noteDelayMs = 400, .redrawMs = 100});
        fakes.picture = Pattern(QGuiApplication::primaryScreen()->size());
        fakes.holdResponse = true;
        // The note shows; its answer's copy holds it: without it, the portal is asked again.
        Grab(grab, false);
        QTRY_VERIFY(grab.Note() && grab.Note()->isVisible() && !got);
        fakes.SendResponse();
        const qsizetype asked = fakes.tokens.size();
        QTRY_VERIFY(!QFile::exists(fakes.written) && !grab.Note() && fakes.tokens.size() > asked);
        fakes.picture = Pattern(fakes.picture.size(), 1);
        fakes.SendResponse();
        QTRY_VERIFY(got && got->still && got->still->Image() == fakes.picture &&
                    got->pointerInStill);
        QVERIFY(!QFile::exists(fakes.written) && !grab.Note() && fakes.closed.isEmpty());

        // "Avbryt" (no word), or no reply to the call in time (a failure): the
        // request is withdrawn, and a file that comes all the same goes.
        for (bool avbryt : {false, true}) {
            fakes.holdCall = !avbryt;
            Grab(grab, false);
            QTRY_VERIFY(got || grab.Note());
            if (avbryt) {
                grab.Note()->Avbryt()->click();
            } else {
                fakes.SendCallReply(); // after the give-up
            }
            QVERIFY(got && !got->still && got->cancelled == avbryt);
            QTRY_VERIFY(fakes.closed.contains(fakes.path));
            fakes.SendResponse();
            QTRY_VERIFY(!QFile::exists(fakes.written));
        }
        // A grab that goes mid-request withdraws it, and never answers.
        Grab(*std::make_unique<PortalGrab>(*bus), false);
        QTRY_VERIFY(fakes.tokens.size() > asked + 3 && fakes.closed.contains(fakes.path));
        QTest::qWait(50);
        QVERIFY(!got);
        fakes.holdResponse = false;
    }

    // KDE: KWin's copy, no pointer, each screen in device pixels; else the portal's.
    void kwinStill() {
        const QList<QScreen*> screens = QGuiApplication::screens();
        const double scale = LargestScale();
        const QRect all = screens[0]->virtualGeometry();
        const QImage workspace = Pattern(all.size() * scale);
        for (int i = 0; QScreen * s : screens) {
            fakes.images[s->name()] = Pattern(s->size() * s->devicePixelRatio(), ++i);
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
                // Copied whole, a screen of a lower scale is enlarged.
                QCOMPARE(a.area, QRect((g.topLeft() - all.topLeft()) * scale,
                                       g.size() * (each ? screens[i]->devicePixelRatio() : scale)));
                QVERIFY(a.screen == screens[i] &&
                        r.still->Image().copy(a.area) ==
                            (each ? Pattern(a.area.size(), i + 1) : workspace.copy(a.area)));
            }
        }
        // Cut short, or refused (then never asked again): the portal's, with the pointer.
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
    }

    void whichWayWhere() {
        QVERIFY(ChooseGrab("xcb", "x11", "", "KDE") == GrabWay::X11 &&
                ChooseGrab("offscreen", "", "", "KDE") == GrabWay::X11);
        QVERIFY(ChooseGrab("xcb", "", "wayland-0", "sway") == GrabWay::Portal &&
                ChooseGrab("wayland", "", "wayland-1", "sway") == GrabWay::WlrScreenCopy);
        QVERIFY(ChooseGrab("wayland-egl", "", "wayland-1", "KDE") == GrabWay::KWin &&
                ChooseGrab("xcb", "wayland", "", "kde") == GrabWay::KWin);
        QVERIFY(PortalShowsPointer("KDE") && PortalShowsPointer("") && PortalShowsPointer("XFCE"));
        QVERIFY(!PortalShowsPointer("ubuntu:GNOME") && !PortalShowsPointer("sway"));
    }
    void noPortal() { // nor a bus at all
        QVERIFY(fakes.bus->unregisterService("org.freedesktop.portal.Desktop"));
        PortalGrab grab(*bus, {.timeoutMs = 3000}), nowhere(QDBusConnection("nowhere"));
        const IScreenGrab::Result r = Grab(grab);
        QVERIFY(!r.still && !r.canPickColour && !Grab(nowhere).still);
    }
};

QTEST_MAIN(PortalGrabTest)
#include "test_portal_grab.moc"
