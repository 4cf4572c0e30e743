// Faults while saving the colour file: a full disk, a read-only file system,
// permission bits. The old file stays whole, the user is told, and the list
// still counts as unsaved. (Killed in the middle of a save: e2e_session_end.)
#include "tests/Support.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace favourites;
using support::Bytes;

namespace {

const QByteArray kOld = "1,\"gammel\"\r\n2,\"fil\"\r\n";

// The program's side: `folder`/old.kvc opened, its records replaced by n new.
struct Program : support::FileMenuRig {
    Program(const QString& folder, int n) {
        menu.ApneFil(folder + "/old.kvc");
        model.Clear();
        for (int i = 0; i < n; ++i) {
            model.AddColor((i * 7919) % 0x1000000, QStringLiteral("navn %1 %2").arg(n).arg(i));
        }
    }
    // What the user was told, whether the list counts as changed, the current
    // file, whether old.kvc holds the old file or the list, the folder's files.
    std::string Outcome(const QString& folder) const {
        QString told =
            box.shown.empty() ? "no message" : box.shown.back().title + "|" + box.shown.back().text;
        told.replace(folder, "DIR");
        const QByteArray now = Bytes(folder + "/old.kvc");
        const char* held = now == kOld                            ? "old"
                           : now == WriteColourFile(model.List()) ? "new"
                                                                  : "broken";
        return QStringList({told.section(" (", 0, 0), model.ListChanged ? "changed" : "saved",
                            menu.CurrentFileName, held,
                            QDir(folder).entryList(QDir::Files | QDir::Hidden).join(',')})
            .join('|')
            .toStdString();
    }
};

} // namespace

// Each case runs in a child process of its own: in a private mount namespace
// with a small tmpfs on the folder, or as the user "nobody" (root writes
// whatever the permission bits say). Mounting needs root.
TEST(SaveFaults, TheOldFileStaysWholeAndTheUserIsTold) {
    enum Fault { DiskFull, ListTooLarge, ReadOnlyMount, ReadOnlyFile, ProtectedFolder };
    const std::string full =
        "Tintra|General_xSaveFav\nFeilkode: 61\nDisken er full|changed|old.kvc|old";
    const std::string kept =
        "Feil|Kan ikke lagre til fil da den er skrivebeskyttet.|changed|old.kvc|old|old.kvc";
    const std::string folder = "Feil|Kan ikke lagre til fil da mappen «DIR/» er "
                               "skrivebeskyttet.|changed|old.kvc|old|old.kvc";
    const struct {
        Fault fault;
        const char* target; // Lagre for old.kvc, else Lagre som to this name
        std::string outcome;
    } cases[] = {
        // With room made after the failure, the same command saves.
        {DiskFull, "old.kvc", full + "|filler,old.kvc then no message|saved|old.kvc|new|old.kvc"},
        {ListTooLarge, "old.kvc", full + "|old.kvc"},
        {ReadOnlyMount, "old.kvc", kept},
        {ReadOnlyMount, "ny.kvc", folder},
        {ReadOnlyFile, "old.kvc", kept},
        {ProtectedFolder, "ny.kvc", folder},
    };
    const auto rw = QFile::ReadOwner | QFile::WriteOwner, rwx = rw | QFile::ExeOwner;
    int skipped = 0;
    for (const auto& c : cases) {
        QTemporaryDir tmp;
        const QString dir = tmp.filePath("farger");
        const QByteArray path = QFile::encodeName(dir), top = QFile::encodeName(tmp.path());
        ASSERT_TRUE(QDir().mkpath(dir));
        // A child (no core file if killed) leaves what came out by the folder.
        if (fork() == 0) {
            prctl(PR_SET_DUMPABLE, 0);
            support::Write(tmp.filePath("result"), [&]() -> QByteArray {
                const bool root = geteuid() == 0;
                if (c.fault <= ReadOnlyMount
                        ? !root || unshare(CLONE_NEWNS) ||
                              mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
                              mount("tmpfs", path.constData(), "tmpfs", 0, "size=64k")
                        : root && (chown(top.constData(), 65534, 65534) ||
                                   chown(path.constData(), 65534, 65534) || setgid(65534) ||
                                   setuid(65534))) {
                    return "skipped";
                }
                support::Write(dir + "/old.kvc", kOld);
                QFile filler(dir + "/filler");
                if (c.fault == DiskFull &&
                    filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
                    while (filler.write(QByteArray(512, 'x')) == 512) {
                    }
                    filler.close();
                }
                if (c.fault == ReadOnlyMount) {
                    mount("tmpfs", path.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr);
                }
                QFile::setPermissions(dir + "/old.kvc",
                                      c.fault == ReadOnlyFile ? QFile::ReadOwner : rw);
                QFile::setPermissions(
                    dir, c.fault == ProtectedFolder ? QFile::ReadOwner | QFile::ExeOwner : rwx);
                Program p(dir, c.fault == ListTooLarge ? 5000 : 10);
                p.dialog.saveAnswers = {dir + "/" + c.target};
                p.menu.FileSaved = true; // Lagre som asks for a name
                QString(c.target) == "old.kvc" ? p.menu.mnuFilLagre_Click()
                                               : p.menu.mnuFilLagreSom_Click();
                std::string result = p.Outcome(dir);
                if (c.fault == DiskFull) {
                    filler.remove();
                    p.box.shown.clear();
                    p.menu.mnuFilLagre_Click();
                    result += " then " + p.Outcome(dir);
                }
                QFile::setPermissions(dir, rwx);
                return QByteArray::fromStdString(result);
            }());
            _exit(0);
        }
        wait(nullptr);
        const std::string result = support::Bytes(tmp.filePath("result")).toStdString();
        skipped += result == "skipped";
        EXPECT_TRUE(result == c.outcome || result == "skipped")
            << result << "\nfor fault " << c.fault << " to " << c.target << ", not\n"
            << c.outcome;
    }
    if (skipped) {
        GTEST_SKIP() << skipped << " cases need root and their own mounts";
    }
}
