// The command line, and the measurement it runs without the main window. Each
// format's output, and that --pick stores nothing, are e2e_command_line's.
#include "app/CommandLine.h"
#include "app/PickHost.h"
#include "tests/Support.h"

#include <QTemporaryDir>
#include <QTest>

using app::CommandLine;
using app::PickFormat;
using Action = CommandLine::Action;

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    // Each form, with the file (an absolute path) or the error it gives; the
    // forms e2e_command_line uses are its own.
    void readsEveryForm() {
        struct Case {
            QStringList args;
            Action action;
            QString fileOrError = {};
            PickFormat format = PickFormat::Hex;
        };
        const Case cases[] = {
            {{}, Action::Window},
            {{"x.kvc", "--pick", "-h"}, Action::Help},
            {{"-platform", "xcb", "-reverse", "/a/b.kvc"}, Action::Window, "/a/b.kvc"},
            {{"--format=css", "--pick"}, Action::Pick, {}, PickFormat::Css},
            {{"--pick", "--format", "HEX"},
             Action::Error,
             "Tintra: ukjent format «HEX»; velg hex, rgb, long, hsl, css, css-hsl eller oklch."},
            {{"--pick=1"}, Action::Error, "Tintra: valget «--pick» tar ingen verdi."},
            {{"--format", "hex"},
             Action::Error,
             "Tintra: --format gjelder bare sammen med --pick eller --colour."},
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

    // A screen that cannot be copied is said on the report line, not in a box.
    void pickEndsWithoutColour() {
        platform::doubles::FakeServices fakes;
        QStringList reports;
        std::optional<std::optional<QString>> result;
        app::PickHost host(fakes.Get(), PickFormat::Hex, [&](const QString& r) { reports << r; });
        host.Start([&](std::optional<QString> text) { result = text; });
        QTRY_VERIFY(result);
        QVERIFY(*result == std::nullopt && fakes.messageBox.shown.empty());
        QCOMPARE(reports, QStringList{"Skjermbildet kan ikke kopieres her."});
    }
    // --colour and --contrast: forms, errors and answers (2 for no colour).
    void coloursAndContrast() {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        const auto parse = [](const QStringList& args) {
            return app::ParseCommandLine(QStringList{"Tintra"} + args);
        };
        CommandLine line = parse({"--colour", "rebeccapurple", "--format", "oklch"});
        QVERIFY(line.action == Action::Colour && line.format == PickFormat::Oklch);
        QCOMPARE(*app::AnswerAtOnce(line), 0);
        line = parse({"--contrast", "#777", "white"});
        QVERIFY(line.action == Action::Contrast && line.colours.size() == 2);
        QCOMPARE(*app::AnswerAtOnce(line), 0);
        QCOMPARE(*app::AnswerAtOnce(parse({"--contrast", "#777", "nope"})), 2);
        QCOMPARE(parse({"--contrast", "--pick"}).error,
                 QString("Tintra: velg bare ett av --pick, --colour og --contrast."));
        QCOMPARE(app::PickText(0x993366, PickFormat::CssHsl, nullptr), QString("hsl(270 50% 40%)"));
        QVERIFY(
            app::ContrastPassList(4.478).startsWith("Normal tekst, AA (4,5:1): ikke bestått\n"));
    }
};

QTEST_MAIN(CommandLineTest)
#include "test_command_line.moc"
