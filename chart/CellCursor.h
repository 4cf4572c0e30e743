#pragma once
// The chart by keyboard: a cursor on one cell, moved by the arrow keys to
// the neighbouring cell, and the outline that shows it. Cells are numbered
// as in Cells().
#include "chart/ChartPicture.h"
#include "platform/Overlay.h"

#include <QPoint>

#include <cstdint>
#include <vector>

namespace chart {

// The cell whose hexagon holds pixel (x, y) of the chart, or -1.
int CellAt(int x, int y);
// The first cell of colour `rgb` (0xRRGGBB), or -1.
int CellOf(uint32_t rgb);
// The white cell in the middle of the hexagon.
int CentreCell();
// The middle pixel of a cell's box, where a pick of the cell reads.
QPoint CellMiddle(int cell);
// Two rings along the inside of a cell's edge, black outside white, that
// leave the middle of the cell in sight and every other cell as it is.
std::vector<platform::Overlay> CellOutline(int cell);

enum class Step { Left, Right, Up, Down };

class CellCursor {
public:
    CellCursor() { Place(CentreCell()); }

    int Cell() const { return cell_; }
    // Puts the cursor on `cell` (an index of Cells()).
    void Place(int cell);
    // Left and Right go along the row and stop at its ends. The cells of the
    // rows above and below lie half a cell to either side; Up and Down go to
    // the one nearest to the column the cursor was last placed in or moved
    // along a row to, a little to its right. So Up and Down zig-zag round
    // that column, and Down after Up comes back. They stop at the top and
    // bottom rows; from the hexagon's last row Down goes on to the greys.
    void Move(Step step);

private:
    int cell_ = 0;
    // Twice the x of the column kept, plus one: nearer to one side.
    int column2_ = 0;
};

} // namespace chart
