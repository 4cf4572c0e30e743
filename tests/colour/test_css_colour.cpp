#include "colour/ColourText.h"
#include "colour/Contrast.h"
#include "colour/CssColour.h"
#include "colour/CssNames.h"
#include "colour/Notation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using ColourText::Display;
using ColourText::ReadPasted;

// Every colour, written as "CSS HSL" and as "OKLCH", reads back as itself,
// far enough from rounding the other way that last bits cannot matter.
TEST(CssColour, EveryColourReadsBackFromHslAndOklch) {
    for (const int index : {5, 6}) {
        const std::string_view function = index == 5 ? "hsl" : "oklch";
        double worst = 0;
        int mismatches = 0;
        for (int i = 0; i <= 0xFFFFFF; ++i) {
            const int16_t c[3] = {int16_t(i & 0xFF), int16_t((i >> 8) & 0xFF), int16_t(i >> 16)};
            const std::string text = *Notation::RgbText(index, c[0], c[1], c[2]);
            const auto v = CssColour::ReadUnrounded(text, function);
            for (int k = 0; v && k < 3; ++k) {
                worst = std::max(worst, std::fabs((*v)[std::size_t(k)] * 255 - c[k]));
            }
            if ((!v || worst >= 0.49) && ++mismatches < 5) {
                ADD_FAILURE() << "colour " << i << " as " << text;
            }
        }
        EXPECT_EQ(mismatches, 0) << function << ", worst " << worst;
    }
    EXPECT_EQ(ColourText::ReadRgb(6, "OKLCH(58.62% 0.15327 257.23)"), Module1::Pack(58, 123, 213));
    EXPECT_FALSE(ColourText::ReadRgb(5, "oklch(58.62% 0.15327 257.23)"));
}

TEST(CssColour, ReadsTodaysFormsUnitsNoneAndClips) {
    const struct {
        const char* text;
        int r, g, b;
        bool clipped;
    } cases[] = {
        // The examples of the CSS colour module: one red-brown, five ways.
        {"lab(29.2345% 39.3825 20.0664)", 125, 35, 41, false},
        {"lch(29.2345% 44.2 27)", 125, 35, 41, false},
        {"oklab(40.101% 0.1147 0.0453)", 125, 35, 41, false},
        {"oklch(40.101% 0.12332 21.555)", 125, 35, 41, false},
        {"#7D2329", 125, 35, 41, false},
        {"hwb(120 20% 40%)", 51, 153, 51, false},
        {"hwb(none 80% 20%)", 204, 204, 204, false},
        {"color(srgb 0.2 0.4 0.6)", 51, 102, 153, false},
        {"color(srgb-linear 0.2 0.5 1)", 124, 188, 255, false},
        {"#369f", 51, 102, 153, false},
        {" RebeccaPurple\n", 102, 51, 153, false},
        {"hsl(0.5turn 100% 50%)", 0, 255, 255, false},
        {"hsl(3.14159265rad 100 50)", 0, 255, 255, false},
        {"hsl(200grad 100% 50% / none)", 0, 255, 255, false},
        {"hsla(-240deg, 100%, 50%, 0.5)", 0, 255, 0, false},
        {"rgb(none 255 0 / 50%)", 0, 255, 0, false},
        {"lch(50% 0 1e3deg)", 119, 119, 119, false},
        {"color(srgb 1.2 0 0)", 255, 0, 0, true},
        {"oklch(70% 0.4 150)", 0, 214, 0, true},
    };
    for (const auto& c : cases) {
        const auto read = CssColour::Read(c.text);
        ASSERT_TRUE(read) << c.text;
        const int got[3] = {read->colour & 0xFF, (read->colour >> 8) & 0xFF, read->colour >> 16};
        EXPECT_LE(std::abs(got[0] - c.r) + std::abs(got[1] - c.g) + std::abs(got[2] - c.b), 1)
            << c.text;
        EXPECT_EQ(read->clipped, c.clipped) << c.text;
        EXPECT_EQ(ReadPasted(c.text, Display::None, 0, 0), read->colour) << c.text;
    }
    for (const char* text :
         {"oklch(50% 0.1)", "oklch(50% 0.1 10%)", "lab(50 0 0 0)", "hsl(none, 100%, 50%)",
          "hsl(10px 50% 50%)", "color(display-p3 1 0 0)", "color(srgb 1deg 0 0)",
          "color(srgb1 0 0)", "rgb(1 2,3)", "rgb(1,2,3,)", "hwb(0, 10%, 10%)", "#12345",
          "rebeccapurpl", "oklch(1e999 0 0)"}) {
        EXPECT_FALSE(CssColour::Read(text)) << text;
    }
}

// Bare hex digits on the hex display are read in the byte order of its
// notation, the order the lists name.
TEST(CssColour, BareHexFollowsTheNotationsByteOrder) {
    for (int i = 0; i < int(Notation::HexFormats.size()); ++i) {
        EXPECT_EQ(ReadPasted("3a7bd5", Display::Hex, 0, i),
                  i <= 3 ? 0x3A7BD5 : Module1::Pack(0x3A, 0x7B, 0xD5));
        EXPECT_EQ(Notation::HexByteOrder(i) == Notation::ByteOrder::Bgr, i <= 3) << i;
    }
}

TEST(Contrast, RatiosShownRoundedButNeverOntoALimitAndJudgedExactly) {
    using namespace Contrast;
    const std::pair<double, const char*> shown[] = {{Ratio(0, 0xFFFFFF), "21.00"},
                                                    {Ratio(0xFFFFFF, 0xFFFFFF), "1.00"},
                                                    {Ratio(0xFFFFFF, 0x767676), "4.54"},
                                                    {4.499, "4.49"},
                                                    {2.996, "2.99"},
                                                    {6.9951, "6.99"},
                                                    {4.446, "4.45"},
                                                    {4.5, "4.50"}};
    for (const auto& [ratio, text] : shown) {
        EXPECT_EQ(RatioText(ratio), text) << ratio;
    }
    // #777777 on white (4.478, "4.48" on the window) is short of AA for normal text.
    EXPECT_EQ(Judge(Ratio(0x777777, 0xFFFFFF)), (Passes{false, true, false, false, true}));
    EXPECT_FALSE(Judge(4.4999999).aaNormal);
    EXPECT_EQ(Judge(4.5), (Passes{true, true, false, true, true}));
    EXPECT_EQ(Judge(7.0), (Passes{true, true, true, true, true}));
    EXPECT_EQ(Judge(2.999), (Passes{false, false, false, false, false}));
    // The 0.04045 threshold: 10/255 lies just below it, on the straight part.
    EXPECT_DOUBLE_EQ(RelativeLuminance(Module1::Pack(10, 10, 10)), 10 / 255.0 / 12.92);
}

TEST(CssNames, OwnNameOrTheNearest) {
    std::set<std::string_view> names;
    for (const auto& n : CssNames::All()) {
        names.insert(n.name);
        EXPECT_TRUE(CssNames::Find(n.name)) << n.name;
    }
    EXPECT_EQ(names.size(), 148u);
    EXPECT_EQ(CssNames::NearestText(Module1::Pack(255, 99, 71)), "tomato");
    EXPECT_EQ(CssNames::NearestText(Module1::Pack(255, 98, 71)), "\u2248 tomato");
    EXPECT_EQ(CssNames::NearestText(Module1::Pack(128, 128, 128)), "gray");
    EXPECT_EQ(CssNames::NearestText(Module1::Pack(127, 127, 127)), "\u2248 gray");
    EXPECT_EQ(CssNames::NearestText(Module1::Pack(20, 0, 160)), "\u2248 darkblue");
}
