#include "platform/NativeImage.h"
#include "platform/Xcb.h"

#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <deque>
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

#ifdef TINTRA_HAVE_XCB
namespace {

// Bytes of pixel data in one request: well below the size from which the
// server's allocator maps fresh memory for each request.
constexpr int kRequestBytes = 16 * 1024 - 64;

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

} // namespace
#endif

QImage GrabRootArea(QRect area) {
#ifdef TINTRA_HAVE_XCB
    xcb_connection_t* c = XcbConnection();
    if (!c || !ServerTakesRgb32(c)) {
        return {};
    }
    const auto roots = xcb_setup_roots_iterator(xcb_get_setup(c));
    if (!roots.rem || roots.data->root_depth != 24 || !IsRgb(c, roots.data->root_visual)) {
        return {};
    }
    // A screen's size in device pixels may be rounded up past the root's edge.
    const QRect rootRect(0, 0, roots.data->width_in_pixels, roots.data->height_in_pixels);
    area &= rootRect;
    if (area.isEmpty()) {
        return {};
    }
    QImage image = LargeImage(area.size());
    if (image.isNull()) {
        return {};
    }
    const int rowBytes = area.width() * 4;
    const int perRequest = std::max(1, kRequestBytes / rowBytes);
    // A few requests stay in flight: enough to keep the server busy, few
    // enough that the replies waiting to be read reuse the same memory.
    constexpr size_t kInFlight = 8;
    std::deque<xcb_get_image_cookie_t> cookies;
    int asked = 0;
    auto ask = [&] {
        const int h = std::min(perRequest, area.height() - asked);
        cookies.push_back(
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, roots.data->root,
                          static_cast<int16_t>(area.x()), static_cast<int16_t>(area.y() + asked),
                          static_cast<uint16_t>(area.width()), static_cast<uint16_t>(h), ~0u));
        asked += h;
    };
    bool whole = true;
    for (int y = 0; y < area.height();) {
        while (cookies.size() < kInFlight && asked < area.height()) {
            ask();
        }
        xcb_get_image_reply_t* reply = xcb_get_image_reply(c, cookies.front(), nullptr);
        cookies.pop_front();
        const int h = std::min(perRequest, area.height() - y);
        if (reply && reply->depth == 24 && xcb_get_image_data_length(reply) >= rowBytes * h) {
            const uint8_t* data = xcb_get_image_data(reply);
            for (int k = 0; k < h; ++k) {
                std::copy_n(data + static_cast<size_t>(rowBytes) * k, rowBytes,
                            image.scanLine(y + k));
            }
        } else {
            whole = false;
        }
        free(reply);
        y += h;
    }
    return whole ? image : QImage();
#else
    (void)area;
    return {};
#endif
}

NativeImage::NativeImage(QWidget* widget) : widget_(widget) {
#ifdef TINTRA_HAVE_XCB
    if (xcb_connection_t* c = XcbConnection(); c && ServerTakesRgb32(c)) {
        active_ = true;
        widget_->setAttribute(Qt::WA_PaintOnScreen);
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

bool NativeImage::Paint(const QImage& source, const QRegion& region, QRgb fill) {
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
        xcb_create_gc(c, gc_, window, 0, nullptr);
        window_ = window;
    }
    const QImage image = source.format() == QImage::Format_RGB32
                             ? source
                             : source.convertToFormat(QImage::Format_RGB32);
    const double dpr = widget_->devicePixelRatioF();
    const QRect picture = image.rect();
    std::vector<uchar> rows;
    std::vector<xcb_rectangle_t> uncovered;
    for (const QRect& r : region) {
        // The device pixels the logical rectangle touches.
        const QRect area(QPoint(static_cast<int>(std::floor(r.left() * dpr)),
                                static_cast<int>(std::floor(r.top() * dpr))),
                         QPoint(static_cast<int>(std::ceil((r.right() + 1) * dpr)) - 1,
                                static_cast<int>(std::ceil((r.bottom() + 1) * dpr)) - 1));
        const QRect part = area & picture;
        for (const QRect& u : QRegion(area).subtracted(part)) {
            uncovered.push_back({static_cast<int16_t>(u.x()), static_cast<int16_t>(u.y()),
                                 static_cast<uint16_t>(u.width()),
                                 static_cast<uint16_t>(u.height())});
        }
        if (part.isEmpty()) {
            continue;
        }
        const int rowBytes = part.width() * 4;
        const bool whole = part.width() == image.width();
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
            xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc_,
                          static_cast<uint16_t>(part.width()), static_cast<uint16_t>(h),
                          static_cast<int16_t>(part.x()), static_cast<int16_t>(y), 0, 24,
                          static_cast<uint32_t>(rowBytes) * h, data);
        }
    }
    if (!uncovered.empty()) {
        const uint32_t colour = fill & 0xFFFFFF;
        xcb_change_gc(c, gc_, XCB_GC_FOREGROUND, &colour);
        xcb_poly_fill_rectangle(c, window, gc_, static_cast<uint32_t>(uncovered.size()),
                                uncovered.data());
    }
    xcb_flush(c);
    return true;
#else
    (void)source;
    (void)region;
    (void)fill;
    return false;
#endif
}

} // namespace platform
