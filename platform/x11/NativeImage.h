#pragma once
// Large pictures to and from X11 without a detour: a picture is put straight
// onto a window's own surface, bypassing the window's backing store, and the
// screen is read straight into the picture that keeps it. Both go in
// requests small enough that each side takes them into memory it already has;
// one request of many megabytes makes the receiver map and fault in fresh
// memory every time. Elsewhere (no X11 connection, an unusual visual) widgets
// paint as usual through QPainter and the screen is read through Qt.
#include "platform/Overlay.h"
#include "platform/ScreenStill.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

// An RGB32 picture; a large one in memory that comes in huge pages where the
// system has them.
QImage LargeImage(const QSize& size);

// The device pixels that a logical rectangle of a window at pixel ratio `dpr`
// touches.
QRect DeviceArea(const QRect& logical, double dpr);
// The logical pixels that hold a rectangle of device pixels.
QRect LogicalArea(const QRect& device, double dpr);

// A copy of the X11 root over `screens` (device pixels; their bounding
// rectangle, with what lies between them black), read in replies small
// enough to land in memory the program already has. Null without an X11
// connection or when the server's pixels are not laid out as RGB32.
QImage GrabRootArea(const QRegion& screens);

// Stills of the X11 root that the server keeps and a NativeImage shows at
// once, while the program's copy follows.
class RootStills {
public:
    RootStills() = default;
    ~RootStills();
    RootStills(const RootStills&) = delete;
    RootStills& operator=(const RootStills&) = delete;

    // Readies the server's memory for the next still of `screens`.
    void Reserve(const QRegion& screens);
    // A still of the root over `screens` (device pixels; their bounding
    // rectangle, with what lies between them black). Null without an X11
    // connection or when the server has no room for it.
    std::unique_ptr<ScreenStill> Grab(const QRegion& screens);

private:
    uint32_t reserved_ = 0;
    QSize reservedSize_;
};

class NativeImage {
public:
    // Sets `widget` up to be painted natively when the display allows it.
    explicit NativeImage(QWidget* widget);
    ~NativeImage();
    NativeImage(const NativeImage&) = delete;
    NativeImage& operator=(const NativeImage&) = delete;

    // Paints the logical `region` of the widget from `image`, one image
    // pixel on each device pixel from the widget's top-left corner, fills
    // what the image does not cover with `fill`, and draws `overlays` over
    // it, as far as they lie in the region. Returns false when the widget is
    // to paint through QPainter instead.
    bool Paint(const QImage& image, const QRegion& region, QRgb fill,
               const std::vector<Overlay>& overlays = {});
    // The same from a still, straight from the server's copy where it has one.
    bool Paint(const ScreenStill& still, const QRegion& region, QRgb fill,
               const std::vector<Overlay>& overlays = {});

private:
    class MapWatch;

    // Paints the parts of `region` inside a `picture`-sized area from its
    // top-left corner with `draw` (device pixels), fills the rest and draws
    // the overlays over both.
    bool PaintParts(const QSize& picture, const QRegion& region, QRgb fill,
                    const std::vector<Overlay>& overlays,
                    const std::function<void(const QRect& part)>& draw);

    QWidget* widget_;
    bool active_ = false;
    // The window has been mapped and the paint Qt makes up for the mapping
    // is still to come.
    bool mapPaintPending_ = false;
    std::unique_ptr<MapWatch> mapWatch_;
    uint32_t gc_ = 0;
    uint32_t window_ = 0;
};

} // namespace platform
