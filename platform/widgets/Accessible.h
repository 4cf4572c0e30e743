#pragma once
// What screen readers learn of the program's own drawn controls. A widget
// that draws a row, column or grid of items (the chart's cells, the history's
// boxes, the favourites) implements AccessibleItems; each item then shows as
// a child of its own, named by the widget, with the widget's actions. Other
// drawn widgets take a role with SetAccessibleRole and a value with
// SetAccessibleValue.
#include <QAccessible>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

// An action a screen reader may take on an item: its name, what it does
// (empty: Qt's words for a known action) and the keys that do the same.
struct ItemAction {
    QString name;
    QString description;
    QStringList keys;
};

class AccessibleItems {
public:
    virtual ~AccessibleItems() = default;
    virtual int ItemCount() const = 0;
    virtual QString ItemName(int item) const = 0;
    // The item's box in the widget's coordinates; an item outside the
    // widget's rectangle is off screen. Where boxes overlap, the later one
    // lies on top.
    virtual QRect ItemRect(int item) const = 0;
    // Where the keyboard stands while the widget has the focus, or -1.
    virtual int FocusItem() const = 0;
    virtual bool ItemSelected(int /*item*/) const { return false; }
    // Picks the item as Space or Enter on it does.
    virtual void PressItem(int item) = 0;
    // The actions of every item, the default one first: by default the
    // press, with Space and Enter.
    virtual QList<ItemAction> ItemActions() const;
    // Action `action` (an index into ItemActions) on a valid item: by
    // default the press.
    virtual void DoItemAction(int item, int action);
    // A grid tells each item's place: the widget then shows as a table.
    virtual bool IsGrid() const { return false; }
    virtual int ItemRow(int /*item*/) const { return 0; }
    virtual int ItemColumn(int item) const { return item; }
};

// Installs the interfaces above with Qt's accessibility; once per program,
// before the first window with such widgets is built (again is harmless).
void InstallAccessibility();
// `widget` shows to screen readers as a drawn widget of `role`.
void SetAccessibleRole(QWidget* widget, QAccessible::Role role);
// The value of a drawn widget, read as its value and its description. The
// widget answers as a drawn widget from now on (of its role, or else a
// window or a graphic); a new value is told as a change of description,
// which screen readers read out.
void SetAccessibleValue(QWidget* widget, const QString& value);
// Tells assistive technology that the keyboard now stands on `item` of
// `widget`, or that `item` became the selected one (nothing for -1).
void NotifyItemFocus(QWidget* widget, int item);
void NotifyItemSelected(QWidget* widget, int item);
// Tells screen readers of `e`. Without a bridge to the desktop's screen
// readers (as on the offscreen platform), a handler the program installed
// with QAccessible::installUpdateHandler still hears it.
void ReportAccessible(QAccessibleEvent& e);

} // namespace platform
