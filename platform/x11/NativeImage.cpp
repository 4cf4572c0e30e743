#include "platform/x11/NativeImage.h"
#include "platform/x11/Xcb.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <thread>
#include <utility>
#include <vector>

#include <sys/mman.h>

namespace platform {

QImage LargeImage(const QSize& size) {
    const qsizetype bytes = qsizetype(size.width()) * size.height() * 4;
    constexpr qsizetype huge = qsizetype(2) << 20;
    if (size.isEmpty() || bytes < huge) {
        return QImage(size, QImage::Format_RGB32);
    }
    // Whole huge pages: the memory of a screen-sized picture arrives in a
    // few page faults instead of thousands.
    const qsizetype rounded = (bytes + huge - 1) / huge * huge;
    void* memory = std::aligned_alloc(huge, static_cast<size_t>(rounded));
    if (!memory) {
        return {};
    }
    madvise(memory, static_cast<size_t>(rounded), MADV_HUGEPAGE);
    return QImage(
        static_cast<uchar*>(memory), size.width(), size.height(), size.width() * 4,
        QImage::Format_RGB32, [](void* p) { std::free(p); }, memory);
}

QRect DeviceArea(const QRect& logical, double dpr) {
    return {QPoint(static_cast<int>(std::floor(logical.left() * dpr)),
                   static_cast<int>(std::floor(logical.top() * dpr))),
            QPoint(static_cast<int>(std::ceil((logical.right() + 1) * dpr)) - 1,
                   static_cast<int>(std::ceil((logical.bottom() + 1) * dpr)) - 1)};
}

QRect LogicalArea(const QRect& device, double dpr) {
    return {QPoint(static_cast<int>(std::floor(device.left() / dpr)),
                   static_cast<int>(std::floor(device.top() / dpr))),
            QPoint(static_cast<int>(std::ceil((device.right() + 1) / dpr)) - 1,
                   static_cast<int>(std::ceil((device.bottom() + 1) / dpr)) - 1)};
}

#ifdef TINTRA_HAVE_XCB
namespace {

// Bytes of pixel data in one request: well below the size from which the
// server's allocator maps fresh memory for each request.
constexpr int kRequestBytes = 16 * 1024 - 64;
// Bytes of pixel data in one reply: the most the server gathers at once, and
// below the size from which this program's allocator maps fresh memory for
// each reply.
constexpr int kReplyBytes = 64 * 1024 - 64;

// A QImage::Format_RGB32 row is the server's own pixel layout when a depth-24
// pixel takes 32 bits, least significant byte first.
bool ServerTakesRgb32(xcb_connection_t* c) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
        return false;
    }
    xcb_format_iterator_t f = xcb_setup_pixmap_formats_iterator(setup);
    for (; f.rem; xcb_format_next(&f)) {
        if (f.data->depth == 24) {
            return f.data->bits_per_pixel == 32;
        }
    }
    return false;
}

// A visual whose pixel is 0xRRGGBB.
bool IsRgb(xcb_connection_t* c, xcb_visualid_t id) {
    for (auto s = xcb_setup_roots_iterator(xcb_get_setup(c)); s.rem; xcb_screen_next(&s)) {
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d)) {
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
                if (v.data->visual_id == id) {
                    return v.data->red_mask == 0xFF0000 && v.data->green_mask == 0xFF00 &&
                           v.data->blue_mask == 0xFF;
                }
            }
        }
    }
    return false;
}

// The root screen when its pixels can be read and put as RGB32.
const xcb_screen_t* Rgb32Root(xcb_connection_t* c) {
    if (!c || !ServerTakesRgb32(c)) {
        return nullptr;
    }
    const auto roots = xcb_setup_roots_iterator(xcb_get_setup(c));
    if (!roots.rem || roots.data->root_depth != 24 || !IsRgb(c, roots.data->root_visual)) {
        return nullptr;
    }
    return roots.data;
}

// The part of the root that a still of `screens` covers: their bounding
// rectangle, as far as the root reaches (a screen's size in device pixels may
// be rounded up past its edge).
QRect StillArea(const xcb_screen_t* root, const QRegion& screens) {
    return screens.boundingRect() & QRect(0, 0, root->width_in_pixels, root->height_in_pixels);
}

// What lies between `screens` inside `area`, from the area's top-left corner:
// a still shows it black.
QRegion Gaps(const QRect& area, const QRegion& screens) {
    return QRegion(area).subtracted(screens).translated(-area.topLeft());
}

// Reads `area` of `drawable` into rows of `rowStride` bytes from `bits`, a
// few requests in flight: enough to keep the server busy, few enough that the
// replies waiting to be read reuse the same memory. Stops early when `stop`
// is set. Rows not read (a failed reply, a stop) are left as they are; false
// then.
bool ReadArea(xcb_connection_t* c, xcb_drawable_t drawable, const QRect& area, uchar* bits,
              qsizetype rowStride, const std::atomic<bool>* stop = nullptr) {
    const int rowBytes = area.width() * 4;
    const int perRequest = std::max(1, kReplyBytes / rowBytes);
    constexpr size_t kInFlight = 8;
    std::deque<xcb_get_image_cookie_t> cookies;
    int asked = 0;
    bool whole = true;
    for (int y = 0; y < area.height();) {
        while (cookies.size() < kInFlight && asked < area.height() &&
               !(stop && stop->load(std::memory_order_relaxed))) {
            const int h = std::min(perRequest, area.height() - asked);
            cookies.push_back(xcb_get_image(
                c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, static_cast<int16_t>(area.x()),
                static_cast<int16_t>(area.y() + asked), static_cast<uint16_t>(area.width()),
                static_cast<uint16_t>(h), ~0u));
            asked += h;
        }
        if (cookies.empty()) {
            return false;
        }
        xcb_get_image_reply_t* reply = xcb_get_image_reply(c, cookies.front(), nullptr);
        cookies.pop_front();
        const int h = std::min(perRequest, area.height() - y);
        if (reply && reply->depth == 24 && xcb_get_image_data_length(reply) >= rowBytes * h) {
            const uint8_t* data = xcb_get_image_data(reply);
            for (int k = 0; k < h; ++k) {
                std::copy_n(data + static_cast<size_t>(rowBytes) * k, rowBytes,
                            bits + rowStride * (y + k));
            }
        } else {
            whole = false;
        }
        free(reply);
        y += h;
    }
    return whole;
}

// A still whose first copy the X server keeps in a pixmap: a copy inside the
// server takes milliseconds and a window shows it at once, where sending the
// pixels to the program and back takes a hundred. The program's own copy is
// read from the pixmap on a thread of its own meanwhile.
class ServerStill : public ScreenStill {
public:
    ServerStill(xcb_connection_t* c, uint32_t pixmap, QImage image)
        : ScreenStill(std::move(image), Rgb32()), c_(c), pixmap_(pixmap) {
        uchar* bits = image_.bits();
        const qsizetype stride = image_.bytesPerLine();
        const QRect area = image_.rect();
        reader_ = std::thread([this, bits, stride, area] {
            if (!ReadArea(c_, pixmap_, area, bits, stride, &stop_) && !stop_) {
                // Only a broken connection loses replies: what did not arrive
                // shows black rather than whatever the memory held.
                std::fill_n(bits, stride * area.height(), uchar(0));
            }
        });
    }
    ~ServerStill() override {
        stop_ = true;
        Image();
        if (xcb_connection_t* c = XcbConnection()) {
            xcb_free_pixmap(c, pixmap_);
            xcb_flush(c);
        }
    }
    const QImage& Image() const override {
        if (reader_.joinable()) {
            reader_.join();
        }
        return image_;
    }
    uint32_t ServerCopy() const override { return pixmap_; }

private:
    xcb_connection_t* c_;
    uint32_t pixmap_;
    std::atomic<bool> stop_{false};
    mutable std::thread reader_;
};

} // namespace
#endif

QImage GrabRootArea(const QRegion& screens) {
#ifdef TINTRA_HAVE_XCB
    xcb_connection_t* c = XcbConnection();
    const xcb_screen_t* root = Rgb32Root(c);
    if (!root) {
        return {};
    }
    const QRect area = StillArea(root, screens);
    if (area.isEmpty()) {
        return {};
    }
    QImage image = LargeImage(area.size());
    if (image.isNull() || !ReadArea(c, root->root, area, image.bits(), image.bytesPerLine())) {
        return {};
    }
    for (const QRect& gap : Gaps(area, screens)) {
        for (int y = gap.top(); y <= gap.bottom(); ++y) {
            std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)) + gap.x(), gap.width(),
                        qRgb(0, 0, 0));
        }
    }
    return image;
#else
    (void)screens;
    return {};
#endif
}

#ifdef TINTRA_HAVE_XCB
namespace {

// A pixmap of the root's depth, or 0 when the server has no room for it.
uint32_t CreatePixmap(xcb_connection_t* c, const xcb_screen_t* root, QSize size) {
    const uint32_t pixmap = xcb_generate_id(c);
    xcb_generic_error_t* error = xcb_request_check(
        c, xcb_create_pixmap_checked(c, 24, pixmap, root->root, static_cast<uint16_t>(size.width()),
                                     static_cast<uint16_t>(size.height())));
    free(error);
    return error ? 0 : pixmap;
}

} // namespace
#endif

RootStills::~RootStills() {
#ifdef TINTRA_HAVE_XCB
    if (xcb_connection_t* c = XcbConnection(); c && reserved_) {
        xcb_free_pixmap(c, reserved_);
        xcb_flush(c);
    }
#endif
}

void RootStills::Reserve(const QRegion& screens) {
#ifdef TINTRA_HAVE_XCB
    xcb_connection_t* c = XcbConnection();
    const xcb_screen_t* root = Rgb32Root(c);
    if (!root || reserved_) {
        return;
    }
    const QRect area = StillArea(root, screens);
    if (area.isEmpty() || !(reserved_ = CreatePixmap(c, root, area.size()))) {
        return;
    }
    reservedSize_ = area.size();
    // Writing the pixmap once makes the server take its memory now, while
    // nothing waits, rather than inside the copy.
    const uint32_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, reserved_, 0, nullptr);
    const xcb_rectangle_t all{0, 0, static_cast<uint16_t>(area.width()),
                              static_cast<uint16_t>(area.height())};
    xcb_poly_fill_rectangle(c, reserved_, gc, 1, &all);
    xcb_free_gc(c, gc);
    xcb_flush(c);
#else
    (void)screens;
#endif
}

std::unique_ptr<ScreenStill> RootStills::Grab(const QRegion& screens) {
#ifdef TINTRA_HAVE_XCB
    xcb_connection_t* c = XcbConnection();
    const xcb_screen_t* root = Rgb32Root(c);
    if (!root) {
        return nullptr;
    }
    const QRect area = StillArea(root, screens);
    uint32_t pixmap = std::exchange(reserved_, 0);
    if (pixmap && reservedSize_ != area.size()) {
        xcb_free_pixmap(c, pixmap);
        pixmap = 0;
    }
    if (area.isEmpty() || (!pixmap && !(pixmap = CreatePixmap(c, root, area.size())))) {
        return nullptr;
    }
    QImage image = LargeImage(area.size());
    if (image.isNull()) {
        xcb_free_pixmap(c, pixmap);
        return nullptr;
    }
    // The root with every window on it, as the screen shows it.
    const uint32_t gc = xcb_generate_id(c);
    const uint32_t values[] = {0, XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS, 0};
    xcb_create_gc(c, gc, root->root,
                  XCB_GC_FOREGROUND | XCB_GC_SUBWINDOW_MODE | XCB_GC_GRAPHICS_EXPOSURES, values);
    xcb_copy_area(c, root->root, pixmap, gc, static_cast<int16_t>(area.x()),
                  static_cast<int16_t>(area.y()), 0, 0, static_cast<uint16_t>(area.width()),
                  static_cast<uint16_t>(area.height()));
    std::vector<xcb_rectangle_t> gaps;
    for (const QRect& g : Gaps(area, screens)) {
        gaps.push_back({static_cast<int16_t>(g.x()), static_cast<int16_t>(g.y()),
                        static_cast<uint16_t>(g.width()), static_cast<uint16_t>(g.height())});
    }
    if (!gaps.empty()) {
        xcb_poly_fill_rectangle(c, pixmap, gc, static_cast<uint32_t>(gaps.size()), gaps.data());
    }
    xcb_free_gc(c, gc);
    xcb_flush(c);
    return std::make_unique<ServerStill>(c, pixmap, std::move(image));
#else
    (void)screens;
    return nullptr;
#endif
}

// Qt answers a window's MapNotify with an expose of the whole window of its
// own, and the server's Expose for the same mapping follows it. Painted on
// screen, each is a full paint: a 4K picture would be put twice. The watch
// notes the mapping, so that the first of the two is let go; the server's
// Expose covers everything of the window that can be seen.
class NativeImage::MapWatch : public QAbstractNativeEventFilter {
public:
    explicit MapWatch(NativeImage& owner) : owner_(owner) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~MapWatch() override {
        if (QCoreApplication* app = QCoreApplication::instance()) {
            app->removeNativeEventFilter(this);
        }
    }
    MapWatch(const MapWatch&) = delete;
    MapWatch& operator=(const MapWatch&) = delete;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
#ifdef TINTRA_HAVE_XCB
        if (type != "xcb_generic_event_t") {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
            const auto* map = static_cast<const xcb_map_notify_event_t*>(message);
            const WId id = owner_.widget_->internalWinId();
            if (id && map->window == static_cast<xcb_window_t>(id)) {
                owner_.mapPaintPending_ = true;
            }
        }
#else
        (void)type;
        (void)message;
#endif
        return false;
    }

private:
    NativeImage& owner_;
};

NativeImage::NativeImage(QWidget* widget) : widget_(widget) {
#ifdef TINTRA_HAVE_XCB
    if (xcb_connection_t* c = XcbConnection(); c && ServerTakesRgb32(c)) {
        active_ = true;
        widget_->setAttribute(Qt::WA_PaintOnScreen);
        mapWatch_ = std::make_unique<MapWatch>(*this);
    }
#endif
}

NativeImage::~NativeImage() {
#ifdef TINTRA_HAVE_XCB
    if (gc_) {
        if (xcb_connection_t* c = XcbConnection()) {
            xcb_free_gc(c, gc_);
        }
    }
#endif
}

bool NativeImage::Paint(const QImage& source, const QRegion& region, QRgb fill,
                        const std::vector<Overlay>& overlays) {
#ifdef TINTRA_HAVE_XCB
    const QImage image = source.format() == QImage::Format_RGB32
                             ? source
                             : source.convertToFormat(QImage::Format_RGB32);
    std::vector<uchar> rows;
    return PaintParts(image.size(), region, fill, overlays, [&](const QRect& part) {
        const int rowBytes = part.width() * 4;
        // Rows sent as they lie only where they follow one another: not in a
        // part of a wider picture (a screen's share of the desktop's still).
        const bool whole = part.width() == image.width() && image.bytesPerLine() == rowBytes;
        const int perRequest = std::max(1, kRequestBytes / rowBytes);
        for (int y = part.top(); y <= part.bottom(); y += perRequest) {
            const int h = std::min(perRequest, part.bottom() + 1 - y);
            const uchar* data = image.constScanLine(y) + part.x() * 4;
            if (!whole) {
                rows.resize(static_cast<size_t>(rowBytes) * h);
                for (int k = 0; k < h; ++k) {
                    std::copy_n(image.constScanLine(y + k) + part.x() * 4, rowBytes,
                                rows.data() + static_cast<size_t>(rowBytes) * k);
                }
                data = rows.data();
            }
            xcb_put_image(XcbConnection(), XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_,
                          static_cast<uint16_t>(part.width()), static_cast<uint16_t>(h),
                          static_cast<int16_t>(part.x()), static_cast<int16_t>(y), 0, 24,
                          static_cast<uint32_t>(rowBytes) * h, data);
        }
    });
#else
    (void)source;
    (void)region;
    (void)fill;
    (void)overlays;
    return false;
#endif
}

bool NativeImage::Paint(const ScreenStill& still, const QRegion& region, QRgb fill,
                        const std::vector<Overlay>& overlays) {
#ifdef TINTRA_HAVE_XCB
    if (const uint32_t pixmap = still.ServerCopy()) {
        return PaintParts(still.Size(), region, fill, overlays, [&](const QRect& part) {
            xcb_copy_area(XcbConnection(), pixmap, window_, gc_, static_cast<int16_t>(part.x()),
                          static_cast<int16_t>(part.y()), static_cast<int16_t>(part.x()),
                          static_cast<int16_t>(part.y()), static_cast<uint16_t>(part.width()),
                          static_cast<uint16_t>(part.height()));
        });
    }
#endif
    return Paint(still.Image(), region, fill, overlays);
}

bool NativeImage::PaintParts(const QSize& size, const QRegion& region, QRgb fill,
                             const std::vector<Overlay>& overlays,
                             const std::function<void(const QRect& part)>& draw) {
#ifdef TINTRA_HAVE_XCB
    xcb_connection_t* c = active_ ? XcbConnection() : nullptr;
    if (!c) {
        return false;
    }
    const auto window = static_cast<xcb_window_t>(widget_->winId());
    if (window != window_) {
        // A window of another depth (a translucent one, say) does not take
        // these pixels: paint it the usual way from now on.
        const auto geometry = xcb_get_geometry(c, window);
        const auto attributes = xcb_get_window_attributes(c, window);
        xcb_get_geometry_reply_t* geo = xcb_get_geometry_reply(c, geometry, nullptr);
        xcb_get_window_attributes_reply_t* attr =
            xcb_get_window_attributes_reply(c, attributes, nullptr);
        const bool fits = geo && attr && geo->depth == 24 && IsRgb(c, attr->visual);
        free(geo);
        free(attr);
        if (!fits) {
            active_ = false;
            widget_->setAttribute(Qt::WA_PaintOnScreen, false);
            widget_->update();
            return true;
        }
        if (gc_) {
            xcb_free_gc(c, gc_);
        }
        gc_ = xcb_generate_id(c);
        const uint32_t noExposures = 0;
        xcb_create_gc(c, gc_, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
        window_ = window;
    }
    // Qt's expose for the mapping covers the whole window.
    if (std::exchange(mapPaintPending_, false) &&
        QRegion(widget_->rect()).subtracted(region).isEmpty()) {
        return true;
    }
    const double dpr = widget_->devicePixelRatioF();
    const QRect picture(QPoint(), size);
    std::vector<xcb_rectangle_t> uncovered;
    // The overlays' parts, by colour.
    std::vector<std::pair<QRgb, std::vector<xcb_rectangle_t>>> over;
    for (const QRect& r : region) {
        const QRect area = DeviceArea(r, dpr);
        for (const Overlay& o : overlays) {
            if (const QRect in = o.rect & area; !in.isEmpty()) {
                auto same = std::find_if(over.begin(), over.end(),
                                         [&](const auto& c) { return c.first == o.colour; });
                if (same == over.end()) {
                    same = over.insert(over.end(), {o.colour, {}});
                }
                same->second.push_back({static_cast<int16_t>(in.x()), static_cast<int16_t>(in.y()),
                                        static_cast<uint16_t>(in.width()),
                                        static_cast<uint16_t>(in.height())});
            }
        }
        const QRect part = area & picture;
        for (const QRect& u : QRegion(area).subtracted(part)) {
            uncovered.push_back({static_cast<int16_t>(u.x()), static_cast<int16_t>(u.y()),
                                 static_cast<uint16_t>(u.width()),
                                 static_cast<uint16_t>(u.height())});
        }
        if (!part.isEmpty()) {
            draw(part);
        }
    }
    if (!uncovered.empty()) {
        const uint32_t colour = fill & 0xFFFFFF;
        xcb_change_gc(c, gc_, XCB_GC_FOREGROUND, &colour);
        xcb_poly_fill_rectangle(c, window, gc_, static_cast<uint32_t>(uncovered.size()),
                                uncovered.data());
    }
    for (const auto& [colour, rects] : over) {
        const uint32_t pixel = colour & 0xFFFFFF;
        xcb_change_gc(c, gc_, XCB_GC_FOREGROUND, &pixel);
        xcb_poly_fill_rectangle(c, window, gc_, static_cast<uint32_t>(rects.size()), rects.data());
    }
    xcb_flush(c);
    return true;
#else
    (void)size;
    (void)region;
    (void)fill;
    (void)overlays;
    (void)draw;
    return false;
#endif
}

} // namespace platform
