// Faults while saving the colour file: a full disk, a read-only file system,
// permission bits that refuse writing, and the program killed in the middle
// of a write. The old file must always stay whole, the user must be told, and
// the list must still count as unsaved.
#include "favourites/FileMenu.h"
#include "platform/doubles/Doubles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace favourites;

namespace {

struct FakeHost : FileMenuHost {
    void SetCaption(const QString&) override {}
    void SelectFavouritesTab() override {}
    void UpdateColorbox() override {}
    void ClearColorbox() override {}
    QWidget* DialogOwner() override { return nullptr; }
    void SetBusyCursor(bool) override {}
};

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

ColourList Records(int n, const QString& name) {
    ColourList list;
    for (int i = 0; i < n; ++i) {
        list.colors << (i * 7919) % 0x1000000;
        list.names << QStringLiteral("%1 %2").arg(name).arg(i);
    }
    return list;
}

const QByteArray kOld = "1,\"gammel\"\r\n2,\"fil\"\r\n";

// The program's side: a list opened from `folder`/old.kvc and changed since.
struct Program {
    FavouritesModel model;
    platform::doubles::FakeMessageBox box;
    platform::doubles::FakeFileDialog dialog;
    FakeHost host;
    FileMenu menu{model, box, dialog, host};

    explicit Program(const QString& folder, int added = 3) {
        if (!menu.ApneFil(folder + "/old.kvc")) {
            ADD_FAILURE() << "old.kvc did not open";
        }
        for (int i = 0; i < added; ++i) {
            model.AddColor(0xABCDEF, QStringLiteral("ny farge %1").arg(i));
        }
    }
    // Puts `list` in place of the list, as edits by the user would.
    void Replace(const ColourList& list) {
        model.Clear();
        model.Load(list);
        model.ListChanged = true;
    }
    // The title and first two lines of the last message, and whether the list
    // still counts as changed: "Feil|Kan ikke lagre ...|changed".
    std::string Outcome() const {
        const QString shown = box.shown.empty() ? QString("no message")
                                                : box.shown.back().title + "|" +
                                                      box.shown.back().text.section('\n', 0, 1);
        return (shown + (model.ListChanged ? "|changed" : "|saved")).toStdString();
    }
};

const std::string kWriteProtected =
    "Feil|Kan ikke lagre til fil da den er skrivebeskyttet.|changed";

// A private mount namespace for this thread, so file systems mounted by the
// tests are seen nowhere else and vanish with the process. Needs root.
bool PrivateMounts() {
    static const bool ok = geteuid() == 0 && unshare(CLONE_NEWNS) == 0 &&
                           mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return ok;
}

bool MountTmpfs(const QString& dir, const char* options) {
    return PrivateMounts() &&
           mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, options) == 0;
}

// Runs `fn` in a child process; returns its exit status as waitpid gives it.
template <typename Fn> int InChild(Fn fn) {
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_DUMPABLE, 0); // no core file when a test kills it
        fn();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

class SaveFaults : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString dir;
    void SetUp() override {
        dir = tmp.filePath("farger");
        ASSERT_TRUE(QDir().mkpath(dir));
    }
    void TearDown() override {
        if (PrivateMounts()) {
            umount2(QFile::encodeName(dir).constData(), MNT_DETACH);
        }
    }
    QStringList Files() const { return QDir(dir).entryList(QDir::Files | QDir::Hidden); }
};

} // namespace

TEST_F(SaveFaults, FullDiskKeepsTheOldFileUntilThereIsRoomAgain) {
    if (!MountTmpfs(dir, "size=64k,mode=0777")) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    }
    ASSERT_TRUE(Write(dir + "/old.kvc", kOld));
    QFile filler(dir + "/filler");
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(512, 'x');
    while (filler.write(block) == block.size()) {
    }
    filler.close();

    Program p(dir);
    p.menu.mnuFilLagre_Click();
    EXPECT_EQ(p.Outcome(), "Tintra|General_xSaveFav\nFeilkode: 61|changed");
    EXPECT_TRUE(p.box.shown.back().text.contains("Disken er full"));
    EXPECT_EQ(Bytes(dir + "/old.kvc"), kOld);
    EXPECT_EQ(Files(), QStringList({"filler", "old.kvc"}));

    // A list larger than the whole disk fails the same way.
    ASSERT_TRUE(QFile::remove(dir + "/filler"));
    p.Replace(Records(5000, "stor"));
    p.menu.mnuFilLagre_Click();
    EXPECT_EQ(p.Outcome(), "Tintra|General_xSaveFav\nFeilkode: 61|changed");
    EXPECT_EQ(Bytes(dir + "/old.kvc"), kOld);

    // With room again the same command saves.
    p.Replace(Records(10, "liten"));
    p.menu.mnuFilLagre_Click();
    EXPECT_FALSE(p.model.ListChanged);
    EXPECT_EQ(Bytes(dir + "/old.kvc"), WriteColourFile(p.model.List()));
    EXPECT_EQ(Files(), QStringList("old.kvc"));
}

TEST_F(SaveFaults, ReadOnlyFileSystemShowsTheWriteProtectedMessage) {
    if (!MountTmpfs(dir, "size=64k")) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    }
    ASSERT_TRUE(Write(dir + "/old.kvc", kOld));
    ASSERT_EQ(mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                    nullptr),
              0);
    Program p(dir);
    p.menu.mnuFilLagre_Click();
    EXPECT_EQ(p.Outcome(), kWriteProtected);
    p.dialog.saveAnswers = {dir + "/ny.kvc"};
    p.menu.FileSaved = true; // Lagre som now asks for a new name
    p.menu.mnuFilLagreSom_Click();
    EXPECT_EQ(p.Outcome(), kWriteProtected);
    EXPECT_EQ(p.menu.CurrentFileName, "old.kvc");
    EXPECT_EQ(Bytes(dir + "/old.kvc"), kOld);
    EXPECT_EQ(Files(), QStringList("old.kvc"));
}

// As an ordinary user, in a child process: root writes whatever the
// permission bits say, so as root the child becomes "nobody".
TEST_F(SaveFaults, PermissionBitsThatRefuseWritingKeepTheOldFile) {
    struct Case {
        const char* name;
        QFile::Permissions file, folder;
        const char* target; // saved through Lagre som to this name
    };
    const QFile::Permissions rw = QFile::ReadOwner | QFile::WriteOwner;
    const QFile::Permissions rx = QFile::ReadOwner | QFile::ExeOwner;
    const Case cases[] = {{"read-only target", QFile::ReadOwner, rw | QFile::ExeOwner, "old.kvc"},
                          {"write-protected folder", rw, rx, "old.kvc"},
                          {"new file in a write-protected folder", rw, rx, "ny.kvc"}};
    if (geteuid() == 0) {
        ASSERT_EQ(chown(QFile::encodeName(tmp.path()).constData(), 65534, 65534), 0);
        ASSERT_EQ(chown(QFile::encodeName(dir).constData(), 65534, 65534), 0);
    }
    for (const Case& c : cases) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        InChild([&] {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
                return;
            }
            QFile::setPermissions(dir, rw | QFile::ExeOwner);
            QFile::remove(dir + "/old.kvc");
            if (!Write(dir + "/old.kvc", kOld) ||
                !QFile::setPermissions(dir + "/old.kvc", c.file) ||
                !QFile::setPermissions(dir, c.folder)) {
                return;
            }
            Program p(dir);
            p.dialog.saveAnswers = {dir + "/" + c.target};
            p.menu.FileSaved = QString(c.target) != "old.kvc";
            p.menu.mnuFilLagreSom_Click();
            const std::string result = p.Outcome() + "|" + Bytes(dir + "/old.kvc").toStdString() +
                                       "|" + Files().join(',').toStdString();
            QFile::setPermissions(dir, rw | QFile::ExeOwner);
            QFile::setPermissions(dir + "/old.kvc", rw);
            [[maybe_unused]] auto n = write(fds[1], result.data(), result.size());
        });
        close(fds[1]);
        std::string result(4096, '\0');
        result.resize(static_cast<std::size_t>(
            std::max<ssize_t>(0, read(fds[0], result.data(), result.size()))));
        close(fds[0]);
        EXPECT_EQ(result, kWriteProtected + "|" + kOld.toStdString() + "|old.kvc") << c.name;
    }
}

// Killed by the kernel at an exact byte of the write (the file size limit's
// signal), and killed from outside at whatever point the write has reached:
// the file is always either the old list or the new one, whole.
TEST_F(SaveFaults, KilledWhileWritingLeavesAWholeFile) {
    ASSERT_TRUE(Write(dir + "/old.kvc", kOld));
    const ColourList big = Records(20000, "navn");
    const QByteArray bigBytes = WriteColourFile(big);
    for (const rlim_t limit : {rlim_t{0}, rlim_t{1}, rlim_t{4096}, rlim_t(bigBytes.size() / 2),
                               rlim_t(bigBytes.size() - 1)}) {
        const int status = InChild([&] {
            std::signal(SIGXFSZ, SIG_DFL);
            const rlimit small{limit, limit};
            setrlimit(RLIMIT_FSIZE, &small);
            Program p(dir, 0);
            p.Replace(big);
            p.menu.xSaveFav(dir + "/old.kvc");
        });
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "limit " << limit;
        EXPECT_EQ(Bytes(dir + "/old.kvc"), kOld) << "limit " << limit;
    }

    const ColourList other = Records(15000, "annen");
    const QByteArray otherBytes = WriteColourFile(other);
    for (int round = 1; round <= 12; ++round) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_DUMPABLE, 0);
            close(fds[0]);
            Program p(dir, 0);
            for (int i = 0;; ++i) {
                p.Replace(i % 2 ? other : big);
                p.menu.xSaveFav(dir + "/old.kvc");
                [[maybe_unused]] auto n = write(fds[1], "s", 1);
            }
        }
        close(fds[1]);
        char c = 0;
        for (int saves = 0; saves < round && read(fds[0], &c, 1) == 1; ++saves) {
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        close(fds[0]);
        const QByteArray now = Bytes(dir + "/old.kvc");
        EXPECT_TRUE(now == bigBytes || now == otherBytes) << "round " << round;
    }

    // The temporary files of the killed writes are left behind, but the
    // program saves over the old file as before.
    Program p(dir, 1);
    EXPECT_TRUE(p.menu.xSaveFav(dir + "/old.kvc"));
    EXPECT_EQ(Bytes(dir + "/old.kvc"), WriteColourFile(p.model.List()));
}
