// Remote input and screenshots on a headless GNOME Shell or KWin, for the
// end-to-end tests and the benchmark:
//   desktoptool input gnome|kde|sway: each line of standard input holds
//     actions (key NAME, down NAME, up NAME, click left, move X Y in logical
//     pixels, sleep MS), answered by "ok" or "failed" once done. One input
//     session serves every line: the desktop keeps one keyboard and pointer.
//     On sway only the pointer (wtype types).
//   desktoptool shot gnome|kde FILE [N|-]: the screen without the pointer, or
//     N timed copies, one "wl.gnome|wl.kde MICROSECONDS" line each; with -
//     one timed copy for each line read, until the input ends (the
//     benchmark's bare call, made between its own iterations).
// Input goes through mutter's RemoteDesktop D-Bus API, KWin's fake-input
// protocol or wlroots' virtual pointer; screenshots through the Shell's own
// call (granted to the bus name org.gnome.Screenshot) or KWin's ScreenShot2.
#include "fake-input-client-protocol.h"

#include <wayland-client.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QElapsedTimer>
#include <QImage>
#include <QThread>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

bool Fail(const QString& why) {
    std::fprintf(stderr, "desktoptool: %s\n", qPrintable(why));
    return false;
}

// Linux input event codes of the keys and the button the tests press.
const std::map<std::string, uint32_t> kKeys = {
    {"Escape", 1}, {"Tab", 15},   {"Return", 28}, {"ctrl", 29},  {"shift", 42},
    {"alt", 56},   {"space", 57}, {"Up", 103},    {"Left", 105}, {"Right", 106},
    {"Down", 108}, {"a", 30},     {"f", 33},      {"p", 25},     {"left", 0x110},
};
bool IsButton(uint32_t code) {
    return code >= 0x110;
}

// One way in: key or button by input event code, pointer to a place. The
// desktop ends the input session when the program ends.
class Input {
public:
    virtual ~Input() = default;
    virtual bool Key(uint32_t code, bool down) = 0;
    virtual bool MoveTo(double x, double y) = 0;
    virtual void Flush() {}
};

class MutterInput : public Input {
public:
    bool Open() {
        QDBusInterface rd(QStringLiteral("org.gnome.Mutter.RemoteDesktop"),
                          QStringLiteral("/org/gnome/Mutter/RemoteDesktop"),
                          QStringLiteral("org.gnome.Mutter.RemoteDesktop"));
        const QDBusReply<QDBusObjectPath> path = rd.call(QStringLiteral("CreateSession"));
        if (!path.isValid()) {
            return Fail(QStringLiteral("CreateSession: ") + path.error().message());
        }
        session_ = path.value().path();
        if (!Call(QStringLiteral("Start"), {})) {
            return false;
        }
        // The first events of a session are lost, until mutter has set up
        // its virtual devices: a harmless Shift tap, and a pause.
        const bool ok = Key(kKeys.at("shift"), true) && Key(kKeys.at("shift"), false);
        QThread::msleep(250);
        return ok;
    }
    bool Key(uint32_t code, bool down) override {
        return IsButton(code)
                   ? Call(QStringLiteral("NotifyPointerButton"), {static_cast<int>(code), down})
                   : Call(QStringLiteral("NotifyKeyboardKeycode"), {code, down});
    }
    // Absolute motion needs a screen cast; relative motion from the top-left
    // corner (where the pointer stops) does not. Along the top edge first:
    // the hot corner's barrier there swallows a diagonal step's downward part.
    bool MoveTo(double x, double y) override {
        return Call(QStringLiteral("NotifyPointerMotionRelative"), {-100000.0, -100000.0}) &&
               Call(QStringLiteral("NotifyPointerMotionRelative"), {x, 0.0}) &&
               Call(QStringLiteral("NotifyPointerMotionRelative"), {0.0, y});
    }

private:
    bool Call(const QString& method, const QVariantList& args) {
        QDBusMessage m = QDBusMessage::createMethodCall(
            QStringLiteral("org.gnome.Mutter.RemoteDesktop"), session_,
            QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session"), method);
        m.setArguments(args);
        const QDBusMessage r = QDBusConnection::sessionBus().call(m);
        if (r.type() == QDBusMessage::ErrorMessage) {
            return Fail(method + QStringLiteral(": ") + r.errorMessage());
        }
        return true;
    }
    QString session_;
};

// A connection of its own to the compositor, with one of its globals.
class WaylandInput : public Input {
public:
    void Flush() override { wl_display_roundtrip(display_); }

protected:
    // The global `iface`, bound at `version` at most, or null.
    void* Bind(const wl_interface* iface, uint32_t version) {
        display_ = wl_display_connect(nullptr);
        if (!display_) {
            return Fail(QStringLiteral("no Wayland display")), nullptr;
        }
        struct Found {
            const wl_interface* iface;
            uint32_t version;
            void* global = nullptr;
        } found{iface, version};
        static const wl_registry_listener listener = {
            [](void* data, wl_registry* r, uint32_t name, const char* name2, uint32_t v) {
                auto* f = static_cast<Found*>(data);
                if (std::strcmp(name2, f->iface->name) == 0) {
                    f->global = wl_registry_bind(r, name, f->iface, std::min(v, f->version));
                }
            },
            [](void*, wl_registry*, uint32_t) {}};
        // Only for this look-up: globals come and go later (sway's outputs).
        wl_registry* registry = wl_display_get_registry(display_);
        wl_registry_add_listener(registry, &listener, &found);
        wl_display_roundtrip(display_);
        wl_registry_destroy(registry);
        if (!found.global) {
            Fail(QStringLiteral("the compositor offers no %1 to this program")
                     .arg(QLatin1String(iface->name)));
        }
        return found.global;
    }
    wl_display* display_ = nullptr;
};

class KWinInput : public WaylandInput {
public:
    bool Open() {
        fake_ = static_cast<org_kde_kwin_fake_input*>(Bind(&org_kde_kwin_fake_input_interface, 4));
        if (!fake_) {
            return false;
        }
        if (org_kde_kwin_fake_input_get_version(fake_) < 4) {
            return Fail(QStringLiteral("KWin's fake input has no keyboard"));
        }
        org_kde_kwin_fake_input_authenticate(fake_, "desktoptool", "end-to-end tests");
        Flush();
        return true;
    }
    bool Key(uint32_t code, bool down) override {
        (IsButton(code) ? org_kde_kwin_fake_input_button
                        : org_kde_kwin_fake_input_keyboard_key)(fake_, code, down ? 1 : 0);
        Flush();
        return true;
    }
    bool MoveTo(double x, double y) override {
        org_kde_kwin_fake_input_pointer_motion_absolute(fake_, wl_fixed_from_double(x),
                                                        wl_fixed_from_double(y));
        Flush();
        return true;
    }

private:
    org_kde_kwin_fake_input* fake_ = nullptr;
};

// wlroots' virtual pointer (zwlr_virtual_pointer_v1, version 1), its client
// side written out here: the first requests, in their protocol order.
const wl_interface* kNoTypes[5] = {};
wl_message kPointerRequests[] = {{"motion", "uff", kNoTypes},
                                 {"motion_absolute", "uuuuu", kNoTypes},
                                 {"button", "uuu", kNoTypes},
                                 {"axis", "uuf", kNoTypes},
                                 {"frame", "", kNoTypes}};
const wl_interface kVirtualPointer = {"zwlr_virtual_pointer_v1", 1, 5,
                                      kPointerRequests,          0, nullptr};
const wl_interface* kCreateTypes[] = {&wl_seat_interface, &kVirtualPointer};
wl_message kManagerRequests[] = {{"create_virtual_pointer", "?on", kCreateTypes},
                                 {"destroy", "", kNoTypes}};
const wl_interface kPointerManager = {
    "zwlr_virtual_pointer_manager_v1", 1, 2, kManagerRequests, 0, nullptr};

// The pointer in the layout's logical pixels, to half a pixel (a device
// pixel at scale 2).
class WlrPointer : public WaylandInput {
public:
    bool Open() {
        auto* manager = static_cast<wl_proxy*>(Bind(&kPointerManager, 1));
        pointer_ =
            manager ? wl_proxy_marshal_flags(manager, 0, &kVirtualPointer, 1, 0, nullptr, nullptr)
                    : nullptr;
        return pointer_ && (Flush(), true);
    }
    bool Key(uint32_t code, bool down) override {
        return IsButton(code) ? Send(2, 0u, code, down ? 1u : 0u)
                              : Fail(QStringLiteral("keys go through wtype on sway"));
    }
    // Absolute within the tests' layout: 2880 x 1080 from (0, 0).
    bool MoveTo(double x, double y) override {
        const auto half = [](double v) { return static_cast<uint32_t>(std::lround(2 * v)); };
        return Send(1, 0u, half(x), half(y), 5760u, 2160u);
    }

private:
    // One request (time 0), and the frame that ends it.
    template <typename... Args> bool Send(uint32_t opcode, Args... args) {
        wl_proxy_marshal_flags(pointer_, opcode, nullptr, 1, 0, args...);
        wl_proxy_marshal_flags(pointer_, 4, nullptr, 1, 0);
        Flush();
        return true;
    }
    wl_proxy* pointer_ = nullptr;
};

// The actions of one line, one after another, 30 ms apart so that every
// client sees each event on its own.
bool RunInput(Input& in, const QStringList& a) {
    const auto pause = [](int ms) { QThread::msleep(ms); };
    bool ok = true;
    for (int i = 0; ok && i < a.size(); ++i) {
        const QString act = a[i];
        const QString arg = a.value(++i);
        if (act == QLatin1String("key") || act == QLatin1String("down") ||
            act == QLatin1String("up") || act == QLatin1String("click")) {
            const auto k = kKeys.find(arg.toStdString());
            ok = k != kKeys.end() || Fail(QStringLiteral("unknown key ") + arg);
            ok = ok && (act == QLatin1String("up") || in.Key(k->second, true));
            pause(30);
            ok = ok && (act == QLatin1String("down") || in.Key(k->second, false));
        } else if (act == QLatin1String("move")) {
            ok = in.MoveTo(arg.toDouble(), a.value(++i).toDouble());
        } else if (act == QLatin1String("sleep")) {
            pause(arg.toInt());
        } else {
            ok = Fail(QStringLiteral("unknown action ") + act);
        }
        pause(30);
    }
    in.Flush();
    return ok;
}

int Serve(Input& in) {
    char line[4096];
    while (std::fgets(line, sizeof line, stdin)) {
        const QStringList actions =
            QString::fromLocal8Bit(line).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        std::printf("%s\n", RunInput(in, actions) ? "ok" : "failed");
        std::fflush(stdout);
    }
    return 0;
}

// The Shell's own screenshot into FILE (PNG, device pixels).
bool ShellShot(const QString& file) {
    QDBusInterface shell(QStringLiteral("org.gnome.Shell.Screenshot"),
                         QStringLiteral("/org/gnome/Shell/Screenshot"),
                         QStringLiteral("org.gnome.Shell.Screenshot"));
    const QDBusMessage r = shell.call(QStringLiteral("Screenshot"), false, false, file);
    if (r.type() == QDBusMessage::ErrorMessage || r.arguments().value(0).toBool() != true) {
        return Fail(QStringLiteral("Shell Screenshot: ") + r.errorMessage());
    }
    return true;
}

// KWin's whole workspace at native resolution, without the pointer; the
// pixels come through a pipe.
QImage KWinShot() {
    int fds[2];
    if (pipe(fds) != 0) {
        return {};
    }
    QDBusMessage m = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.KWin"), QStringLiteral("/org/kde/KWin/ScreenShot2"),
        QStringLiteral("org.kde.KWin.ScreenShot2"), QStringLiteral("CaptureWorkspace"));
    QVariantMap options{{QStringLiteral("include-cursor"), false},
                        {QStringLiteral("native-resolution"), true}};
    m.setArguments({options, QVariant::fromValue(QDBusUnixFileDescriptor(fds[1]))});
    // KWin may write the pixels before it answers: they are read meanwhile.
    QByteArray data;
    std::thread reader([&data, fd = fds[0]]() {
        char buf[65536];
        for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) {
            data.append(buf, n);
        }
        close(fd);
    });
    const QDBusMessage r = QDBusConnection::sessionBus().call(m, QDBus::Block, 20000);
    // The end of the pipe comes once no copy of its writing end is left.
    m.setArguments({});
    close(fds[1]);
    reader.join();
    if (r.type() == QDBusMessage::ErrorMessage) {
        Fail(QStringLiteral("ScreenShot2: ") + r.errorMessage());
        return {};
    }
    const QVariantMap res = qdbus_cast<QVariantMap>(r.arguments().value(0));
    const int w = res.value(QStringLiteral("width")).toInt();
    const int h = res.value(QStringLiteral("height")).toInt();
    const int stride = res.value(QStringLiteral("stride")).toInt();
    const auto format = static_cast<QImage::Format>(res.value(QStringLiteral("format")).toInt());
    if (w <= 0 || h <= 0 || data.size() < qsizetype(stride) * h) {
        Fail(
            QStringLiteral("ScreenShot2 sent %1 bytes for %2 x %3").arg(data.size()).arg(w).arg(h));
        return {};
    }
    return QImage(reinterpret_cast<const uchar*>(data.constData()), w, h, stride, format).copy();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments().mid(1);
    const QString desktop = a.value(1);
    if (a.size() == 2 && a[0] == QLatin1String("input")) {
        if (desktop == QLatin1String("gnome")) {
            MutterInput in;
            return in.Open() ? Serve(in) : 1;
        }
        if (desktop == QLatin1String("kde")) {
            KWinInput in;
            return in.Open() ? Serve(in) : 1;
        }
        if (desktop == QLatin1String("sway")) {
            WlrPointer in;
            return in.Open() ? Serve(in) : 1;
        }
    }
    // The Shell grants its screenshot to a few bus names only.
    if (desktop == QLatin1String("gnome") &&
        !QDBusConnection::sessionBus().registerService(QStringLiteral("org.gnome.Screenshot"))) {
        Fail(QStringLiteral("the bus name org.gnome.Screenshot is taken"));
        return 1;
    }
    if ((a.size() == 3 || a.size() == 4) && a[0] == QLatin1String("shot")) {
        // Timed, KWin's pixels are not saved: only the call is measured.
        const bool timed = a.size() == 4;
        const bool asked = timed && a[3] == QLatin1String("-");
        char line[256];
        for (int i = 0; asked ? std::fgets(line, sizeof line, stdin) != nullptr
                              : i < (timed ? a[3].toInt() : 1);
             ++i) {
            QElapsedTimer t;
            t.start();
            const QImage img = desktop == QLatin1String("kde") ? KWinShot() : QImage();
            if (desktop == QLatin1String("kde") ? img.isNull() || !(timed || img.save(a[2]))
                                                : !ShellShot(a[2])) {
                return 1;
            }
            if (timed) {
                std::printf("wl.%s %lld\n", qPrintable(desktop), t.nsecsElapsed() / 1000);
                std::fflush(stdout);
            }
        }
        return 0;
    }
    std::fprintf(
        stderr,
        "usage: desktoptool input gnome|kde|sway | desktoptool shot gnome|kde FILE [N|-]\n");
    return 2;
}
