#include "chart/CellCursor.h"

#include <cstdlib>

namespace chart {

namespace {
int Count() {
    return static_cast<int>(Cells().size());
}
const Cell& At(int cell) {
    return Cells()[static_cast<size_t>(cell)];
}
} // namespace

int CellAt(int x, int y) {
    for (int i = 0; i < Count(); ++i) {
        if (InHexagon(x - At(i).x, y - At(i).y)) {
            return i;
        }
    }
    return -1;
}

int CellOf(uint32_t rgb) {
    for (int i = 0; i < Count(); ++i) {
        if (At(i).rgb == rgb) {
            return i;
        }
    }
    return -1;
}

int CentreCell() {
    for (int i = 0; i < Count(); ++i) {
        if (At(i).row == 7 && At(i).index == 6) {
            return i;
        }
    }
    return 0;
}

QPoint CellMiddle(int cell) {
    const Cell& c = At(cell);
    return {c.x + kCellWidth / 2, c.y + kCellHeight / 2};
}

std::vector<platform::Overlay> CellOutline(int cell) {
    // A pixel of the hexagon lies on ring `depth` when the nearest pixel
    // outside it, in any of eight directions, is that many steps away.
    const auto inside = [](int column, int row, int depth) {
        for (int dy = -depth; dy <= depth; ++dy) {
            for (int dx = -depth; dx <= depth; ++dx) {
                if (!InHexagon(column + dx, row + dy)) {
                    return false;
                }
            }
        }
        return true;
    };
    std::vector<platform::Overlay> rings;
    const Cell& c = At(cell);
    for (int row = 0; row < kCellHeight; ++row) {
        for (int column = 0; column < kCellWidth; ++column) {
            if (!InHexagon(column, row) || inside(column, row, 2)) {
                continue;
            }
            const QRgb colour = inside(column, row, 1) ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            rings.push_back({QRect(c.x + column, c.y + row, 1, 1), colour});
        }
    }
    return rings;
}

void CellCursor::Place(int cell) {
    cell_ = cell;
    column2_ = 2 * CellMiddle(cell).x() + 1;
}

void CellCursor::Move(Step step) {
    const chart::Cell& now = At(cell_);
    switch (step) {
    case Step::Left:
    case Step::Right: {
        const int to = cell_ + (step == Step::Left ? -1 : 1);
        if (to >= 0 && to < Count() && At(to).row == now.row) {
            Place(to);
        }
        return;
    }
    case Step::Up:
    case Step::Down: {
        const int row = now.row + (step == Step::Up ? -1 : 1);
        int best = -1;
        for (int i = 0; i < Count(); ++i) {
            if (At(i).row == row &&
                (best < 0 || std::abs(2 * CellMiddle(i).x() - column2_) <
                                 std::abs(2 * CellMiddle(best).x() - column2_))) {
                best = i;
            }
        }
        if (best >= 0) {
            cell_ = best; // the column stays
        }
        return;
    }
    }
}

} // namespace chart
