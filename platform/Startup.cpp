#include "platform/Startup.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include <dlfcn.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace platform {

namespace {
void PrintLine(const QString& line) {
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stderr);
}

// A message held back while the QApplication is made.
struct HeldMessage {
    QtMsgType type;
    QByteArray file;
    int line;
    QByteArray function;
    QByteArray category;
    QString text;
};

std::mutex heldMutex;
std::vector<HeldMessage> held;
QtMessageHandler previousHandler = nullptr;

const char* OrNull(const QByteArray& bytes) {
    return bytes.isNull() ? nullptr : bytes.constData();
}

// Passes on what was held, in order.
void PassOn(std::vector<HeldMessage>& messages) {
    for (const HeldMessage& m : messages) {
        const QMessageLogContext context(OrNull(m.file), m.line, OrNull(m.function),
                                         OrNull(m.category));
        previousHandler(m.type, context, m.text);
    }
    messages.clear();
}

// Why `plugin` could not start, as far as the environment tells.
QString PluginProblem(const QString& plugin, bool found) {
    if (!found) {
        return QStringLiteral("Qt har ikke noe skjermtillegg med det navnet");
    }
    if (plugin == QLatin1String("xcb")) {
        const QString display = qEnvironmentVariable("DISPLAY");
        return display.isEmpty() ? QStringLiteral("DISPLAY er ikke satt")
                                 : QStringLiteral("ingen X-tjener svarer på «%1»").arg(display);
    }
    if (plugin.startsWith(QLatin1String("wayland"))) {
        const QString display = qEnvironmentVariable("WAYLAND_DISPLAY", "wayland-0");
        return QStringLiteral("ingen Wayland-tjener svarer på «%1»").arg(display);
    }
    return QStringLiteral("tillegget kunne ikke starte");
}

// The line for a fatal message from Qt while the QApplication is made, from
// the platform plugins it tried (the warnings before it) or the message.
QString DisplayFailureLine(const std::vector<HeldMessage>& messages, const QString& fatal) {
    static const QRegularExpression attempt(
        QStringLiteral("Could not (load|find) the Qt platform plugin \"([^\"]*)\""));
    QStringList plugins;
    QStringList problems;
    for (const HeldMessage& m : messages) {
        const QRegularExpressionMatch match = attempt.match(m.text);
        if (match.hasMatch()) {
            plugins << QStringLiteral("«%1»").arg(match.captured(2));
            problems << PluginProblem(match.captured(2),
                                      match.captured(1) == QLatin1String("load"));
        }
    }
    if (problems.isEmpty()) {
        // A plugin that stopped the program itself, with a text of its own.
        const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
        if (!platform.isEmpty()) {
            plugins << QStringLiteral("«%1»").arg(platform);
        }
        static const QRegularExpression stop(QStringLiteral("[.!]$"));
        problems
            << QStringLiteral("skjermtillegget meldte «%1»").arg(fatal.simplified().remove(stop));
    }
    const QString tried = plugins.isEmpty()
                              ? QString()
                              : QStringLiteral(" (%1)").arg(plugins.join(QLatin1String(", ")));
    return QStringLiteral("Tintra: kan ikke koble til skjermen%1: %2.")
        .arg(tried, problems.join(QLatin1String("; ")));
}

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    std::lock_guard lock(heldMutex);
    if (type == QtFatalMsg) {
        PrintLine(DisplayFailureLine(held, text));
        std::_Exit(1);
    }
    held.push_back({type, context.file, context.line, context.function, context.category, text});
}
} // namespace

bool HasDisplay(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
            return true;
        }
    }
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
        !qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return true;
    }
    PrintLine(QStringLiteral("Tintra: finner ingen skjerm å vise vinduet på "
                             "(verken DISPLAY eller WAYLAND_DISPLAY er satt)."));
    return false;
}

DisplayFailureGuard::DisplayFailureGuard() {
    previousHandler = qInstallMessageHandler(HoldMessage);
}

void DisplayFailureGuard::End() {
    if (!previousHandler) {
        return;
    }
    qInstallMessageHandler(previousHandler);
    std::lock_guard lock(heldMutex);
    PassOn(held);
    previousHandler = nullptr;
}

namespace {
bool mitShmSetHere = false;
}

void PrepareDisplayConnection() {
    // Qt's xcb reads it when connecting: set at all, even empty, it counts.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", QByteArray("1"));
        mitShmSetHere = true;
    }
}

void DisplayConnected() {
    if (std::exchange(mitShmSetHere, false)) {
        qunsetenv("QT_XCB_NO_MITSHM");
    }
}

FontConfigPreload::FontConfigPreload() {
    // Only the library Qt itself has loaded: its FcInit() is safe to call
    // from any thread, and Qt's own later call finds the work done.
    void* lib = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_NOLOAD);
    if (!lib) {
        return;
    }
    using Init = int (*)();
    const auto init = reinterpret_cast<Init>(dlsym(lib, "FcInit"));
    if (init) {
#ifdef __GLIBC__
        // One heap for every thread: what the reading frees (most of what it
        // allocates) is then reused by the window built next, instead of
        // staying in an arena of the thread's own while the window takes
        // fresh pages, each a page fault. The program's threads seldom
        // allocate at the same time, so sharing costs nothing noticeable.
        mallopt(M_ARENA_MAX, 1);
#endif
        thread_ = std::thread(init);
    }
    dlclose(lib);
}

void FontConfigPreload::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

} // namespace platform
