#include "colour/Module1.h"
#include "favourites/FavouritesUi.h"
#include "favourites/frmLagre.h"
#include "platform/doubles/Doubles.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <functional>
#include <memory>

using namespace favourites;
using Module1::Pack;
using platform::MsgAnswer;

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

// Centre of box k in picBoksInn while not scrolled.
QPoint Centre(int k) {
    return BoxPanel::BoxRect(k).center();
}

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
        f->dialogScripts.push_back([script](QDialog& d) { script(*qobject_cast<frmLagre*>(&d)); });
    }

private slots:
    void init() {
        f = std::make_unique<Fakes>();
        panel = f->ui.picBoksUt();
        inner = panel->picBoksInn();
        f->main.show();
    }
    void cleanup() { f.reset(); }

    void layoutAndScrolling() {
        f->ui.UpdateColorbox();
        QCOMPARE(panel->BoxCount(), 0);
        QCOMPARE(panel->InnerHeight(), 22);
        QCOMPARE(panel->vsbFav()->maximum(), 0);

        Fill(10);
        QCOMPARE(panel->InnerHeight(), 192);
        QCOMPARE(panel->vsbFav()->maximum(), 0);
        QCOMPARE(panel->BoxColour(0), 10); // newest on top
        QCOMPARE(panel->BoxColour(9), 1);

        f->model.AddColor(11, "c11");
        f->ui.UpdateColorbox();
        QCOMPARE(panel->vsbFav()->maximum(), 19);
        for (int c = 12; c <= 30; ++c) {
            f->model.AddColor(c, "");
        }
        f->ui.UpdateColorbox();
        panel->vsbFav()->setValue(57);
        QCOMPARE(panel->InnerTop(), -57);
        f->model.AddColor(31, "");
        f->ui.UpdateColorbox(); // the scroll value stays
        QCOMPARE(panel->vsbFav()->value(), 57);

        // Deleting down to 11 boxes clamps the value and moves the boxes back.
        f->model.SelectedPos = 1;
        for (int i = 0; i < 20; ++i) {
            f->ui.mnuMusD_Click(0);
        }
        QCOMPARE(panel->vsbFav()->value(), 19);
        QCOMPARE(panel->InnerTop(), -19);
        QCOMPARE(panel->BoxAt({5, 1}), 1); // inner row 20 is box 1's top row

        QWheelEvent wheel({50, 50}, panel->mapToGlobal(QPointF(50, 50)), {}, {0, 120}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(panel, &wheel);
        QCOMPARE(panel->vsbFav()->value(), 0);
    }

    void boxTextsAndColours() {
        f->model.AddColor(Pack(0, 0, 255), "blå");
        f->model.AddColor(0, "svart");
        f->model.AddColor(Pack(76, 76, 76), "");
        f->model.AddColor(Pack(75, 75, 75), "");
        f->model.AddColor(Pack(255, 128, 0), "Oransje");
        f->ui.UpdateColorbox();
        QCOMPARE(panel->BoxText(0), QString("\"#FF8000\" Oransje"));
        QCOMPARE(panel->Tag(0), QString::number(Pack(255, 128, 0)));
        QCOMPARE(panel->BoxText(2), QString("\"#4C4C4C\" "));
        QCOMPARE(panel->BoxForeColor(1), QColor(Qt::white));
        QCOMPARE(panel->BoxForeColor(2), QColor(Qt::black));
        QCOMPARE(panel->BoxForeColor(3), QColor(Qt::white));
        QCOMPARE(panel->BoxForeColor(4), QColor(Qt::black));
        QCOMPARE(panel->BoxAt({5, 250}), -1);

        // Painting shows the colours and leaves the shared components alone.
        Module1::Red = 1;
        Module1::Green = 2;
        Module1::Blue = 3;
        const QImage shot = inner->grab().toImage();
        QCOMPARE(shot.pixelColor(160, 1 + 19 * 4 + 10), QColor(0, 0, 255));
        QCOMPARE(shot.pixelColor(160, 0), QColor(0xE0, 0xE0, 0xE0));
        QCOMPARE(Module1::Red + Module1::Green + Module1::Blue, 6);
    }

    void hitTesting() {
        Fill(3);
        QCOMPARE(panel->BoxAt({5, 0}), -1); // the row above the first box
        QCOMPARE(panel->BoxAt({168, 19}), 0);
        QCOMPARE(panel->BoxAt({169, 10}), -1);
        QCOMPARE(panel->BoxAt({5, 20}), 1); // shared row: the later box
        QCOMPARE(panel->BoxAt({5, 58}), 2); // the last box keeps its bottom row
        QCOMPARE(panel->BoxAt({5, 59}), -1);
    }

    void clicksPickSelectAndDelete() {
        Fill(3);
        QTest::mouseClick(inner, Qt::LeftButton, {}, Centre(2));
        QCOMPARE(f->log, QStringList({"pick 1", "hide"}));
        QCOMPARE(f->model.SelectedPos, 3);
        QCOMPARE(f->popups, 0);
        QTest::mouseClick(inner, Qt::LeftButton, {}, {5, 100}); // below the boxes
        QCOMPARE(f->log.size(), 2);

        f->log.clear();
        f->menuChoices = {0};
        QTest::mouseClick(inner, Qt::RightButton, {}, Centre(1));
        QCOMPARE(f->log, QStringList({"pick 2", "hide", "menu at 2"}));
        QCOMPARE(f->lastPopupAt, inner->mapToGlobal(Centre(1)));
        QCOMPARE(f->model.FavColors(), QList<int32_t>({3, 1}));
        QCOMPARE(f->model.FavNames(), QStringList({"c3", "c1"}));
        QVERIFY(f->model.ListChanged);
    }

    void deleteAll() {
        Fill(2);
        f->box.answers = {MsgAnswer::Cancel, MsgAnswer::OK};
        f->ui.mnuMusD_Click(1);
        QCOMPARE(f->model.Count(), 2);
        QVERIFY(!f->model.ListChanged);
        QCOMPARE(f->box.shown[0].text,
                 QString("Er du sikker på at du vil slette alle fargene i denne listen?"));
        QCOMPARE(f->box.shown[0].title, QString("Tøm listen"));
        QVERIFY(f->box.shown[0].buttons == platform::MsgButtons::OKCancel);
        QVERIFY(f->box.shown[0].icon == platform::MsgIcon::Question);
        f->ui.mnuMusD_Click(1);
        QCOMPARE(f->model.Count(), 0);
        QCOMPARE(panel->BoxCount(), 0);
        QVERIFY(f->model.ListChanged);
    }

    void renameDialog() {
        f->model.AddColor(Pack(255, 128, 0), "Oransje");
        f->model.ListChanged = false;
        f->ui.UpdateColorbox();
        // Avbryt changes nothing; the only favourite keeps its place.
        Answer([](frmLagre& d) {
            QCOMPARE(d.txtNavn->selectedText(), QString("Oransje"));
            QCOMPARE(d.Lbl1BackColor(), Pack(255, 128, 0));
            QCOMPARE(d.lbl1->text(), QString("\"#FF8000\""));
            d.cmdAvbryt->click();
        });
        QTest::mouseClick(inner, Qt::LeftButton, {}, Centre(0));
        QTest::mouseDClick(inner, Qt::LeftButton, {}, Centre(0));
        QTest::mouseRelease(inner, Qt::LeftButton, {}, Centre(0));
        QCOMPARE(f->dialogTitles, QStringList({"Endre fargenavn"}));
        QCOMPARE(f->model.FavNames(), QStringList({"Oransje"}));
        QVERIFY(!f->model.ListChanged);

        Answer([](frmLagre& d) {
            d.txtNavn->selectAll();
            QTest::keyClicks(d.txtNavn, "Gul");
            QTest::keyClick(d.txtNavn, Qt::Key_Return);
        });
        f->ui.picColor_DblClick(0);
        QCOMPARE(f->model.FavNames(), QStringList({"Gul"}));
        QCOMPARE(f->model.FavColors(), QList<int32_t>({Pack(255, 128, 0)}));
        QCOMPARE(panel->BoxText(0), QString("\"#FF8000\" Gul"));
        QVERIFY(f->model.ListChanged);

        // A selection left over from a longer list does nothing.
        f->model.SelectedPos = 5;
        f->ui.mnuMusD_Click(3);
        f->ui.mnuMusD_Click(0);
        f->ui.mnuMusD_Click(2);
        QCOMPARE(f->dialogTitles.size(), 2);
        QCOMPARE(f->model.Count(), 1);
    }

    void sparDialog() {
        Fill(1);
        f->current = Pack(10, 20, 30);
        f->lightness = 70;
        Answer([](frmLagre& d) {
            QCOMPARE(d.Lbl1ForeColor(), QColor(Qt::white));
            QCOMPARE(d.lbl1->text(), QString("\"#0A141E\""));
            QTest::keyClicks(d.txtNavn, "a\"bcdefghijklmnopqrstuvwxyz0123");
            QCOMPARE(d.txtNavn->text(), QString("abcdefghijklmnopqrstuvwxy"));
            d.cmdAvbryt->click();
        });
        f->ui.cmdSpar_Click();
        QCOMPARE(f->model.Count(), 1);

        f->lightness = 71;
        Answer([](frmLagre& d) {
            QCOMPARE(d.Lbl1ForeColor(), QColor(Qt::black));
            d.cmdOk->click();
        });
        f->ui.cmdSpar_Click();
        QCOMPARE(f->dialogTitles, QStringList({"Lagre farge", "Lagre farge"}));
        QCOMPARE(f->model.FavColors(), QList<int32_t>({Pack(10, 20, 30), 1}));
        QCOMPARE(panel->BoxText(0), QString("\"#0A141E\" "));
        QCOMPARE(f->tabs, 1);
        QVERIFY(f->model.ListChanged && !f->model.RenameMode);
    }
};

QTEST_MAIN(TestFavouritesUi)
#include "test_favourites_ui.moc"
