#include "colour/Module1.h"

#include <cmath>
#include <cstdio>

namespace Module1 {

int16_t Red = 0;
int16_t Green = 0;
int16_t Blue = 0;
HSLValue CurrentHSL{};

void ResetState() {
    Red = Green = Blue = 0;
    CurrentHSL = {};
}

namespace {

// Every quantity below is kept as a 32-bit float while each expression is
// evaluated in double: the explicit casts fix where the rounding happens, so
// the integers shown never depend on the compiler's choice of precision.
using f32 = float;

// Round half to even, independent of the current rounding mode.
double RoundHalfEven(double x) {
    double f = std::floor(x);
    double diff = x - f;
    if (diff > 0.5) {
        return f + 1.0;
    }
    if (diff < 0.5) {
        return f;
    }
    return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

// Converts a double to a 16-bit integer the way an assignment with rounding
// does; false when the value does not fit.
bool ToInt16(double x, int16_t& out) {
    double r = RoundHalfEven(x);
    if (!(r >= -32768.0 && r <= 32767.0)) {
        return false;
    }
    out = static_cast<int16_t>(r);
    return true;
}

f32 HuePoint(f32 t, f32 p, f32 q) {
    if (t < 0) {
        t = static_cast<f32>(static_cast<double>(t) + 1.0);
    }
    if (t > 1) {
        t = static_cast<f32>(static_cast<double>(t) - 1.0);
    }
    const double dt = t;
    const double dp = p;
    const double dq = q;
    if (static_cast<f32>(6.0 * dt) < 1) {
        return static_cast<f32>(dp + (dq - dp) * 6.0 * dt);
    }
    if (static_cast<f32>(2.0 * dt) < 1) {
        return q;
    }
    if (static_cast<f32>(3.0 * dt) < 2) {
        return static_cast<f32>(dp + (dq - dp) * (2.0 / 3.0 - dt) * 6.0);
    }
    return p;
}

int16_t FloorTimes(f32 v, double scale) {
    return static_cast<int16_t>(std::floor(static_cast<double>(v) * scale));
}

} // namespace

void LongToRGB(const int32_t& v) {
    // Remainder with the sign of v: always fits.
    Red = static_cast<int16_t>(v % 256);
    const auto masked = static_cast<int32_t>(static_cast<uint32_t>(v) & 0xFF00FF00u);
    int16_t g = 0;
    if (ToInt16(static_cast<double>(masked) / 256.0, g)) {
        Green = g;
    }
    int16_t b = 0;
    if (ToInt16(static_cast<double>(v & 0x00FF0000) / 65536.0, b)) {
        Blue = b;
    }
}

HSLValue RGBToHSL(int16_t R, int16_t G, int16_t B) {
    const f32 r = static_cast<f32>(R / 255.0);
    const f32 g = static_cast<f32>(G / 255.0);
    const f32 b = static_cast<f32>(B / 255.0);

    const f32 max = r > g ? (r > b ? r : b) : (g > b ? g : b);
    const f32 min = r < g ? (r < b ? r : b) : (g < b ? g : b);
    const f32 l = static_cast<f32>((static_cast<double>(max) + min) / 2.0);

    f32 s = 0;
    f32 h = 0;
    if (max != min) {
        const double span = static_cast<double>(max) - min;
        if (l < 0.5f) {
            s = static_cast<f32>(span / (static_cast<double>(max) + min));
        } else {
            s = static_cast<f32>(span / (2.0 - max - min));
        }
        const f32 e = static_cast<f32>(span);
        if (max == r) {
            h = static_cast<f32>((static_cast<double>(g) - b) / e);
        } else if (max == g) {
            h = static_cast<f32>(2.0 + (static_cast<double>(b) - r) / e);
        } else if (max == b) {
            h = static_cast<f32>(4.0 + (static_cast<double>(r) - g) / e);
        }
    }

    HSLValue out;
    const auto rounded = static_cast<int32_t>(RoundHalfEven(static_cast<double>(h) * 240.0));
    int32_t hue = rounded / 6; // whole-number division truncates toward zero
    if (hue < 0) {
        hue += 240;
    }
    out.H = static_cast<int16_t>(hue);
    out.S = FloorTimes(s, 240.0);
    out.L = FloorTimes(l, 240.0);
    return out;
}

HSLValue LongToHSL(const int32_t& v) {
    LongToRGB(v);
    return RGBToHSL(Red, Green, Blue);
}

RGBValue HSLToRGB(int16_t H, int16_t S, int16_t L) {
    // The hue divides by 239, not 240: the round trip is not exact by design.
    const f32 h = static_cast<f32>(H / 239.0);
    const f32 s = static_cast<f32>(S / 240.0);
    const f32 l = static_cast<f32>(L / 240.0);

    f32 r = l;
    f32 g = l;
    f32 b = l;
    if (s != 0) {
        const double dl = l;
        const double ds = s;
        const f32 q =
            l < 0.5f ? static_cast<f32>(dl * (1.0 + ds)) : static_cast<f32>(dl + ds - dl * ds);
        const f32 p = static_cast<f32>(2.0 * dl - q);
        const f32 points[3] = {
            static_cast<f32>(static_cast<double>(h) + 1.0 / 3.0),
            h,
            static_cast<f32>(static_cast<double>(h) - 1.0 / 3.0),
        };
        r = HuePoint(points[0], p, q);
        g = HuePoint(points[1], p, q);
        b = HuePoint(points[2], p, q);
    }
    return {FloorTimes(r, 255.0), FloorTimes(g, 255.0), FloorTimes(b, 255.0)};
}

namespace {
std::string TwoDigits(int16_t c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(c) & 0xFFFFu);
    return buf;
}
} // namespace

std::string HexHTML(const int16_t& r, const int16_t& g, const int16_t& b) {
    return "\"#" + TwoDigits(r) + TwoDigits(g) + TwoDigits(b) + "\"";
}

std::string HexJava(const int16_t& r, const int16_t& g, const int16_t& b) {
    return "0x" + TwoDigits(r) + TwoDigits(g) + TwoDigits(b);
}

std::string HexBGR(const int16_t& r, const int16_t& g, const int16_t& b) {
    return TwoDigits(b) + TwoDigits(g) + TwoDigits(r);
}

} // namespace Module1
