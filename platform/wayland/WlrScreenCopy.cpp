#include "platform/wayland/WlrScreenCopy.h"

#include "platform/ScreenStill.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <dlfcn.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

namespace {

// The Wayland client library's stable ABI, as far as it is used here.
struct wl_proxy;
struct wl_display;
struct wl_interface;
struct wl_message {
    const char* name;
    const char* signature;
    const wl_interface** types;
};
struct wl_interface {
    const char* name;
    int version;
    int method_count;
    const wl_message* methods;
    int event_count;
    const wl_message* events;
};
using Listener = void (**)(void);
constexpr uint32_t kMarshalDestroy = 1;

// A listener struct as the library takes it: an array of handlers.
template <typename T> Listener AsListener(const T& handlers) {
    return reinterpret_cast<Listener>(const_cast<T*>(&handlers));
}

// The library, opened once; null where it or a part of it is missing.
struct Client {
    wl_display* (*connect)(const char*) = nullptr;
    void (*disconnect)(wl_display*) = nullptr;
    int (*roundtrip)(wl_display*) = nullptr;
    int (*dispatch)(wl_display*) = nullptr;
    int (*flush)(wl_display*) = nullptr;
    int (*fd)(wl_display*) = nullptr;
    wl_proxy* (*marshal)(wl_proxy*, uint32_t, const wl_interface*, uint32_t, uint32_t,
                         ...) = nullptr;
    int (*addListener)(wl_proxy*, Listener, void*) = nullptr;
    void (*destroy)(wl_proxy*) = nullptr;
    uint32_t (*version)(wl_proxy*) = nullptr;
    const wl_interface* registry = nullptr;
    const wl_interface* output = nullptr;
    const wl_interface* shm = nullptr;
    const wl_interface* shmPool = nullptr;
    const wl_interface* buffer = nullptr;

    static const Client* Get() {
        static const Client client = Load();
        return client.buffer ? &client : nullptr;
    }

private:
    static Client Load() {
        Client c;
        // Kept open: Qt's Wayland platform holds it anyway.
        void* lib = ::dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!lib) {
            return c;
        }
        bool all = true;
        const auto get = [&](auto& to, const char* name) {
            void* symbol = ::dlsym(lib, name);
            all = all && symbol;
            to = reinterpret_cast<std::remove_reference_t<decltype(to)>>(symbol);
        };
        get(c.connect, "wl_display_connect");
        get(c.disconnect, "wl_display_disconnect");
        get(c.roundtrip, "wl_display_roundtrip");
        get(c.dispatch, "wl_display_dispatch");
        get(c.flush, "wl_display_flush");
        get(c.fd, "wl_display_get_fd");
        get(c.marshal, "wl_proxy_marshal_flags");
        get(c.addListener, "wl_proxy_add_listener");
        get(c.destroy, "wl_proxy_destroy");
        get(c.version, "wl_proxy_get_version");
        get(c.registry, "wl_registry_interface");
        get(c.output, "wl_output_interface");
        get(c.shm, "wl_shm_interface");
        get(c.shmPool, "wl_shm_pool_interface");
        get(c.buffer, "wl_buffer_interface");
        return all ? c : Client{};
    }
};

// wlroots' screen copy (version 3), its client side written out here.
extern const wl_interface kFrame;
const wl_interface* kNoTypes[7] = {};
const wl_interface* kCaptureTypes[7] = {&kFrame};
const wl_message kFrameRequests[] = {
    {"copy", "o", kNoTypes}, {"destroy", "", kNoTypes}, {"copy_with_damage", "2o", kNoTypes}};
const wl_message kFrameEvents[] = {
    {"buffer", "uuuu", kNoTypes},  {"flags", "u", kNoTypes},
    {"ready", "uuu", kNoTypes},    {"failed", "", kNoTypes},
    {"damage", "2uuuu", kNoTypes}, {"linux_dmabuf", "3uuu", kNoTypes},
    {"buffer_done", "3", kNoTypes}};
const wl_interface kFrame = {"zwlr_screencopy_frame_v1", 3, 3, kFrameRequests, 7, kFrameEvents};
const wl_message kManagerRequests[] = {{"capture_output", "nio", kCaptureTypes},
                                       {"capture_output_region", "nioiiii", kCaptureTypes},
                                       {"destroy", "", kNoTypes}};
const wl_interface kManager = {"zwlr_screencopy_manager_v1", 3, 3, kManagerRequests, 0, nullptr};

// wl_shm formats, in little-endian words.
constexpr uint32_t kArgb8888 = 0;
constexpr uint32_t kXrgb8888 = 1;
constexpr uint32_t kAbgr8888 = 0x34324241;
constexpr uint32_t kXbgr8888 = 0x34324258;

// The format the copy is read as: with an alpha, as converting it to RGB32
// makes every pixel opaque, and an X byte may hold anything.
QImage::Format ImageFormat(uint32_t format) {
    switch (format) {
    case kArgb8888:
    case kXrgb8888:
        return QImage::Format_ARGB32;
    case kAbgr8888:
    case kXbgr8888:
        return QImage::Format_RGBA8888;
    default:
        return QImage::Format_Invalid;
    }
}

struct Output {
    wl_proxy* proxy = nullptr;
    uint32_t version = 0;
    QString name;
    QPoint position;
    bool placed = false;
};

struct Frame {
    enum class State { Waiting, Copying, Ready, Failed };
    const Client* c = nullptr;
    wl_proxy* proxy = nullptr;
    uint32_t version = 0;
    wl_proxy* shm = nullptr;
    wl_proxy* buffer = nullptr;
    State state = State::Waiting;
    uint32_t shmFormat = 0;
    QImage::Format format = QImage::Format_Invalid;
    int width = 0;
    int height = 0;
    int stride = 0;
    bool inverted = false;
    void* pixels = MAP_FAILED;
    std::size_t bytes = 0;

    Frame() = default;
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    ~Frame() {
        if (buffer) {
            c->marshal(buffer, 0, nullptr, c->version(buffer), kMarshalDestroy);
        }
        if (proxy) {
            c->marshal(proxy, 1, nullptr, c->version(proxy), kMarshalDestroy);
        }
        if (pixels != MAP_FAILED) {
            ::munmap(pixels, bytes);
        }
    }

    // The buffer offered is known: copy into one of shared memory.
    void Copy() {
        const qint64 size = qint64(stride) * height;
        if (format == QImage::Format_Invalid || width <= 0 || height <= 0 || stride < width * 4 ||
            size > (qint64(1) << 30)) {
            state = State::Failed;
            return;
        }
        const int fd = ::memfd_create("tintra-still", MFD_CLOEXEC);
        if (fd < 0) {
            state = State::Failed;
            return;
        }
        bytes = static_cast<std::size_t>(size);
        if (::ftruncate(fd, static_cast<off_t>(bytes)) == 0) {
            pixels = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        }
        if (pixels == MAP_FAILED) {
            ::close(fd);
            state = State::Failed;
            return;
        }
        wl_proxy* pool = c->marshal(shm, 0, c->shmPool, c->version(shm), 0, nullptr, fd,
                                    static_cast<int32_t>(bytes));
        ::close(fd);
        buffer = pool ? c->marshal(pool, 0, c->buffer, c->version(pool), 0, nullptr, 0, width,
                                   height, stride, shmFormat)
                      : nullptr;
        if (pool) {
            c->marshal(pool, 1, nullptr, c->version(pool), kMarshalDestroy);
        }
        if (!buffer) {
            state = State::Failed;
            return;
        }
        c->marshal(proxy, 0, nullptr, version, 0, buffer);
        state = State::Copying;
    }

    // The copy, RGB32 and upright, in memory of its own: the screen's
    // colours, whatever alpha the copy holds.
    QImage Image() const {
        const QImage raw(static_cast<const uchar*>(pixels), width, height, stride, format);
        QImage image = raw.convertToFormat(QImage::Format_RGB32);
        return inverted ? std::move(image).mirrored(false, true) : image;
    }
};

// One connection to the compositor, with the globals the copy needs.
class Session {
public:
    explicit Session(const Client& c) : c_(c) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() {
        frames_.clear();
        for (const auto& o : outputs_) {
            if (o->version >= 3) {
                c_.marshal(o->proxy, 0, nullptr, o->version, kMarshalDestroy);
            } else {
                c_.destroy(o->proxy);
            }
        }
        if (manager_) {
            c_.marshal(manager_, 2, nullptr, c_.version(manager_), kMarshalDestroy);
        }
        for (wl_proxy* p : {shm_, registry_}) {
            if (p) {
                c_.destroy(p);
            }
        }
        if (display_) {
            c_.disconnect(display_);
        }
    }

    // Connects, and learns the globals and the outputs' names and places.
    bool Open() {
        display_ = c_.connect(nullptr);
        if (!display_) {
            return false;
        }
        auto* display = reinterpret_cast<wl_proxy*>(display_);
        registry_ = c_.marshal(display, 1, c_.registry, c_.version(display), 0, nullptr);
        static const struct {
            void (*global)(void*, wl_proxy*, uint32_t, const char*, uint32_t);
            void (*remove)(void*, wl_proxy*, uint32_t);
        } listener = {[](void* data, wl_proxy*, uint32_t name, const char* iface, uint32_t v) {
                          static_cast<Session*>(data)->Global(name, iface, v);
                      },
                      [](void*, wl_proxy*, uint32_t) {}};
        if (!registry_ || c_.addListener(registry_, AsListener(listener), this) != 0) {
            return false;
        }
        // The globals; then the outputs' own events.
        return c_.roundtrip(display_) >= 0 && manager_ && shm_ && c_.roundtrip(display_) >= 0;
    }

    // Each screen's copy, in the order of `screens`; false where one fails.
    bool Capture(const QList<QScreen*>& screens, int timeoutMs, std::vector<QImage>& images) {
        const std::vector<Output*> outputs = Match(screens);
        if (outputs.empty()) {
            return false;
        }
        static const struct {
            void (*buffer)(void*, wl_proxy*, uint32_t, uint32_t, uint32_t, uint32_t);
            void (*flags)(void*, wl_proxy*, uint32_t);
            void (*ready)(void*, wl_proxy*, uint32_t, uint32_t, uint32_t);
            void (*failed)(void*, wl_proxy*);
            void (*damage)(void*, wl_proxy*, uint32_t, uint32_t, uint32_t, uint32_t);
            void (*dmabuf)(void*, wl_proxy*, uint32_t, uint32_t, uint32_t);
            void (*bufferDone)(void*, wl_proxy*);
        } listener = {
            [](void* data, wl_proxy*, uint32_t format, uint32_t w, uint32_t h, uint32_t stride) {
                auto* f = static_cast<Frame*>(data);
                f->shmFormat = format;
                f->format = ImageFormat(format);
                f->width = static_cast<int>(std::min<uint32_t>(w, 1 << 16));
                f->height = static_cast<int>(std::min<uint32_t>(h, 1 << 16));
                f->stride = static_cast<int>(std::min<uint32_t>(stride, 1 << 20));
                if (f->version < 3 && f->state == Frame::State::Waiting) {
                    f->Copy();
                }
            },
            [](void* data, wl_proxy*, uint32_t flags) {
                static_cast<Frame*>(data)->inverted = (flags & 1) != 0;
            },
            [](void* data, wl_proxy*, uint32_t, uint32_t, uint32_t) {
                auto* f = static_cast<Frame*>(data);
                f->state =
                    f->state == Frame::State::Copying ? Frame::State::Ready : Frame::State::Failed;
            },
            [](void* data, wl_proxy*) { static_cast<Frame*>(data)->state = Frame::State::Failed; },
            [](void*, wl_proxy*, uint32_t, uint32_t, uint32_t, uint32_t) {},
            [](void*, wl_proxy*, uint32_t, uint32_t, uint32_t) {},
            [](void* data, wl_proxy*) {
                auto* f = static_cast<Frame*>(data);
                if (f->state == Frame::State::Waiting) {
                    f->Copy();
                }
            }};
        for (Output* o : outputs) {
            auto& frame = *frames_.emplace_back(std::make_unique<Frame>());
            frame.c = &c_;
            frame.shm = shm_;
            frame.version = c_.version(manager_);
            // Without the pointer: 0 for overlay_cursor.
            frame.proxy = c_.marshal(manager_, 0, &kFrame, frame.version, 0, nullptr, 0, o->proxy);
            if (!frame.proxy || c_.addListener(frame.proxy, AsListener(listener), &frame) != 0) {
                return false;
            }
        }
        if (!Wait(timeoutMs)) {
            return false;
        }
        for (const auto& frame : frames_) {
            images.push_back(frame->Image());
        }
        return true;
    }

private:
    void Global(uint32_t name, const char* iface, uint32_t version) {
        const auto bind = [&](const wl_interface* i, uint32_t most) {
            const uint32_t v = std::min(version, most);
            return c_.marshal(registry_, 0, i, v, 0, name, i->name, v, nullptr);
        };
        if (std::strcmp(iface, kManager.name) == 0 && !manager_) {
            manager_ = bind(&kManager, 3);
        } else if (std::strcmp(iface, c_.shm->name) == 0 && !shm_) {
            shm_ = bind(c_.shm, 1);
        } else if (std::strcmp(iface, c_.output->name) == 0) {
            auto o = std::make_unique<Output>();
            o->version = std::min(version, 4u);
            o->proxy = bind(c_.output, 4);
            if (o->proxy) {
                ListenTo(*o);
                outputs_.push_back(std::move(o));
            }
        }
    }

    // The outputs of `screens`, in their order: by name, else (where names
    // are missing) in the order of their places; none where they cannot be
    // told apart.
    std::vector<Output*> Match(const QList<QScreen*>& screens) {
        if (screens.isEmpty()) {
            return {};
        }
        std::vector<Output*> found;
        for (QScreen* s : screens) {
            const auto it = std::find_if(outputs_.begin(), outputs_.end(), [&](const auto& o) {
                return !o->name.isEmpty() && o->name == s->name();
            });
            if (it == outputs_.end() ||
                std::find(found.begin(), found.end(), it->get()) != found.end()) {
                found.clear();
                break;
            }
            found.push_back(it->get());
        }
        const bool named = std::all_of(outputs_.begin(), outputs_.end(),
                                       [](const auto& o) { return !o->name.isEmpty(); }) &&
                           std::all_of(screens.begin(), screens.end(),
                                       [](const QScreen* s) { return !s->name().isEmpty(); });
        if (!found.empty() || named) {
            return found;
        }
        if (static_cast<qsizetype>(outputs_.size()) != screens.size() ||
            !std::all_of(outputs_.begin(), outputs_.end(),
                         [](const auto& o) { return o->placed; })) {
            return {};
        }
        const auto before = [](const QPoint& a, const QPoint& b) {
            return std::pair(a.x(), a.y()) < std::pair(b.x(), b.y());
        };
        std::vector<std::size_t> byPlace(outputs_.size());
        std::vector<std::size_t> screensByPlace(outputs_.size());
        for (std::size_t i = 0; i < byPlace.size(); ++i) {
            byPlace[i] = screensByPlace[i] = i;
        }
        std::sort(byPlace.begin(), byPlace.end(), [&](std::size_t a, std::size_t b) {
            return before(outputs_[a]->position, outputs_[b]->position);
        });
        std::sort(screensByPlace.begin(), screensByPlace.end(), [&](std::size_t a, std::size_t b) {
            return before(screens[qsizetype(a)]->geometry().topLeft(),
                          screens[qsizetype(b)]->geometry().topLeft());
        });
        found.resize(outputs_.size());
        for (std::size_t i = 0; i < byPlace.size(); ++i) {
            found[screensByPlace[i]] = outputs_[byPlace[i]].get();
        }
        return found;
    }

    void ListenTo(Output& output) {
        static const struct {
            void (*geometry)(void*, wl_proxy*, int32_t, int32_t, int32_t, int32_t, int32_t,
                             const char*, const char*, int32_t);
            void (*mode)(void*, wl_proxy*, uint32_t, int32_t, int32_t, int32_t);
            void (*done)(void*, wl_proxy*);
            void (*scale)(void*, wl_proxy*, int32_t);
            void (*name)(void*, wl_proxy*, const char*);
            void (*description)(void*, wl_proxy*, const char*);
        } listener = {[](void* data, wl_proxy*, int32_t x, int32_t y, int32_t, int32_t, int32_t,
                         const char*, const char*, int32_t) {
                          auto* o = static_cast<Output*>(data);
                          o->position = QPoint(x, y);
                          o->placed = true;
                      },
                      [](void*, wl_proxy*, uint32_t, int32_t, int32_t, int32_t) {},
                      [](void*, wl_proxy*) {},
                      [](void*, wl_proxy*, int32_t) {},
                      [](void* data, wl_proxy*, const char* name) {
                          static_cast<Output*>(data)->name = QString::fromUtf8(name);
                      },
                      [](void*, wl_proxy*, const char*) {}};
        c_.addListener(output.proxy, AsListener(listener), &output);
    }

    // Dispatches until every frame is in, one has failed, or time is up.
    bool Wait(int timeoutMs) {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            bool all = true;
            for (const auto& frame : frames_) {
                if (frame->state == Frame::State::Failed) {
                    return false;
                }
                all = all && frame->state == Frame::State::Ready;
            }
            if (all) {
                return true;
            }
            if (c_.flush(display_) < 0 && errno != EAGAIN) {
                return false;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            pollfd p{c_.fd(display_), POLLIN, 0};
            const int n = left > 0 ? ::poll(&p, 1, static_cast<int>(left)) : 0;
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0 || c_.dispatch(display_) < 0) {
                return false;
            }
        }
    }

    const Client& c_;
    wl_display* display_ = nullptr;
    wl_proxy* registry_ = nullptr;
    wl_proxy* manager_ = nullptr;
    wl_proxy* shm_ = nullptr;
    std::vector<std::unique_ptr<Output>> outputs_;
    std::vector<std::unique_ptr<Frame>> frames_;
};

} // namespace

WlrScreenCopy::WlrScreenCopy(std::unique_ptr<IScreenGrab> fallback, Options options)
    : fallback_(std::move(fallback)), options_(options) {}

void WlrScreenCopy::GrabDesktop(StillDone done) {
    // The shared-memory formats are little-endian words.
    if constexpr (std::endian::native == std::endian::little) {
        const QList<QScreen*> screens = QGuiApplication::screens();
        std::vector<QImage> images;
        std::vector<ScreenArea> areas;
        QImage still;
        bool copied = false;
        if (const Client* c = unoffered_ ? nullptr : Client::Get()) {
            Session session(*c);
            unoffered_ = !session.Open();
            copied = !unoffered_ && session.Capture(screens, options_.timeoutMs, images);
        } else {
            unoffered_ = true;
        }
        if (copied && ComposeScreens(screens, images, areas, still)) {
            Result result;
            result.still = std::make_unique<ScreenStill>(std::move(still));
            result.still->SetScreens(std::move(areas));
            done(std::move(result));
            return;
        }
    }
    fallback_->GrabDesktop(std::move(done));
}

} // namespace platform
