#include "colour/Module1.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace Module1;

namespace {
// Pinned from a -O0 build and checked equal under -O3 -march=native.
constexpr uint64_t kChecksum = 3613748179736407963ULL;
} // namespace

namespace {
HSLValue HSL(int h, int s, int l) {
    return {static_cast<int16_t>(h), static_cast<int16_t>(s), static_cast<int16_t>(l)};
}
RGBValue RGB(int r, int g, int b) {
    return {static_cast<int16_t>(r), static_cast<int16_t>(g), static_cast<int16_t>(b)};
}
} // namespace

TEST(Module1, RoundTripsKnownColours) {
    struct Case {
        RGBValue rgb;
        HSLValue hsl;
        RGBValue back;
    };
    const Case cases[] = {
        {RGB(18, 52, 86), HSL(140, 156, 48), RGB(17, 50, 84)},
        {RGB(0, 0, 0), HSL(0, 0, 0), RGB(0, 0, 0)},
        {RGB(255, 255, 255), HSL(0, 0, 240), RGB(255, 255, 255)},
        {RGB(128, 128, 128), HSL(0, 0, 120), RGB(127, 127, 127)},
        // 17/255 as a float lies just above 1/15: lightness 16, not 15.
        {RGB(17, 17, 17), HSL(0, 0, 16), RGB(17, 17, 17)},
        {RGB(255, 0, 0), HSL(0, 240, 120), RGB(255, 0, 0)},
        // The hue divisor 239 shifts the way back.
        {RGB(0, 255, 0), HSL(80, 240, 120), RGB(0, 255, 2)},
        {RGB(0, 0, 255), HSL(160, 240, 120), RGB(4, 0, 255)},
        // Negative hue wraps round; red is tested first when it ties.
        {RGB(255, 0, 255), HSL(200, 240, 120), RGB(255, 0, 249)},
        {RGB(255, 255, 0), HSL(40, 240, 120), RGB(253, 255, 0)},
        {RGB(0, 0, 10), HSL(160, 240, 4), RGB(0, 0, 8)},
        {RGB(200, 100, 50), HSL(13, 144, 117), RGB(198, 98, 49)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rgb.R << "," << c.rgb.G << "," << c.rgb.B);
        const HSLValue hsl = RGBToHSL(c.rgb.R, c.rgb.G, c.rgb.B);
        EXPECT_EQ(hsl, c.hsl) << hsl.H << "," << hsl.S << "," << hsl.L;
        const RGBValue back = HSLToRGB(hsl.H, hsl.S, hsl.L);
        EXPECT_EQ(back, c.back) << back.R << "," << back.G << "," << back.B;
    }
    EXPECT_EQ(HSLToRGB(0, 0, 121), RGB(128, 128, 128));
    EXPECT_EQ(HSLToRGB(239, 240, 120), RGB(255, 0, 0));
    EXPECT_EQ(HSLToRGB(0, 240, 240), RGB(255, 255, 255));
    EXPECT_EQ(HSLToRGB(0, 240, 0), RGB(0, 0, 0));
}

TEST(Module1, SplitsPackedValuesIntoSharedComponents) {
    ResetState();
    const int32_t v = 5649426;
    LongToRGB(v);
    EXPECT_EQ(Red, 18);
    EXPECT_EQ(Green, 52);
    EXPECT_EQ(Blue, 86);

    ResetState();
    EXPECT_EQ(LongToHSL(v), HSL(140, 156, 48));
    EXPECT_EQ(Red, 18);
    EXPECT_EQ(Green, 52);
    EXPECT_EQ(Blue, 86);

    // Out-of-range values: a step whose result does not fit leaves its
    // variable as it was; the others still run.
    Red = Green = Blue = 7;
    const int32_t negative = -1;
    LongToRGB(negative);
    EXPECT_EQ(Red, -1);
    EXPECT_EQ(Green, 7); // (-1 & FF00FF00) / 256 is far outside 16 bits
    EXPECT_EQ(Blue, 255);
}

TEST(Module1, ConversionsStayInRangeForEveryInput) {
    // Every HSL triple converts to valid components, and every colour to a
    // valid HSL; a checksum pins the results so a change of compiler flags
    // that alters any integer is caught.
    uint64_t sum = 0;
    for (int h = 0; h < 240; ++h) {
        for (int s = 0; s <= 240; ++s) {
            for (int l = 0; l <= 240; ++l) {
                const RGBValue c = HSLToRGB(static_cast<int16_t>(h), static_cast<int16_t>(s),
                                            static_cast<int16_t>(l));
                ASSERT_TRUE(c.R >= 0 && c.R <= 255 && c.G >= 0 && c.G <= 255 && c.B >= 0 &&
                            c.B <= 255)
                    << h << "," << s << "," << l;
                sum = sum * 31 + static_cast<uint64_t>(Pack(c.R, c.G, c.B));
            }
        }
    }
    for (int32_t v = 0; v <= 0xFFFFFF; v += 7) {
        const HSLValue hsl =
            RGBToHSL(static_cast<int16_t>(v & 0xFF), static_cast<int16_t>((v >> 8) & 0xFF),
                     static_cast<int16_t>(v >> 16));
        ASSERT_TRUE(hsl.H >= 0 && hsl.H <= 239 && hsl.S >= 0 && hsl.S <= 240 && hsl.L >= 0 &&
                    hsl.L <= 240)
            << v;
        sum = sum * 31 + static_cast<uint64_t>(hsl.H * 65536 + hsl.S * 256 + hsl.L);
    }
    RecordProperty("checksum", std::to_string(sum));
    EXPECT_EQ(sum, kChecksum);
}
