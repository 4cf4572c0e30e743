#pragma once
// Contrast between two colours as the web's accessibility guidelines (WCAG
// 2.x) measure it.
#include <cstdint>
#include <string>

namespace Contrast {

// Relative luminance 0..1 of a packed colour (red + 256 * green + 65536 * blue).
double RelativeLuminance(int32_t packed);
// (lighter + 0.05) / (darker + 0.05): 1 to 21, the same either way round.
double Ratio(int32_t a, int32_t b);
// The ratio with two decimals, rounded to the nearest, except that a ratio
// just short of a limit (3, 4.5, 7) never shows as reaching it: 4.499 is
// "4.49", 4.478 is "4.48".
std::string RatioText(double ratio);

// Which limits the exact ratio meets.
struct Passes {
    bool aaNormal;  // 4.5:1, normal text
    bool aaLarge;   // 3:1, large text
    bool aaaNormal; // 7:1
    bool aaaLarge;  // 4.5:1
    bool nonText;   // 3:1, graphics and controls
    friend bool operator==(const Passes&, const Passes&) = default;
};
Passes Judge(double ratio);

} // namespace Contrast
