#include "app/Accessible.h"

#include "chart/ChartPicture.h"

namespace app {

ChartBox::ChartBox(ChartHost& host, QWidget* parent) : platform::PictureBox(parent), host_(host) {}

int ChartBox::ItemCount() const {
    return static_cast<int>(chart::Cells().size());
}

QRect ChartBox::ItemRect(int item) const {
    const chart::Cell& c = chart::Cells()[static_cast<size_t>(item)];
    return {Origin() + QPoint(c.x, c.y), QSize(chart::kCellWidth, chart::kCellHeight)};
}

int ChartBox::ItemRow(int item) const {
    return chart::Cells()[static_cast<size_t>(item)].row - 1;
}

int ChartBox::ItemColumn(int item) const {
    return chart::Cells()[static_cast<size_t>(item)].index;
}

} // namespace app
