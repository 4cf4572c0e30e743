#pragma once
// Reading a colour back from text: every notation the displays write, and the
// common web forms (#rgb, #rrggbb, rgb(), rgba(), hsl(), hsla()). Each reader
// takes the whole text (surrounding blanks and line ends aside) and gives the
// packed colour (red + 256 * green + 65536 * blue), or nothing.
#include <cstdint>
#include <optional>
#include <string_view>

namespace ColourText {

// In RGB notation `index` (Notation::RgbFormats).
std::optional<int32_t> ReadRgb(int index, std::string_view text);
// In hex notation `index` (Notation::HexFormats).
std::optional<int32_t> ReadHex(int index, std::string_view text);
// The packed value in decimal.
std::optional<int32_t> ReadLong(std::string_view text);
// The HSL display's "h,s,l" on the 240 scale (hue 0..239, the others 0..240).
std::optional<int32_t> ReadHSL(std::string_view text);
// #rgb, #rgba, #rrggbb, #rrggbbaa, rgb()/rgba(), hsl()/hsla(), hwb(), lab(),
// lch(), oklab(), oklch(), color(srgb …), color(srgb-linear …) and the colour
// names (alpha ignored; see CssColour::Read, which also tells of clipping).
std::optional<int32_t> ReadWeb(std::string_view text);

// The display a text was pasted on.
enum class Display { None, Rgb, Hex, Long, HSL };

// A pasted text: first in the notation of the display it was pasted on (the
// RGB and hex displays' current notations are rgbIndex and hexIndex), then
// as the Long value, every RGB notation, every hex notation and the web
// forms, in that order; the first that reads it wins. The HSL text is read
// only on the HSL display, where it would otherwise pass for RGB.
std::optional<int32_t> ReadPasted(std::string_view text, Display on, int rgbIndex, int hexIndex);

// True for the web's keywords that stand where a colour may, yet name none
// of their own: none, transparent and currentcolor, in any case.
bool NamesNoColour(std::string_view text);

} // namespace ColourText
