#pragma once
// The colour chart as screen readers meet it: a table of its 142 cells,
// each named by its colour, with a press action that picks it as a key does
// (see platform/widgets/Accessible.h).
#include "platform/widgets/Accessible.h"
#include "platform/widgets/PictureBox.h"

#include <QString>

namespace app {

// What the chart asks of the window it belongs to.
class ChartHost {
public:
    virtual ~ChartHost() = default;
    // The colour's text as the hex list shows it.
    virtual QString CellText(int cell) const = 0;
    virtual int SelectedCell() const = 0;
    virtual int CursorCell() const = 0;
    virtual void PressCell(int cell) = 0;
};

// The picture that holds the colour chart.
class ChartBox : public platform::PictureBox, public platform::AccessibleItems {
    Q_OBJECT
public:
    ChartBox(ChartHost& host, QWidget* parent);

    int ItemCount() const override;
    QString ItemName(int item) const override { return host_.CellText(item); }
    QRect ItemRect(int item) const override;
    int FocusItem() const override { return host_.CursorCell(); }
    bool ItemSelected(int item) const override { return item == host_.SelectedCell(); }
    void PressItem(int item) override { host_.PressCell(item); }
    bool IsGrid() const override { return true; }
    int ItemRow(int item) const override;
    int ItemColumn(int item) const override;

private:
    ChartHost& host_;
};

} // namespace app
