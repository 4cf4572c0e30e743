#pragma once
// A still copy of the whole desktop in device pixels. The window system may
// hold a copy of its own that a window can show at once, while the program's
// own copy of the pixels is still on its way.
#include <QImage>
#include <QList>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <cstdint>
#include <utility>
#include <vector>

class QScreen;

namespace platform {

// Where a screen's device pixels lie in a still.
struct ScreenArea {
    QScreen* screen = nullptr;
    QRect area;
};

// A screen's device pixels on the X11 root: its top-left corner stays at
// its native position and only its size is scaled.
QRect NativeScreenRect(const QScreen* screen);
// The screens as X11 lays them out: each keeps its top-left corner at its
// native position and only its size is scaled; so the areas are device pixels
// of the root window.
std::vector<ScreenArea> NativeScreenAreas();
// The screens as a compositor lays them out when it copies the whole desktop
// at one scale: their logical layout from its top-left corner, times `scale`.
std::vector<ScreenArea> ScaledScreenAreas(double scale);
// The largest of the screens' scales, at least 1: the scale a compositor
// copies the whole desktop at.
double LargestScale();
// The region the areas cover.
QRegion Covered(const std::vector<ScreenArea>& areas);
// Sizes alike but for a pixel each way: a compositor may round a screen's
// scaled edge either way.
bool NearSize(const QSize& a, const QSize& b);
// The screens' own copies (`images[i]` of `screens[i]`, each in its own device
// pixels) side by side in one still, laid out as the desktop lays them out at
// the largest scale, so that none overlaps another; false where a copy is not
// of its screen's size.
bool ComposeScreens(const QList<QScreen*>& screens, const std::vector<QImage>& images,
                    std::vector<ScreenArea>& areas, QImage& still);

class ScreenStill {
public:
    // A copy the program already holds.
    explicit ScreenStill(const QImage& image)
        : image_(image.convertToFormat(QImage::Format_RGB32)), size_(image_.size()) {}
    // The same, converted in place where it can be: a decoded screenshot
    // needs no second copy of its pixels.
    explicit ScreenStill(QImage&& image)
        : image_(std::move(image).convertToFormat(QImage::Format_RGB32)), size_(image_.size()) {}
    virtual ~ScreenStill() = default;
    ScreenStill(const ScreenStill&) = delete;
    ScreenStill& operator=(const ScreenStill&) = delete;

    QSize Size() const { return size_; }
    // The program's copy, RGB32; waits for it while it is on its way.
    virtual const QImage& Image() const { return image_; }
    // The window system's own copy (an X11 pixmap of the root's depth), or 0.
    virtual uint32_t ServerCopy() const { return 0; }

    // Where each screen lies in the still. Without areas of its own, a still
    // is the primary screen's from its top-left corner.
    const std::vector<ScreenArea>& Screens() const { return screens_; }
    void SetScreens(std::vector<ScreenArea> screens) { screens_ = std::move(screens); }

protected:
    struct Rgb32 {};
    // Takes `image`, RGB32 already, as it is.
    ScreenStill(QImage image, Rgb32) : image_(std::move(image)), size_(image_.size()) {}
    QImage image_;

private:
    QSize size_;
    std::vector<ScreenArea> screens_;
};

} // namespace platform
