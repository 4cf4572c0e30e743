#pragma once
// Large pictures to and from X11 without a detour: a picture is put straight
// onto a window's own surface, bypassing the window's backing store, and the
// screen is read straight into the picture that keeps it. Both go in
// requests small enough that each side takes them into memory it already has;
// one request of many megabytes makes the receiver map and fault in fresh
// memory every time. Elsewhere (no X11 connection, an unusual visual) widgets
// paint as usual through QPainter and the screen is read through Qt.
#include <QImage>
#include <QRegion>
#include <QWidget>

#include <cstdint>

namespace platform {

// An RGB32 picture; a large one in memory that comes in huge pages where the
// system has them.
QImage LargeImage(const QSize& size);

// A copy of `area` (device pixels of the X11 root window), read in replies
// small enough to land in memory the program already has. Null without an
// X11 connection or when the server's pixels are not laid out as RGB32.
QImage GrabRootArea(QRect area);

class NativeImage {
public:
    // Sets `widget` up to be painted natively when the display allows it.
    explicit NativeImage(QWidget* widget);
    ~NativeImage();
    NativeImage(const NativeImage&) = delete;
    NativeImage& operator=(const NativeImage&) = delete;

    // Paints the logical `region` of the widget from `image`, one image
    // pixel on each device pixel from the widget's top-left corner, and
    // fills what the image does not cover with `fill`. Returns false when
    // the widget is to paint through QPainter instead.
    bool Paint(const QImage& image, const QRegion& region, QRgb fill);

private:
    QWidget* widget_;
    bool active_ = false;
    uint32_t gc_ = 0;
    uint32_t window_ = 0;
};

} // namespace platform
