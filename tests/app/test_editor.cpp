// The colour editor's exact values and what a refresh costs. That sliders,
// texts, swatches and marker agree after any action, in every notation, is
// the random session's to check; where the controls stand, the e2e tests'.
#include "app/frmTintra.h"
#include "colour/Module1.h"
#include "platform/doubles/Doubles.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

class EditorTest : public QObject {
    Q_OBJECT
    platform::doubles::FakeServices fakes;
    std::unique_ptr<frmTintra> w;

    // Keys on a focused slider are the user's own moves.
    void MoveByUser(QSlider* s, int to) {
        s->setFocus();
        for (int i = 0; i < 300 && s->value() != to; ++i) {
            QTest::keyClick(s, s->value() < to ? Qt::Key_Right : Qt::Key_Left);
        }
    }
    QStringList Displays() const {
        return {w->lblHex2->text(), w->lblRGB2->text(), w->lblLong2->text(),
                w->lblHSL2->text(), w->lblRval->text(), w->lblLight->text()};
    }

private slots:
    void init() {
        fakes = {};
        w = std::make_unique<frmTintra>(fakes.Get());
        w->Form_Initialize();
        w->Form_Load();
        w->show();
    }
    void cleanup() { w.reset(); }

    void onlyAUserSliderMoveRefreshesEverything() {
        QSignalSpy shown(w.get(), &frmTintra::ColourShown);
        MoveByUser(w->HScroll1[0], 129);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(w->lblRGB2->text(), QString("129,128,128"));
        // Code that sets the sliders updates labels and marker only.
        w->HScroll1[1]->setValue(10);
        w->PickColour(0x102030);
        QCOMPARE(w->lblGval->text(), QString("32"));
        // A key at the end of the range moves nothing and refreshes nothing,
        // and leaves no pending user move behind for a later change by code.
        w->HScroll1[0]->setValue(0);
        QTest::keyClick(w->HScroll1[0], Qt::Key_Home);
        w->HScroll1[0]->setValue(5);
        QCOMPARE(shown.count(), 1);

        for (int i = 0; i < 3; ++i) {
            MoveByUser(w->HScroll1[i], 18 + 34 * i);
        }
        QCOMPARE(Displays(),
                 QStringList({"563412", "18,52,86", "5649426", "140,156,48", "18", "48"}));
        QCOMPARE(w->picValgt->BackColor(), 5649426);
        w->cmdKopi[0]->click();
        QVERIFY(fakes.clipboard.text == "563412" && fakes.clipboard.clears == 1);
    }

    // A picked colour keeps the components of its own HSL, so a later shade
    // starts from there; the same colour again moves no slider but rewrites
    // the texts.
    void pickingKeepsTheComponentsOfItsHsl() {
        int changes = 0;
        for (auto* s : w->HScroll1) {
            connect(s, &platform::TrackBar::Change, this, [&changes] { ++changes; });
        }
        w->lblHex2->setText("x");
        w->PickColour(0x808080);
        QCOMPARE(Displays(),
                 QStringList({"808080", "128,128,128", "8421504", "0,0,120", "128", "120"}));
        QCOMPARE(changes, 0);
        QCOMPARE(QString("%1,%2,%3").arg(Module1::Red).arg(Module1::Green).arg(Module1::Blue),
                 "127,127,127");
        QCOMPARE(w->pic1->BackColor(), 0x808080);
    }

    void lightnessShowsShadesWithoutDrift() {
        w->PickColour(0x808080);
        MoveByUser(w->vsc1, 121);
        MoveByUser(w->vsc1, 120);
        QCOMPARE(Displays(),
                 QStringList({"7F7F7F", "127,127,127", "8355711", "0,0,120", "127", "120"}));
        QCOMPARE(w->pic1->BackColor(), 0x808080);

        w->PickColour(5649426); // 18,52,86: HSL 140,156,48
        MoveByUser(w->vsc1, 0);
        QCOMPARE(w->picValgt->BackColor(), 0);
        MoveByUser(w->vsc1, 240);
        QCOMPARE(w->picValgt->BackColor(), 0xFFFFFF);
        MoveByUser(w->vsc1, 48);
        QCOMPARE(Displays().mid(1, 3), QStringList({"17,50,84", "5517841", "140,156,48"}));
        QCOMPARE(Module1::CurrentHSL, (Module1::HSLValue{140, 156, 48}));
    }

    void helpMenu() {
        QVERIFY(w->mnuHjelpD[0]->text().startsWith("Versjon ") && w->mnuHjelpD[3]->isSeparator());
        for (int i = 0; i < 4; ++i) {
            QVERIFY(i == 3 || !w->mnuHjelpD[i]->isEnabled());
            w->mnuHjelpD_Click(i);
        }
        QVERIFY(fakes.shell.opened.isEmpty());
        fakes.shell.succeed = false;
        w->mnuHjelpD[5]->trigger();
        QCOMPARE(fakes.shell.opened.last(), QString(frmTintra::kMakerHome));
        QVERIFY(fakes.messageBox.shown.empty());
        w->mnuHjelpD[4]->trigger();
        QCOMPARE(fakes.shell.opened.last(), QString("mailto:") + frmTintra::kMakerMail);
        const auto& msg = fakes.messageBox.shown.at(0);
        QCOMPARE(msg.title + ": " + msg.text,
                 QString("Tintra: Det oppstod en feil ved åpning av epost programmet."));
        QCOMPARE(fakes.messageBox.shown.size(), size_t(1));
    }
};

QTEST_MAIN(EditorTest)
#include "test_editor.moc"
