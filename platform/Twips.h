#pragma once
// Window and control positions are designed in twips: 15 to a pixel at 96
// dots per inch.

namespace platform {

inline constexpr int kTwipsPerPixel = 15;

// Pixels of a design position, rounded to the nearest pixel.
constexpr int Px(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

} // namespace platform
