// The settings file: read once, written once, and what the program writes
// reads back the same; stored numbers, file filters, the environment.
#include "platform/Convert.h"
#include "platform/QtServices.h"
#include "platform/Startup.h"
#include "tests/Support.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using support::Bytes;

namespace {
void Write(const QString& path, const QByteArray& bytes) {
    ASSERT_TRUE(support::Write(path, bytes));
}

const QString kApp = QStringLiteral("T"), kSection = QStringLiteral("Tilpass");
} // namespace

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        ASSERT_TRUE(QDir(config.path()).mkpath(kApp));
    }
    QString Get(platform::QtSettings& s, const QString& key) {
        return s.GetSetting(kApp, kSection, key, QStringLiteral("-"));
    }
    QTemporaryDir config;
    const QString conf = config.filePath(QStringLiteral("T/T.conf"));
};

// Read once (a later change by another program survives), written once at
// the flush and only with a change; a comma by hand is part of the text.
TEST_F(Settings, ReadOnceWrittenOnce) {
    Write(conf, "[Tilpass]\nPath=/a\nFileName = Mine, favoritter.kvc \n[Annen]\nFileName=a,b\n");
    const QStringList values{
        "Mine, favoritter.kvc",  " innrykk ", "a;b=c", "@x", "\\\"q\"", "to\nlinjer",
        QString::fromUtf8("blå")};
    QByteArray flushed;
    {
        platform::QtSettings s;
        EXPECT_EQ(Get(s, "Path"), "/a");
        EXPECT_EQ(Get(s, "FileName"), "Mine, favoritter.kvc");
        Write(conf, "[Tilpass]\nPath=/bb\n");
        EXPECT_EQ(Get(s, "Path"), "/a");
        for (int i = 0; i < values.size(); ++i) {
            s.SaveSetting(kApp, kSection, QString::number(i), values[i]);
        }
        EXPECT_EQ(Get(s, "0"), values[0]);
        EXPECT_EQ(Bytes(conf), "[Tilpass]\nPath=/bb\n");
        s.Flush();
        flushed = Bytes(conf);
        Write(conf, "x");
        s.SaveSetting(kApp, kSection, QStringLiteral("0"), values[0]);
        s.Flush();
    }
    EXPECT_EQ(Bytes(conf), "x");
    Write(conf, flushed);
    platform::QtSettings again;
    EXPECT_EQ(Get(again, "Path"), "/bb");
    for (int i = 0; i < values.size(); ++i) {
        EXPECT_EQ(Get(again, QString::number(i)), values[i]);
    }
}

// A named pipe or a link to a folder in the file's place, or a pipe as its
// lock file, is read as no file and left as it is.
TEST_F(Settings, OnlyAPlainFileIsAStore) {
    const QString lock = conf + ".lock", folder = config.filePath(QStringLiteral("folder"));
    ASSERT_EQ(mkfifo(QFile::encodeName(lock).constData(), 0600), 0);
    for (const int place : {0, 1, 2}) { // the lock a pipe, then the file, then a link
        if (place == 1) {
            ASSERT_TRUE(QFile::remove(lock) &&
                        mkfifo(QFile::encodeName(conf).constData(), 0600) == 0);
        } else if (place == 2) {
            ASSERT_TRUE(QFile::remove(conf) && QDir().mkpath(folder) && QFile::link(folder, conf));
        }
        {
            platform::QtSettings s;
            EXPECT_EQ(Get(s, "FileName"), "-");
            s.SaveSetting(kApp, kSection, QStringLiteral("FileName"), QStringLiteral("x"));
            EXPECT_EQ(Get(s, "FileName"), "x");
        }
        const QFileInfo info(conf);
        EXPECT_TRUE(place == 2   ? info.symLinkTarget() == folder && QDir(folder).isEmpty()
                    : place == 1 ? info.exists() && !info.isFile()
                                 : !info.exists());
    }
}

// A file over a megabyte is put aside unread, and settings that cannot be
// written are said so on stderr (a file where the folder goes stops root).
TEST_F(Settings, TooLargeOrUnwritable) {
    Write(conf,
          "[Tilpass]\nPath=/a\n;" + QByteArray(platform::QtSettings::kLargestSettingsFile, 'x'));
    for (const char* said : {"T.conf.ubrukelig", "kan ikke lagre"}) {
        testing::internal::CaptureStderr();
        {
            platform::QtSettings s;
            EXPECT_EQ(Get(s, "Path"), "-");
            s.SaveSetting(kApp, kSection, QStringLiteral("Path"), QStringLiteral("/b"));
        }
        EXPECT_NE(testing::internal::GetCapturedStderr().find(said), std::string::npos);
        EXPECT_EQ(Bytes(conf), *said == 'T' ? "[Tilpass]\nPath=/b\n" : "missing");
        ASSERT_TRUE(QDir(config.filePath(kApp)).removeRecursively() &&
                    support::Write(config.filePath(kApp), ""));
    }
}

TEST(Convert, StoredNumbersAndFileFilters) {
    using namespace platform;
    EXPECT_EQ(ToInt16(" 5 "), int16_t(5));
    EXPECT_EQ(ToInt16("2.5"), int16_t(2)); // half to even
    EXPECT_EQ(ToInt16("3.5"), int16_t(4));
    for (const char* bad : {"abc", "", "40000"}) {
        EXPECT_FALSE(ToInt16(bad)) << bad;
    }
    EXPECT_EQ(ToSingle("250"), 250.0f);
    EXPECT_EQ(SingleText(3750.0f).toStdString(), "3750");
    EXPECT_EQ(ToQtFilter("Fargefil (*.KVC)|*.kvc").toStdString(), "Fargefil (*.kvc *.KVC)");
}

// What the display connection needed in the environment goes once connected.
TEST(Startup, DisplayConnectionLeavesTheEnvironmentAsItWas) {
    for (const char* users : {"", "0", static_cast<const char*>(nullptr)}) {
        users ? qputenv("QT_XCB_NO_MITSHM", users) : qunsetenv("QT_XCB_NO_MITSHM");
        platform::PrepareDisplayConnection();
        EXPECT_EQ(qgetenv("QT_XCB_NO_MITSHM"), users ? users : "1");
        platform::DisplayConnected();
        EXPECT_EQ(qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"), users != nullptr);
        EXPECT_EQ(qgetenv("QT_XCB_NO_MITSHM"), users ? users : "");
    }
}
