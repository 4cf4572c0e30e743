#pragma once
// Colour values shared by every window: the packed colour ("Long"), its split
// into red, green and blue, and the 240-step hue/saturation/lightness scale.
#include <cstdint>
#include <string>

namespace Module1 {

struct HSLValue {
    int16_t H = 0; // 0..239
    int16_t S = 0; // 0..240
    int16_t L = 0; // 0..240
    friend bool operator==(const HSLValue&, const HSLValue&) = default;
};

struct RGBValue {
    int16_t R = 0;
    int16_t G = 0;
    int16_t B = 0;
    friend bool operator==(const RGBValue&, const RGBValue&) = default;
};

// Components split last by LongToRGB/LongToHSL; the pickers store into them too.
extern int16_t Red;
extern int16_t Green;
extern int16_t Blue;
// HSL of the colour made current last (ShowColour / PickColour).
extern HSLValue CurrentHSL;

// Back to the start-of-program state (all zero). Each main window calls it
// when it is created, so no state survives from an earlier window.
void ResetState();

// red + 256 * green + 65536 * blue
constexpr int32_t Pack(int r, int g, int b) {
    return r + 256 * g + 65536 * b;
}

void LongToRGB(const int32_t& v);
HSLValue RGBToHSL(int16_t R, int16_t G, int16_t B);
HSLValue LongToHSL(const int32_t& v);
RGBValue HSLToRGB(int16_t H, int16_t S, int16_t L);

// Two upper-case hex digits per component.
std::string HexHTML(const int16_t& r, const int16_t& g, const int16_t& b); // "#RRGGBB" in quotes
std::string HexJava(const int16_t& r, const int16_t& g, const int16_t& b); // 0xRRGGBB
std::string HexBGR(const int16_t& r, const int16_t& g, const int16_t& b);  // BBGGRR

} // namespace Module1
