#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#ifndef TINTRA_VERSION_MAJOR
#define TINTRA_VERSION_MAJOR 0
#define TINTRA_VERSION_MINOR 0
#define TINTRA_VERSION_PATCH 0
#endif

namespace app {

namespace {

// The names --format takes, in the order the help gives them.
constexpr std::array<std::pair<const char*, PickFormat>, 5> kFormats{{
    {"hex", PickFormat::Hex},
    {"rgb", PickFormat::Rgb},
    {"long", PickFormat::Long},
    {"hsl", PickFormat::Hsl},
    {"css", PickFormat::Css},
}};

// Options QGuiApplication and QApplication take themselves (with a value,
// then without one). They are not the program's to refuse.
constexpr std::array kQtValueOptions{"platform",      "platformpluginpath",
                                     "platformtheme", "plugin",
                                     "qmljsdebugger", "qwindowgeometry",
                                     "geometry",      "qwindowicon",
                                     "qwindowtitle",  "session",
                                     "display",       "style",
                                     "stylesheet"};
constexpr std::array kQtFlags{"reverse", "widgetcount"};

CommandLine Error(const QString& text) {
    CommandLine line;
    line.action = CommandLine::Action::Error;
    line.error = QStringLiteral("Tintra: ") + text;
    return line;
}

// The option as it was typed ("-x", "--x"), for the name the parser gives.
QString AsTyped(const QStringList& arguments, const QString& name) {
    for (const QString& a : arguments.mid(1)) {
        if (a == QLatin1String("--")) {
            break;
        }
        const QString option = a.section(QLatin1Char('='), 0, 0);
        QString bare = option;
        for (int dash = 0; dash < 2 && bare.startsWith(QLatin1Char('-')); ++dash) {
            bare.remove(0, 1);
        }
        if (option.startsWith(QLatin1Char('-')) && bare == name) {
            return option;
        }
    }
    return QStringLiteral("--") + name;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // -platform is one option, as Qt reads it, not -p -l -a ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption pick(QStringLiteral("pick"));
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("format"));
    parser.addOptions({help, version, pick, format});
    for (const char* name : kQtValueOptions) {
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    }
    for (const char* name : kQtFlags) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name)));
    }

    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            return Error(QStringLiteral("ukjent valg «%1».").arg(AsTyped(arguments, unknown[0])));
        }
        // Only an option at the very end can miss its value; else an option
        // without one was given one ("--pick=1").
        const QString last = arguments.last();
        if (last.startsWith(QLatin1Char('-')) && !last.contains(QLatin1Char('='))) {
            return Error(QStringLiteral("valget «%1» mangler en verdi.").arg(last));
        }
        for (const QString& a : arguments.mid(1)) {
            if (a.startsWith(QLatin1Char('-')) && a.contains(QLatin1Char('='))) {
                return Error(QStringLiteral("valget «%1» tar ingen verdi.")
                                 .arg(a.section(QLatin1Char('='), 0, 0)));
            }
        }
        return Error(QStringLiteral("kommandolinjen kan ikke leses."));
    }
    CommandLine line;
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
        return line;
    }

    const QStringList files = parser.positionalArguments();
    if (parser.isSet(format)) {
        if (!parser.isSet(pick)) {
            return Error(QStringLiteral("--format gjelder bare sammen med --pick."));
        }
        const QString name = parser.value(format);
        const auto known = std::find_if(kFormats.begin(), kFormats.end(), [&](const auto& f) {
            return name == QLatin1String(f.first);
        });
        if (known == kFormats.end()) {
            return Error(QStringLiteral("ukjent format «%1»; velg hex, rgb, long, hsl eller css.")
                             .arg(name));
        }
        line.format = known->second;
    }
    if (parser.isSet(pick)) {
        if (!files.isEmpty()) {
            return Error(QStringLiteral("--pick åpner ingen fargefil."));
        }
        line.action = CommandLine::Action::Pick;
        return line;
    }
    if (files.size() > 1) {
        return Error(QString::fromUtf8("bare én fargefil kan åpnes om gangen."));
    }
    if (!files.isEmpty()) {
        if (files[0].isEmpty()) {
            return Error(QStringLiteral("navnet på fargefilen er tomt."));
        }
        // A relative name is taken from the folder the program was started in.
        line.file = QDir::toNativeSeparators(QFileInfo(files[0]).absoluteFilePath());
    }
    return line;
}

QStringList Arguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

QString HelpText() {
    return QString::fromUtf8(
        "Bruk: Tintra [FARGEFIL]\n"
        "      Tintra --pick [--format FORMAT]\n"
        "\n"
        "Tintra er en fargevelger. Uten valg åpner den hovedvinduet med fargefilen\n"
        "fra forrige gang.\n"
        "\n"
        "  FARGEFIL         fargefilen (.kvc) som åpnes i stedet for den forrige\n"
        "  --pick           måler ett punkt på skjermen med en gang, som Punktmål,\n"
        "                   uten hovedvinduet, og skriver fargen på én linje\n"
        "  --format FORMAT  hvordan --pick skriver fargen:\n"
        "                     hex   hex-teksten, i formatet valgt i vinduet (standard)\n"
        "                     rgb   RGB-teksten, i formatet valgt i vinduet\n"
        "                     long  Long-verdien, rød + 256 × grønn + 65536 × blå\n"
        "                     hsl   HSL-teksten, tone, metning og lyshet (0 til 240)\n"
        "                     css   CSS-hex, #RRGGBB\n"
        "  -h, --help       viser denne hjelpen\n"
        "  -v, --version    viser versjonen\n"
        "\n"
        "Med --pick lagres ingen innstillinger. Avslutningskoden er 0 når en farge\n"
        "ble målt, 1 når målingen ble avbrutt (Escape) eller skjermbildet ikke kan\n"
        "kopieres, og 2 ved feil i kommandolinjen.\n");
}

QString VersionText() {
    return QStringLiteral("Tintra %1.%2.%3\n")
        .arg(TINTRA_VERSION_MAJOR)
        .arg(TINTRA_VERSION_MINOR)
        .arg(TINTRA_VERSION_PATCH);
}

std::optional<int> AnswerAtOnce(const CommandLine& line) {
    switch (line.action) {
    case CommandLine::Action::Help:
        std::fputs(HelpText().toUtf8().constData(), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::fputs(VersionText().toUtf8().constData(), stdout);
        return 0;
    case CommandLine::Action::Error:
        std::fputs((line.error + QString::fromUtf8("\nSkriv «Tintra --help» for å se valgene.\n"))
                       .toUtf8()
                       .constData(),
                   stderr);
        return 2;
    default:
        return std::nullopt;
    }
}

} // namespace app
