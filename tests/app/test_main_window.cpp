// The main window: exact colour values, what a refresh costs, the keyboard,
// start-up and shutdown. Agreement of the controls: the random session; bad
// settings: the fuzz replay; the real settings file and restart: the e2e's.
#include "app/AppStyle.h"
#include "app/frmTintra.h"
#include "chart/ChartPicture.h"
#include "colour/Module1.h"
#include "favourites/FavouritesUi.h"
#include "platform/Paths.h"
#include "platform/Twips.h"
#include "tests/Support.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

using platform::MsgAnswer;

class MainWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir; // the program's current directory
    platform::doubles::FakeServices fakes;
    std::unique_ptr<frmTintra> w;

    // Starts the window from these settings ("key=value").
    void Start(const QStringList& settings = {}) {
        for (const QString& s : settings) {
            support::Setting(fakes, s.section('=', 0, 0)) = s.section('=', 1);
        }
        w = std::make_unique<frmTintra>(fakes.Get());
        w->Form_Initialize();
        w->Form_Load();
        w->show();
    }
    // Where the measurement is kept: the data folder, not the current one.
    QString Pm() const { return dir->filePath("data/" + QCoreApplication::applicationName()); }
    // Closes the window, its question answered so; true when it stays.
    bool Unload(MsgAnswer answer) {
        fakes.messageBox.answers = {answer};
        bool cancel = false;
        w->Form_Unload(cancel);
        return cancel;
    }
    // A measurement stored from before: pixel (x, y) is x, y, 7.
    void StorePm() {
        QImage pm(190, 190, QImage::Format_RGB32);
        for (int i = 0; i < 190 * 190; ++i) {
            pm.setPixel(i % 190, i / 190, qRgb(i % 190, i / 190, 7));
        }
        QVERIFY(pm.save(Pm() + "/PM.bmp", "BMP"));
    }
    static QImage Icon(const QToolButton* b) { return b->icon().pixmap(16).toImage(); }
    // Keys on a focused slider are the user's own moves.
    void MoveByUser(QSlider* s, int to) {
        s->setFocus();
        for (int i = 0; i < 300 && s->value() != to; ++i) {
            QTest::keyClick(s, s->value() < to ? Qt::Key_Right : Qt::Key_Left);
        }
    }

private slots:
    void initTestCase() { QApplication::setStyle(new AppStyle); }
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(dir->path()));
        QVERIFY(QDir(dir->path()).mkpath("Documents") && QDir(dir->path()).mkpath(Pm()));
        qputenv("HOME", QFile::encodeName(dir->path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir->filePath("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir->filePath("data")));
        fakes = {};
    }
    void cleanup() {
        w.reset();
        QDir::setCurrent(QDir::tempPath());
    }

    // Only a user's slider move refreshes everything; a picked colour keeps its
    // HSL, so shades do not drift; the widest texts show whole (or smaller).
    void coloursShadesAndTexts() {
        Start();
        QSignalSpy shown(w.get(), &frmTintra::ColourShown);
        MoveByUser(w->HScroll1[0], 129);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(w->lblRGB2->text(), QString("129,128,128"));
        // Code that sets a slider or picks refreshes less, as does a key at the
        // end of the range, leaving no user move pending.
        w->HScroll1[1]->setValue(10);
        w->PickColour(0x102030);
        w->HScroll1[0]->setValue(0);
        QTest::keyClick(w->HScroll1[0], Qt::Key_Home);
        w->HScroll1[0]->setValue(5);
        QCOMPARE(shown.count(), 1);

        Start(); // the same colour again moves no slider
        int changes = 0;
        for (auto* s : w->HScroll1) {
            connect(s, &platform::TrackBar::Change, this, [&changes] { ++changes; });
        }
        w->lblHex2->setText("x");
        w->PickColour(0x808080);
        QVERIFY(changes == 0 && w->lblHex2->text() == "808080");
        QCOMPARE(QString("%1,%2,%3").arg(Module1::Red).arg(Module1::Green).arg(Module1::Blue),
                 "127,127,127");
        w->PickColour(5649426); // 18,52,86: HSL 140,156,48
        for (int lightness : {0, 240, 48}) {
            MoveByUser(w->vsc1, lightness);
        }
        QCOMPARE(QStringList({w->lblHex2->text(), w->lblRGB2->text(), w->lblLong2->text(),
                              w->lblHSL2->text()}),
                 QStringList({"543211", "17,50,84", "5517841", "140,156,48"}));
        QCOMPARE(w->pic1->BackColor(), 5649426);

        w->PickColour(0xFFFFFF);
        const std::pair<QComboBox*, QLabel*> notations[] = {{w->cboRgbFormat, w->lblRGB2},
                                                            {w->cboHexFormat, w->lblHex2}};
        for (const auto& [list, display] : notations) {
            for (int i = 0; i < list->count(); ++i) {
                list->setCurrentIndex(i);
                QVERIFY2(display->sizeHint().width() <= display->width(),
                         qPrintable(display->text()));
            }
        }
        w->cboRgbFormat->setCurrentIndex(2);
        QCOMPARE(w->lblRGB2->text(), QString("Argb(255,255,255,255)"));
        QVERIFY(w->lblRGB2->font().pointSizeF() < w->font().pointSizeF());
        w->cboRgbFormat->setCurrentIndex(0);
        QCOMPARE(w->lblRGB2->font().pointSizeF(), w->font().pointSizeF());
    }

    // The remembered file (folder without its closing separator, the longest
    // name), tab, measurement and least size come back. Tab goes through the
    // window as it reads, and through a panel; Space on a copy button copies
    // and says so on the button alone; Alt+letter reaches a slider or tab.
    void storedStateAndKeyboard() {
        QTemporaryDir files;
        const QString name = QString(124, u'ø') + "Min.kvc";
        QVERIFY(support::Write(files.filePath(name), "255,\"Rød\"\r\n"));
        StorePm();
        Start(
            {"ActiveTab=2", "Path=" + QDir::toNativeSeparators(files.path()), "FileName=" + name});
        QCOMPARE(w->FileMenu().CurrentFile(),
                 platform::StiMedBackslash(QDir::toNativeSeparators(files.path())) + name);
        QVERIFY(w->Favourites().Count() == 1 && w->SelectedTab() == 2);
        QCOMPARE(w->picFarge[1]->Point(9, 8), Module1::Pack(9, 8, 7));
        QCOMPARE(w->minimumSize(), QSize(platform::Px(9150), platform::Px(5235)));
        w->SelectTab(1);
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        const QList<const QWidget*> order = {
            w->cboRgbFormat, w->cmdKopi[1],  w->cboHexFormat, w->cmdKopi[0],  w->cmdKopi[2],
            w->cmdKopi[3],   w->HScroll1[0], w->HScroll1[1],  w->HScroll1[2], w->vsc1,
            w->TabStrip1,    w->picFarge[0], w->cmdPunkt,     w->cboZoom,     w->cmdSpar,
            w->cmdBakgrunn,  w->picHistorikk};
        QList<int> walked;
        for (int i = 0; i <= 17; ++i) {
            walked << int(order.indexOf(QApplication::focusWidget()));
            if (QApplication::focusWidget() == w->cmdKopi[0]) {
                QTest::keyClick(w->cmdKopi[0], Qt::Key_Space);
                QVERIFY(!QToolTip::isVisible() && Icon(w->cmdKopi[0]) != Icon(w->cmdKopi[1]));
                QCOMPARE(fakes.clipboard.text, w->lblHex2->text());
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(walked, QList<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0}));
        // Into the chart's and the favourites' panels: e2e_keyboard. Out of the
        // measurement's and the favourites' on to Punktmål:
        w->SelectTab(2);
        w->TabStrip1->setFocus();
        QTest::keyClick(w->TabStrip1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w->picFarge[1]);
        QTest::keyClick(w->picFarge[1], Qt::Key_Right);
        QTest::keyClick(w->picFarge[1], Qt::Key_Right);
        QTest::keyClick(w->picFarge[1], Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(w->picFarge[1], Qt::Key_Return);
        QCOMPARE(w->picValgt->BackColor(), Module1::Pack(97, 105, 7));
        QTest::keyClick(w->picFarge[1], Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w->cmdPunkt);
        w->SelectTab(3);
        w->TabStrip1->setFocus();
        QTest::keyClick(w->TabStrip1, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w->cmdPunkt);
        // Alt+R, Alt+L and Alt+K, and the underlines while Alt is held: e2e_keyboard.
        QTest::keyClick(w.get(), Qt::Key_B, Qt::AltModifier);
        QTest::keyClick(w.get(), Qt::Key_M, Qt::AltModifier);
        QVERIFY(QApplication::focusWidget() == w->HScroll1[2] && w->SelectedTab() == 2);
        QTRY_COMPARE(Icon(w->cmdKopi[0]), Icon(w->cmdKopi[1])); // after about a second
    }

    // Every chart cell by keys from the middle (up and down land on the cell in
    // `landing`), picked by Space or Enter; outlined only while focused.
    void everyChartCellByKeys() {
        Start();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        platform::PictureBox* chart = w->picFarge[0];
        const QImage plain = chart->grab().toImage();
        w->TabStrip1->setFocus();
        QTest::keyClick(w->TabStrip1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), chart);
        const QImage marked = chart->grab().toImage();
        const QPoint middle = chart->Origin() + chart::CellMiddle(130); // 808080, at start
        QVERIFY(marked != plain && marked.pixel(middle) == plain.pixel(middle));
        QTest::keyClick(chart, Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(chart->grab().toImage(), plain);
        // A click gives it the keyboard too, outlined from the first key on.
        QTest::mouseClick(chart, Qt::LeftButton, {}, middle);
        const QImage clicked = chart->grab().toImage();
        QTest::keyClick(chart, Qt::Key_Shift);
        QVERIFY(QApplication::focusWidget() == chart && chart->grab().toImage() != clicked);
        chart->clearFocus();
        QCOMPARE(chart->grab().toImage(), clicked);

        const int landing[15] = {3, 4, 4, 5, 5, 6, 6, 6, 5, 5, 4, 4, 3, 4, 3};
        for (const chart::Cell& cell : chart::Cells()) {
            w->PickColour(0x030201); // in no cell: the cursor starts in the middle
            w->TabStrip1->setFocus();
            QTest::keyClick(w->TabStrip1, Qt::Key_Tab);
            for (int k = 0; k < std::abs(cell.row - 7); ++k) {
                QTest::keyClick(chart, cell.row < 7 ? Qt::Key_Up : Qt::Key_Down);
            }
            const int from = landing[cell.row - 1];
            for (int k = 0; k < std::abs(cell.index - from); ++k) {
                QTest::keyClick(chart, cell.index < from ? Qt::Key_Left : Qt::Key_Right);
            }
            QTest::keyClick(chart, cell.index % 2 ? Qt::Key_Space : Qt::Key_Return);
            QVERIFY2(platform::FromPacked(w->picValgt->BackColor()).rgb() ==
                         (0xFF000000 | cell.rgb),
                     qPrintable(QString("row %1 cell %2").arg(cell.row).arg(cell.index)));
        }
    }

    // A folder too long for the system gives a new list in Documents. Unsaved
    // favourites at close: No ends, writing nothing; Cancel stays, writing the
    // measurement never through a link (the rest: e2e_restart); Yes stays until saved.
    void closeAsksAboutUnsavedFavourites() {
        Start({"Path=/" + QString(PATH_MAX, 'p'), "FileName=" + QString(125, u'ø') + "Min.kvc"});
        QCOMPARE(w->FileMenu().CurrentFile(),
                 QDir::toNativeSeparators(dir->filePath("Documents/NyFargefil.kvc")));
        w->Favourites().AddColor(255, "Rød");
        QVERIFY(!Unload(MsgAnswer::No));
        QCOMPARE(fakes.messageBox.shown.back().text,
                 QString("Vil du lagre endringer i NyFargefil.kvc før avsluttning?"));
        QVERIFY(fakes.settings.writeOrder.isEmpty() && !QFile::exists(Pm() + "/PM.bmp"));

        QVERIFY(support::Write("keep", "x") &&
                QFile::link(dir->filePath("keep"), Pm() + "/PM.bmp"));
        QVERIFY(Unload(MsgAnswer::Cancel));
        QCOMPARE(support::Bytes("keep"), QByteArray("x"));

        QVERIFY(Unload(MsgAnswer::Yes));
        QVERIFY(fakes.fileDialog.saveAsked.size() == 1 && !w->FileMenu().SaveCancelled);

        w->FileMenu().CurrentPath =
            platform::StiMedBackslash(QDir::toNativeSeparators(dir->path()));
        w->FileMenu().CurrentFileName = "saved.kvc";
        QVERIFY(!Unload(MsgAnswer::Yes));
        QCOMPARE(fakes.settings.flushes, 4); // once at each close
        QCOMPARE(support::Bytes(dir->filePath("saved.kvc")), QByteArray("255,\"R\370d\"\r\n"));
    }
    // The contrast band and its background's sources, the colour's name, the
    // clip note, the pick history with its file, and pasting.
    void contrastNameAndHistory() {
        Start({"Bakgrunn=16777215"});
        w->PickColour(0x777777);
        QTRY_VERIFY(w->lblKontrast->text() == "4.48:1" && w->lblKrav->text().startsWith("AA ✗"));
        w->PickColour(Module1::Pack(255, 98, 71));
        QTRY_COMPARE(w->lblNavn->text(), QString("≈ tomato"));
        w->mnuBakgrunn_Click(3); // swapped
        QVERIFY(w->Background() == Module1::Pack(255, 98, 71) &&
                w->picValgt->BackColor() == 0xFFFFFF);
        fakes.clipboard.text = "rebeccapurple";
        w->mnuBakgrunn_Click(2);
        QCOMPARE(w->Background(), Module1::Pack(102, 51, 153));
        w->Favourites().AddColor(0x00FF00, "g");
        w->Favourites().SelectedPos = 1;
        w->FavouritesUi().mnuMusBakgrunn->trigger();
        QCOMPARE(w->Background(), 0x00FF00);
        // Measured (the desktop's own pick); one given up leaves the next pick alone.
        fakes.screenGrab.canPickColour = true;
        fakes.screenGrab.pickAnswer = 0x123456;
        fakes.messageBox.answers = {MsgAnswer::Yes};
        w->mnuBakgrunn_Click(1);
        QTRY_COMPARE(w->Background(), 0x123456);
        QCOMPARE(w->picValgt->BackColor(), 0xFFFFFF);
        fakes.messageBox.answers = {MsgAnswer::No};
        w->mnuBakgrunn_Click(1);
        QTest::qWait(400); // the measurement starts after 200 ms
        w->PickColour(0x654321);
        QVERIFY(w->Background() == 0x123456 && w->picValgt->BackColor() == 0x654321);
        fakes.clipboard.text = "color(srgb 1.2 0 0)";
        w->mnuLimInn_Click();
        QVERIFY(w->picValgt->BackColor() == 0xFF && QToolTip::text().contains("utenfor sRGB"));

        // Newest first, no repeats, one drag over the chart is one pick.
        const QList<int32_t> before = w->History();
        QCOMPARE(before.mid(0, 3), (QList<int32_t>{0xFF, 0x654321, 0xFFFFFF}));
        const QPoint a = chart::CellMiddle(chart::CentreCell());
        w->picFarge_MouseDown(0, 1, 0, a.x(), a.y());
        w->picFarge_MouseMove(0, 1, 0, a.x() + 20, a.y());
        w->picFarge_MouseMove(0, 1, 0, a.x() + 40, a.y());
        w->PickColour(0xFFFFFF);
        QCOMPARE(w->History().size(), before.size() + 1);
        QVERIFY(w->History()[0] == 0xFFFFFF && w->History()[2] == 0xFF);
        const int32_t second = w->History()[1];
        QTRY_COMPARE(w->picHistorikk->Colour(1), second);
        w->picHistorikk->setFocus();
        QTest::keyClick(w->picHistorikk, Qt::Key_Right);
        QTest::keyClick(w->picHistorikk, Qt::Key_Return);
        QVERIFY(w->picValgt->BackColor() == second && w->History()[0] == second);
        fakes.modal.menuChoices = {1};
        w->picHistorikk_ContextMenu(2, {});
        QCOMPARE(w->Background(), w->History()[2]);
        QVERIFY(Unload(MsgAnswer::Cancel)); // stores as closing does
        const QList<int32_t> kept = w->History();
        const int32_t background = w->Background();
        Start();
        QCOMPARE(w->Background(), background);
        QCOMPARE(w->History(), kept);
        // A display's menu reads its own notation first; no colour brings a hint.
        fakes.clipboard.text = "123456";
        fakes.modal.menuChoices = {0};
        w->lblDisplay_ContextMenu(0, {});
        QCOMPARE(w->lblLong2->text(), QString::number(0x123456));
        fakes.clipboard.text = "#12345";
        w->mnuLimInn->trigger();
        QVERIFY(w->lblLong2->text() == QString::number(0x123456) &&
                QToolTip::text().contains("Ikke en farge"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
