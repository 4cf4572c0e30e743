#include "colour/Notation.h"

#include <gtest/gtest.h>

using Notation::HexText;
using Notation::RgbText;

namespace {
std::string Hex(int index, int r, int g, int b) {
    return HexText(index, Module1::Pack(r, g, b), static_cast<int16_t>(r), static_cast<int16_t>(g),
                   static_cast<int16_t>(b))
        .value_or("<none>");
}
std::string Rgb(int index, int r, int g, int b) {
    return RgbText(index, static_cast<int16_t>(r), static_cast<int16_t>(g), static_cast<int16_t>(b))
        .value_or("<none>");
}
} // namespace

TEST(Notation, EveryNotationOfOneColour) {
    EXPECT_EQ(Notation::LongText(Module1::Pack(18, 52, 86)), "5649426");
    EXPECT_EQ(Rgb(0, 18, 52, 86), "18,52,86");
    EXPECT_EQ(Rgb(1, 18, 52, 86), "RGB(18,52,86)");
    EXPECT_EQ(Rgb(2, 18, 52, 86), "Argb(255,18,52,86)");
    EXPECT_EQ(Hex(0, 18, 52, 86), "563412");
    EXPECT_EQ(Hex(1, 18, 52, 86), "&H563412");
    EXPECT_EQ(Hex(2, 18, 52, 86), "0x00563412");
    EXPECT_EQ(Hex(3, 18, 52, 86), "$00563412");
    EXPECT_EQ(Hex(4, 18, 52, 86), "0x123456");
    EXPECT_EQ(Hex(5, 18, 52, 86), "\"#123456\"");
    EXPECT_EQ(Notation::HSLText(Module1::HSLValue{140, 156, 48}), "140,156,48");
}

TEST(Notation, LeadingZerosAndLetterCase) {
    // Black: the packed forms drop every leading zero but keep one digit.
    EXPECT_EQ(Hex(0, 0, 0, 0), "0");
    EXPECT_EQ(Hex(1, 0, 0, 0), "&H0");
    EXPECT_EQ(Hex(2, 0, 0, 0), "0x00000000");
    EXPECT_EQ(Hex(3, 0, 0, 0), "$00000000");
    EXPECT_EQ(Hex(4, 0, 0, 0), "0x000000");
    EXPECT_EQ(Hex(5, 0, 0, 0), "\"#000000\"");
    // Pure red.
    EXPECT_EQ(Hex(0, 255, 0, 0), "FF");
    EXPECT_EQ(Hex(1, 255, 0, 0), "&HFF");
    EXPECT_EQ(Hex(2, 255, 0, 0), "0x000000FF");
    EXPECT_EQ(Hex(4, 255, 0, 0), "0xFF0000");
    // A one-digit component keeps its zero; letters are upper case.
    EXPECT_EQ(Hex(0, 10, 200, 30), "1EC80A");
    EXPECT_EQ(Hex(3, 10, 200, 30), "$001EC80A");
    EXPECT_EQ(Hex(4, 10, 200, 30), "0x0AC81E");
    EXPECT_EQ(Hex(0, 255, 255, 255), "FFFFFF");
    EXPECT_EQ(Notation::LongText(16777215), "16777215");
    // The packed forms come from the packed value, the others from the
    // components (they differ only for callers that pass both).
    EXPECT_EQ(HexText(0, 255, 1, 2, 3).value(), "FF");
    EXPECT_EQ(HexText(4, 255, 1, 2, 3).value(), "0x010203");
}

TEST(Notation, NoSelectionGivesNoText) {
    EXPECT_FALSE(HexText(-1, 0, 0, 0, 0).has_value());
    EXPECT_FALSE(HexText(6, 0, 0, 0, 0).has_value());
    EXPECT_FALSE(RgbText(-1, 0, 0, 0).has_value());
    EXPECT_FALSE(RgbText(3, 0, 0, 0).has_value());
}
