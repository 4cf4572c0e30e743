#include "colour/Module1.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace Module1;

namespace {
// Pinned from a -O0 build and checked equal under -O3 -march=native.
constexpr uint64_t kChecksum = 3613748179736407963ULL;

HSLValue HSL(int h, int s, int l) {
    return {int16_t(h), int16_t(s), int16_t(l)};
}
RGBValue RGB(int r, int g, int b) {
    return {int16_t(r), int16_t(g), int16_t(b)};
}
} // namespace

// RGB to HSL and back: R, G, B, then H, S, L, then R, G, B again.
TEST(Module1, RoundTripsKnownColours) {
    const int cases[][9] = {
        {18, 52, 86, 140, 156, 48, 17, 50, 84},
        {0, 0, 0, 0, 0, 0, 0, 0, 0},
        {255, 255, 255, 0, 0, 240, 255, 255, 255},
        {128, 128, 128, 0, 0, 120, 127, 127, 127},
        {17, 17, 17, 0, 0, 16, 17, 17, 17}, // 17/255 as a float lies just above 1/15
        {255, 0, 0, 0, 240, 120, 255, 0, 0},
        {0, 255, 0, 80, 240, 120, 0, 255, 2}, // the hue divisor 239 shifts the way back
        {0, 0, 255, 160, 240, 120, 4, 0, 255},
        {255, 0, 255, 200, 240, 120, 255, 0, 249}, // a negative hue wraps; red wins a tie
        {255, 255, 0, 40, 240, 120, 253, 255, 0},
        {0, 0, 10, 160, 240, 4, 0, 0, 8},
        {200, 100, 50, 13, 144, 117, 198, 98, 49},
    };
    for (const auto& c : cases) {
        const HSLValue hsl = RGBToHSL(int16_t(c[0]), int16_t(c[1]), int16_t(c[2]));
        EXPECT_EQ(hsl, HSL(c[3], c[4], c[5])) << c[0] << "," << c[1] << "," << c[2];
        EXPECT_EQ(HSLToRGB(hsl.H, hsl.S, hsl.L), RGB(c[6], c[7], c[8]))
            << c[0] << "," << c[1] << "," << c[2];
    }
    EXPECT_EQ(HSLToRGB(0, 0, 121), RGB(128, 128, 128));
    EXPECT_EQ(HSLToRGB(239, 240, 120), RGB(255, 0, 0));
    EXPECT_EQ(HSLToRGB(0, 240, 240), RGB(255, 255, 255));
    EXPECT_EQ(HSLToRGB(0, 240, 0), RGB(0, 0, 0));
}

// The results for every HSL triple and every seventh colour, pinned (all in
// range) by a checksum: a change of compiler flags that alters any is caught.
TEST(Module1, ConversionsArePinnedForEveryInput) {
    uint64_t sum = 0;
    for (int i = 0; i < 240 * 241 * 241; ++i) { // H, then S, then L from 0 up
        const RGBValue c =
            HSLToRGB(int16_t(i / 241 / 241), int16_t(i / 241 % 241), int16_t(i % 241));
        sum = sum * 31 + static_cast<uint64_t>(Pack(c.R, c.G, c.B));
    }
    for (int32_t v = 0; v <= 0xFFFFFF; v += 7) {
        const HSLValue hsl =
            RGBToHSL(int16_t(v & 0xFF), int16_t((v >> 8) & 0xFF), int16_t(v >> 16));
        sum = sum * 31 + static_cast<uint64_t>(hsl.H * 65536 + hsl.S * 256 + hsl.L);
    }
    EXPECT_EQ(sum, kChecksum);
}
