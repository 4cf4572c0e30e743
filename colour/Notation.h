#pragma once
// The texts the colour editor shows, in the notations the user picks so the
// text pastes straight into source code.
#include "colour/Module1.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Notation {

// Entries of the RGB notation list, by index. Stored settings keep an index,
// so new entries only ever go at the end.
inline constexpr std::array<std::string_view, 7> RgbFormats = {
    "-- Ingen --", "VB 6", "VB.NET", "CSS", "Flyttall", "CSS HSL", "OKLCH"};
// Entries of the hex notation list, by index.
inline constexpr std::array<std::string_view, 7> HexFormats = {
    "-- Ingen --", "VB 6", "C++", "Delphi", "Java", "HTML", "CSS"};

// Hex text in notation `index`. Entries 0 and 1 are built from the packed
// value `packed`, the others from r, g, b. No text for an index outside the
// list (nothing selected).
std::optional<std::string> HexText(int index, int32_t packed, int16_t r, int16_t g, int16_t b);

// RGB text in notation `index`; no text for an index outside the list.
std::optional<std::string> RgbText(int index, int16_t r, int16_t g, int16_t b);

// The order a notation writes the colour's bytes in: red first, or blue
// first as in a Windows COLORREF (the packed value).
enum class ByteOrder { Rgb, Bgr };
ByteOrder RgbByteOrder(int index);
ByteOrder HexByteOrder(int index);
// "RGB-rekkefølge" or "BGR-rekkefølge (Windows COLORREF)".
std::string_view ByteOrderText(ByteOrder order);

std::string LongText(int32_t packed);
std::string HSLText(const Module1::HSLValue& hsl);
std::string HSLText(int h, int s, int l);

} // namespace Notation
