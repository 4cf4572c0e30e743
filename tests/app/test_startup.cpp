// Start-up from the stored settings and shutdown. Which notation, zoom and
// window position garbage settings give is the fuzz corpus replay's to
// check; the real settings file and restart are the e2e test's.
#include "app/frmTintra.h"
#include "measure/PointMeasure.h"
#include "platform/Paths.h"
#include "platform/doubles/Doubles.h"
#include "tests/Support.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using platform::MsgAnswer;

class StartupTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir; // the program's current directory
    platform::doubles::FakeServices fakes;
    std::unique_ptr<frmTintra> w;

    void Start(const QStringList& settings = {}) {
        for (const QString& s : settings) {
            fakes.settings.values[platform::doubles::FakeSettings::Key(
                "Tintra", "Tilpass", s.section('=', 0, 0))] = s.section('=', 1);
        }
        w = std::make_unique<frmTintra>(fakes.Get());
        w->Form_Initialize();
        w->Form_Load();
    }
    QString Stored(const char* key) {
        return fakes.settings.values.value(
            platform::doubles::FakeSettings::Key("Tintra", "Tilpass", key));
    }
    bool Unload() {
        bool cancel = false;
        w->Form_Unload(cancel);
        return cancel;
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(dir->path()));
        fakes = {};
    }
    void cleanup() {
        w.reset();
        QDir::setCurrent(QDir::tempPath());
    }

    void firstStartWithEmptySettings() {
        Start();
        QCOMPARE(w->Measure().lZoomHalf, 12);
        QCOMPARE(w->pos(), QPoint(17, 17));
        QCOMPARE(w->FileMenu().CurrentFile(), platform::StiMedBackslash(QDir::toNativeSeparators(
                                                  QCoreApplication::applicationDirPath())) +
                                                  "NyFargefil.kvc");
        QCOMPARE(w->windowTitle(), frmTintra::ExeName() + " - NyFargefil.kvc");
        QCOMPARE(w->SelectedTab(), 1);
        // The hint is printed in the measurement picture: not all background.
        QImage hint = w->picFarge[1]->Image().copy(0, 0, 150, 16), blank = hint;
        blank.fill(w->picFarge[1]->Image().pixel(189, 189));
        QVERIFY(hint != blank);
        QVERIFY(fakes.messageBox.shown.empty());
    }

    void storedSettingsComeBack() {
        QTemporaryDir files;
        QVERIFY(support::Write(files.filePath("Mine.kvc"), "255,\"Rød\"\r\n"));
        QImage pm(190, 190, QImage::Format_RGB32);
        pm.fill(QColor(9, 8, 7));
        QVERIFY(pm.save("PM.bmp", "BMP"));
        // The folder without its closing separator.
        Start({"HexFormat=5", "RgbFormat=2", "ZoomFactor=0", "ActiveTab=2", "MainLeft=3000",
               "MainTop=1500", "Path=" + QDir::toNativeSeparators(files.path()),
               "FileName=Mine.kvc"});
        QCOMPARE(w->lblHex2->text() + " " + w->lblRGB2->text(),
                 QString("\"#808080\" Argb(255,128,128,128)"));
        QVERIFY(w->Measure().lZoomHalf == 96 && w->SelectedTab() == 2 &&
                w->pos() == QPoint(200, 100));
        QCOMPARE(w->FileMenu().CurrentFile(),
                 platform::StiMedBackslash(QDir::toNativeSeparators(files.path())) + "Mine.kvc");
        QCOMPARE(w->Favourites().Count(), 1);
        QCOMPARE(w->windowTitle(), frmTintra::ExeName() + " - Mine.kvc");
        QCOMPARE(w->picFarge[1]->Point(5, 5), 9 + 8 * 256 + 7 * 65536);
    }

    // A remembered file that no longer exists opens as an empty list on the
    // favourites tab, without a word; the stored tab, impossible here, changes
    // nothing after that; a measurement that is no picture is left out.
    void missingFileAndBadPicture() {
        QVERIFY(support::Write("PM.bmp", "not a picture"));
        Start({"ActiveTab=9", "FileName=gone.kvc"});
        QVERIFY(w->SelectedTab() == 3 && w->Favourites().Count() == 0 &&
                fakes.messageBox.shown.empty());
    }

    void closeWritesSettingsInOrderAndTheMeasurement() {
        Start();
        w->cboHexFormat->setCurrentIndex(4);
        w->SelectTab(3);
        w->move(30, 45);
        QVERIFY(!Unload());
        QCOMPARE(fakes.settings.writeOrder.join(' '),
                 "HexFormat RgbFormat ZoomFactor ActiveTab Path FileName MainLeft MainTop");
        QCOMPARE(QStringList({Stored("HexFormat"), Stored("ActiveTab"), Stored("FileName"),
                              Stored("MainLeft"), Stored("MainTop")}),
                 QStringList({"4", "3", "NyFargefil.kvc", "450", "675"}));
        QCOMPARE(QImage("PM.bmp").size(), QSize(190, 190));
        // Maximised, the position keeps its stored value; a measurement that
        // cannot be written is left out without a word.
        fakes.settings.writeOrder.clear();
        w->setWindowState(Qt::WindowMaximized);
        QVERIFY(QFile::remove("PM.bmp") && QDir(dir->path()).mkdir("PM.bmp"));
        QVERIFY(!Unload());
        QCOMPARE(fakes.settings.writeOrder.join(' '),
                 "HexFormat RgbFormat ZoomFactor ActiveTab Path FileName");
        QVERIFY(fakes.messageBox.shown.empty());
    }

    // Unsaved favourites at close: No ends at once, writing nothing; Cancel
    // stays open, but the settings and the measurement are written; Yes stays
    // open when the save is cancelled (without the cancel lingering) or
    // fails, and closes once saved.
    void closeAsksAboutUnsavedFavourites() {
        Start();
        w->Favourites().AddColor(255, "Rød");
        fakes.messageBox.answers = {MsgAnswer::No};
        QVERIFY(!Unload());
        QCOMPARE(fakes.messageBox.shown.back().text,
                 QString("Vil du lagre endringer i NyFargefil.kvc før avsluttning?"));
        QVERIFY(fakes.settings.writeOrder.isEmpty() && !QFile::exists("PM.bmp"));

        fakes.messageBox.answers = {MsgAnswer::Cancel};
        QVERIFY(Unload());
        QVERIFY(fakes.settings.writeOrder.size() == 8 && QFile::exists("PM.bmp"));

        fakes.messageBox.answers = {MsgAnswer::Yes};
        QVERIFY(Unload());
        QVERIFY(fakes.fileDialog.saveAsked.size() == 1 && !w->FileMenu().SaveCancelled);

        w->FileMenu().CurrentPath =
            platform::StiMedBackslash(QDir::toNativeSeparators(dir->path()));
        w->FileMenu().CurrentFileName = "folder.kvc";
        QVERIFY(QDir(dir->path()).mkdir("folder.kvc"));
        fakes.messageBox.answers = {MsgAnswer::Yes};
        QVERIFY(Unload());
        QVERIFY(w->Favourites().ListChanged);

        w->FileMenu().CurrentFileName = "saved.kvc";
        fakes.messageBox.answers = {MsgAnswer::Yes};
        QVERIFY(!Unload());
        QCOMPARE(support::Bytes(dir->filePath("saved.kvc")), QByteArray("255,\"R\xf8"
                                                                        "d\"\r\n"));
    }
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
