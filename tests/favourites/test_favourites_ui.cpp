// The favourites panel and its name dialog. What clicks, renames, menus and
// "Spar" do to the list and the chart's marker, that the boxes follow it, and
// what a name may hold, are the random session's to check; here are the exact
// layout, texts and the rename dialog.
#include "colour/Module1.h"
#include "favourites/FavouritesUi.h"
#include "favourites/frmLagre.h"
#include "tests/Support.h"

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

    // The boxes: newest on top, 19 pixels apart sharing a row, where the
    // later box wins; scrolled, they move with the scroll bar.
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

    void boxTextsAndColours() {
        f->model.AddColor(Pack(0, 0, 255), "blå");
        f->model.AddColor(0, "svart");
        f->model.AddColor(Pack(76, 76, 76), "");
        f->model.AddColor(Pack(255, 128, 0), "Oransje");
        f->ui.UpdateColorbox();
        QCOMPARE(panel->BoxText(0) + "|" + panel->BoxText(1),
                 QString("\"#FF8000\" Oransje|\"#4C4C4C\" "));
        // Painting shows the colours and leaves the shared components alone.
        Module1::Red = Module1::Green = Module1::Blue = 2;
        const QImage shot = inner->grab().toImage();
        QCOMPARE(shot.pixelColor(160, 1 + 19 * 3 + 10), QColor(0, 0, 255));
        QCOMPARE(Module1::Red + Module1::Green + Module1::Blue, 6);
    }

    // Commands act on the selected box: one left over from a longer list does
    // nothing; a double-click renames, starting from the old name, selected.
    void commandsOnTheSelection() {
        Fill(3);
        f->model.SelectedPos = 5;
        for (int i : {3, 0, 2}) {
            f->ui.mnuMusD_Click(i);
        }
        QVERIFY(f->dialogTitles.isEmpty() && f->model.Count() == 3 && !f->model.ListChanged);
        f->dialogScripts.push_back([](QDialog& dialog) {
            auto& d = static_cast<frmLagre&>(dialog);
            QCOMPARE(d.txtNavn->selectedText(), QString("c3"));
            QCOMPARE(d.Lbl1BackColor(), 3);
            d.txtNavn->selectAll();
            QTest::keyClicks(d.txtNavn, "Gul");
            QTest::keyClick(d.txtNavn, Qt::Key_Return);
        });
        f->model.SelectedPos = 1;
        f->ui.picColor_DblClick(0);
        QCOMPARE(panel->BoxText(0), QString("\"#030000\" Gul"));
    }

    // A name read from a file may be longer than can be typed. Renaming keeps
    // it whole and lets it shorten, but what typing took off cannot be typed
    // or pasted back; once at 25 or below, 25 holds.
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
            QTest::keyClicks(name, "xy");
            name->setCursorPosition(0);
            name->insert(QStringLiteral("Ny "));
            QCOMPARE(name->text(), QStringLiteral("Lys blågrønn fra fjorårets kat"));
            QCOMPARE(name->cursorPosition(), 0);
            for (int i = 0; i < 10; ++i) {
                QTest::keyClick(name, Qt::Key_Delete);
            }
            QTest::keyClicks(name, QStringLiteral("Mørk grønn"));
            QTest::keyClick(name, Qt::Key_Return);
        });
        f->model.SelectedPos = 1;
        f->ui.picColor_DblClick(0);
        QCOMPARE(f->model.Name(1), QStringLiteral("Mørk nn fra fjorårets kat"));
    }
};

QTEST_MAIN(TestFavouritesUi)
#include "test_favourites_ui.moc"
