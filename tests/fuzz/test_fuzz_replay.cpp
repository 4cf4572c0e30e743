// Every stored fuzz input, the seeds and the inputs that once broke the
// program, run through the fuzz targets' checks in each ordinary build.
#include "Checks.h"
#include "tests/Support.h"

#include <QDir>
#include <QTest>

class FuzzReplay : public QObject {
    Q_OBJECT

    template <typename CheckFn> void Replay(const char* target, CheckFn check) {
        const QDir dir(QStringLiteral(TINTRA_FUZZ_CORPUS "/") + target);
        const QStringList files = dir.entryList(QDir::Files);
        QVERIFY2(!files.isEmpty(), qPrintable(dir.path()));
        for (const QString& name : files) {
            const std::string broken = check(support::Bytes(dir.filePath(name)));
            QVERIFY2(broken.empty(), qPrintable(name + ": " + QString::fromStdString(broken)));
        }
    }

private slots:
    void colourFiles() { Replay("colourfile", fuzzchecks::CheckColourFile); }
    void startupSettings() {
        fuzzchecks::StartupSettings startup;
        Replay("settings", [&startup](const QByteArray& b) { return startup.Check(b); });
    }
};

QTEST_MAIN(FuzzReplay)
#include "test_fuzz_replay.moc"
