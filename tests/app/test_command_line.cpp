// The command line, and the measurement it runs without the main window.
// What reaches stdout, stderr and the settings file from the real binary is
// the e2e test's (tests/e2e/command_line.sh).
#include "app/CommandLine.h"
#include "app/PickHost.h"
#include "measure/Measure.h"
#include "measure/frmPunkt.h"
#include "measure/frmZoom.h"
#include "tests/Support.h"

#include <QDir>
#include <QTest>

using app::CommandLine;
using app::PickFormat;
using Action = CommandLine::Action;

class CommandLineTest : public QObject {
    Q_OBJECT
    platform::doubles::FakeServices fakes;
    QStringList reports;
    std::optional<std::optional<QString>> result;

    // Measures with the keyboard at once: Enter, and Enter again in the zoom
    // window where one shows.
    void Pick(PickFormat format, bool escape = false) {
        result.reset();
        app::PickHost host(fakes.Get(), format, [this](const QString& r) { reports << r; });
        host.Start([this](std::optional<QString> text) { result = text; });
        QTRY_VERIFY(host.Measure().Punkt() || result);
        if (measure::frmPunkt* punkt = host.Measure().Punkt()) {
            escape ? punkt->Form_KeyUp(measure::kEscape, 0)
                   : punkt->Form_KeyDown(Qt::Key_Return, 0);
            if (measure::frmZoom* zoom = host.Measure().Zoom(); zoom && !escape) {
                zoom->Form_KeyDown(Qt::Key_Return, 0);
            }
        }
        QTRY_VERIFY(result);
    }

private slots:
    void init() {
        fakes = {};
        reports.clear();
    }

    // Each form, with the file (an absolute path) or the error it gives.
    void readsEveryForm() {
        struct Case {
            QStringList args;
            Action action;
            QString fileOrError = {};
            PickFormat format = PickFormat::Hex;
        };
        const Case cases[] = {
            {{}, Action::Window},
            {{"--help"}, Action::Help},
            {{"x.kvc", "--pick", "-h"}, Action::Help},
            {{"-v"}, Action::Version},
            {{"Mine farger.kvc"}, Action::Window, QDir::current().filePath("Mine farger.kvc")},
            {{"-platform", "xcb", "-reverse", "/a/b.kvc"}, Action::Window, "/a/b.kvc"},
            {{"--pick"}, Action::Pick},
            {{"--pick", "--format", "long"}, Action::Pick, {}, PickFormat::Long},
            {{"--pick", "--format", "rgb"}, Action::Pick, {}, PickFormat::Rgb},
            {{"--pick", "--format", "hsl"}, Action::Pick, {}, PickFormat::Hsl},
            {{"--format=css", "--pick"}, Action::Pick, {}, PickFormat::Css},
            {{"--pik"}, Action::Error, "Tintra: ukjent valg «--pik»."},
            {{"--pick", "--format", "HEX"},
             Action::Error,
             "Tintra: ukjent format «HEX»; velg hex, rgb, long, hsl eller css."},
            {{"--pick", "--format"}, Action::Error, "Tintra: valget «--format» mangler en verdi."},
            {{"--pick=1"}, Action::Error, "Tintra: valget «--pick» tar ingen verdi."},
            {{"--format", "hex"},
             Action::Error,
             "Tintra: --format gjelder bare sammen med --pick."},
            {{"--pick", "a.kvc"}, Action::Error, "Tintra: --pick åpner ingen fargefil."},
            {{"a.kvc", "b.kvc"}, Action::Error, "Tintra: bare én fargefil kan åpnes om gangen."},
        };
        for (const Case& c : cases) {
            const CommandLine line = app::ParseCommandLine(QStringList{"Tintra"} + c.args);
            const QByteArray what = c.args.join(' ').toUtf8();
            QVERIFY2(line.action == c.action && line.format == c.format, what);
            QCOMPARE(line.action == Action::Error ? line.error : line.file, c.fileOrError);
        }
    }

    // Each format in the stored notations, through the zoom window at the
    // stored zoom; the zoom window's place is not stored, nothing is written.
    void pickWritesTheColourAndStoresNothing() {
        fakes.screenGrab.image = QImage(320, 200, QImage::Format_RGB32);
        fakes.screenGrab.image.fill(qRgb(0x33, 0x66, 0xCC));
        support::Setting(fakes, "HexFormat") = "2";
        support::Setting(fakes, "RgbFormat") = "1";
        support::Setting(fakes, "ZoomFactor") = "4";
        for (const auto& [format, text] : {std::pair{PickFormat::Hex, "0x00CC6633"},
                                           {PickFormat::Rgb, "RGB(51,102,204)"},
                                           {PickFormat::Long, "13395507"},
                                           {PickFormat::Hsl, "146,144,120"},
                                           {PickFormat::Css, "#3366CC"}}) {
            Pick(format);
            QCOMPARE(*result, std::optional<QString>(text));
        }
        QVERIFY(fakes.settings.writeOrder.isEmpty() && fakes.settings.flushes == 0);
        QVERIFY(fakes.messageBox.shown.empty() && reports.isEmpty());
    }

    // Escape, a screen that cannot be copied (said on the report line, not
    // in a box), and the desktop's own pick offered instead, in a box.
    void pickEndsWithoutColour() {
        fakes.screenGrab.image = QImage(320, 200, QImage::Format_RGB32);
        Pick(PickFormat::Hex, true);
        QCOMPARE(*result, std::nullopt);
        fakes.screenGrab.image = QImage();
        Pick(PickFormat::Hex);
        QVERIFY(*result == std::nullopt && fakes.messageBox.shown.empty());
        QCOMPARE(reports, QStringList{"Skjermbildet kan ikke kopieres her."});
        fakes.screenGrab.canPickColour = true;
        fakes.screenGrab.pickAnswer = 0xFF;
        fakes.messageBox.answers = {platform::MsgAnswer::Yes};
        Pick(PickFormat::Rgb);
        QCOMPARE(*result, std::optional<QString>("255,0,0"));
        QVERIFY(fakes.messageBox.shown.size() == 1 && reports.size() == 1);
    }
};

QTEST_MAIN(CommandLineTest)
#include "test_command_line.moc"
