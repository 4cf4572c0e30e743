#include "app/frmTintra.h"
#include "measure/PointMeasure.h"
#include "platform/Paths.h"
#include "platform/doubles/Doubles.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using platform::MsgAnswer;
using platform::doubles::FakeServices;
using platform::doubles::FakeSettings;

namespace {
const QString kApp = QStringLiteral("Tintra");
const QString kSection = QStringLiteral("Tilpass");
QString Key(const char* key) {
    return FakeSettings::Key(kApp, kSection, QString::fromLatin1(key));
}
} // namespace

class StartupTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir; // the program's current directory
    std::unique_ptr<FakeServices> fakes;
    std::unique_ptr<frmTintra> w;

    void Start() {
        w = std::make_unique<frmTintra>(fakes->Get());
        w->Form_Initialize();
        w->Form_Load();
    }
    void Store(const char* key, const QString& value) { fakes->settings.values[Key(key)] = value; }
    QString Stored(const char* key) const { return fakes->settings.values.value(Key(key)); }
    bool Unload() {
        bool cancel = false;
        w->Form_Unload(cancel);
        return cancel;
    }
    void WriteFile(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(dir->path()));
        fakes = std::make_unique<FakeServices>();
    }
    void cleanup() {
        w.reset();
        QDir::setCurrent(QDir::tempPath());
    }

    void firstStartWithEmptySettings() {
        Start();
        QCOMPARE(w->cboHexFormat->currentIndex(), 0);
        QCOMPARE(w->cboRgbFormat->currentIndex(), 0);
        QCOMPARE(w->cboZoom->currentIndex(), 3);
        QCOMPARE(w->Measure().lZoomHalf, 12);
        QCOMPARE(w->pos(), QPoint(17, 17));
        QCOMPARE(w->lblHSL2->text(), QString("0,0,120"));
        QCOMPARE(w->FileMenu().CurrentPath, platform::StiMedBackslash(QDir::toNativeSeparators(
                                                QCoreApplication::applicationDirPath())));
        QCOMPARE(w->FileMenu().CurrentFileName, QString("NyFargefil.kvc"));
        QCOMPARE(w->windowTitle(), frmTintra::ExeName() + " - NyFargefil.kvc");
        QCOMPARE(w->SelectedTab(), 1);
        // The hint is printed in the measurement picture: not all background.
        const QImage& pm = w->picFarge[1]->Image();
        QVERIFY(pm.copy(0, 0, 150, 16) !=
                QImage(150, 16, pm.format()).convertToFormat(pm.format()));
        QVERIFY(fakes->messageBox.shown.empty());
    }

    void storedSettingsComeBack() {
        QTemporaryDir files;
        WriteFile(files.filePath("Mine.kvc"), "255,\"Rød\"\r\n");
        QImage pm(190, 190, QImage::Format_RGB32);
        pm.fill(QColor(9, 8, 7));
        QVERIFY(pm.save("PM.bmp", "BMP"));
        Store("HexFormat", "5");
        Store("RgbFormat", "2");
        Store("ZoomFactor", "0");
        Store("ActiveTab", "2");
        Store("MainLeft", "3000");
        Store("MainTop", "1500");
        Store("Path", QDir::toNativeSeparators(files.path())); // no trailing separator
        Store("FileName", "Mine.kvc");
        Start();
        QCOMPARE(w->lblHex2->text(), QString("\"#808080\""));
        QCOMPARE(w->lblRGB2->text(), QString("Argb(255,128,128,128)"));
        QCOMPARE(w->Measure().lZoomHalf, 96);
        QCOMPARE(w->SelectedTab(), 2);
        QVERIFY(w->picFarge[1]->isVisible() || !w->isVisible());
        QCOMPARE(w->pos(), QPoint(200, 100));
        QCOMPARE(w->FileMenu().CurrentPath,
                 platform::StiMedBackslash(QDir::toNativeSeparators(files.path())));
        QCOMPARE(w->Favourites().Count(), 1);
        QCOMPARE(w->windowTitle(), frmTintra::ExeName() + " - Mine.kvc");
        QCOMPARE(w->picFarge[1]->Point(5, 5), 9 + 8 * 256 + 7 * 65536);
    }

    void garbageIsSkippedStepByStep() {
        Store("HexFormat", "abc");
        Store("RgbFormat", "7");
        Store("ZoomFactor", "-1");
        Store("ActiveTab", "9");
        Store("MainLeft", "left");
        Store("MainTop", "600");
        Store("FileName", "gone.kvc"); // a remembered file that no longer exists
        WriteFile("PM.bmp", "not a picture");
        Start();
        // Unusable notations and zoom fall back to their defaults.
        QCOMPARE(w->cboHexFormat->currentIndex(), 0);
        QCOMPARE(w->cboRgbFormat->currentIndex(), 0);
        QCOMPARE(w->cboZoom->currentIndex(), 3);
        QCOMPARE(w->lblHex2->text(), QString("808080"));
        // Opening the remembered (missing) file showed the favourites; the
        // impossible stored tab changes nothing after that.
        QCOMPARE(w->SelectedTab(), 3);
        QCOMPARE(w->pos().y(), 40);
        QCOMPARE(w->Favourites().Count(), 0);
        QVERIFY(fakes->messageBox.shown.empty());
    }

    void closeWritesSettingsInOrderAndTheMeasurement() {
        Start();
        w->cboHexFormat->setCurrentIndex(4);
        w->SelectTab(3);
        w->move(30, 45);
        QVERIFY(!Unload());
        QCOMPARE(fakes->settings.writeOrder,
                 QStringList({"HexFormat", "RgbFormat", "ZoomFactor", "ActiveTab", "Path",
                              "FileName", "MainLeft", "MainTop"}));
        QCOMPARE(Stored("HexFormat"), QString("4"));
        QCOMPARE(Stored("ActiveTab"), QString("3"));
        QCOMPARE(Stored("FileName"), QString("NyFargefil.kvc"));
        QCOMPARE(Stored("MainLeft"), QString("450"));
        QCOMPARE(Stored("MainTop"), QString("675"));
        QCOMPARE(QImage("PM.bmp").size(), QSize(190, 190));

        // Maximised: the position keeps its stored value.
        fakes->settings.writeOrder.clear();
        w->setWindowState(Qt::WindowMaximized);
        QVERIFY(!Unload());
        QVERIFY(!fakes->settings.writeOrder.contains("MainLeft"));
        QCOMPARE(fakes->settings.writeOrder.size(), 6);
    }

    void closeAsksAboutUnsavedFavourites() {
        Start();
        w->Favourites().AddColor(255, "Rød");

        // No: ends at once, writing nothing.
        fakes->messageBox.answers = {MsgAnswer::No};
        QVERIFY(!Unload());
        QCOMPARE(fakes->messageBox.shown.back().text,
                 QString("Vil du lagre endringer i NyFargefil.kvc før avsluttning?"));
        QVERIFY(fakes->settings.writeOrder.isEmpty());
        QVERIFY(!QFile::exists("PM.bmp"));

        // Cancel: stays open, but settings and the measurement are written.
        fakes->messageBox.answers = {MsgAnswer::Cancel};
        QVERIFY(Unload());
        QCOMPARE(fakes->settings.writeOrder.size(), 8);
        QVERIFY(QFile::exists("PM.bmp"));

        // Yes on a list without a file, Save As cancelled: stays open and the
        // cancel does not linger.
        fakes->messageBox.answers = {MsgAnswer::Yes};
        QVERIFY(Unload());
        QCOMPARE(fakes->fileDialog.saveAsked.size(), size_t(1));
        QVERIFY(!w->FileMenu().SaveCancelled);

        // Yes with a file name whose save fails: stays open, list kept.
        w->FileMenu().CurrentPath =
            platform::StiMedBackslash(QDir::toNativeSeparators(dir->path()));
        w->FileMenu().CurrentFileName = "folder.kvc";
        QVERIFY(QDir(dir->path()).mkdir("folder.kvc"));
        fakes->messageBox.answers = {MsgAnswer::Yes};
        QVERIFY(Unload());
        QVERIFY(w->Favourites().ListChanged);

        // Yes with a good file name: saved and closed.
        w->FileMenu().CurrentFileName = "saved.kvc";
        fakes->messageBox.answers = {MsgAnswer::Yes};
        QVERIFY(!Unload());
        QFile saved(dir->filePath("saved.kvc"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("255,\"R\xf8"
                                             "d\"\r\n"));
    }

    void unwritableMeasurementStillCloses() {
        Start();
        QVERIFY(QDir(dir->path()).mkdir("PM.bmp")); // cannot be replaced by a file
        QVERIFY(!Unload());
        QCOMPARE(fakes->settings.writeOrder.size(), 8);
        QVERIFY(fakes->messageBox.shown.empty());
    }
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
