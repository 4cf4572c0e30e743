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
#include <memory>
#include <thread>
#include <utility>

namespace platform {

namespace {
const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

// Responses: 0 success, 1 cancelled by the user, 2 ended otherwise; and
// the program's own for no answer at all, and for "Avbryt" in the note.
constexpr uint kNoAnswer = 3;
constexpr uint kAvbryt = 4;

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

// The whole screen as it is, no choice offered to the user.
QVariantMap StillOptions() {
    return {{QStringLiteral("interactive"), false}, {QStringLiteral("modal"), false}};
}

// The local file a portal's "uri" result names, or nothing.
QString LocalFile(const QVariantMap& results) {
    const QUrl url(results.value(QStringLiteral("uri")).toString());
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

// A still decoded on a thread of its own from the picture the portal wrote,
// while the windows that show it are made: its size is in the file's
// header, its pixels are waited for by the first paint that needs them.
class DecodingStill : public ScreenStill {
public:
    // The picture at `path`, opened and its header read; nothing for
    // anything that is not a readable picture of the expected size.
    static std::unique_ptr<ScreenStill> Open(const QString& path, const QSize& expected) {
        auto source = std::make_unique<Source>(path);
        const QSize size = source->file.isOpen() ? source->reader.size() : QSize();
        // A compositor may round a screen's scaled edge either way.
        const QSize off = size - expected;
        if (!size.isValid() || std::abs(off.width()) > 1 || std::abs(off.height()) > 1) {
            return nullptr;
        }
        // Decoded into a picture of the format the reader makes, so that
        // it need not copy it once more.
        const QImage::Format format = source->reader.imageFormat();
        QImage image(size, format == QImage::Format_Invalid ? QImage::Format_RGB32 : format);
        if (image.isNull()) {
            return nullptr;
        }
        return std::unique_ptr<ScreenStill>(new DecodingStill(std::move(image), std::move(source)));
    }
    ~DecodingStill() override { Image(); }
    const QImage& Image() const override {
        if (decoder_.joinable()) {
            decoder_.join();
        }
        return image_;
    }

private:
    struct Source {
        explicit Source(const QString& path) : file(path), reader(&file) {
            file.open(QIODevice::ReadOnly);
        }
        QFile file;
        QImageReader reader;
    };

    DecodingStill(QImage image, std::unique_ptr<Source> source)
        : ScreenStill(std::move(image), Rgb32()) {
        decoder_ = std::thread([this, source = std::move(source)] {
            const QSize size = Size();
            if (source->reader.read(&image_) && image_.size() == size) {
                // RGB32 in place: the same pixels with their alpha ignored.
                image_ = std::move(image_).convertToFormat(QImage::Format_RGB32);
            } else {
                // Broken past its header: no pixels, which the measurement
                // takes as a copy that failed.
                image_ = QImage();
            }
        });
    }

    mutable std::thread decoder_;
};

} // namespace

PortalGrab::PortalGrab(std::optional<QDBusConnection> bus, Options options)
    : bus_(std::move(bus)), options_(options) {
    timeout_.setSingleShot(true);
    timeout_.setInterval(options_.timeoutMs);
    connect(&timeout_, &QTimer::timeout, this, [this] { GiveUp(kNoAnswer); });
    noteDelay_.setSingleShot(true);
    noteDelay_.setInterval(options_.noteDelayMs);
    connect(&noteDelay_, &QTimer::timeout, this, &PortalGrab::ShowNote);
    redraw_.setSingleShot(true);
    redraw_.setInterval(options_.redrawMs);
    connect(&redraw_, &QTimer::timeout, this,
            [this] { Ask(Kind::Still, QStringLiteral("Screenshot"), StillOptions()); });
}

QDBusConnection& PortalGrab::Bus() {
    if (!bus_) {
        bus_ = QDBusConnection::sessionBus();
    }
    return *bus_;
}

PortalGrab::~PortalGrab() {
    if ((stillDone_ || colourDone_) && !requestPath_.isEmpty()) {
        Close(requestPath_);
    }
    Unlisten();
    for (const QString& path : std::as_const(abandoned_)) {
        Bus().disconnect(QString(), path, kRequest, QStringLiteral("Response"), this,
                         SLOT(Response(uint, QVariantMap)));
    }
    delete note_.data();
}

void PortalGrab::GrabDesktop(StillDone done) {
    if (stillDone_ || colourDone_) {
        done({});
        return;
    }
    stillDone_ = std::move(done);
    askedAgain_ = false;
    Ask(Kind::Still, QStringLiteral("Screenshot"), StillOptions());
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
    late_ = false;
    if (!Bus().isConnected()) {
        Finish(kNoAnswer, {});
        return;
    }
    // The answer comes as a signal on a path made of this connection's name
    // and the token: listen there before asking, or a quick answer is lost.
    const QString token =
        QStringLiteral("tintra%1_%2").arg(++serial_).arg(QRandomGenerator::global()->generate());
    const QString sender = Bus().baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString expected =
        kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    Listen(expected);
    QVariantMap options = given;
    options.insert(QStringLiteral("handle_token"), token);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kScreenshot, method);
    call << QString() << options;
    timeout_.start();
    // The program's own limit decides; the bus's is only a backstop.
    auto* watcher =
        new QDBusPendingCallWatcher(Bus().asyncCall(call, options_.timeoutMs + 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, expected, serial = serial_](QDBusPendingCallWatcher*) {
                watcher->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
                const QString path = reply.isError() ? QString() : reply.value().path();
                if (serial != serial_) {
                    // Taken after it was given up on: withdraw it again, now that
                    // it exists.
                    if (abandoned_.contains(expected) && !path.isEmpty()) {
                        Close(path);
                    }
                    return;
                }
                if (path.isEmpty()) {
                    // No portal, or none with this interface.
                    Finish(kNoAnswer, {});
                } else {
                    Taken(path);
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

void PortalGrab::Taken(const QString& path) {
    timeout_.stop();
    if (path != requestPath_) {
        // An older portal makes up its own request path.
        Listen(path);
    }
    noteDelay_.start();
}

void PortalGrab::ShowNote() {
    late_ = true;
    if (!note_) {
        note_ = new WaitNote([this] { GiveUp(kAvbryt); });
    }
    note_->show();
}

void PortalGrab::HideNote() {
    noteDelay_.stop();
    if (note_) {
        // Not at once: this may run from the note's own button.
        note_->hide();
        note_->deleteLater();
        note_ = nullptr;
    }
}

void PortalGrab::AskAgain(const QVariantMap& results) {
    if (const QString file = LocalFile(results); !file.isEmpty()) {
        QFile::remove(file);
    }
    HideNote();
    Unlisten();
    ++serial_;
    askedAgain_ = true;
    // The desktop does not ask again: the answer is stored.
    redraw_.start();
}

void PortalGrab::Close(const QString& path) {
    Bus().send(QDBusMessage::createMethodCall(kService, path, kRequest, QStringLiteral("Close")));
    if (abandoned_.contains(path)) {
        return;
    }
    // Its answer may come all the same, with a file that must not stay.
    abandoned_.insert(path);
    if (path != requestPath_) {
        Bus().connect(QString(), path, kRequest, QStringLiteral("Response"), this,
                      SLOT(Response(uint, QVariantMap)));
    }
}

void PortalGrab::GiveUp(uint response) {
    if (!requestPath_.isEmpty()) {
        Close(requestPath_);
        // Still listened to, now for a file to remove.
        requestPath_.clear();
    }
    Finish(response, {});
}

void PortalGrab::Response(uint response, const QVariantMap& results) {
    const QString path = message().path();
    if (abandoned_.remove(path)) {
        if (const QString file = LocalFile(results); !file.isEmpty()) {
            QFile::remove(file);
        }
        Bus().disconnect(QString(), path, kRequest, QStringLiteral("Response"), this,
                         SLOT(Response(uint, QVariantMap)));
        return;
    }
    if (path != requestPath_ || (!stillDone_ && !colourDone_)) {
        return;
    }
    if (kind_ == Kind::Still && response == 0 && late_ && !askedAgain_) {
        AskAgain(results);
        return;
    }
    Finish(response, results);
}

void PortalGrab::Finish(uint response, const QVariantMap& results) {
    timeout_.stop();
    redraw_.stop();
    HideNote();
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
        std::vector<ScreenArea> screens = ScaledScreenAreas(LargestScale());
        std::unique_ptr<ScreenStill> still =
            DecodingStill::Open(file, Covered(screens).boundingRect().size());
        if (still) {
            Result result;
            result.still = std::move(still);
            result.still->SetScreens(std::move(screens));
            result.pointerInStill = options_.pointerInStill;
            done(std::move(result));
            // The decoder holds the file open: it goes while the windows
            // come up.
            QFile::remove(file);
            return;
        }
    }
    if (!file.isEmpty()) {
        QFile::remove(file);
    }
    if (response == kAvbryt) {
        Result result;
        result.cancelled = true;
        done(std::move(result));
        return;
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
