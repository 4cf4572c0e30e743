#include "platform/widgets/Accessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

namespace platform {

namespace {

const char* const kRoleProperty = "tintraAccessibleRole";
const char* const kValueProperty = "tintraAccessibleValue";

// A drawn widget with a role and perhaps a value.
class DrawnAccessible : public QAccessibleWidget {
public:
    explicit DrawnAccessible(QWidget* widget) : QAccessibleWidget(widget) {}
    QAccessible::Role role() const override {
        const QVariant role = widget()->property(kRoleProperty);
        if (role.isValid()) {
            return static_cast<QAccessible::Role>(role.toInt());
        }
        return widget()->isWindow() ? QAccessible::Window : QAccessible::Graphic;
    }
    QString text(QAccessible::Text t) const override {
        const QVariant value = widget()->property(kValueProperty);
        return (t == QAccessible::Description || t == QAccessible::Value) && value.isValid()
                   ? value.toString()
                   : QAccessibleWidget::text(t);
    }
};

AccessibleItems* ItemsOf(QWidget* widget) {
    return widget ? dynamic_cast<AccessibleItems*>(widget) : nullptr;
}

// One item of a widget: it has no object of its own, so its interface is
// registered with Qt and kept until the widget's interface goes. It asks the
// widget each time, so changes show at once; an item past the end is no
// longer valid.
class ItemAccessible : public QAccessibleInterface,
                       public QAccessibleActionInterface,
                       public QAccessibleTableCellInterface {
public:
    ItemAccessible(QWidget* widget, int item) : widget_(widget), item_(item) {}

    QWidget* Widget() const { return widget_; }
    int Item() const { return item_; }

    bool isValid() const override {
        const AccessibleItems* items = ItemsOf(widget_);
        return items && item_ < items->ItemCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        const QAccessibleInterface* p = parent();
        return p ? p->window() : nullptr;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(widget_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? ItemsOf(widget_)->ItemName(item_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect r = ItemsOf(widget_)->ItemRect(item_);
        return {widget_->mapToGlobal(r.topLeft()), r.size()};
    }
    QAccessible::Role role() const override {
        return isValid() && ItemsOf(widget_)->IsGrid() ? QAccessible::Cell : QAccessible::ListItem;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const AccessibleItems* items = ItemsOf(widget_);
        s.focusable = true;
        s.selectable = true;
        s.focused = widget_->hasFocus() && items->FocusItem() == item_;
        s.selected = items->ItemSelected(item_);
        s.invisible = !widget_->isVisible();
        s.offscreen = s.invisible || !widget_->rect().intersects(items->ItemRect(item_));
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ActionInterface) {
            return static_cast<QAccessibleActionInterface*>(this);
        }
        if (t == QAccessible::TableCellInterface && isValid() && ItemsOf(widget_)->IsGrid()) {
            return static_cast<QAccessibleTableCellInterface*>(this);
        }
        return nullptr;
    }

    QStringList actionNames() const override {
        QStringList names;
        for (const ItemAction& a : Actions()) {
            names << a.name;
        }
        return names;
    }
    QString localizedActionName(const QString& name) const override {
        const auto [at, a] = Find(name);
        return at >= 0 && !a.description.isEmpty()
                   ? name
                   : QAccessibleActionInterface::localizedActionName(name);
    }
    QString localizedActionDescription(const QString& name) const override {
        const auto [at, a] = Find(name);
        return at >= 0 && !a.description.isEmpty()
                   ? a.description
                   : QAccessibleActionInterface::localizedActionDescription(name);
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        return Find(name).second.keys;
    }
    void doAction(const QString& name) override {
        if (const int at = Find(name).first; at >= 0 && isValid()) {
            ItemsOf(widget_)->DoItemAction(item_, at);
        }
    }

    bool isSelected() const override { return state().selected; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override {
        return isValid() ? ItemsOf(widget_)->ItemColumn(item_) : -1;
    }
    int rowIndex() const override { return isValid() ? ItemsOf(widget_)->ItemRow(item_) : -1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    QList<ItemAction> Actions() const {
        const AccessibleItems* items = ItemsOf(widget_);
        return items ? items->ItemActions() : QList<ItemAction>();
    }
    // Action `name` and its place among the item's actions (-1: none).
    std::pair<int, ItemAction> Find(const QString& name) const {
        const QList<ItemAction> actions = Actions();
        for (qsizetype i = 0; i < actions.size(); ++i) {
            if (actions[i].name == name) {
                return {static_cast<int>(i), actions[i]};
            }
        }
        return {-1, {}};
    }

    QPointer<QWidget> widget_;
    int item_;
};

// A widget of items: a list, or a table where the items lie in a grid.
class ItemsAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    ItemsAccessible(QWidget* widget, AccessibleItems& items)
        : QAccessibleWidget(widget, items.IsGrid() ? QAccessible::Table : QAccessible::List),
          items_(items) {}
    ~ItemsAccessible() override {
        for (const QAccessible::Id id : ids_) {
            if (id) {
                QAccessible::deleteAccessibleInterface(id);
            }
        }
    }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableInterface && items_.IsGrid()) {
            return static_cast<QAccessibleTableInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(t);
    }
    int childCount() const override { return items_.ItemCount(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= items_.ItemCount()) {
            return nullptr;
        }
        const auto at = static_cast<size_t>(index);
        if (ids_.size() <= at) {
            ids_.resize(at + 1, 0);
        }
        if (!ids_[at]) {
            ids_[at] =
                QAccessible::registerAccessibleInterface(new ItemAccessible(widget(), index));
        }
        return QAccessible::accessibleInterface(ids_[at]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* item = dynamic_cast<const ItemAccessible*>(child);
        return item && item->Widget() == widget() && item->Item() < items_.ItemCount()
                   ? item->Item()
                   : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = widget()->mapFromGlobal(QPoint(x, y));
        for (int i = items_.ItemCount() - 1; i >= 0; --i) {
            if (items_.ItemRect(i).contains(at)) {
                return child(i);
            }
        }
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        return widget()->hasFocus() ? child(items_.FocusItem()) : nullptr;
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        for (int i = 0; i < items_.ItemCount(); ++i) {
            if (items_.ItemRow(i) == row && items_.ItemColumn(i) == column) {
                return child(i);
            }
        }
        return nullptr;
    }
    int selectedCellCount() const override { return static_cast<int>(selectedCells().size()); }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells;
        for (int i = 0; i < items_.ItemCount(); ++i) {
            if (items_.ItemSelected(i)) {
                cells.append(child(i));
            }
        }
        return cells;
    }
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return Extent(&AccessibleItems::ItemColumn); }
    int rowCount() const override { return Extent(&AccessibleItems::ItemRow); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    // The selection follows the program's own picks only.
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    int Extent(int (AccessibleItems::*place)(int) const) const {
        int extent = 0;
        for (int i = 0; i < items_.ItemCount(); ++i) {
            extent = std::max(extent, (items_.*place)(i) + 1);
        }
        return extent;
    }

    AccessibleItems& items_;
    mutable std::vector<QAccessible::Id> ids_;
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (AccessibleItems* items = ItemsOf(widget)) {
        return new ItemsAccessible(widget, *items);
    }
    if (widget &&
        (widget->property(kRoleProperty).isValid() || widget->property(kValueProperty).isValid())) {
        return new DrawnAccessible(widget);
    }
    return nullptr;
}

// Qt may have made the widget's interface already, on an event of its own:
// the next question makes it anew.
void Remake(QWidget* widget) {
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget);
    if (made && !dynamic_cast<DrawnAccessible*>(made)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
}

void Notify(QWidget* widget, int item, QAccessible::Event type) {
    if (item < 0) {
        return;
    }
    QAccessibleEvent e(widget, type);
    e.setChild(item);
    ReportAccessible(e);
}

} // namespace

QList<ItemAction> AccessibleItems::ItemActions() const {
    return {{QAccessibleActionInterface::pressAction(),
             QString(),
             {QStringLiteral("Space"), QStringLiteral("Return")}}};
}

void AccessibleItems::DoItemAction(int item, int action) {
    if (action == 0) {
        PressItem(item);
    }
}

void InstallAccessibility() {
    static const bool installed = (QAccessible::installFactory(&Factory), true);
    (void)installed;
}

void SetAccessibleRole(QWidget* widget, QAccessible::Role role) {
    InstallAccessibility();
    widget->setProperty(kRoleProperty, static_cast<int>(role));
    Remake(widget);
}

void SetAccessibleValue(QWidget* widget, const QString& value) {
    InstallAccessibility();
    const QVariant old = widget->property(kValueProperty);
    if (old == value) {
        return;
    }
    widget->setProperty(kValueProperty, value);
    if (!old.isValid()) {
        Remake(widget);
    }
    QAccessibleEvent e(widget, QAccessible::DescriptionChanged);
    ReportAccessible(e);
}

void NotifyItemFocus(QWidget* widget, int item) {
    Notify(widget, item, QAccessible::Focus);
}

void NotifyItemSelected(QWidget* widget, int item) {
    Notify(widget, item, QAccessible::Selection);
}

void ReportAccessible(QAccessibleEvent& e) {
    if (QAccessible::isActive()) {
        QAccessible::updateAccessibility(&e);
        return;
    }
    // Qt calls the handler only while a bridge is active; it can only be
    // read by putting it back.
    const QAccessible::UpdateHandler handler = QAccessible::installUpdateHandler(nullptr);
    QAccessible::installUpdateHandler(handler);
    if (handler) {
        handler(&e);
    }
}

} // namespace platform
