#include "measure/Measure.h"

#include "resources/Resources.h"

#include "platform/widgets/PictureBox.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <vector>

namespace measure {

int32_t ZoomHalfFor(int listIndex, int32_t current) {
    static constexpr std::array<int32_t, kZoomChoices> halves{kNoZoomHalf, 48, 24, 12, 8};
    if (listIndex < 0 || listIndex >= static_cast<int>(halves.size())) {
        return current;
    }
    return halves[static_cast<size_t>(listIndex)];
}

int CursorStride(int shift) {
    return (shift & 2) ? kCursorJump : (shift & 1) ? kCursorLeap : kCursorStep;
}

QPoint BlockSource(const QPoint& v, const QRect& block, const QSize& view) {
    return {block.x() + v.x() * block.width() / view.width(),
            block.y() + v.y() * block.height() / view.height()};
}

void StretchBlock(const QImage& src, const QRect& block, QImage& dst, const QSize& view) {
    Q_ASSERT(src.depth() == 32 && dst.depth() == 32);
    const int w = std::min(view.width(), dst.width());
    const int h = std::min(view.height(), dst.height());
    const int srcW = src.width();
    const int srcH = src.height();
    // The source column of each view column, worked out once per copy.
    std::vector<int> columns(static_cast<size_t>(std::max(w, 0)));
    for (int x = 0; x < w; ++x) {
        columns[static_cast<size_t>(x)] = BlockSource({x, 0}, block, view).x();
    }
    for (int y = 0; y < h; ++y) {
        const int sy = BlockSource({0, y}, block, view).y();
        if (sy < 0 || sy >= srcH) {
            continue;
        }
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
        auto* out = reinterpret_cast<QRgb*>(dst.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int sx = columns[static_cast<size_t>(x)];
            if (sx >= 0 && sx < srcW) {
                out[x] = in[sx];
            }
        }
    }
}

std::unique_ptr<platform::ScreenStill>
AtDevicePixels(std::unique_ptr<platform::ScreenStill> still) {
    std::vector<platform::ScreenArea> areas = still->Screens();
    // The device pixels of each area; a pixel more in the area may come from
    // rounding the screen's size.
    std::vector<QSize> devices;
    bool shrink = false;
    for (const platform::ScreenArea& a : areas) {
        QSize d = a.area.size();
        if (a.screen) {
            const QSize native = platform::NativeScreenRect(a.screen).size();
            if (d.width() > native.width() + 1 || d.height() > native.height() + 1) {
                d = native.boundedTo(d);
                shrink = true;
            }
        }
        devices.push_back(d);
    }
    if (!shrink) {
        return still;
    }
    const QImage& in = still->Image();
    QImage out(in.size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    for (size_t i = 0; i < areas.size(); ++i) {
        const QRect a = areas[i].area;
        const QSize d = devices[i];
        // Device pixel x covers still pixels from x * a / d on; its centre
        // lies in the one at (2x + 1) * a / (2d).
        const auto centre = [](int x, int from, int length, int device) {
            return from + static_cast<int>((2 * qint64(x) + 1) * length / (2 * qint64(device)));
        };
        for (int y = 0; y < d.height(); ++y) {
            const int sy = centre(y, a.y(), a.height(), d.height());
            const int ty = a.y() + y;
            if (sy < 0 || sy >= in.height() || ty < 0 || ty >= out.height()) {
                continue;
            }
            const auto* from = reinterpret_cast<const QRgb*>(in.constScanLine(sy));
            auto* to = reinterpret_cast<QRgb*>(out.scanLine(ty));
            for (int x = 0; x < d.width(); ++x) {
                const int sx = centre(x, a.x(), a.width(), d.width());
                const int tx = a.x() + x;
                if (sx >= 0 && sx < in.width() && tx >= 0 && tx < out.width()) {
                    to[tx] = from[sx];
                }
            }
        }
        areas[i].area.setSize(d);
    }
    auto shrunk = std::make_unique<platform::ScreenStill>(out);
    shrunk->SetScreens(std::move(areas));
    return shrunk;
}

int32_t PointOf(const QImage& image, double x, double y) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    if (!(fx >= 0 && fy >= 0 && fx < image.width() && fy < image.height())) {
        return -1;
    }
    return platform::ToPacked(image.pixel(static_cast<int>(fx), static_cast<int>(fy)));
}

std::vector<platform::Overlay> CrossHair(const QPoint& at, int side) {
    std::vector<platform::Overlay> arms;
    constexpr int dash = 2;
    // Each arm starts just outside the block.
    const int gap = side / 2;
    for (int from = 1; from <= kCrossArm; from += dash) {
        const int length = std::min(dash, kCrossArm + 1 - from);
        const QRgb colour = (from - 1) / dash % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        const int near = from + gap;
        arms.push_back({QRect(at.x() - near - length + 1, at.y(), length, 1), colour});
        arms.push_back({QRect(at.x() + near, at.y(), length, 1), colour});
        arms.push_back({QRect(at.x(), at.y() - near - length + 1, 1, length), colour});
        arms.push_back({QRect(at.x(), at.y() + near, 1, length), colour});
    }
    return arms;
}

int SampleSideForKey(int keyCode) {
    for (const int side : kSampleSides) {
        if (keyCode == Qt::Key_0 + side) {
            return side;
        }
    }
    return 0;
}

int StoredSampleSide(const QString& text) {
    const int side = text.trimmed().toInt();
    return std::find(std::begin(kSampleSides), std::end(kSampleSides), side) !=
                   std::end(kSampleSides)
               ? side
               : 1;
}

int32_t MeanOf(const QImage& image, const QPoint& at, int side, const QRect& within) {
    const QRect on = within & image.rect();
    if (!on.contains(at)) {
        return -1;
    }
    // A block that reaches past the screen's edge: the mean of its part on
    // the screen, which holds `at` at least.
    const int half = side / 2;
    const QRect block = QRect(at - QPoint(half, half), QSize(side, side)) & on;
    int64_t red = 0;
    int64_t green = 0;
    int64_t blue = 0;
    for (int y = block.top(); y <= block.bottom(); ++y) {
        for (int x = block.left(); x <= block.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            red += qRed(p);
            green += qGreen(p);
            blue += qBlue(p);
        }
    }
    // floor(sum / n + 1/2), all in integers: half up, the same on any build.
    const int64_t n = int64_t{block.width()} * block.height();
    const auto mean = [n](int64_t sum) { return static_cast<int32_t>((2 * sum + n) / (2 * n)); };
    return mean(red) + 256 * mean(green) + 65536 * mean(blue);
}

bool NearPointer(const QPoint& at, const QPoint& pointer) {
    return std::abs(at.x() - pointer.x()) <= kPointerReach &&
           std::abs(at.y() - pointer.y()) <= kPointerReach;
}

QPoint AwayFromPointer(const QPoint& pointer, const QRect& area) {
    constexpr int away = kPointerReach + 1;
    for (const QPoint& step :
         {QPoint(-away, 0), QPoint(0, -away), QPoint(away, 0), QPoint(0, away)}) {
        if (area.contains(pointer + step)) {
            return pointer + step;
        }
    }
    return pointer;
}

QString LiveText(int32_t c, const QPoint& at) {
    return QStringLiteral("RGB(%1,%2,%3)  x %4  y %5")
        .arg(c & 0xFF)
        .arg((c >> 8) & 0xFF)
        .arg((c >> 16) & 0xFF)
        .arg(at.x())
        .arg(at.y());
}

QPoint LivePlace(const QPoint& point, const QSize& size, const QRect& screen) {
    QPoint at = point + QPoint(kLiveGap, kLiveGap);
    if (at.x() + size.width() > screen.right() + 1) {
        at.setX(point.x() - kLiveGap - size.width());
    }
    if (at.y() + size.height() > screen.bottom() + 1) {
        at.setY(point.y() - kLiveGap - size.height());
    }
    return at;
}

QRect MagnifierPlace(const QPoint& point, const QSize& size, const QRect& screen) {
    int x = point.x() + kMagnifierGap;
    if (x + size.width() - 1 > screen.right()) {
        const int left = point.x() - kMagnifierGap - size.width();
        if (left >= screen.left() || point.x() - screen.left() > screen.right() - point.x()) {
            x = left;
        }
    }
    // Beside the point across, so free to stay on the screen up and down.
    int y = point.y() + kMagnifierGap;
    if (y + size.height() - 1 > screen.bottom()) {
        y = point.y() - kMagnifierGap - size.height();
        if (y < screen.top()) {
            y = std::max(screen.top(), screen.bottom() + 1 - size.height());
        }
    }
    return {QPoint(x, y), size};
}

// Switch to the eyedropper once the resources provide it.
QCursor MeasureCursor() {
    return resources::EyedropperCursor();
}

} // namespace measure
