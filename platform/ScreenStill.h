#pragma once
// A still copy of the whole desktop in device pixels. The window system may
// hold a copy of its own that a window can show at once, while the program's
// own copy of the pixels is still on its way.
#include <QImage>
#include <QSize>

#include <cstdint>
#include <utility>

namespace platform {

class ScreenStill {
public:
    // A copy the program already holds.
    explicit ScreenStill(const QImage& image)
        : image_(image.convertToFormat(QImage::Format_RGB32)), size_(image_.size()) {}
    virtual ~ScreenStill() = default;
    ScreenStill(const ScreenStill&) = delete;
    ScreenStill& operator=(const ScreenStill&) = delete;

    QSize Size() const { return size_; }
    // The program's copy, RGB32; waits for it while it is on its way.
    virtual const QImage& Image() const { return image_; }
    // The window system's own copy (an X11 pixmap of the root's depth), or 0.
    virtual uint32_t ServerCopy() const { return 0; }

protected:
    struct Rgb32 {};
    // Takes `image`, RGB32 already, as it is.
    ScreenStill(QImage image, Rgb32) : image_(std::move(image)), size_(image_.size()) {}
    QImage image_;

private:
    QSize size_;
};

} // namespace platform
