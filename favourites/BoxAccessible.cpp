#include "favourites/BoxAccessible.h"

#include "favourites/BoxPanel.h"
#include "platform/widgets/PictureBox.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace favourites {

namespace {

// The actions of a box, in the order the keys list them.
struct BoxAction {
    QString name;
    QString description;
    int key;
    QString keyName;
};

const QList<BoxAction>& BoxActions() {
    static const QList<BoxAction> actions{
        {QStringLiteral("Velg"), QStringLiteral("Gjør fargen til gjeldende farge"), Qt::Key_Return,
         QStringLiteral("Enter")},
        {QStringLiteral("Gi nytt navn"), QStringLiteral("Endrer navnet på fargen"), Qt::Key_F2,
         QStringLiteral("F2")},
        {QStringLiteral("Slett"), QStringLiteral("Sletter fargen fra listen"), Qt::Key_Delete,
         QStringLiteral("Delete")},
    };
    return actions;
}

BoxPanel* PanelOf(const QWidget* view) {
    return view ? qobject_cast<BoxPanel*>(view->parentWidget()) : nullptr;
}

// One box: it reads the list each time, so renames and deletions show at
// once; a box past the end of the list is no longer valid.
class BoxItem : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    BoxItem(QWidget* view, int index) : view_(view), index_(index) {}

    bool isValid() const override {
        const BoxPanel* panel = PanelOf(view_);
        return panel && panel->BoxColour(index_) != -1;
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(view_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text t) const override {
        const BoxPanel* panel = PanelOf(view_);
        if (t != QAccessible::Name || !panel || !isValid()) {
            return {};
        }
        // The colour as the box shows it, without the quotes.
        QString colour = panel->BoxText(panel->BoxColour(index_), QString());
        colour.remove(u'"');
        colour = colour.trimmed();
        const QString name = panel->BoxName(index_).left(BoxPanel::kShownName);
        return name.isEmpty() ? colour : name + QStringLiteral(", ") + colour;
    }

    QRect rect() const override {
        const BoxPanel* panel = PanelOf(view_);
        if (!panel) {
            return {};
        }
        const QRect box =
            BoxPanel::BoxRect(index_).translated(0, static_cast<int>(panel->InnerTop()));
        return box.translated(view_->mapToGlobal(QPoint()));
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        const BoxPanel* panel = PanelOf(view_);
        if (!panel || !isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = s.focusable = true;
        s.selected = panel->SelectedIndex() == index_;
        s.focused = s.selected && view_->hasFocus();
        const QRect box =
            BoxPanel::BoxRect(index_).translated(0, static_cast<int>(panel->InnerTop()));
        s.offscreen = !view_->isVisible() || !view_->rect().intersects(box);
        s.invisible = !view_->isVisible();
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override {
        QStringList names;
        for (const BoxAction& a : BoxActions()) {
            names << a.name;
        }
        return names;
    }
    QString localizedActionName(const QString& name) const override { return name; }
    QString localizedActionDescription(const QString& name) const override {
        for (const BoxAction& a : BoxActions()) {
            if (a.name == name) {
                return a.description;
            }
        }
        return {};
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        for (const BoxAction& a : BoxActions()) {
            if (a.name == name) {
                return {a.keyName};
            }
        }
        return {};
    }
    void doAction(const QString& name) override {
        BoxPanel* panel = PanelOf(view_);
        for (const BoxAction& a : BoxActions()) {
            if (panel && a.name == name && isValid()) {
                emit panel->ItemAction(index_, a.key);
            }
        }
    }

    int Index() const { return index_; }

private:
    QPointer<QWidget> view_;
    const int index_;
};

// The boxes' view: a list with a child per favourite. Items are made as a
// screen reader asks for them and live as long as the view.
class BoxList : public QAccessibleWidget {
public:
    explicit BoxList(QWidget* view) : QAccessibleWidget(view, QAccessible::List) {}
    ~BoxList() override {
        for (QAccessible::Id id : std::as_const(items_)) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override {
        const BoxPanel* panel = PanelOf(widget());
        // The scroll bar is the panel's, not the list's.
        return panel ? panel->BoxCount() : 0;
    }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        QAccessible::Id& id = items_[index];
        if (!id) {
            id = QAccessible::registerAccessibleInterface(new BoxItem(widget(), index));
        }
        return QAccessible::accessibleInterface(id);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* item = dynamic_cast<const BoxItem*>(child);
        return item && item->parent() == this && item->Index() < childCount() ? item->Index() : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const BoxPanel* panel = PanelOf(widget());
        return panel ? child(panel->BoxAt(widget()->mapFromGlobal(QPoint(x, y)))) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const BoxPanel* panel = PanelOf(widget());
        return panel && widget()->hasFocus() ? child(panel->SelectedIndex()) : nullptr;
    }

private:
    mutable QHash<int, QAccessible::Id> items_;
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    auto* view = qobject_cast<QWidget*>(object);
    const BoxPanel* panel = PanelOf(view);
    return panel && panel->picBoksInn() == view ? new BoxList(view) : nullptr;
}

} // namespace

void InstallBoxAccessible() {
    static const bool installed = (QAccessible::installFactory(&Factory), true);
    (void)installed;
}

void ReportSelectedBox(QWidget* view, int index) {
    const BoxPanel* panel = PanelOf(view);
    if (!panel || panel->BoxColour(index) == -1) {
        return;
    }
    if (view->hasFocus()) {
        QAccessibleEvent focus(view, QAccessible::Focus);
        focus.setChild(index);
        platform::ReportAccessible(focus);
    }
    QAccessibleEvent selection(view, QAccessible::Selection);
    selection.setChild(index);
    platform::ReportAccessible(selection);
}

} // namespace favourites
