#include "colour/Notation.h"

#include <gtest/gtest.h>

using Notation::HexText;
using Notation::RgbText;

// Each notation of some colours, by list index: the packed forms drop every
// leading zero but keep one digit, a one-digit component keeps its zero, and
// letters are upper case.
TEST(Notation, EveryNotationOfSomeColours) {
    const struct {
        int r, g, b;
        std::vector<std::string> hex, rgb;
    } cases[] = {
        {18,
         52,
         86,
         {"563412", "&H563412", "0x00563412", "$00563412", "0x123456", "\"#123456\"", "#123456"},
         {"18,52,86", "RGB(18,52,86)", "Argb(255,18,52,86)", "rgb(18, 52, 86)",
          "0.071, 0.204, 0.337", "hsl(210 65.4% 20.4%)", "oklch(31.92% 0.07245 251.17)"}},
        {0, 0, 0, {"0", "&H0", "0x00000000", "$00000000", "0x000000", "\"#000000\""}, {"0,0,0"}},
        {10, 200, 30, {"1EC80A", "&H1EC80A", "0x001EC80A", "$001EC80A", "0x0AC81E"}, {}},
        {255, 255, 255, {"FFFFFF"}, {"255,255,255", "", "", "", "1.000, 1.000, 1.000"}},
        {1, 254, 128, {}, {"", "", "", "", "0.004, 0.996, 0.502"}},
    };
    for (const auto& c : cases) {
        const int32_t packed = Module1::Pack(c.r, c.g, c.b);
        const auto r = int16_t(c.r), g = int16_t(c.g), b = int16_t(c.b);
        for (size_t i = 0; i < c.hex.size(); ++i) {
            EXPECT_EQ(HexText(int(i), packed, r, g, b), c.hex[i])
                << c.r << "," << c.g << "," << c.b;
        }
        for (size_t i = 0; i < c.rgb.size(); ++i) {
            EXPECT_TRUE(c.rgb[i].empty() || RgbText(int(i), r, g, b) == c.rgb[i]) << c.rgb[i];
        }
    }
    EXPECT_EQ(Notation::LongText(Module1::Pack(18, 52, 86)), "5649426");
    // The packed forms come from the packed value, the others from components.
    EXPECT_EQ(HexText(0, 255, 1, 2, 3), "FF");
    EXPECT_EQ(HexText(4, 255, 1, 2, 3), "0x010203");
    // No entry selected, or one past the list: no text.
    EXPECT_FALSE(HexText(-1, 0, 0, 0, 0) || HexText(7, 0, 0, 0, 0) || RgbText(-1, 0, 0, 0) ||
                 RgbText(7, 0, 0, 0));
}
