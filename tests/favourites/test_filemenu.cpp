#include "favourites/FileMenu.h"
#include "platform/doubles/Doubles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace favourites;
using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

namespace {

struct FakeHost : FileMenuHost {
    void SetCaption(const QString& fileName) override { caption = fileName; }
    void SelectFavouritesTab() override {}
    void UpdateColorbox() override { ++updates; }
    void ClearColorbox() override {}
    QWidget* DialogOwner() override { return nullptr; }
    void SetBusyCursor(bool b) override { busy = b; }
    QString caption;
    int updates = 0;
    bool busy = false;
};

class FileMenuTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    FavouritesModel model;
    platform::doubles::FakeMessageBox box;
    platform::doubles::FakeFileDialog dialog;
    FakeHost host;
    FileMenu menu{model, box, dialog, host};

    QString File(const QString& name) { return dir.filePath(name); }
    QByteArray Bytes(const QString& name) {
        QFile f(File(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : "missing";
    }
    void Write(const QString& name, const QByteArray& bytes) {
        QFile f(File(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    // An opened list "old.kvc" holding 1,"a", with one unsaved addition.
    void OpenChanged() {
        Write("old.kvc", "1,\"a\"\r\n");
        ASSERT_TRUE(menu.ApneFil(File("old.kvc")));
        model.AddColor(2, "b");
    }
    void ExpectMsg(std::size_t i, const QString& text, const QString& title, MsgIcon icon,
                   MsgButtons buttons = MsgButtons::OK) {
        ASSERT_LT(i, box.shown.size());
        EXPECT_EQ(box.shown[i].text, text);
        EXPECT_EQ(box.shown[i].title, title);
        EXPECT_EQ(box.shown[i].icon, icon);
        EXPECT_EQ(box.shown[i].buttons, buttons);
    }
    void ExpectKept(const QString& name = "old.kvc") {
        EXPECT_TRUE(model.Count() == 2 && model.ListChanged && menu.CurrentFileName == name);
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
    EXPECT_EQ(o.filter, "Fargefil (*.KVC)|*.kvc");
    EXPECT_EQ(o.fileName, "NyFargefil.kvc");
    EXPECT_TRUE(o.overwritePrompt);
    EXPECT_EQ(Bytes("ny.kvc"), "255,\"R\xF8"
                               "d\"\r\n");
    EXPECT_EQ(menu.CurrentPath, dir.path() + "/");
    EXPECT_EQ(host.caption, "ny.kvc");
    EXPECT_TRUE(menu.FileSaved && !model.ListChanged && !menu.SaveCancelled && !host.busy);
    QFile::remove(File("ny.kvc"));
    menu.mnuFilLagre_Click(); // nothing changed: nothing written
    EXPECT_EQ(Bytes("ny.kvc"), "missing");
    OpenChanged();
    menu.mnuFilLagreSom_Click(); // opened, not saved yet: straight to the file
    EXPECT_EQ(Bytes("old.kvc"), "1,\"a\"\r\n2,\"b\"\r\n");
    menu.mnuFilLagreSom_Click(); // saved once: the dialog asks (and is cancelled)
    EXPECT_EQ(dialog.saveAsked.size(), 3u);
    EXPECT_FALSE(menu.FileSaved);
}

TEST_F(FileMenuTest, OpenReadsTheChosenFileAndKeepsWhatWasReadBeforeABadRecord) {
    Write("bad.kvc", "1,\"a\"\r\n2,\"b\"\r\nx,\"c\"\r\n");
    dialog.openAnswers = {"", File("bad.kvc")};
    menu.CurrentPath = dir.path() + "/";
    model.AddColor(9, "keep");
    model.ListChanged = false;
    menu.mnuFilApne_Click(); // cancelled
    EXPECT_EQ(model.Count(), 1);
    EXPECT_EQ(menu.CurrentFileName, "NyFargefil.kvc");
    EXPECT_EQ(dialog.openAsked[0].filter, "Kvidra Fargefil (*.KVC)|*.kvc");
    EXPECT_TRUE(dialog.openAsked[0].fileMustExist);
    EXPECT_EQ(dialog.openAsked[0].initialDir, menu.CurrentPath);
    menu.mnuFilApne_Click();
    EXPECT_EQ(model.FavNames(), QStringList({"b", "a"}));
    EXPECT_EQ(menu.CurrentFileName, "bad.kvc");
    EXPECT_TRUE(menu.SaveCancelled && host.updates > 1 && box.shown.empty());
}

TEST_F(FileMenuTest, OpenQuestionAnswers) {
    Write("other.kvc", "5,\"x\"\r\n");
    OpenChanged();
    box.answers = {MsgAnswer::Cancel, MsgAnswer::No, MsgAnswer::No, MsgAnswer::Yes};
    dialog.openAnswers = {"", File("other.kvc"), File("old.kvc")};
    menu.mnuFilApne_Click(); // Cancel
    ExpectMsg(0, "Vil du lagre endringene i old.kvc ?", "Lagre", MsgIcon::Question,
              MsgButtons::YesNoCancel);
    EXPECT_TRUE(dialog.openAsked.empty());
    menu.mnuFilApne_Click(); // No, dialog cancelled: the list stays changed
    ExpectKept();
    EXPECT_FALSE(menu.SaveCancelled);
    menu.mnuFilApne_Click(); // No: other.kvc replaces the list
    EXPECT_EQ(model.FavNames(), QStringList("x"));
    model.AddColor(6, "y");
    menu.mnuFilApne_Click(); // Yes: other.kvc saved, then old.kvc opened
    EXPECT_EQ(Bytes("other.kvc"), "5,\"x\"\r\n6,\"y\"\r\n");
    EXPECT_EQ(model.FavNames(), QStringList("a"));
    // A new list asks for a name; cancelling it stops the opening.
    menu.mnuFilNy_Click();
    model.AddColor(7, "z");
    box.answers = {MsgAnswer::Yes};
    menu.mnuFilApne_Click();
    EXPECT_EQ(dialog.saveAsked.size(), 1u);
    EXPECT_EQ(dialog.openAsked.size(), 3u);
    EXPECT_EQ(model.Count(), 1);
}

TEST_F(FileMenuTest, NewQuestionAnswers) {
    OpenChanged();
    box.answers = {MsgAnswer::Cancel, MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Yes};
    menu.mnuFilNy_Click();
    ExpectMsg(0, "Vil du lagre endringer i old.kvc før det opprettes ny?", "Tintra",
              MsgIcon::Exclamation, MsgButtons::YesNoCancel);
    EXPECT_TRUE(menu.SaveCancelled);
    ExpectKept();
    menu.mnuFilNy_Click(); // Yes: saved to old.kvc, then emptied
    EXPECT_EQ(Bytes("old.kvc"), "1,\"a\"\r\n2,\"b\"\r\n");
    EXPECT_EQ(model.Count(), 0);
    EXPECT_EQ(host.caption, "NyFargefil.kvc");
    model.AddColor(3, "c");
    menu.mnuFilNy_Click(); // No: emptied, still counts as changed
    EXPECT_TRUE(model.Count() == 0 && model.ListChanged);
    model.AddColor(3, "c");
    menu.mnuFilNy_Click(); // Yes on a new list: Save As, cancelled
    EXPECT_EQ(dialog.saveAsked.size(), 1u);
    EXPECT_EQ(model.Count(), 1);
}

TEST_F(FileMenuTest, FailedSavesKeepTheOldFileAndTheList) {
    OpenChanged();
    ASSERT_TRUE(QDir(dir.path()).mkdir("dir.kvc"));
    menu.CurrentFileName = "dir.kvc"; // a folder refuses writing
    box.answers = {MsgAnswer::Yes, MsgAnswer::OK, MsgAnswer::Yes, MsgAnswer::OK};
    menu.mnuFilNy_Click();
    menu.mnuFilApne_Click();
    ExpectMsg(3, "Kan ikke lagre til fil da den er skrivebeskyttet.", "Feil", MsgIcon::Exclamation);
    EXPECT_TRUE(dialog.openAsked.empty());
    ExpectKept("dir.kvc");
    // Faults part-way through a write are the save-fault suite's.
    EXPECT_TRUE(model.ListChanged && !menu.FileSaved && !host.busy);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList("old.kvc"));
}
