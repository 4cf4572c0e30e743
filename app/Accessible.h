#pragma once
// What screen readers learn of the window's own drawn controls. A widget that
// draws a row or grid of items (the chart's cells, the history's boxes)
// implements AccessibleItems; each item then shows as a child of its own,
// named by its colour, with a press action that picks it as a key does.
// Other drawn widgets (the swatches) take a role with SetAccessibleRole and
// a value with SetAccessibleValue.
#include "platform/widgets/PictureBox.h"

#include <QAccessible>
#include <QString>

#include <functional>

class QWidget;

namespace app {

class AccessibleItems {
public:
    virtual ~AccessibleItems() = default;
    virtual int ItemCount() const = 0;
    virtual QString ItemName(int item) const = 0;
    // The item's box in the widget's coordinates.
    virtual QRect ItemRect(int item) const = 0;
    // Where the keyboard stands while the widget has the focus, or -1.
    virtual int FocusItem() const = 0;
    virtual bool ItemSelected(int /*item*/) const { return false; }
    // Picks the item as Space or Enter on it does.
    virtual void PressItem(int item) = 0;
    // A grid tells each item's place: the widget then shows as a table.
    virtual bool IsGrid() const { return false; }
    virtual int ItemRow(int /*item*/) const { return 0; }
    virtual int ItemColumn(int item) const { return item; }
};

// Installs the interfaces above with Qt's accessibility; once per program,
// before the first window is built.
void InstallAccessibility();
// `widget` (without a class of its own) shows to screen readers as `role`.
void SetAccessibleRole(QWidget* widget, QAccessible::Role role);
// The value of such a widget, read with its name ("Gjeldende farge") as its
// description and value; a new value is told as a change of both.
void SetAccessibleValue(QWidget* widget, const QString& value);
// Tells assistive technology that the keyboard now stands on `item` of
// `widget`, or that `item` became the selected one.
void NotifyItemFocus(QWidget* widget, int item);
void NotifyItemSelected(QWidget* widget, int item);
// Qt passes events on only while a screen reader listens; a watcher set
// here hears every event the program sends of its own.
void WatchEvents(std::function<void(QAccessibleEvent&)> watcher);

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

// The picture that holds the colour chart: to screen readers a table of its
// 142 cells.
class ChartBox : public platform::PictureBox, public AccessibleItems {
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
