// A long random session on the real main window: keys, wheel, clicks and
// drags, notations, copies, tabs, boxes, renames, menus and "Spar" answered
// at random, each followed by a check of the window's invariants and of the
// list the action leaves (File menu flows: test_filemenu, e2e_file_safety).
// TINTRA_SEED (fixed by default) and TINTRA_ACTIONS (50000) set it; a failure
// names the seed, the action and the random numbers it drew.
#include "app/frmTintra.h"
#include "colour/Module1.h"
#include "colour/Notation.h"
#include "favourites/BoxPanel.h"
#include "favourites/frmLagre.h"
#include "tests/Support.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <optional>
#include <random>

using favourites::ColourList;
using platform::MsgAnswer;

namespace {

template <typename... W> QString Texts(W*... widgets) {
    return QStringList{widgets->text()...}.join('|');
}

const QString kNameChars = QString::fromUtf8("abcxyzÆØÅæøå ,.-'\"€日本é");
const QString kDeleteAll =
    QString::fromUtf8("Er du sikker på at du vil slette alle fargene i denne listen?");

} // namespace

class RandomSession : public QObject {
    Q_OBJECT
    std::mt19937 rng;
    QTemporaryDir dir;
    platform::doubles::FakeServices fakes;
    std::optional<frmTintra> w;
    ColourList before;              // the list before the action
    std::optional<ColourList> want; // the list the action must leave
    QString trace, broken;          // the action's random numbers; its first broken promise

    int Rand(int n) {
        const int r = std::uniform_int_distribution<int>(0, n - 1)(rng);
        trace += QStringLiteral(" %1").arg(r);
        return r;
    }
    void Expect(bool ok, const QString& what) { broken = ok || !broken.isEmpty() ? broken : what; }
    const favourites::FavouritesModel& Model() { return w->Favourites(); }

    // Press, moves (maybe outside) and release; gives the points passed.
    std::vector<QPoint> Drag(QWidget* on, Qt::MouseButton button, int moves) {
        std::vector<QPoint> at = {{Rand(on->width()), Rand(on->height())}};
        support::SendMouse(on, QEvent::MouseButtonPress, at[0], button, button);
        for (; moves > 0; --moves) {
            at.push_back({Rand(on->width() + 40) - 20, Rand(on->height() + 40) - 20});
            support::SendMouse(on, QEvent::MouseMove, at.back(), Qt::NoButton, button);
        }
        support::SendMouse(on, QEvent::MouseButtonRelease, at.back(), button, Qt::NoButton);
        return at;
    }

    // Answers the next name dialog with typed text, then OK, Enter or
    // Avbryt; at OK the list must become `list` with position `pos` so named.
    void NameDialog(ColourList list, int pos) {
        QString typed;
        for (int n = Rand(10) ? Rand(12) : 30; n > 0; --n) {
            typed += kNameChars[Rand(int(kNameChars.size()))];
        }
        fakes.modal.dialogScripts = {[this, list, pos, typed, how = Rand(5)](QDialog& d) mutable {
            auto& dialog = static_cast<favourites::frmLagre&>(d);
            for (const QChar c : typed) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QApplication::sendEvent(dialog.txtNavn, &press);
            }
            const QString name = dialog.txtNavn->text();
            Expect(!name.contains('"') && name.size() <= 25,
                   "a name with a quote or more than 25 long was typed: " + name);
            list.names[pos - 1] = name;
            want = how ? list : before;
            how == 0   ? dialog.cmdAvbryt->click()
            : how == 1 ? dialog.cmdOk->click()
                       : QTest::keyClick(dialog.txtNavn, Qt::Key_Return);
        }};
    }

    // A key, wheel turn, click or drag on a slider, a notation, or a copy.
    void Editor() {
        static const Qt::Key keys[] = {Qt::Key_Left,   Qt::Key_Right,    Qt::Key_Up,   Qt::Key_Down,
                                       Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
        const int i = Rand(4), how = Rand(9);
        QSlider* s = i < 3 ? static_cast<QSlider*>(w->HScroll1[i]) : w->vsc1;
        QComboBox* list = i % 2 ? w->cboHexFormat : w->cboRgbFormat;
        // The button that sets the handle where it is pressed drags.
        const auto drag =
            Qt::MouseButton(s->style()->styleHint(QStyle::SH_Slider_AbsoluteSetButtons));
        s->setFocus();
        if (how < 3) {
            QTest::keyClick(s, keys[Rand(8)]);
        } else if (how == 3) {
            support::SendWheel(s, QPoint(Rand(s->width()), 5),
                               (Rand(2) ? 120 : -120) * (1 + Rand(2)));
        } else if (how < 6) {
            Drag(s, how == 4 ? Qt::LeftButton : drag, (how - 4) * (1 + Rand(5)));
        } else if (how == 6) {
            list->setCurrentIndex(Rand(list->count()));
        } else if (how == 7) {
            QTest::keyClick(list, i < 2 ? Qt::Key_Up : Qt::Key_Down);
        } else {
            QTest::mouseClick(w->cmdKopi[i], Qt::LeftButton);
            Expect(fakes.clipboard.text ==
                       Texts(w->lblHex2, w->lblRGB2, w->lblLong2, w->lblHSL2).section('|', i, i),
                   "the clipboard differs from the text");
        }
    }

    // A tab click now and then; else a box action, or a drag on the picture
    // shown, whose left button picks and marks the last pixel it passed.
    void Panel() {
        const int tab = Rand(100) < 45 ? 3 : Rand(100) < 70 ? 1 : 2;
        if (w->SelectedTab() != tab || Rand(100) < 3) {
            return QTest::mouseClick(w->TabStrip1, Qt::LeftButton, {},
                                     w->TabStrip1->tabRect(tab - 1).center());
        }
        if (tab == 3) {
            return Box();
        }
        platform::PictureBox* pic = w->picFarge[tab - 1];
        const Qt::MouseButton button = Rand(100) < 85 ? Qt::LeftButton
                                       : Rand(2)      ? Qt::RightButton
                                                      : Qt::MiddleButton;
        const auto marker = [this] {
            return std::tuple(w->picValgt->BackColor(), w->linX->parentWidget(),
                              w->linX->Position(), w->linY->Position(),
                              w->linX->isVisible() && w->linY->isVisible());
        };
        auto marked = marker();
        for (QPoint p : Drag(pic, button, Rand(100) < 30 ? 1 + Rand(6) : 0)) {
            p -= pic->Origin();
            if (button == Qt::LeftButton && pic->Point(p.x(), p.y()) != -1) {
                marked = {pic->Point(p.x(), p.y()), pic, p.x(), p.y(), true};
            }
        }
        Expect(marker() == marked, "the colour under the pointer was not picked and marked");
    }

    // A click, double-click (rename) or the menu (Slett, Slett alle, the
    // separator, Rediger or none) on the boxes, now and then scrolled. A click
    // on a box picks its colour and hides the chart's marker.
    void Box() {
        favourites::BoxPanel* panel = w->picBoksUt;
        if (Rand(100) < 15) {
            panel->vsbFav()->setValue(Rand(panel->vsbFav()->maximum() + 1));
        }
        QWidget* inner = panel->picBoksInn();
        const QPoint at(Rand(inner->width()), Rand(inner->height()));
        const int k = panel->BoxAt(at), what = Rand(10), choice = Rand(5), sure = Rand(2);
        const int pos = k < 0 ? Model().SelectedPos : k + 1;
        const int32_t colour = k < 0 ? w->picValgt->BackColor() : before.colors[k];
        want = before;
        if (k >= 0 && (what == 5 || what == 6 || (what >= 7 && choice == 3))) {
            NameDialog(before, k + 1); // a rename
        }
        fakes.modal.menuChoices = {choice};
        fakes.messageBox.answers = {sure ? MsgAnswer::OK : MsgAnswer::Cancel};
        const Qt::MouseButton button = what < 7 ? Qt::LeftButton : Qt::RightButton;
        support::SendMouse(inner, QEvent::MouseButtonPress, at, button, button);
        support::SendMouse(inner, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
        if (what == 5 || what == 6) {
            support::SendMouse(inner, QEvent::MouseButtonDblClick, at, button, button);
            support::SendMouse(inner, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
        }
        Expect(what >= 5 || (Model().SelectedPos == pos && w->picValgt->BackColor() == colour &&
                             (k < 0 || w->linX->isHidden())),
               "a click on a box did not pick and select it, or one beside the boxes did");
        if (k >= 0 && what >= 7 && choice == 0) {
            want->colors.remove(k);
            want->names.remove(k);
        } else if (k >= 0 && what >= 7 && choice == 1 && sure) {
            want = ColourList();
        }
    }

    // "Spar": the swatch's colour on top under the name given.
    void Spar() {
        ColourList added = before;
        added.colors.prepend(w->picValgt->BackColor());
        added.names.prepend(QString());
        want = before;
        NameDialog(added, 1);
        QTest::mouseClick(w->cmdSpar, Qt::LeftButton);
        Expect(support::Same(*want, before) || w->SelectedTab() == 3,
               "Spar did not show the favourites");
    }

    void Act() {
        const int r = Rand(100);
        r < 43 ? Editor() : r < 90 ? Panel() : Spar();
    }

    void Check() {
        using namespace Module1;
        const favourites::BoxPanel* panel = w->picBoksUt;
        const int32_t shown = w->picValgt->BackColor();
        const int16_t r = shown & 0xFF, g = (shown >> 8) & 0xFF, b = (shown >> 16) & 0xFF;
        const int16_t l = int16_t(w->vsc1->value()), n = int16_t(Model().Count()),
                      tab = int16_t(w->SelectedTab());
        const auto& s = w->HScroll1;
        // The texts describe the swatch (HSL: the picked hue and saturation at
        // the slider's lightness), a shade of those or at its own lightness.
        const HSLValue hsl = CurrentHSL;
        const RGBValue shade = HSLToRGB(hsl.H, hsl.S, l);
        const QString texts = Texts(w->lblHex2, w->lblRGB2, w->lblLong2, w->lblHSL2);
        const std::string described =
            Notation::HexText(w->cboHexFormat->currentIndex(), shown, r, g, b).value_or("<none>") +
            "|" + Notation::RgbText(w->cboRgbFormat->currentIndex(), r, g, b).value_or("<none>") +
            "|" + Notation::LongText(shown) + "|" + Notation::HSLText(hsl.H, hsl.S, l);
        const std::pair<bool, QString> promises[] = {
            {s[0]->value() == r && s[1]->value() == g && s[2]->value() == b &&
                 Texts(w->lblRval, w->lblGval, w->lblBval, w->lblLight) ==
                     QStringLiteral("%1|%2|%3|%4").arg(r).arg(g).arg(b).arg(l),
             "a slider or its number disagrees with the swatch"},
            {texts.toStdString() == described, "the texts do not describe the swatch: " + texts},
            {Pack(shade.R, shade.G, shade.B) == shown || (RGBToHSL(r, g, b) == hsl && hsl.L == l),
             "the swatch is neither the colour picked nor a shade of it"},
            {w->lin1->isHidden() == (shown != w->pic1->BackColor()),
             "the marker line disagrees with the swatches"},
            {Model().FavNames().size() == n && panel->BoxCount() == n &&
                 panel->InnerHeight() == (n ? 2 + 19 * n : 22) &&
                 panel->vsbFav()->maximum() == std::max<qint64>(0, panel->InnerHeight() - 192),
             QStringLiteral("%1 boxes for %2 favourites").arg(panel->BoxCount()).arg(n)},
            {!want || support::Same(Model().List(), *want),
             "the list is not what the action leaves of it"},
            {!want || support::Same(*want, before) || Model().ListChanged,
             "a changed list counts as saved"},
            {w->windowTitle() == frmTintra::ExeName() + " - " + w->FileMenu().CurrentFileName,
             "the caption does not name the current file"},
            {w->picFarge[0]->isVisible() == (tab == 1) &&
                 w->picFarge[1]->isVisible() == (tab == 2) &&
                 w->picBoksUt->isVisible() == (tab == 3),
             "the panel shown is not the selected tab's"}};
        for (const auto& [ok, what] : promises) {
            Expect(ok, what);
        }
        for (const auto& m : fakes.messageBox.shown) {
            Expect(m.text == kDeleteAll, "unexpected message: " + m.text);
        }
    }

private slots:
    void session() {
        const uint seed = qEnvironmentVariable("TINTRA_SEED", "20260101").toUInt();
        const int actions = qEnvironmentVariable("TINTRA_ACTIONS", "50000").toInt();
        rng.seed(seed);
        QVERIFY(QDir::setCurrent(dir.path()));
        support::Setting(fakes, "Path") = dir.path();
        w.emplace(fakes.Get());
        w->Form_Initialize();
        w->Form_Load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(&*w));

        int step = 0;
        while (++step <= actions && broken.isEmpty()) {
            before = Model().List();
            want.reset();
            trace.clear();
            fakes = {};
            Act();
            Check();
            if (step % 200 == 0) {
                QCoreApplication::processEvents();
            }
        }
        QVERIFY2(broken.isEmpty(), qPrintable(QStringLiteral("seed %1, action %2 (%3): %4")
                                                  .arg(seed)
                                                  .arg(step - 1)
                                                  .arg(trace, broken)));
    }
};

QTEST_MAIN(RandomSession)
#include "test_random_session.moc"
