#pragma once
// Screen point measurement: the pieces that need no window. The still copy of
// the desktop and every block taken from it are in device pixels, one still
// pixel per screen pixel.
#include "platform/x11/NativeImage.h"
#include "platform/x11/NativePointer.h"

#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace measure {

// Half the side of the block taken around the pointer with "Uten zoom"; every
// smaller value measures through the zoom window.
constexpr int32_t kNoZoomHalf = 96;
// Side of the zoom window's drawing area, in logical pixels.
constexpr int kZoomView = 190;
constexpr int kTwipsPerPixel = 15;
constexpr int kEscape = 27;
// Device pixels the keyboard cursor moves per arrow key, with Shift and with
// Ctrl.
constexpr int kCursorStep = 1;
constexpr int kCursorLeap = 10;
constexpr int kCursorJump = 100;
// The step of an arrow key with shift state `shift` (1 Shift, 2 Ctrl).
int CursorStride(int shift);
// Length of each arm of the keyboard cursor's cross-hair, in device pixels.
constexpr int kCrossArm = 16;

// The colour a pick takes: that of the one pixel chosen (the default), or the
// mean of the 3 x 3 or 5 x 5 device pixels around it. The keys 1, 3 and 5
// choose the side while measuring; SampleSideForKey gives it for a key code,
// or 0 for any other key. A stored side other than these reads as 1.
constexpr int kSampleSides[] = {1, 3, 5};
int SampleSideForKey(int keyCode);
int StoredSampleSide(const QString& text);
// Mean colour, as PointOf gives one, of the `side` x `side` block centred on
// pixel `at` of `image`, over the part of the block inside `within` (the
// screen that holds `at`): at a screen's edge only the pixels on the screen
// count. Each channel is rounded half up in integer arithmetic, so the same
// pixels give the same colour on every build. -1 where `at` lies outside
// `image` or `within`.
int32_t MeanOf(const QImage& image, const QPoint& at, int side, const QRect& within);
// Distance of the live label from the point it describes, across and down,
// in logical pixels: clear of the pointer, which reaches up and right.
constexpr int kLiveGap = 20;

// How far a pointer that the desktop draws into a still may reach from its
// hot spot, each way, in device pixels: a large pointer at scale 2.
constexpr int kPointerReach = 96;

// Whether still pixel `at` may lie under a pointer drawn at `pointer`.
bool NearPointer(const QPoint& at, const QPoint& pointer);
// A pixel of `area` clear of a pointer drawn at `pointer`: left of it, or
// else above, right of or below it; `pointer` itself where none is clear.
QPoint AwayFromPointer(const QPoint& pointer, const QRect& area);

// Distance of the magnifier drawn inside the capture window from the point
// it enlarges, across and down, in logical pixels: clear of the cross-hair's
// arms, its own outline and the pointer.
constexpr int kMagnifierGap = 24;

// Where a magnifier of `size` goes beside `point` inside `screen`:
// kMagnifierGap right of and below it, flipped to its left or above it where
// it would leave the screen (where neither side has room, the side with the
// more). It never covers `point` nor the cross-hair's arms beside it.
QRect MagnifierPlace(const QPoint& point, const QSize& size, const QRect& screen);

// The zoom choices: "Uten zoom", "Zoom x2", x4, x8 and x16.
constexpr int kZoomChoices = 5;

// lZoomHalf for a zoom choice ("Uten zoom", "Zoom x2", x4, x8, x16); any other
// index keeps `current`.
int32_t ZoomHalfFor(int listIndex, int32_t current);

// The one mapping of an enlargement: view pixel `v` of a `view`-sized area
// shows source pixel block.topLeft() + v * block.size() / view (integer).
QPoint BlockSource(const QPoint& v, const QRect& block, const QSize& view);

// Draws `block` of `src` over the top-left `view` pixels of `dst` with
// BlockSource, repeating pixels and never blending them. Pixels whose source
// lies outside `src`, or that fall outside `dst`, are left as they are. Both
// images must be 32-bit (RGB32 or ARGB32).
void StretchBlock(const QImage& src, const QRect& block, QImage& dst, const QSize& view);

// `still` with every screen's area at that screen's own device pixels. A
// still copied at a larger scale than a screen's (the desktop portal copies
// every screen at the largest screen's) has that screen's area shrunk where
// it lies, from its top-left corner: each device pixel takes the still pixel
// at its centre, the one the copy drew from that pixel. Unchanged where each
// area holds its screen's device pixels already.
std::unique_ptr<platform::ScreenStill> AtDevicePixels(std::unique_ptr<platform::ScreenStill> still);

// Colour of pixel (x, y) of `image` (fractions dropped) as
// red + 256 * green + 65536 * blue, or -1 outside the image.
int32_t PointOf(const QImage& image, double x, double y);

using platform::DevicePixel;

// The keyboard cursor's cross-hair over still pixel `at`: four arms of
// kCrossArm pixels in dashes of two, black and white, that leave uncovered
// between them the `side` x `side` block centred on `at` (`at` itself for a
// side of 1) and nothing else.
std::vector<platform::Overlay> CrossHair(const QPoint& at, int side = 1);

// The pointer of both measurement windows.
QCursor MeasureCursor();

// The live label's text for colour `c` at screen pixel `at`.
QString LiveText(int32_t c, const QPoint& at);
// Where a label of `size` goes beside `point`: kLiveGap right of and below
// it, or left of or above it where it would leave `screen`.
QPoint LivePlace(const QPoint& point, const QSize& size, const QRect& screen);

} // namespace measure
