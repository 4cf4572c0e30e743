#pragma once
// The honeycomb colour chart shown on the tab "Fargekart": 142 flat
// hexagonal cells on white, drawn pixel by pixel from the cell table.
#include <QImage>

#include <cstdint>
#include <vector>

namespace chart {

// Side of the square chart picture in pixels.
inline constexpr int kPictureSize = 190;
// Box of one cell: a hexagon with pointed top and bottom.
inline constexpr int kCellWidth = 14;
inline constexpr int kCellHeight = 15;

struct Cell {
    int row;      // 1..15 from the top; rows 14 and 15 are the greys
    int index;    // 0.. from the left within the row
    int x;        // left of the cell box
    int y;        // top of the cell box
    uint32_t rgb; // 0xRRGGBB
};

// All 142 cells, row by row, left to right.
const std::vector<Cell>& Cells();

// Whether pixel (column, row) of a cell box belongs to the hexagon.
bool InHexagon(int column, int row);

// The 190 x 190 chart, Format_RGB32 (every pixel opaque). Drawn once and
// shared; copies are cheap.
QImage ChartPicture();

} // namespace chart
