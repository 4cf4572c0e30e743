// A long random session on the real main window, offscreen: slider keys,
// drags and wheel turns, chart and measurement picture clicks and drags,
// lightness moves, notation changes, tab switches, "Spar" with random names,
// box picks, deletes and renames, copies, and File menu flows answered at
// random through the doubles. After every action the invariants the program
// keeps are checked.
//
//   TINTRA_SEED     the random seed (fixed by default, so CI repeats itself)
//   TINTRA_ACTIONS  how many actions (default 50000)
//
// A failure names the seed, the action number and the last actions.
#include "app/frmTintra.h"
#include "colour/Module1.h"
#include "colour/Notation.h"
#include "favourites/BoxPanel.h"
#include "favourites/FavouritesUi.h"
#include "favourites/frmLagre.h"
#include "platform/doubles/Doubles.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <random>

using platform::MsgAnswer;

namespace {

// The window, told when a picked colour becomes current.
class Window : public frmTintra {
public:
    using frmTintra::frmTintra;
    void PickColour(int32_t c) override {
        frmTintra::PickColour(c);
        shade = false;
    }
    // The texts show a shade of the picked colour (the lightness slider was
    // moved by the user since the last full refresh).
    bool shade = false;
};

QString Text(const std::optional<std::string>& s) {
    return s ? QString::fromStdString(*s) : QStringLiteral("<none>");
}

void SendMove(QWidget* w, const QPoint& at, Qt::MouseButtons held) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton,
                     held, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

void SendWheel(QWidget* w, const QPoint& at, int delta) {
    QWheelEvent wheel(QPointF(at), w->mapToGlobal(QPointF(at)), {}, {0, delta}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &wheel);
}

// Types text as key presses carrying it, as a keyboard of any layout would.
void Type(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

const QString kNameChars = QString::fromUtf8("abcxyzÆØÅæøå ,.-'\"€日本é");

} // namespace

class RandomSession : public QObject {
    Q_OBJECT
    std::mt19937 rng;
    QTemporaryDir dir;
    std::unique_ptr<platform::doubles::FakeServices> fakes;
    std::unique_ptr<Window> w;
    favourites::BoxPanel* panel = nullptr;
    std::deque<QString> recent;
    QString broken; // the first broken promise of the current action

    int Rand(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    bool Chance(int percent) { return Rand(100) < percent; }
    void Expect(bool ok, const QString& what) {
        if (!ok && broken.isEmpty()) {
            broken = what;
        }
    }
    const favourites::FavouritesModel& Model() { return w->Favourites(); }
    QString File(const QString& name) const { return dir.filePath(name); }

    // Brings a tab to the front the way a user does, by clicking it.
    void ClickTab(int n) {
        QTest::mouseClick(w->TabStrip1, Qt::LeftButton, {}, w->TabStrip1->tabRect(n - 1).center());
    }

    // --- Actions; each returns what it did, for the log. ------------------

    // Keys, wheel turns, clicks and drags on a colour slider or the
    // lightness slider (3).
    QString Slider() {
        static const Qt::Key keys[] = {Qt::Key_Left,   Qt::Key_Right,    Qt::Key_Up,   Qt::Key_Down,
                                       Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
        const int i = Rand(4);
        QSlider* s = i < 3 ? static_cast<QSlider*>(w->HScroll1[i]) : w->vsc1;
        QPoint at(Rand(s->width()), s->height() / 2);
        switch (Rand(6)) {
        case 0:
        case 1:
        case 2: {
            const Qt::Key key = keys[Rand(8)];
            s->setFocus();
            QTest::keyClick(s, key);
            return QStringLiteral("key %1 on slider %2").arg(QKeySequence(key).toString()).arg(i);
        }
        case 3: {
            const int delta = (Rand(2) ? 120 : -120) * (1 + Rand(2));
            SendWheel(s, at, delta);
            return QStringLiteral("wheel %1 on slider %2").arg(delta).arg(i);
        }
        case 4:
            QTest::mouseClick(s, Qt::LeftButton, {}, at);
            return QStringLiteral("click on slider %1 at %2").arg(i).arg(at.x());
        default: {
            // The button that puts the handle where it is pressed, then drags.
            const auto button =
                Qt::MouseButton(s->style()->styleHint(QStyle::SH_Slider_AbsoluteSetButtons));
            QTest::mousePress(s, button, {}, at);
            for (int k = Rand(4); k >= 0; --k) {
                at.setX(Rand(s->width()));
                SendMove(s, at, button);
            }
            QTest::mouseRelease(s, button, {}, at);
            return QStringLiteral("drag slider %1 to %2").arg(i).arg(at.x());
        }
        }
    }

    // Press, drag and release on the chart or the measurement picture.
    QString Picture() {
        const int index = Chance(70) ? 0 : 1;
        if (w->SelectedTab() != index + 1) {
            ClickTab(index + 1);
            return QStringLiteral("tab %1").arg(index + 1);
        }
        platform::PictureBox* pic = w->picFarge[static_cast<size_t>(index)];
        const Qt::MouseButton button =
            Chance(85) ? Qt::LeftButton : (Chance(50) ? Qt::RightButton : Qt::MiddleButton);
        auto somewhere = [&] { return QPoint(Rand(pic->width()), Rand(pic->height())); };
        QPoint at = somewhere();
        QTest::mousePress(pic, button, {}, at);
        const int moves = Chance(30) ? 1 + Rand(6) : 0;
        for (int k = 0; k < moves; ++k) {
            at = somewhere();
            SendMove(pic, at, button);
        }
        if (button == Qt::LeftButton) {
            const QPoint local = at - pic->Origin();
            const int32_t c = pic->Point(local.x(), local.y());
            Expect(c == -1 || w->picValgt->BackColor() == c,
                   QStringLiteral("the colour under the pointer (%1) was not picked").arg(c));
        }
        QTest::mouseRelease(pic, button, {}, at);
        return QStringLiteral("button %1 on picture %2, %3 moves to %4,%5")
            .arg(button)
            .arg(index)
            .arg(moves)
            .arg(at.x())
            .arg(at.y());
    }

    QString ChangeNotation() {
        QComboBox* list = Chance(50) ? w->cboHexFormat : w->cboRgbFormat;
        const QString which = list == w->cboHexFormat ? "hex" : "rgb";
        if (Chance(50)) {
            const int index = Rand(list->count());
            list->setCurrentIndex(index);
            return QStringLiteral("%1 notation %2").arg(which).arg(index);
        }
        const Qt::Key key = Chance(50) ? Qt::Key_Up : Qt::Key_Down;
        QTest::keyClick(list, key);
        return QStringLiteral("key %1 on the %2 notation list")
            .arg(QKeySequence(key).toString(), which);
    }

    QString Tab() {
        const int n = 1 + Rand(3);
        ClickTab(n);
        return QStringLiteral("tab %1").arg(n);
    }

    QString Copy() {
        const int i = Rand(4);
        QTest::mouseClick(w->cmdKopi[static_cast<size_t>(i)], Qt::LeftButton);
        const QLabel* shown[4] = {w->lblHex2, w->lblRGB2, w->lblLong2, w->lblHSL2};
        Expect(fakes->clipboard.text == shown[i]->text(), "the clipboard differs from the text");
        return QStringLiteral("copy %1").arg(i);
    }

    QString RandomName() {
        QString name;
        const int n = Chance(10) ? 30 : Rand(12);
        for (int i = 0; i < n; ++i) {
            name += kNameChars[Rand(static_cast<int>(kNameChars.size()))];
        }
        return name;
    }

    // The name given at OK in a name dialog; empty after Avbryt.
    using Named = std::shared_ptr<std::optional<QString>>;

    // Queues the user's answer to the next name dialog: a typed name, then
    // OK (button or Enter) or Avbryt.
    Named AnswerNameDialog(bool replace) {
        auto named = std::make_shared<std::optional<QString>>();
        const QString typed = RandomName();
        const int how = Rand(5); // 0 Avbryt, 1 OK button, else Enter
        fakes->modal.dialogScripts.push_back([replace, typed, how, named](QDialog& d) {
            auto& dialog = static_cast<favourites::frmLagre&>(d);
            if (replace) {
                dialog.txtNavn->selectAll();
            }
            Type(dialog.txtNavn, typed);
            if (how == 0) {
                dialog.cmdAvbryt->click();
                return;
            }
            *named = dialog.txtNavn->text();
            if (how == 1) {
                dialog.cmdOk->click();
            } else {
                QTest::keyClick(dialog.txtNavn, Qt::Key_Return);
            }
        });
        return named;
    }

    QString Spar() {
        const int32_t colour = w->picValgt->BackColor();
        const int before = Model().Count();
        const Named named = AnswerNameDialog(false);
        QTest::mouseClick(w->cmdSpar, Qt::LeftButton);
        if (!*named) {
            Expect(Model().Count() == before, "Avbryt changed the list");
            return "Spar, Avbryt";
        }
        Expect(Model().Count() == before + 1 && Model().Color(1) == colour &&
                   Model().Name(1) == **named && Model().ListChanged,
               "Spar did not put the colour and its name on top");
        Expect(!(*named)->contains('"') && (*named)->size() <= favourites::frmLagre::kMaxName,
               "a name with a quote or too long was typed");
        return QStringLiteral("Spar \"%1\"").arg(**named);
    }

    // A box in view, or -1 when none is; scrolls now and then first.
    int BoxInView() {
        if (Chance(15)) {
            QScrollBar* bar = panel->vsbFav();
            bar->setValue(Rand(bar->maximum() + 1));
        }
        std::vector<int> inView;
        for (int k = 0; k < panel->BoxCount(); ++k) {
            const QRect r = favourites::BoxPanel::BoxRect(k).translated(0, panel->InnerTop());
            if (r.top() >= 0 && r.bottom() < favourites::BoxPanel::kSide) {
                inView.push_back(k);
            }
        }
        return inView.empty() ? -1 : inView[static_cast<size_t>(Rand(int(inView.size())))];
    }

    QString Box() {
        if (w->SelectedTab() != 3) {
            ClickTab(3);
            return "tab 3";
        }
        const int k = BoxInView();
        if (k < 0) {
            return "no box to click";
        }
        QWidget* inner = panel->picBoksInn();
        const QPoint at = favourites::BoxPanel::BoxRect(k)
                              .translated(0, panel->InnerTop())
                              .adjusted(1, 1, -1, -2)
                              .center();
        const int32_t colour = Model().Color(k + 1);
        const QString name = Model().Name(k + 1);
        const int before = Model().Count();
        const int what = Rand(10);
        if (what < 5) {
            QTest::mouseClick(inner, Qt::LeftButton, {}, at);
            Expect(Model().SelectedPos == k + 1 && w->picValgt->BackColor() == colour,
                   "a click on a box did not pick and select it");
            return QStringLiteral("click box %1").arg(k);
        }
        if (what < 7) {
            const Named named = AnswerNameDialog(Chance(70));
            QTest::mouseClick(inner, Qt::LeftButton, {}, at);
            QTest::mouseDClick(inner, Qt::LeftButton, {}, at);
            QTest::mouseRelease(inner, Qt::LeftButton, {}, at);
            if (*named) {
                Expect(Model().Name(k + 1) == **named && Model().Color(k + 1) == colour &&
                           Model().Count() == before && Model().ListChanged,
                       "renaming changed more than the name");
            }
            return QStringLiteral("double-click box %1, name \"%2\"")
                .arg(k)
                .arg(named->value_or("<Avbryt>"));
        }
        // Right button: the context menu, answered at random.
        const int choice = Rand(5); // Slett, Slett alle, separator, Rediger, dismissed
        if (choice < 4) {
            fakes->modal.menuChoices.push_back(choice);
        }
        const bool sure = Chance(50);
        if (choice == 1) {
            fakes->messageBox.answers.push_back(sure ? MsgAnswer::OK : MsgAnswer::Cancel);
        }
        const Named named = choice == 3 ? AnswerNameDialog(Chance(70)) : Named();
        QTest::mouseClick(inner, Qt::RightButton, {}, at);
        if (choice == 0) {
            Expect(Model().Count() == before - 1 && Model().ListChanged, "Slett did not delete");
        } else if (choice == 1 && sure) {
            Expect(Model().Count() == 0 && Model().ListChanged, "Slett alle left boxes");
        } else if (choice == 3 && *named) {
            Expect(Model().Name(k + 1) == **named && Model().Color(k + 1) == colour,
                   "Rediger did not rename");
        } else if (choice == 2 || choice == 4 || (choice == 1 && !sure)) {
            Expect(Model().Count() == before && Model().Name(k + 1) == name,
                   "a dismissed menu changed the list");
        }
        return QStringLiteral("menu %1 on box %2").arg(choice).arg(k);
    }

    // One File menu command, every question and dialog answered at random.
    QString FileMenu() {
        auto& f = *fakes;
        static const MsgAnswer answers[] = {MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Cancel};
        for (int i = 0; i < 2; ++i) {
            f.messageBox.answers.push_back(answers[Rand(3)]);
        }
        const QString saves[] = {File("a.kvc"), File("b.kvc"), QString(), File("mangler/c.kvc"),
                                 File("mappe.kvc")};
        f.fileDialog.saveAnswers = {saves[Rand(5)]};
        QStringList opens = {QString()};
        for (const QString& name : QDir(dir.path()).entryList({"*.kvc"}, QDir::Files)) {
            opens << File(name);
        }
        f.fileDialog.openAnswers = {opens[Rand(static_cast<int>(opens.size()))]};
        QAction* commands[] = {w->mnuFilNy, w->mnuFilApne, w->mnuFilLagre, w->mnuFilLagreSom};
        QAction* command = commands[Rand(4)];
        const QString asked =
            QStringLiteral("answers %1, save \"%2\", open \"%3\"")
                .arg(int(f.messageBox.answers.front()))
                .arg(QDir(dir.path()).relativeFilePath(f.fileDialog.saveAnswers.front()))
                .arg(QDir(dir.path()).relativeFilePath(f.fileDialog.openAnswers.front()));
        command->trigger();
        f.messageBox.answers.clear();
        f.fileDialog.saveAnswers.clear();
        f.fileDialog.openAnswers.clear();
        return command->text() + ", " + asked;
    }

    // Lagre som, then Åpne of the file just written: the same list comes back.
    QString SaveThenOpen() {
        const favourites::ColourList before = Model().List();
        fakes->fileDialog.saveAnswers = {File("rundtur.kvc")};
        w->mnuFilLagreSom->trigger();
        fakes->fileDialog.saveAnswers.clear();
        Expect(!Model().ListChanged, "Lagre som did not save");
        const QString saved = w->FileMenu().CurrentFile();
        fakes->fileDialog.openAnswers = {saved};
        w->mnuFilApne->trigger();
        fakes->fileDialog.openAnswers.clear();
        QStringList names = before.names;
        for (QString& s : names) {
            s.replace(QChar('"'), QChar(0x201D));
        }
        // std::equal: Qt 6.4 compares lists of integers with memcmp, also
        // from a null pointer, which the sanitizers report.
        const auto& colors = Model().List().colors;
        Expect(
            std::equal(colors.begin(), colors.end(), before.colors.begin(), before.colors.end()) &&
                Model().List().names == names,
            "the list read back differs from the list saved");
        return "save and open " + QDir(dir.path()).relativeFilePath(saved);
    }

    QString Act() {
        using Action = QString (RandomSession::*)();
        static const std::pair<int, Action> actions[] = {
            {30, &RandomSession::Slider},        {17, &RandomSession::Picture},
            {6, &RandomSession::ChangeNotation}, {5, &RandomSession::Tab},
            {3, &RandomSession::Copy},           {9, &RandomSession::Spar},
            {21, &RandomSession::Box},           {7, &RandomSession::FileMenu},
            {2, &RandomSession::SaveThenOpen}};
        int r = Rand(100);
        for (const auto& [weight, act] : actions) {
            if (r < weight) {
                return (this->*act)();
            }
            r -= weight;
        }
        return {};
    }

    // --- The invariants. ----------------------------------------------------

    void CheckInvariants() {
        using namespace Module1;
        const int32_t shown = w->picValgt->BackColor();
        const int16_t r = static_cast<int16_t>(shown & 0xFF);
        const int16_t g = static_cast<int16_t>((shown >> 8) & 0xFF);
        const int16_t b = static_cast<int16_t>((shown >> 16) & 0xFF);
        Expect(w->HScroll1[0]->value() == r && w->HScroll1[1]->value() == g &&
                   w->HScroll1[2]->value() == b,
               "the sliders do not hold the swatch's colour");
        Expect(w->lblRval->text().toInt() == r && w->lblGval->text().toInt() == g &&
                   w->lblBval->text().toInt() == b &&
                   w->lblLight->text().toInt() == w->vsc1->value(),
               "a number label differs from its slider");
        Expect(w->lblHex2->text() ==
                   Text(Notation::HexText(w->cboHexFormat->currentIndex(), shown, r, g, b)),
               "the hex text does not describe the swatch: " + w->lblHex2->text());
        Expect(w->lblRGB2->text() ==
                   Text(Notation::RgbText(w->cboRgbFormat->currentIndex(), r, g, b)),
               "the RGB text does not describe the swatch: " + w->lblRGB2->text());
        Expect(w->lblLong2->text() == QString::fromStdString(Notation::LongText(shown)),
               "the Long text does not describe the swatch");
        if (w->shade) {
            // A shade: the picked hue and saturation at the slider's lightness.
            const int l = w->vsc1->value();
            const RGBValue back = HSLToRGB(CurrentHSL.H, CurrentHSL.S, static_cast<int16_t>(l));
            Expect(w->lblHSL2->text() == QString::fromStdString(
                                             Notation::HSLText(CurrentHSL.H, CurrentHSL.S, l)) &&
                       Pack(back.R, back.G, back.B) == shown,
                   "the HSL text does not describe the shade shown: " + w->lblHSL2->text());
        } else {
            const HSLValue hsl = RGBToHSL(r, g, b);
            Expect(w->lblHSL2->text() == QString::fromStdString(Notation::HSLText(hsl)) &&
                       w->vsc1->value() == hsl.L,
                   "the HSL text or lightness does not describe the swatch: " + w->lblHSL2->text());
        }
        Expect(w->lin1->isHidden() == (shown != w->pic1->BackColor()),
               "the marker line disagrees with the two swatches");

        const int n = Model().Count();
        Expect(Model().FavColors().size() == Model().FavNames().size(), "colours and names differ");
        Expect(panel->BoxCount() == n && panel->InnerHeight() == (n ? 2 + 19LL * n : 22) &&
                   panel->vsbFav()->maximum() == std::max<qint64>(0, panel->InnerHeight() - 192),
               QStringLiteral("%1 boxes for %2 favourites").arg(panel->BoxCount()).arg(n));
        Expect(w->windowTitle() == frmTintra::ExeName() + " - " + w->FileMenu().CurrentFileName,
               "the caption does not name the current file");
        const int tab = w->SelectedTab();
        Expect(w->picFarge[0]->isVisible() == (tab == 1) &&
                   w->picFarge[1]->isVisible() == (tab == 2) &&
                   w->picBoksUt->isVisible() == (tab == 3),
               "the panel shown is not the selected tab's");

        for (const auto& m : fakes->messageBox.shown) {
            static const QStringList known = {
                "Vil du lagre endringer i ", "Vil du lagre endringene i ",
                "Kan ikke lagre til fil da den er skrivebeskyttet.",
                "General_xSaveFav\nFeilkode: 76\n",
                "Er du sikker på at du vil slette alle fargene i denne listen?"};
            Expect(std::any_of(known.begin(), known.end(),
                               [&](const QString& k) { return m.text.startsWith(k); }),
                   "unexpected message: " + m.text);
        }
        fakes->messageBox.shown.clear();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        QVERIFY(QDir::setCurrent(dir.path()));
        QVERIFY(QDir(dir.path()).mkdir("mappe.kvc"));
        // Colour files to open: some with a bad record part way.
        for (const QString& seed :
             QDir(QStringLiteral(TINTRA_SEED_FILES)).entryList({"*.kvc"}, QDir::Files)) {
            QVERIFY(QFile::copy(QStringLiteral(TINTRA_SEED_FILES "/") + seed, File(seed)));
        }
    }

    void session() {
        const uint seed = qEnvironmentVariableIsSet("TINTRA_SEED")
                              ? qEnvironmentVariable("TINTRA_SEED").toUInt()
                              : 20260101u;
        const int actions = qEnvironmentVariableIsSet("TINTRA_ACTIONS")
                                ? qEnvironmentVariableIntValue("TINTRA_ACTIONS")
                                : 50000;
        qInfo("seed %u, %d actions", seed, actions);
        rng.seed(seed);

        fakes = std::make_unique<platform::doubles::FakeServices>();
        fakes->settings.values[platform::doubles::FakeSettings::Key("Tintra", "Tilpass", "Path")] =
            dir.path();
        w = std::make_unique<Window>(fakes->Get());
        w->Form_Initialize();
        w->Form_Load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        panel = w->picBoksUt;
        connect(w.get(), &frmTintra::ColourShown, this, [this] { w->shade = false; });
        connect(w->vsc1, &platform::TrackBar::Scroll, this, [this] { w->shade = true; });

        for (int step = 1; step <= actions; ++step) {
            recent.push_back(Act());
            if (recent.size() > 25) {
                recent.pop_front();
            }
            CheckInvariants();
            if (!broken.isEmpty()) {
                QStringList log(recent.begin(), recent.end());
                QFAIL(qPrintable(QStringLiteral("seed %1, action %2: %3\nlast actions:\n  %4")
                                     .arg(seed)
                                     .arg(step)
                                     .arg(broken, log.join("\n  "))));
            }
            if (step % 200 == 0) {
                QCoreApplication::processEvents();
                fakes->modal.dialogTitles.clear();
                fakes->clipboard.history.clear();
                fakes->fileDialog.saveAsked.clear();
                fakes->fileDialog.openAsked.clear();
            }
        }
    }

    void cleanupTestCase() {
        w.reset();
        QDir::setCurrent(QDir::tempPath());
    }
};

QTEST_MAIN(RandomSession)
#include "test_random_session.moc"
