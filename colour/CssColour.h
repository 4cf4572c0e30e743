#pragma once
// The colour forms of today's style sheets: reading hsl(), hwb(), lab(),
// lch(), oklab(), oklch(), color(srgb …), color(srgb-linear …), #rgba,
// #rrggbbaa and the colour names, and writing "CSS HSL" and "OKLCH" texts
// that read back as the very same colour.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace CssColour {

struct Reading {
    int32_t colour = 0;   // red + 256 * green + 65536 * blue
    bool clipped = false; // the text named a colour outside sRGB
};

// A whole text (blanks around it aside) in any of the forms above, or
// rgb()/rgba(). Alpha is read and ignored; `none` stands for zero; hues take
// deg, rad, grad or turn. A colour outside sRGB is clipped to it, and the
// reading says so. With `only` ("hsl", "oklch") just that function is read.
std::optional<Reading> Read(std::string_view text, std::string_view only = {});

// The same, before rounding: red, green and blue on 0..1 with the sRGB
// transfer applied, unclipped.
std::optional<std::array<double, 3>> ReadUnrounded(std::string_view text,
                                                   std::string_view only = {});

// Decimals written for each of the three values of a text.
struct Decimals {
    int first, second, third;
};
// The fewest with which every colour reads back as itself.
inline constexpr Decimals kHslDecimals{1, 1, 1};
inline constexpr Decimals kOklchDecimals{2, 5, 2};

// "hsl(210 64% 53%)": hue in degrees, saturation and lightness in percent,
// trailing zeros of the decimals left out.
std::string HslText(int r, int g, int b, Decimals d = kHslDecimals);
// "oklch(62.4% 0.139 255.3)": lightness in percent, chroma, hue in degrees.
std::string OklchText(int r, int g, int b, Decimals d = kOklchDecimals);

struct OkLab {
    double L, a, b;
};
OkLab ToOkLab(int r, int g, int b);

} // namespace CssColour
