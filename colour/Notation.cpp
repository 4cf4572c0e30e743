#include "colour/Notation.h"

#include "colour/CssColour.h"

#include <cstdio>

namespace Notation {

namespace {
std::string HexOfPacked(int32_t packed) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", static_cast<uint32_t>(packed));
    return buf;
}

std::string Join3(int a, int b, int c, const char* separator = ",") {
    return std::to_string(a) + separator + std::to_string(b) + separator + std::to_string(c);
}

// A component as a fraction of 255 with three decimals ("0.200"), rounded
// half up in integers: the same text under any locale and any flags.
std::string Fraction(int c) {
    const int thousandths = (c * 2000 + 255) / 510;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d.%03d", thousandths / 1000, thousandths % 1000);
    return buf;
}
} // namespace

std::optional<std::string> HexText(int index, int32_t packed, int16_t r, int16_t g, int16_t b) {
    switch (index) {
    case 0:
        return HexOfPacked(packed);
    case 1:
        return "&H" + HexOfPacked(packed);
    case 2:
        return "0x00" + Module1::HexBGR(r, g, b);
    case 3:
        return "$00" + Module1::HexBGR(r, g, b);
    case 4:
        return Module1::HexJava(r, g, b);
    case 5:
        return Module1::HexHTML(r, g, b);
    case 6: {
        // The Java text without its "0x". Appended rather than joined with
        // "+": GCC 12 at -O3 takes the join for an overlapping copy.
        std::string css = "#";
        css.append(Module1::HexJava(r, g, b), 2);
        return css;
    }
    default:
        return std::nullopt;
    }
}

std::optional<std::string> RgbText(int index, int16_t r, int16_t g, int16_t b) {
    switch (index) {
    case 0:
        return Join3(r, g, b);
    case 1:
        return "RGB(" + Join3(r, g, b) + ")";
    case 2:
        return "Argb(255," + Join3(r, g, b) + ")";
    case 3:
        return "rgb(" + Join3(r, g, b, ", ") + ")";
    case 4:
        return Fraction(r) + ", " + Fraction(g) + ", " + Fraction(b);
    case 5:
        return CssColour::HslText(r, g, b);
    case 6:
        return CssColour::OklchText(r, g, b);
    default:
        return std::nullopt;
    }
}

ByteOrder RgbByteOrder(int) {
    return ByteOrder::Rgb;
}

ByteOrder HexByteOrder(int index) {
    return index >= 0 && index <= 3 ? ByteOrder::Bgr : ByteOrder::Rgb;
}

std::string_view ByteOrderText(ByteOrder order) {
    return order == ByteOrder::Rgb ? "RGB-rekkefølge" : "BGR-rekkefølge (Windows COLORREF)";
}

std::string LongText(int32_t packed) {
    return std::to_string(packed);
}

std::string HSLText(const Module1::HSLValue& hsl) {
    return Join3(hsl.H, hsl.S, hsl.L);
}

std::string HSLText(int h, int s, int l) {
    return Join3(h, s, l);
}

} // namespace Notation
