// The favourites panel's exact layout, texts, rename dialog and keys. What
// clicks, renames, menus and "Spar" do to the list, and what a name may hold,
// are the random session's; Enter picking a box, e2e_keyboard's.
#include "colour/Module1.h"
#include "favourites/FavouritesUi.h"
#include "favourites/frmLagre.h"
#include "tests/Support.h"

#include <QAccessible>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include <memory>

using namespace favourites;
using Module1::Pack;

namespace {

// The main window's side, and the dialogs and menus answered by script.
struct Fakes : FavouritesHost, platform::doubles::FakeModal {
    QWidget main;
    FavouritesModel model;
    platform::doubles::FakeMessageBox box;
    FavouritesUi ui{model, *this, box, *this, &main};

    void PickColour(int32_t) override {}
    void HideChartMarkers() override {}
    void SelectFavouritesTab() override {}
    int32_t CurrentColour() override { return 0; }
    int LightnessValue() override { return 120; }
    QWidget* DialogOwner() override { return &main; }
};

} // namespace

class TestFavouritesUi : public QObject {
    Q_OBJECT
    std::unique_ptr<Fakes> f;
    BoxPanel* panel = nullptr;
    QWidget* inner = nullptr;

    // Adds colours 1..n, so box k holds colour n - k named "c<colour>".
    void Fill(int n) {
        for (int c = 1; c <= n; ++c) {
            f->model.AddColor(c, QStringLiteral("c%1").arg(c));
        }
        f->model.ListChanged = false;
        f->ui.UpdateColorbox();
    }

private slots:
    void init() {
        f = std::make_unique<Fakes>();
        panel = f->ui.picBoksUt();
        inner = panel->picBoksInn();
        f->main.show();
    }
    void cleanup() { f.reset(); }

    // Newest box on top, 19 pixels apart sharing a row (the later box wins);
    // scrolled, they move with the scroll bar.
    void layoutHitsAndScrolling() {
        Fill(3);
        QCOMPARE(panel->BoxColour(0), 3);
        const QPoint points[] = {{5, 0}, {168, 19}, {169, 10}, {5, 20}, {5, 58}, {5, 59}};
        const int boxes[] = {-1, 0, -1, 1, 2, -1};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(panel->BoxAt(points[i]), boxes[i]);
        }
        Fill(28); // 31 boxes
        panel->vsbFav()->setValue(57);
        QCOMPARE(panel->InnerTop(), -57);
        // Deleting down to 11 boxes clamps the value and moves the boxes back.
        f->model.SelectedPos = 1;
        for (int i = 0; i < 20; ++i) {
            f->ui.mnuMusD_Click(0);
        }
        QCOMPARE(panel->vsbFav()->value(), 19);
        QCOMPARE(panel->InnerTop(), -19);
        QCOMPARE(panel->BoxAt({5, 1}), 1); // inner row 20 is box 1's top row
        support::SendWheel(panel, QPointF(50, 50), 120);
        QCOMPARE(panel->vsbFav()->value(), 0);
    }

    // Commands act on the selected box: one left over from a longer list does
    // nothing.
    void boxTextsColoursAndAStaleSelection() {
        f->model.AddColor(1, QString(10'000'000, u'n')); // cut short, not laid out whole
        f->model.AddColor(Pack(0, 0, 255), "blå");
        f->model.AddColor(0, "svart");
        f->model.AddColor(Pack(76, 76, 76), "");
        f->model.AddColor(Pack(255, 128, 0), "Oransje");
        f->ui.UpdateColorbox();
        QCOMPARE(panel->BoxText(0) + "|" + panel->BoxText(1),
                 QString("\"#FF8000\" Oransje|\"#4C4C4C\" "));
        QCOMPARE(panel->BoxText(4), "\"#010000\" " + QString(199, u'n') + QChar(0x2026));
        // Painting shows the colours and leaves the shared components alone.
        Module1::Red = Module1::Green = Module1::Blue = 2;
        const QImage shot = inner->grab().toImage();
        QCOMPARE(shot.pixelColor(160, 1 + 19 * 3 + 10), QColor(0, 0, 255));
        QCOMPARE(Module1::Red + Module1::Green + Module1::Blue, 6);
        f->model.SelectedPos = 6;
        f->model.ListChanged = false;
        for (int i : {3, 0, 2}) {
            f->ui.mnuMusD_Click(i);
        }
        QVERIFY(f->dialogTitles.isEmpty() && f->model.Count() == 5 && !f->model.ListChanged);
    }

    // On 50 boxes the selection starts at the top; arrows, Page Up/Down, Home
    // and End move it and scroll it into view; it shows only with the focus.
    // Delete asks first; Shift+F10 and the Menu key pop up the menu at the
    // box (F2, renaming from the old name: e2e_keyboard).
    void keyboardOnFiftyBoxes() {
        Fill(50);
        QVERIFY(QTest::qWaitForWindowActive(&f->main));
        inner->setFocus(Qt::TabFocusReason);
        QCOMPARE(f->model.SelectedPos, 1);
        const auto press = [this](const QList<Qt::Key>& keys) {
            for (Qt::Key k : keys) {
                QTest::keyClick(inner, k);
            }
            const QRect box =
                BoxPanel::BoxRect(f->model.SelectedPos - 1).translated(0, panel->InnerTop());
            return box.top() >= 0 && box.bottom() < inner->height() ? f->model.SelectedPos : -1;
        };
        QCOMPARE(press({Qt::Key_Up}), 1);
        QCOMPARE(press(QList<Qt::Key>(12, Qt::Key_Down)), 13);
        QCOMPARE(press({Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp}), 23);
        QCOMPARE(press({Qt::Key_End, Qt::Key_Down}), 50);
        QCOMPARE(press({Qt::Key_Home, Qt::Key_PageDown, Qt::Key_PageDown}), 21);
        const QImage focused = inner->grab().toImage();
        inner->clearFocus();
        QVERIFY(focused != inner->grab().toImage());

        inner->setFocus(Qt::TabFocusReason);
        QTest::keyClick(inner, Qt::Key_End);
        f->box.answers = {platform::MsgAnswer::Cancel, platform::MsgAnswer::OK};
        QTest::keyClick(inner, Qt::Key_Delete);
        QCOMPARE(f->model.Count(), 50);
        QTest::keyClick(inner, Qt::Key_Delete);
        QVERIFY(f->model.Count() == 49 && f->model.SelectedPos == 49 && f->model.ListChanged);
        QCOMPARE(f->box.shown.back().text,
                 QString("Er du sikker på at du vil slette \"#010000\" c1?"));
        f->menuChoices = {0};
        QTest::keyClick(inner, Qt::Key_F10, Qt::ShiftModifier);
        QTest::keyClick(inner, Qt::Key_Menu);
        QVERIFY(f->popups == 2 && f->model.Count() == 48);
        QVERIFY(inner->rect().translated(inner->mapToGlobal(QPoint())).contains(f->lastPopupAt));
    }

    // A screen reader finds the boxes as a list of "name, colour" items; the
    // keys move the focus among them, and an item's action does what its key
    // does.
    void boxesForScreenReaders() {
        static QList<int> focused;
        QAccessible::installUpdateHandler([](QAccessibleEvent* e) {
            if (e->type() == QAccessible::Focus) {
                focused << e->child();
            }
        });
        Fill(2);
        f->model.AddColor(Pack(255, 128, 0), "");
        f->ui.UpdateColorbox();
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(inner);
        QVERIFY(list->role() == QAccessible::List && list->childCount() == 3);
        QCOMPARE(list->child(0)->text(QAccessible::Name) + "|" +
                     list->child(2)->text(QAccessible::Name),
                 QString("#FF8000|c1, #010000"));
        QVERIFY(QTest::qWaitForWindowActive(&f->main));
        inner->setFocus(Qt::TabFocusReason);
        QTest::keyClick(inner, Qt::Key_Down);
        QAccessible::installUpdateHandler(nullptr);
        QCOMPARE(focused, QList<int>({0, 1}));
        QVERIFY(list->child(1)->state().focused && !list->child(0)->state().selected);
        f->box.answers = {platform::MsgAnswer::OK};
        QAccessibleInterface* last = list->child(2);
        QAccessibleActionInterface* actions = last->actionInterface();
        QCOMPARE(actions->keyBindingsForAction("Gi nytt navn"), QStringList{"F2"});
        QCOMPARE(actions->localizedActionDescription("Slett"), "Sletter fargen fra listen");
        actions->doAction("Slett");
        QCOMPARE(f->model.Count(), 3); // once the screen reader's call has returned
        QTRY_COMPARE(f->model.Count(), 2);
        QVERIFY(last->state().invalid && !list->child(2));
    }

    // A name from a file longer than can be typed is kept whole and may
    // shorten, never grow back; once at 25 or below, 25 holds.
    void longNameOnlyShortens() {
        f->model.AddColor(7, QStringLiteral("Lys blågrønn fra fjorårets katalog")); // 34
        f->ui.UpdateColorbox();
        f->dialogScripts.push_back([](QDialog& dialog) {
            QLineEdit* name = static_cast<frmLagre&>(dialog).txtNavn;
            QCOMPARE(name->text().size(), 34);
            name->end(false);
            QTest::keyClicks(name, "x");
            for (int i = 0; i < 4; ++i) {
                QTest::keyClick(name, Qt::Key_Backspace);
            }
            name->setCursorPosition(0);
            QTest::keyClicks(name, "xy");
            QTest::keyClick(name, Qt::Key_Return);
        });
        f->model.SelectedPos = 1;
        f->ui.picColor_DblClick(0);
        QCOMPARE(f->model.Name(1), QStringLiteral("Lys blågrønn fra fjorårets kat"));
    }
};

QTEST_MAIN(TestFavouritesUi)
#include "test_favourites_ui.moc"
