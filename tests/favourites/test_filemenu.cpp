#include "favourites/Recovery.h"
#include "tests/Support.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace favourites;
using platform::MsgAnswer;

namespace {

class FileMenuTest : public ::testing::Test, public support::FileMenuRig {
protected:
    QTemporaryDir dir;

    QString File(const QString& name) { return dir.filePath(name); }
    QByteArray Bytes(const QString& name) { return support::Bytes(File(name)); }
    // An opened list "old.kvc" holding 1,"a", with one unsaved addition.
    void OpenChanged() {
        ASSERT_TRUE(support::Write(File("old.kvc"), "1,\"a\"\r\n") &&
                    menu.ApneFil(File("old.kvc")));
        model.AddColor(2, "b");
    }
};

} // namespace

TEST_F(FileMenuTest, SaveAndSaveAsAskForANameOnlyWhenNeeded) {
    model.AddColor(255, "Rød");
    dialog.saveAnswers = {"", File("ny.kvc")};
    menu.mnuFilLagre_Click(); // cancelled
    EXPECT_TRUE(menu.SaveCancelled);
    menu.mnuFilLagre_Click();
    const auto& o = dialog.saveAsked.at(1);
    EXPECT_TRUE(o.filter == "Fargefil (*.KVC)|*.kvc" && o.fileName == "NyFargefil.kvc" &&
                o.overwritePrompt && o.defaultSuffix == "kvc");
    EXPECT_TRUE(menu.CurrentPath == dir.path() + "/" && caption == "ny.kvc");
    EXPECT_TRUE(menu.FileSaved && !model.ListChanged && !menu.SaveCancelled && !busy);
    EXPECT_TRUE(QFile::remove(File("ny.kvc")));
    menu.mnuFilLagre_Click(); // nothing changed: nothing written
    EXPECT_EQ(Bytes("ny.kvc"), "missing");
    OpenChanged();
    menu.mnuFilLagreSom_Click(); // opened, not saved yet: straight to the file
    EXPECT_EQ(Bytes("old.kvc"), "1,\"a\"\r\n2,\"b\"\r\n");
    menu.mnuFilLagreSom_Click(); // saved once: the dialog asks (and is cancelled)
    EXPECT_TRUE(dialog.saveAsked.size() == 3 && !menu.FileSaved);
}

// Ny and Åpne on a changed list: Cancel keeps all, No gives the list up, Yes
// saves first (a new list through Save As, cancelled) and goes on once saved.
TEST_F(FileMenuTest, QuestionsBeforeAChangedListIsGivenUp) {
    using A = MsgAnswer;
    const struct {
        A answer;
        const char* file; // the list's file
        const char* open; // Åpne, answering its dialog so ("" cancels); Ny when none
        const char* outcome;
    } cases[] = {
        {A::Cancel, "old.kvc", nullptr, "b,a|changed|old.kvc|cancelled|1,a|0 0"},
        {A::No, "old.kvc", nullptr, "|changed|NyFargefil.kvc||1,a|0 0"},
        {A::Yes, "old.kvc", nullptr, "|saved|NyFargefil.kvc||1,a 2,b|0 0"},
        {A::Yes, "NyFargefil.kvc", nullptr, "b,a|changed|NyFargefil.kvc|cancelled|1,a|0 1"},
        {A::Cancel, "old.kvc", "other.kvc", "b,a|changed|old.kvc||1,a|0 0"},
        {A::No, "old.kvc", "", "b,a|changed|old.kvc||1,a|1 0"},
        {A::No, "old.kvc", "other.kvc", "x|saved|other.kvc||1,a|1 0"},
        {A::Yes, "old.kvc", "other.kvc", "x|saved|other.kvc||1,a 2,b|1 0"},
        {A::Yes, "NyFargefil.kvc", "other.kvc", "b,a|changed|NyFargefil.kvc|cancelled|1,a|0 1"},
    };
    ASSERT_TRUE(support::Write(File("other.kvc"), "5,\"x\"\r\n"));
    for (const auto& c : cases) {
        OpenChanged();
        menu.CurrentFileName = caption = c.file;
        box = {};
        box.answers = {c.answer};
        dialog = {};
        dialog.openAnswers = {c.open && *c.open ? File(c.open) : ""};
        c.open ? menu.mnuFilApne_Click() : menu.mnuFilNy_Click();
        ASSERT_EQ(box.shown.size(), 1u);
        const auto& m = box.shown.at(0);
        const QString asked = c.open
                                  ? "Lagre 2 2: Vil du lagre endringene i %1 ?"
                                  : "Tintra 1 2: Vil du lagre endringer i %1 før det opprettes ny?";
        const QStringList outcome = {
            QString("%1 %2 %3: %4").arg(m.title).arg(int(m.icon)).arg(int(m.buttons)).arg(m.text),
            model.FavNames().join(','),
            model.ListChanged ? "changed" : "saved",
            menu.CurrentFileName,
            menu.SaveCancelled ? "cancelled" : "",
            Bytes("old.kvc").replace("\"", "").replace("\r\n", " ").trimmed(),
            QStringLiteral("%1 %2").arg(dialog.openAsked.size()).arg(dialog.saveAsked.size())};
        EXPECT_EQ(outcome.join('|').toStdString(),
                  (asked.arg(c.file) + "|" + c.outcome).toStdString())
            << (c.open ? "Åpne, " : "Ny, ") << int(c.answer) << ", " << c.file;
        EXPECT_TRUE(caption == menu.CurrentFileName && !busy);
    }
}

// A file read in part keeps what was read before the bad record. It, or a
// list called NyFargefil.kvc (also after Ny or once saved so), is written
// only through the Save dialog, which asks before replacing: not by Lagre,
// the Ny question's Yes, nor at exit.
TEST_F(FileMenuTest, ADialogFirstFileOrANewListIsWrittenOnlyThroughTheDialog) {
    const QByteArray part = "1,\"a\"\r\n2,\"b\"\r\nx,\"c\"\r\n4,\"d\"\r\n";
    ASSERT_TRUE(support::Write(File("part.kvc"), part));
    dialog.openAnswers = {"", File("part.kvc")};
    model.AddColor(9, "keep");
    model.ListChanged = false;
    menu.mnuFilApne_Click(); // cancelled
    EXPECT_TRUE(model.Count() == 1 && menu.CurrentFileName == "NyFargefil.kvc");
    menu.mnuFilApne_Click();
    EXPECT_EQ(model.FavNames(), QStringList({"b", "a"}));
    EXPECT_TRUE(menu.DialogFirst && menu.SaveCancelled && updates > 1 && box.shown.size() == 1);
    EXPECT_EQ(box.shown.back().title + "|" + box.shown.back().text,
              QString::fromUtf8("Tintra|Fargefilen «%1» har en post som ikke kan leses.\n"
                                "Lesingen stoppet ved post 3; 2 favoritter ble lest.\n\n"
                                "Filen blir ikke lagret over uten at du velger det i «Lagre som».")
                  .arg(File("part.kvc")));
    menu.mnuFilLagre_Click(); // the dialog, cancelled
    model.AddColor(2, "d");
    box.answers = {MsgAnswer::Yes};
    menu.mnuFilNy_Click();              // Yes: the dialog again, cancelled
    EXPECT_FALSE(menu.SaveToOwnFile()); // as at exit
    EXPECT_EQ(Bytes("part.kvc"), part);
    ASSERT_EQ(dialog.saveAsked.size(), 3u);
    EXPECT_TRUE(dialog.saveAsked[0].overwritePrompt && dialog.saveAsked[0].fileName == "part.kvc");
    EXPECT_EQ(menu.CurrentFileName, "part.kvc");
    // So does the copy kept for a restart after a crash.
    ASSERT_TRUE(Recovery::Write(File("kopi"), {model.List(), File("part.kvc"), true, {}}));
    EXPECT_TRUE(Recovery::Read(File("kopi"))->dialogFirst);

    // Once the user has chosen to replace it, saves go straight to it.
    dialog.saveAnswers = {File("part.kvc")};
    menu.mnuFilLagreSom_Click();
    EXPECT_EQ(Bytes("part.kvc"), "1,\"a\"\r\n2,\"b\"\r\n2,\"d\"\r\n");
    model.AddColor(4, "e");
    menu.mnuFilLagre_Click();
    EXPECT_TRUE(!menu.DialogFirst && !model.ListChanged && dialog.saveAsked.size() == 4);

    // Ny after that save: Lagre asks for a name rather than write NyFargefil.kvc.
    ASSERT_TRUE(support::Write(File("NyFargefil.kvc"), "7,\"x\"\r\n"));
    menu.mnuFilNy_Click();
    model.AddColor(5, "f");
    menu.mnuFilLagre_Click();
    EXPECT_EQ(dialog.saveAsked.size(), 5u);
    EXPECT_EQ(Bytes("NyFargefil.kvc"), "7,\"x\"\r\n");
    // Saved under that name by choice, it still goes through the dialog.
    dialog.saveAnswers = {File("NyFargefil.kvc")};
    menu.mnuFilLagreSom_Click();
    model.AddColor(6, "g");
    menu.mnuFilLagre_Click();
    EXPECT_EQ(dialog.saveAsked.size(), 7u);
}

// A file another program wrote since it was opened is written over only
// after asking (Cancel and No keep it); one over 64 MB is not read or shrunk.
TEST_F(FileMenuTest, AFileChangedOnDiskOrTooLargeIsNotWrittenOverUnasked) {
    OpenChanged();
    const QByteArray theirs = "9,\"z\"\r\n"; // as long as the file read
    QFile file(File("old.kvc"));
    ASSERT_TRUE(
        support::Write(file.fileName(), theirs) && file.open(QIODevice::Append) &&
        file.setFileTime(QDateTime::currentDateTime().addSecs(9), QFile::FileModificationTime));
    box.answers = {MsgAnswer::Cancel, MsgAnswer::No, MsgAnswer::Yes};
    menu.mnuFilLagre_Click();
    menu.mnuFilLagre_Click(); // No: the dialog, cancelled
    EXPECT_TRUE(Bytes("old.kvc") == theirs && dialog.saveAsked.size() == 1);
    menu.mnuFilLagre_Click();
    EXPECT_EQ(Bytes("old.kvc"), "1,\"a\"\r\n2,\"b\"\r\n");
    model.AddColor(3, "c");
    menu.mnuFilLagre_Click(); // its own write: no question
    EXPECT_EQ(box.shown.size(), 3u);
    EXPECT_TRUE(box.shown[0].text.contains("er endret på disken") && !model.ListChanged);

    QFile big(File("big.kvc"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(kMaxColourFileSize + 1));
    big.close();
    EXPECT_FALSE(menu.ApneFil(File("big.kvc")));
    EXPECT_TRUE(box.shown.back().text.contains("er større enn 64 MB") && menu.DialogFirst);
    model.AddColor(4, "d");
    menu.mnuFilLagre_Click();
    EXPECT_TRUE(dialog.saveAsked.size() == 2 && QFileInfo(big).size() == kMaxColourFileSize + 1);

    // A link to a named pipe or a device is never replaced by a plain file.
    ASSERT_EQ(mkfifo(QFile::encodeName(File("pipe")).constData(), 0600), 0);
    for (const char* target : {"pipe", "/dev/null"}) {
        QFile::remove(File("link.kvc"));
        ASSERT_TRUE(QFile::link(QDir(dir.path()).absoluteFilePath(target), File("link.kvc")));
        EXPECT_FALSE(menu.xSaveFav(File("link.kvc")));
        EXPECT_TRUE(box.shown.back().text.endsWith("da det ikke er en vanlig fil.") &&
                    !QFileInfo(QDir(dir.path()).absoluteFilePath(target)).isFile());
    }
}

// A hand-edited GIMP palette comes in as a new unsaved list named after it,
// saved only through the dialog, and goes out and back the same; a bad line
// keeps the colours before it; a file that is no palette changes nothing.
TEST_F(FileMenuTest, PalettesComeInAndGoOut) {
    ASSERT_TRUE(support::Write(File("gimp.gpl"), "\xEF\xBB\xBFGIMP Palette\r\n"
                                                 "Name: Mine farger.GPL\r\n"
                                                 "Columns: 3\r\n# kommentar\r\n\r\n"
                                                 "255   0   0\tR\303\270d\r\n"
                                                 "  0 128 255 Himmel bl\xC3\xA5\r\n"
                                                 "1 2 3\r\n"
                                                 "4\t5\t6\tmed\ttab\n"));
    EXPECT_TRUE(menu.ImportPalette(File("gimp.gpl")));
    EXPECT_EQ(model.FavNames(), QStringList({"med\ttab", "", "Himmel blå", "Rød"}));
    EXPECT_EQ(model.List().colors, QList<int32_t>({0x060504, 0x030201, 0xFF8000, 0xFF}));
    EXPECT_TRUE(menu.CurrentFileName == "Mine farger.kvc" && menu.DialogFirst &&
                model.ListChanged && caption == "Mine farger.kvc");
    menu.mnuFilLagre_Click();
    EXPECT_TRUE(dialog.saveAsked.size() == 1 && Bytes("Mine farger.kvc") == "missing");

    const ColourList imported = model.List();
    dialog.saveAnswers = {File("ut.gpl")};
    menu.mnuFilEksporter_Click();
    const auto& o = dialog.saveAsked.back();
    EXPECT_TRUE(o.fileName == "Mine farger.gpl" && o.title == "Eksporter palett" &&
                o.defaultSuffix == "gpl");
    model.Clear();
    EXPECT_TRUE(menu.ImportPalette(File("ut.gpl")));
    EXPECT_TRUE(support::Same(model.List(), imported) && box.shown.empty());

    ASSERT_TRUE(support::Write(File("bad.gpl"), "GIMP Palette\n1 2 3 a\n4 5 256 b\n7 8 9 c\n"));
    EXPECT_FALSE(menu.ImportPalette(File("bad.gpl")));
    EXPECT_EQ(model.FavNames(), QStringList("a"));
    EXPECT_EQ(box.shown.back().text,
              QString::fromUtf8("Paletten «%1» har en linje som ikke kan leses.\nLesingen "
                                "stoppet ved linje 3; én farge ble lest.")
                  .arg(File("bad.gpl")));
    EXPECT_FALSE(menu.ImportPalette(File("old.kvc")) || menu.ImportPalette(File("none.gpl")));
    EXPECT_TRUE(model.FavNames() == QStringList("a") && menu.CurrentFileName == "bad.kvc");
}
