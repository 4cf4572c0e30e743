#pragma once
// What the favourites' boxes, context menu and name dialog need of the main
// window.
#include <cstdint>

class QWidget;

namespace favourites {

class FavouritesHost {
public:
    virtual ~FavouritesHost() = default;
    // Makes c (red + 256 * green + 65536 * blue) the current colour.
    virtual void PickColour(int32_t c) = 0;
    // Hides the colour chart's cross-hair lines.
    virtual void HideChartMarkers() = 0;
    // Selects the tab "Favoritter".
    virtual void SelectFavouritesTab() = 0;
    // The colour of the current-colour swatch.
    virtual int32_t CurrentColour() = 0;
    // The value of the lightness slider (0..240).
    virtual int LightnessValue() = 0;
    // Makes c the background the contrast is measured against.
    virtual void UseAsBackground(int32_t /*c*/) {}
    // Owner of the name dialog and of message boxes.
    virtual QWidget* DialogOwner() = 0;
};

} // namespace favourites
