// The favourites panel and its name dialog. What clicks, renames, menus and
// "Spar" do to the list, and that the boxes follow it, is also the random
// session's to check; here are the exact layout, texts, colours and dialogs.
#include "colour/Module1.h"
#include "favourites/FavouritesUi.h"
#include "favourites/frmLagre.h"
#include "platform/doubles/Doubles.h"
#include "tests/Support.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <functional>
#include <memory>

using namespace favourites;
using Module1::Pack;

namespace {

// The main window's side, and the dialogs and menus answered by script. The
// log notes the selection at the moment the menu pops up.
struct Fakes : FavouritesHost, platform::doubles::FakeModal {
    QWidget main;
    FavouritesModel model;
    platform::doubles::FakeMessageBox box;
    QStringList log;
    int32_t current = 0;
    int lightness = 120;
    int tabs = 0;
    FavouritesUi ui{model, *this, box, *this, &main};

    void PickColour(int32_t c) override { log << QStringLiteral("pick %1").arg(c); }
    void HideChartMarkers() override { log << "hide"; }
    void SelectFavouritesTab() override { ++tabs; }
    int32_t CurrentColour() override { return current; }
    int LightnessValue() override { return lightness; }
    QWidget* DialogOwner() override { return &main; }
    void Popup(QMenu& menu, const QPoint& at) override {
        log << QStringLiteral("menu at %1").arg(model.SelectedPos);
        FakeModal::Popup(menu, at);
    }
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
    // Script for the next dialog: checks and answers it.
    void Answer(std::function<void(frmLagre&)> script) {
        f->dialogScripts.push_back([script](QDialog& d) { script(static_cast<frmLagre&>(d)); });
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
    // later box wins; the scroll value stays as long as the range allows.
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
        f->model.AddColor(32, "");
        f->ui.UpdateColorbox();
        QCOMPARE(panel->vsbFav()->value(), 57);
        // Deleting down to 11 boxes clamps the value and moves the boxes back.
        f->model.SelectedPos = 1;
        for (int i = 0; i < 21; ++i) {
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
        f->model.AddColor(Pack(75, 75, 75), "");
        f->model.AddColor(Pack(255, 128, 0), "Oransje");
        f->ui.UpdateColorbox();
        QCOMPARE(panel->BoxText(0) + "|" + panel->BoxText(2),
                 QString("\"#FF8000\" Oransje|\"#4C4C4C\" "));
        QCOMPARE(panel->Tag(0), QString::number(Pack(255, 128, 0)));
        // The text is white up to lightness 70 (grey 75), black above.
        for (int k = 0; k < 5; ++k) {
            QCOMPARE(panel->BoxForeColor(k), QColor(k % 2 ? Qt::white : Qt::black));
        }
        // Painting shows the colours and leaves the shared components alone.
        Module1::Red = Module1::Green = Module1::Blue = 2;
        const QImage shot = inner->grab().toImage();
        QCOMPARE(shot.pixelColor(160, 1 + 19 * 4 + 10), QColor(0, 0, 255));
        QCOMPARE(shot.pixelColor(160, 0), QColor(0xE0, 0xE0, 0xE0));
        QCOMPARE(Module1::Red + Module1::Green + Module1::Blue, 6);
    }

    // A click picks the box's colour and hides the chart's marker before the
    // menu pops up where the pointer is, the box selected.
    void clicksAndTheMenu() {
        Fill(3);
        const QPoint centre = BoxPanel::BoxRect(1).center();
        QTest::mouseClick(inner, Qt::LeftButton, {}, centre);
        QTest::mouseClick(inner, Qt::RightButton, {}, centre);
        QCOMPARE(f->log, QStringList({"pick 2", "hide", "pick 2", "hide", "menu at 2"}));
        QCOMPARE(f->lastPopupAt, inner->mapToGlobal(centre));
        f->box.answers = {platform::MsgAnswer::Cancel};
        f->ui.mnuMusD_Click(1);
        const auto& asked = f->box.shown.at(0);
        QVERIFY(asked.title == "Tøm listen" && asked.buttons == platform::MsgButtons::OKCancel &&
                asked.icon == platform::MsgIcon::Question);
        // A selection left over from a longer list does nothing.
        f->model.SelectedPos = 5;
        for (int i : {3, 0, 2}) {
            f->ui.mnuMusD_Click(i);
        }
        QVERIFY(f->dialogTitles.isEmpty() && f->model.Count() == 3 && !f->model.ListChanged);
    }

    void nameDialogs() {
        f->model.AddColor(Pack(255, 128, 0), "Oransje");
        f->model.ListChanged = false;
        f->ui.UpdateColorbox();
        Answer([](frmLagre& d) {
            QCOMPARE(d.txtNavn->selectedText(), QString("Oransje"));
            QCOMPARE(d.Lbl1BackColor(), Pack(255, 128, 0));
            QCOMPARE(d.lbl1->text(), QString("\"#FF8000\""));
            d.txtNavn->selectAll();
            QTest::keyClicks(d.txtNavn, "Gul");
            QTest::keyClick(d.txtNavn, Qt::Key_Return);
        });
        f->model.SelectedPos = 1;
        f->ui.picColor_DblClick(0);
        QCOMPARE(panel->BoxText(0), QString("\"#FF8000\" Gul"));

        // "Spar": a name without quotes and at most 25 long, the label's text
        // white up to lightness 70.
        f->current = Pack(10, 20, 30);
        for (int lightness : {70, 71}) {
            f->lightness = lightness;
            Answer([lightness](frmLagre& d) {
                QCOMPARE(d.Lbl1ForeColor(), QColor(lightness == 70 ? Qt::white : Qt::black));
                QCOMPARE(d.lbl1->text(), QString("\"#0A141E\""));
                QTest::keyClicks(d.txtNavn, "a\"bcdefghijklmnopqrstuvwxyz0123");
                QCOMPARE(d.txtNavn->text(), QString("abcdefghijklmnopqrstuvwxy"));
                lightness == 70 ? d.cmdAvbryt->click() : d.cmdOk->click();
            });
            f->ui.cmdSpar_Click();
        }
        QCOMPARE(f->dialogTitles, QStringList({"Endre fargenavn", "Lagre farge", "Lagre farge"}));
        QCOMPARE(panel->BoxText(0), QString("\"#0A141E\" abcdefghijklmnopqrstuvwxy"));
        QVERIFY(f->tabs == 1 && f->model.Count() == 2 && !f->model.RenameMode);
    }
};

QTEST_MAIN(TestFavouritesUi)
#include "test_favourites_ui.moc"
