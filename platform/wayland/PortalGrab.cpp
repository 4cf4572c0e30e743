#include "platform/wayland/PortalGrab.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QRandomGenerator>
#include <QScreen>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <utility>

namespace platform {

namespace {
const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

// Responses: 0 success, 1 cancelled by the user, 2 ended otherwise; and
// the program's own for no answer at all.
constexpr uint kNoAnswer = 3;

// A component 0..1 as 0..255; nothing for what is no such number.
std::optional<int> Component(double v) {
    if (!(v >= 0.0 && v <= 1.0)) {
        return std::nullopt;
    }
    return static_cast<int>(std::lround(v * 255.0));
}

// The packed colour of the portal's "color" result, (ddd) from 0 to 1.
std::optional<int32_t> PortalColour(const QVariant& value) {
    if (!value.canConvert<QDBusArgument>()) {
        return std::nullopt;
    }
    const QDBusArgument arg = value.value<QDBusArgument>();
    if (arg.currentType() != QDBusArgument::StructureType) {
        return std::nullopt;
    }
    double rgb[3] = {-1, -1, -1};
    arg.beginStructure();
    for (double& c : rgb) {
        if (arg.atEnd()) {
            break;
        }
        arg >> c;
    }
    arg.endStructure();
    const auto r = Component(rgb[0]);
    const auto g = Component(rgb[1]);
    const auto b = Component(rgb[2]);
    if (!r || !g || !b) {
        return std::nullopt;
    }
    return *r + 256 * *g + 65536 * *b;
}

// The local file a portal's "uri" result names, or nothing.
QString LocalFile(const QVariantMap& results) {
    const QUrl url(results.value(QStringLiteral("uri")).toString());
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

// The picture at `path`; null for anything that is not a readable picture of
// the expected size.
QImage ReadPicture(const QString& path, const QSize& expected) {
    // Qt's reader refuses pictures too large to hold.
    const QImage image = QImageReader(path).read();
    // A compositor may round a screen's scaled edge either way.
    const QSize off = image.size() - expected;
    if (image.isNull() || std::abs(off.width()) > 1 || std::abs(off.height()) > 1) {
        return {};
    }
    return image;
}

// The scale the portal's picture is taken at: the largest of the screens'.
double StillScale() {
    double scale = 1.0;
    for (QScreen* s : QGuiApplication::screens()) {
        scale = std::max(scale, s->devicePixelRatio());
    }
    return scale;
}
} // namespace

PortalGrab::PortalGrab(std::optional<QDBusConnection> bus, int timeoutMs) : bus_(std::move(bus)) {
    timeout_.setSingleShot(true);
    timeout_.setInterval(timeoutMs);
    connect(&timeout_, &QTimer::timeout, this, [this] {
        // Withdraw the request, so that no picture is written after all.
        if (!requestPath_.isEmpty()) {
            Bus().call(QDBusMessage::createMethodCall(kService, requestPath_, kRequest,
                                                      QStringLiteral("Close")),
                       QDBus::NoBlock);
        }
        Finish(kNoAnswer, {});
    });
}

QDBusConnection& PortalGrab::Bus() {
    if (!bus_) {
        bus_ = QDBusConnection::sessionBus();
    }
    return *bus_;
}

PortalGrab::~PortalGrab() {
    Unlisten();
}

void PortalGrab::GrabDesktop(StillDone done) {
    if (stillDone_ || colourDone_) {
        done({});
        return;
    }
    stillDone_ = std::move(done);
    Ask(Kind::Still, QStringLiteral("Screenshot"),
        {{QStringLiteral("interactive"), false}, {QStringLiteral("modal"), false}});
}

void PortalGrab::PickColour(ColourDone done) {
    if (stillDone_ || colourDone_) {
        done(std::nullopt);
        return;
    }
    colourDone_ = std::move(done);
    Ask(Kind::Colour, QStringLiteral("PickColor"), {});
}

void PortalGrab::Ask(Kind kind, const QString& method, const QVariantMap& given) {
    kind_ = kind;
    if (!Bus().isConnected()) {
        Finish(kNoAnswer, {});
        return;
    }
    // The answer comes as a signal on a path made of this connection's name
    // and the token: listen there before asking, or a quick answer is lost.
    const QString token =
        QStringLiteral("tintra%1_%2").arg(++serial_).arg(QRandomGenerator::global()->generate());
    const QString sender = Bus().baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    Listen(kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token);
    QVariantMap options = given;
    options.insert(QStringLiteral("handle_token"), token);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kScreenshot, method);
    call << QString() << options;
    timeout_.start();
    auto* watcher = new QDBusPendingCallWatcher(Bus().asyncCall(call, timeout_.interval()), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, serial = serial_](QDBusPendingCallWatcher*) {
                watcher->deleteLater();
                if (serial != serial_ || !timeout_.isActive()) {
                    return; // a request that has ended already
                }
                const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
                if (reply.isError()) {
                    // No portal, or none with this interface.
                    Finish(kNoAnswer, {});
                } else if (const QString path = reply.value().path(); path != requestPath_) {
                    // An older portal makes up its own request path.
                    Listen(path);
                }
            });
}

void PortalGrab::Listen(const QString& path) {
    Unlisten();
    requestPath_ = path;
    Bus().connect(QString(), requestPath_, kRequest, QStringLiteral("Response"), this,
                  SLOT(Response(uint, QVariantMap)));
}

void PortalGrab::Unlisten() {
    if (!requestPath_.isEmpty()) {
        Bus().disconnect(QString(), requestPath_, kRequest, QStringLiteral("Response"), this,
                         SLOT(Response(uint, QVariantMap)));
        requestPath_.clear();
    }
}

void PortalGrab::Response(uint response, const QVariantMap& results) {
    if (!timeout_.isActive()) {
        return;
    }
    Finish(response, results);
}

void PortalGrab::Finish(uint response, const QVariantMap& results) {
    timeout_.stop();
    Unlisten();
    ++serial_;
    if (kind_ == Kind::Colour) {
        if (ColourDone done = std::exchange(colourDone_, nullptr)) {
            done(response == 0 ? PortalColour(results.value(QStringLiteral("color")))
                               : std::nullopt);
        }
        return;
    }
    FinishStill(response, results);
}

void PortalGrab::FinishStill(uint response, const QVariantMap& results) {
    StillDone done = std::exchange(stillDone_, nullptr);
    if (!done) {
        return;
    }
    // The file this request wrote goes, whatever it holds.
    const QString file = LocalFile(results);
    if (response == 0 && !file.isEmpty()) {
        std::vector<ScreenArea> screens = ScaledScreenAreas(StillScale());
        const QImage image = ReadPicture(file, Covered(screens).boundingRect().size());
        QFile::remove(file);
        if (!image.isNull()) {
            auto still = std::make_unique<ScreenStill>(image);
            still->SetScreens(std::move(screens));
            done({std::move(still), false});
            return;
        }
    }
    if (!file.isEmpty()) {
        QFile::remove(file);
    }
    if (response != 1 && response != 2) {
        done({});
        return;
    }
    // Refused: the desktop may still pick a colour itself, from version 2
    // of the interface on.
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kScreenshot << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(Bus().asyncCall(get, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [watcher, done = std::move(done)](QDBusPendingCallWatcher*) {
                watcher->deleteLater();
                const QDBusPendingReply<QDBusVariant> version = *watcher;
                done({nullptr, !version.isError() && version.value().variant().toUInt() >= 2});
            });
}

} // namespace platform
