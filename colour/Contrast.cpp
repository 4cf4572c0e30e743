#include "colour/Contrast.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Contrast {

namespace {
double Channel(int c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}
} // namespace

double RelativeLuminance(int32_t packed) {
    return 0.2126 * Channel(packed & 0xFF) + 0.7152 * Channel((packed >> 8) & 0xFF) +
           0.0722 * Channel((packed >> 16) & 0xFF);
}

double Ratio(int32_t a, int32_t b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::string RatioText(double ratio) {
    // Rounded to the nearest hundredth, but never up onto or past a limit
    // the exact ratio falls short of: 4.499 shows "4.49" and fails. The
    // small allowance keeps a ratio of exactly 21 or 1 from losing a
    // hundredth to the division's last-bit error.
    long long hundredths = std::llround(ratio * 100.0 + 1e-9);
    for (const long long limit : {300LL, 450LL, 700LL}) {
        if (hundredths == limit && ratio < limit / 100.0) {
            hundredths = limit - 1;
        }
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld.%02lld", hundredths / 100, hundredths % 100);
    return buf;
}

Passes Judge(double ratio) {
    return {ratio >= 4.5, ratio >= 3.0, ratio >= 7.0, ratio >= 4.5, ratio >= 3.0};
}

} // namespace Contrast
