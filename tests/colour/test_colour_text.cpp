#include "colour/ColourText.h"
#include "colour/Notation.h"

#include <gtest/gtest.h>

using namespace ColourText;

// Every text a display writes reads back as its colour: in its own notation,
// and pasted anywhere (but bare hex digits, which pass for the Long value).
TEST(ColourText, EveryNotationReadsBackAsItsColour) {
    const int16_t shades[] = {0, 1, 9, 10, 15, 16, 51, 99, 100, 127, 128, 200, 254, 255};
    const int16_t blues[] = {0, 5, 153, 255};
    for (int k = 0; k < 14 * 14 * 4; ++k) {
        const int16_t r = shades[k % 14], g = shades[k / 14 % 14], b = blues[k / 14 / 14];
        const int32_t packed = Module1::Pack(r, g, b);
        for (int i = 0; i < int(Notation::RgbFormats.size()); ++i) {
            const std::string text = *Notation::RgbText(i, r, g, b);
            EXPECT_EQ(ReadRgb(i, text), packed) << text;
            EXPECT_EQ(ReadPasted(text, Display::None, 0, 0), packed) << text;
        }
        for (int i = 0; i < int(Notation::HexFormats.size()); ++i) {
            const std::string text = *Notation::HexText(i, packed, r, g, b);
            EXPECT_EQ(ReadPasted(" " + text + "\r\n", Display::Hex, 0, i), packed) << text;
            if (i > 0) {
                EXPECT_EQ(ReadPasted(text, Display::None, 0, 0), packed) << text;
            }
        }
        EXPECT_EQ(ReadPasted(Notation::LongText(packed), Display::Rgb, 1, 0), packed);
    }
}

TEST(ColourText, WebFormsAndNearMisses) {
    const int32_t blue = Module1::Pack(51, 102, 153);
    for (const char* text :
         {"#369", "RGBA(51,102,153,0.5)", "rgb(20% 40% 60% / 50%)", "hsl(210, 50%, 40%)",
          "hsla(210deg 50% 40% / 1)", "0.2, 0.4, 0.6", "$996633", "&H996633&", "10053171"}) {
        EXPECT_EQ(ReadPasted(text, Display::None, 0, 0), blue) << text;
    }
    EXPECT_EQ(ReadPasted("$FFFFFF", Display::None, 0, 0), 0xFFFFFF);
    // The HSL display's own scale, read only there: elsewhere it is RGB.
    EXPECT_EQ(ReadPasted("140,156,48", Display::HSL, 0, 0), Module1::Pack(17, 50, 84));
    EXPECT_EQ(ReadPasted("140,156,48", Display::Long, 0, 0), Module1::Pack(140, 156, 48));
    // A display's own notation comes first: digits on the hex display are hex.
    EXPECT_EQ(ReadPasted("123456", Display::Hex, 0, 0), 0x123456);
    EXPECT_EQ(ReadPasted("123456", Display::Rgb, 0, 0), 123456);
    const std::string bad[] = {
        "#12345",    "rgb(256,0,0)", "&HGG",      "",         std::string(10'000'000, '1'),
        "0x1234567", "1,2",          "256,0,0",   "16777216", "hsl(10, 50, 40%)",
        "rgb(1,2,3", "1.5, 0, 0",    "nan, 0, 0", "#1234567", "-1",
        "$1000000"};
    for (const std::string& text : bad) {
        EXPECT_FALSE(ReadPasted(text, Display::HSL, 0, 0)) << text.substr(0, 20);
    }
    // Keywords that Qt would read as black.
    EXPECT_TRUE(NamesNoColour(" Transparent") && NamesNoColour("currentColor") &&
                NamesNoColour("none"));
    EXPECT_FALSE(NamesNoColour("nonexistent") || NamesNoColour("black"));
}
