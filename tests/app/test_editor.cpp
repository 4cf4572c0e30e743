#include "app/frmTintra.h"
#include "colour/Module1.h"
#include "platform/doubles/Doubles.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

using platform::doubles::FakeServices;

class EditorTest : public QObject {
    Q_OBJECT
    std::unique_ptr<FakeServices> fakes;
    std::unique_ptr<frmTintra> w;

    void SetColourByUser(int r, int g, int b) {
        // Keys on a focused slider are the user's own moves.
        const int target[3] = {r, g, b};
        for (int i = 0; i < 3; ++i) {
            w->HScroll1[i]->setFocus();
            QTest::keyClick(w->HScroll1[i], Qt::Key_Home);
            for (int k = 0; k < target[i]; ++k) {
                QTest::keyClick(w->HScroll1[i], Qt::Key_Right);
            }
        }
    }
    void MoveLightnessByUser(int to) {
        while (w->vsc1->value() < to) {
            QTest::keyClick(w->vsc1, Qt::Key_Right);
        }
        while (w->vsc1->value() > to) {
            QTest::keyClick(w->vsc1, Qt::Key_Left);
        }
    }
    QStringList Displays() const {
        return {w->lblHex2->text(), w->lblRGB2->text(), w->lblLong2->text(), w->lblHSL2->text()};
    }

private slots:
    void init() {
        fakes = std::make_unique<FakeServices>();
        w = std::make_unique<frmTintra>(fakes->Get());
        w->Form_Initialize();
        w->Form_Load();
        w->show();
    }
    void cleanup() { w.reset(); }

    void startsOnGrey() {
        QCOMPARE(Displays(), QStringList({"808080", "128,128,128", "8421504", "0,0,120"}));
        for (auto* s : w->HScroll1) {
            QCOMPARE(s->value(), 128);
        }
        QCOMPARE(w->lblRval->text(), QString("128"));
        QCOMPARE(w->vsc1->value(), 120);
        QCOMPARE(w->lblLight->text(), QString("120"));
        QVERIFY(w->lin1->isVisible());
        QVERIFY(w->windowTitle().endsWith(" - NyFargefil.kvc"));
        // Design positions: twips / 15.
        QCOMPARE(w->HScroll1[1]->geometry(), QRect(67, 192, 256, 22));
        QCOMPARE(w->lblHSL2->geometry(), QRect(159, 125, 122, 16));
        QCOMPARE(w->cmdKopi[0]->geometry().left(), 282);
        QCOMPARE(w->size(), QSize(610, 349));
    }

    void userSliderMoveRefreshesOnce() {
        QSignalSpy shown(w.get(), &frmTintra::ColourShown);
        w->HScroll1[0]->setFocus();
        QTest::keyClick(w->HScroll1[0], Qt::Key_Right);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(w->lblRGB2->text(), QString("129,128,128"));
        // Code that sets the sliders updates labels and marker only.
        w->HScroll1[1]->setValue(10);
        w->PickColour(0x102030);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(w->lblGval->text(), QString("32"));
        // A key at the end of the range moves nothing and refreshes nothing,
        // and leaves no pending user move behind for a later change by code.
        w->HScroll1[0]->setValue(0);
        QTest::keyClick(w->HScroll1[0], Qt::Key_Home);
        w->HScroll1[0]->setValue(5);
        QCOMPARE(shown.count(), 1);

        SetColourByUser(18, 52, 86);
        QCOMPARE(Displays(), QStringList({"563412", "18,52,86", "5649426", "140,156,48"}));
        QCOMPARE(w->lblRval->text(), QString("18"));
        QCOMPARE(w->vsc1->value(), 48);
        QCOMPARE(w->picValgt->BackColor(), 5649426);
    }

    void notationChangesShowAtOnceAndCopyExactly() {
        SetColourByUser(18, 52, 86);
        w->cboHexFormat->setCurrentIndex(5);
        QCOMPARE(w->lblHex2->text(), QString("\"#123456\""));
        QCOMPARE(w->lblRGB2->text(), QString("18,52,86"));
        w->cmdKopi[0]->click();
        QCOMPARE(fakes->clipboard.text, QString("\"#123456\""));
        QCOMPARE(fakes->clipboard.clears, 1);

        w->cboHexFormat->setCurrentIndex(1);
        w->cboRgbFormat->setCurrentIndex(2);
        QCOMPARE(w->lblRGB2->text(), QString("Argb(255,18,52,86)"));
        const QString expected[4] = {"&H563412", "Argb(255,18,52,86)", "5649426", "140,156,48"};
        for (int i = 0; i < 4; ++i) {
            w->cmdKopi[i]->click();
            QCOMPARE(fakes->clipboard.text, expected[i]);
        }
        QCOMPARE(w->cmdKopi[2]->toolTip(), QString("Kopier til utklipstavle"));
    }

    void pickingSetsEverythingAndKeepsStoredComponentsFromHsl() {
        w->PickColour(0x808080);
        QCOMPARE(Displays(), QStringList({"808080", "128,128,128", "8421504", "0,0,120"}));
        QCOMPARE(Module1::Red, 127);
        QCOMPARE(Module1::Green, 127);
        QCOMPARE(Module1::Blue, 127);
        QCOMPARE(w->HScroll1[2]->value(), 128);
        QCOMPARE(w->pic1->BackColor(), 0x808080);
        QVERIFY(w->lin1->isVisible());

        // The same colour again moves no slider but rewrites the displays.
        int changes = 0;
        for (auto* s : w->HScroll1) {
            connect(s, &platform::TrackBar::Change, this, [&changes] { ++changes; });
        }
        w->lblHex2->setText("x");
        w->PickColour(0x808080);
        QCOMPARE(changes, 0);
        QCOMPARE(w->lblHex2->text(), QString("808080"));
    }

    void lightnessShowsShadesWithoutDrift() {
        w->PickColour(0x808080);
        MoveLightnessByUser(121);
        MoveLightnessByUser(120);
        QCOMPARE(w->lblHex2->text(), QString("7F7F7F"));
        QCOMPARE(w->lblLong2->text(), QString("8355711"));
        QCOMPARE(w->lblHSL2->text(), QString("0,0,120"));
        QVERIFY(!w->lin1->isVisible());
        QCOMPARE(w->HScroll1[0]->value(), 127);
        QCOMPARE(w->lblRval->text(), QString("127"));
        QCOMPARE(w->pic1->BackColor(), 0x808080);

        w->PickColour(5649426); // 18,52,86: HSL 140,156,48
        MoveLightnessByUser(0);
        QCOMPARE(w->picValgt->BackColor(), 0);
        MoveLightnessByUser(240);
        QCOMPARE(w->picValgt->BackColor(), 0xFFFFFF);
        MoveLightnessByUser(48);
        QCOMPARE(w->lblRGB2->text(), QString("17,50,84"));
        QCOMPARE(w->lblHSL2->text(), QString("140,156,48"));
        QCOMPARE(Module1::CurrentHSL, (Module1::HSLValue{140, 156, 48}));
    }

    void markerShowsExactlyWhileSwatchesAgree() {
        // After a shade of red at lightness 121, pick a grey whose lightness
        // is 121 too: the slider does not move, yet the swatches agree.
        w->PickColour(0x0000FF);
        MoveLightnessByUser(121);
        QVERIFY(!w->lin1->isVisible());
        w->PickColour(0x818181);
        QCOMPARE(w->vsc1->value(), 121);
        QVERIFY(w->lin1->isVisible());
        // A slider move away from the picked colour hides it.
        w->HScroll1[0]->setFocus();
        QTest::keyClick(w->HScroll1[0], Qt::Key_Left);
        QVERIFY(!w->lin1->isVisible());
    }

    void helpMenu() {
        for (int i = 0; i < 3; ++i) {
            QVERIFY(!w->mnuHjelpD[i]->isEnabled());
        }
        QVERIFY(w->mnuHjelpD[3]->isSeparator());
        QVERIFY(w->mnuHjelpD[0]->text().startsWith("Versjon "));
        for (int i = 0; i < 4; ++i) {
            w->mnuHjelpD_Click(i);
        }
        QVERIFY(fakes->shell.opened.isEmpty());

        fakes->shell.succeed = false;
        w->mnuHjelpD[5]->trigger();
        QCOMPARE(fakes->shell.opened.last(), QString(frmTintra::kMakerHome));
        QVERIFY(fakes->messageBox.shown.empty());
        w->mnuHjelpD[4]->trigger();
        QCOMPARE(fakes->shell.opened.last(), QString("mailto:") + frmTintra::kMakerMail);
        QCOMPARE(fakes->messageBox.shown.size(), size_t(1));
        QCOMPARE(fakes->messageBox.shown[0].text,
                 QString("Det oppstod en feil ved åpning av epost programmet."));
        QCOMPARE(fakes->messageBox.shown[0].title, QString("Tintra"));
    }
};

QTEST_MAIN(EditorTest)
#include "test_editor.moc"
