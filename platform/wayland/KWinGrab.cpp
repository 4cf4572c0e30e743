#include "platform/wayland/KWinGrab.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {
const QString kService = QStringLiteral("org.kde.KWin");
const QString kPath = QStringLiteral("/org/kde/KWin/ScreenShot2");
const QString kInterface = QStringLiteral("org.kde.KWin.ScreenShot2");

// More than any desktop's pixels: 16384 x 16384 at 4 bytes.
constexpr qint64 kMaxBytes = qint64(1) << 30;

// Answers that say KWin will not copy the screen for this program at all:
// no KWin, or no permission. Anything else may go better next time.
bool Refusal(const QString& error) {
    return error == QLatin1String("org.kde.KWin.ScreenShot2.Error.NoAuthorized") ||
           error.startsWith(QLatin1String("org.freedesktop.DBus.Error.Service")) ||
           error.startsWith(QLatin1String("org.freedesktop.DBus.Error.Unknown")) ||
           error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

} // namespace

struct KWinGrab::Shot {
    QScreen* screen = nullptr;
    int fd = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    QByteArray data;
    bool replied = false;
    bool eof = false;
    int width = 0;
    int height = 0;
    qint64 stride = 0;
    QImage::Format format = QImage::Format_Invalid;

    Shot() = default;
    Shot(const Shot&) = delete;
    Shot& operator=(const Shot&) = delete;
    ~Shot() {
        if (notifier) {
            // Not at once: this may run from the notifier's own signal.
            notifier->setEnabled(false);
            notifier.release()->deleteLater();
        }
        if (fd >= 0) {
            ::close(fd);
        }
    }
    qint64 Expected() const { return stride * height; }
    // The pixels as RGB32, a copy of their own.
    QImage Image() const {
        const QImage raw(reinterpret_cast<const uchar*>(data.constData()), width, height,
                         static_cast<qsizetype>(stride), format);
        return format == QImage::Format_RGB32 ? raw.copy()
                                              : raw.convertToFormat(QImage::Format_RGB32);
    }
};

KWinGrab::KWinGrab(std::unique_ptr<IScreenGrab> fallback, std::optional<QDBusConnection> bus,
                   Options options)
    : fallback_(std::move(fallback)), bus_(std::move(bus)), options_(options) {
    timeout_.setSingleShot(true);
    timeout_.setInterval(options_.timeoutMs);
    connect(&timeout_, &QTimer::timeout, this, [this] { Fallback(false); });
}

KWinGrab::~KWinGrab() = default;

QDBusConnection& KWinGrab::Bus() {
    if (!bus_) {
        bus_ = QDBusConnection::sessionBus();
    }
    return *bus_;
}

void KWinGrab::GrabDesktop(StillDone done) {
    if (done_) {
        done({});
        return;
    }
    if (refused_ || !Bus().isConnected()) {
        FromFallback(std::move(done));
        return;
    }
    done_ = std::move(done);
    ++serial_;
    timeout_.start();
    const QList<QScreen*> screens = QGuiApplication::screens();
    const bool named = std::all_of(screens.begin(), screens.end(),
                                   [](const QScreen* s) { return !s->name().isEmpty(); });
    const bool perScreen = options_.perScreen.value_or(
        QGuiApplication::platformName().startsWith(QLatin1String("wayland")));
    if (perScreen && named && !screens.isEmpty()) {
        for (QScreen* s : screens) {
            if (!Capture(s)) {
                return;
            }
        }
    } else {
        Capture(nullptr);
    }
}

bool KWinGrab::Capture(QScreen* screen) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        Fallback(false);
        return false;
    }
    // Only this end waits for nothing: KWin writes its end as it can.
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    auto& shot = *shots_.emplace_back(std::make_unique<Shot>());
    shot.screen = screen;
    shot.fd = fds[0];
    const QVariantMap options{{QStringLiteral("include-cursor"), false},
                              {QStringLiteral("native-resolution"), true}};
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                       screen ? QStringLiteral("CaptureScreen")
                                                              : QStringLiteral("CaptureWorkspace"));
    if (screen) {
        call << screen->name();
    }
    call << options << QVariant::fromValue(QDBusUnixFileDescriptor(fds[1]));
    ::close(fds[1]);
    const std::size_t index = shots_.size() - 1;
    shot.notifier = std::make_unique<QSocketNotifier>(shot.fd, QSocketNotifier::Read);
    connect(shot.notifier.get(), &QSocketNotifier::activated, this,
            [this, index, serial = serial_] {
                if (serial == serial_) {
                    Read(*shots_[index]);
                }
            });
    auto* watcher = new QDBusPendingCallWatcher(Bus().asyncCall(call, options_.timeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, index, serial = serial_](QDBusPendingCallWatcher*) {
                watcher->deleteLater();
                if (serial != serial_) {
                    return;
                }
                const QDBusPendingReply<QVariantMap> reply = *watcher;
                if (reply.isError()) {
                    Fallback(Refusal(reply.error().name()));
                } else {
                    Replied(*shots_[index], reply.value());
                }
            });
    return true;
}

void KWinGrab::Replied(Shot& shot, const QVariantMap& results) {
    const QString type = results.value(QStringLiteral("type"), QStringLiteral("raw")).toString();
    const qint64 width = results.value(QStringLiteral("width")).toLongLong();
    const qint64 height = results.value(QStringLiteral("height")).toLongLong();
    const qint64 stride = results.value(QStringLiteral("stride")).toLongLong();
    const uint format = results.value(QStringLiteral("format")).toUInt();
    if (type != QLatin1String("raw") || width <= 0 || height <= 0 || format == 0 ||
        format >= QImage::NImageFormats || stride <= 0 || stride * height > kMaxBytes ||
        stride * 8 < width * QImage::toPixelFormat(QImage::Format(format)).bitsPerPixel()) {
        Fallback(false);
        return;
    }
    shot.replied = true;
    shot.width = static_cast<int>(width);
    shot.height = static_cast<int>(height);
    shot.stride = stride;
    shot.format = QImage::Format(format);
    shot.data.reserve(shot.Expected());
    Check();
}

void KWinGrab::Read(Shot& shot) {
    const qint64 limit = shot.replied ? shot.Expected() : kMaxBytes;
    for (;;) {
        const qsizetype had = shot.data.size();
        shot.data.resize(had + 65536);
        const ssize_t n = ::read(shot.fd, shot.data.data() + had, 65536);
        shot.data.resize(had + std::max<ssize_t>(n, 0));
        if (n > 0) {
            if (shot.data.size() > limit) {
                Fallback(false);
                return;
            }
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0 || errno != EAGAIN) {
            shot.eof = true;
            shot.notifier->setEnabled(false);
        }
        break;
    }
    Check();
}

void KWinGrab::Check() {
    for (const auto& shot : shots_) {
        if (shot->replied && shot->data.size() > shot->Expected()) {
            Fallback(false);
            return;
        }
        if (!shot->replied || shot->data.size() < shot->Expected()) {
            if (shot->eof && shot->replied) {
                Fallback(false); // cut short
            }
            return;
        }
    }
    std::vector<ScreenArea> areas;
    QImage still;
    if (!shots_.front()->screen) {
        // The whole desktop at the largest scale.
        still = shots_.front()->Image();
        areas = ScaledScreenAreas(LargestScale());
        if (!NearSize(still.size(), Covered(areas).boundingRect().size())) {
            Fallback(false);
            return;
        }
    } else if (!Compose(areas, still)) {
        Fallback(false);
        return;
    }
    Stop();
    Result result;
    result.still = std::make_unique<ScreenStill>(still);
    result.still->SetScreens(std::move(areas));
    if (StillDone done = std::exchange(done_, nullptr)) {
        done(std::move(result));
    }
}

bool KWinGrab::Compose(std::vector<ScreenArea>& areas, QImage& still) const {
    QList<QScreen*> screens;
    std::vector<QImage> images;
    for (const auto& shot : shots_) {
        screens.push_back(shot->screen);
        images.push_back(shot->Image());
    }
    return ComposeScreens(screens, images, areas, still);
}

void KWinGrab::Fallback(bool refused) {
    refused_ = refused_ || refused;
    Stop();
    if (StillDone done = std::exchange(done_, nullptr)) {
        FromFallback(std::move(done));
    }
}

void KWinGrab::FromFallback(StillDone done) {
    // KDE's portal asks KWin for its copy with the pointer drawn in.
    fallback_->GrabDesktop([done = std::move(done)](Result result) {
        result.pointerInStill = result.pointerInStill || result.still != nullptr;
        done(std::move(result));
    });
}

void KWinGrab::Stop() {
    ++serial_;
    timeout_.stop();
    shots_.clear();
}

} // namespace platform
