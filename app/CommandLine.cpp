#include "app/CommandLine.h"

#include "app/PickHost.h"
#include "colour/ColourText.h"
#include "colour/Contrast.h"
#include "colour/Notation.h"
#include "platform/Convert.h"
#include "platform/QtServices.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>
#include <vector>

#ifndef TINTRA_VERSION_MAJOR
#define TINTRA_VERSION_MAJOR 0
#define TINTRA_VERSION_MINOR 0
#define TINTRA_VERSION_PATCH 0
#endif

namespace app {

namespace {

// The names --format takes, in the order the help gives them.
constexpr std::array<std::pair<const char*, PickFormat>, 7> kFormats{{
    {"hex", PickFormat::Hex},
    {"rgb", PickFormat::Rgb},
    {"long", PickFormat::Long},
    {"hsl", PickFormat::Hsl},
    {"css", PickFormat::Css},
    {"css-hsl", PickFormat::CssHsl},
    {"oklch", PickFormat::Oklch},
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
    const QCommandLineOption colour(QStringLiteral("colour"), QString(), QStringLiteral("farge"));
    const QCommandLineOption contrast(QStringLiteral("contrast"));
    parser.addOptions({help, version, pick, format, colour, contrast});
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
    if (int(parser.isSet(pick)) + int(parser.isSet(colour)) + int(parser.isSet(contrast)) > 1) {
        return Error(QStringLiteral("velg bare ett av --pick, --colour og --contrast."));
    }
    if (parser.isSet(format)) {
        if (!parser.isSet(pick) && !parser.isSet(colour)) {
            return Error(QStringLiteral("--format gjelder bare sammen med --pick eller --colour."));
        }
        const QString name = parser.value(format);
        const auto known = std::find_if(kFormats.begin(), kFormats.end(), [&](const auto& f) {
            return name == QLatin1String(f.first);
        });
        if (known == kFormats.end()) {
            return Error(
                QStringLiteral(
                    "ukjent format «%1»; velg hex, rgb, long, hsl, css, css-hsl eller oklch.")
                    .arg(name));
        }
        line.format = known->second;
    }
    if (parser.isSet(colour)) {
        if (!files.isEmpty()) {
            return Error(QStringLiteral("--colour tar bare én farge."));
        }
        line.action = CommandLine::Action::Colour;
        line.colours = QStringList{parser.value(colour)};
        return line;
    }
    if (parser.isSet(contrast)) {
        if (files.size() != 2) {
            return Error(QStringLiteral("--contrast tar to farger: tekstfarge og bakgrunn."));
        }
        line.action = CommandLine::Action::Contrast;
        line.colours = files;
        return line;
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
        "      Tintra --colour FARGE [--format FORMAT]\n"
        "      Tintra --contrast TEKSTFARGE BAKGRUNN\n"
        "\n"
        "Tintra er en fargevelger. Uten valg åpner den hovedvinduet med fargefilen\n"
        "fra forrige gang.\n"
        "\n"
        "  FARGEFIL         fargefilen (.kvc) som åpnes i stedet for den forrige\n"
        "  --pick           måler ett punkt på skjermen med en gang, som Punktmål,\n"
        "                   uten hovedvinduet, og skriver fargen på én linje\n"
        "  --colour FARGE   leser en farge i hvilken som helst form Tintra kjenner\n"
        "                   (#3A7BD5, rgb(), hsl(), oklch(), rebeccapurple ...) og\n"
        "                   skriver den i FORMAT\n"
        "  --contrast TEKSTFARGE BAKGRUNN\n"
        "                   skriver kontrastforholdet (WCAG 2) mellom to farger\n"
        "                   og hvilke krav det oppfyller\n"
        "  --format FORMAT  hvordan --pick og --colour skriver fargen:\n"
        "                     hex   hex-teksten, i formatet valgt i vinduet (standard)\n"
        "                     rgb   RGB-teksten, i formatet valgt i vinduet\n"
        "                     long  Long-verdien, rød + 256 × grønn + 65536 × blå\n"
        "                     hsl   HSL-teksten, tone, metning og lyshet (0 til 240)\n"
        "                     css   CSS-hex, #RRGGBB\n"
        "                     css-hsl  CSS hsl(), som hsl(210 64% 53%)\n"
        "                     oklch    CSS oklch(), som oklch(62.4% 0.139 255.3)\n"
        "  -h, --help       viser denne hjelpen\n"
        "  -v, --version    viser versjonen\n"
        "\n"
        "Med --pick lagres ingen innstillinger. Avslutningskoden er 0 når en farge\n"
        "ble målt, 1 når målingen ble avbrutt (Escape) eller skjermbildet ikke kan\n"
        "kopieres, og 2 ved feil i kommandolinjen eller en tekst som ikke er en farge.\n");
}

QString VersionText() {
    return QStringLiteral("Tintra %1.%2.%3\n")
        .arg(TINTRA_VERSION_MAJOR)
        .arg(TINTRA_VERSION_MINOR)
        .arg(TINTRA_VERSION_PATCH);
}

QString ContrastPassList(double ratio) {
    const Contrast::Passes pass = Contrast::Judge(ratio);
    const auto said = [](bool ok) {
        return ok ? QString::fromUtf8("bestått") : QString::fromUtf8("ikke bestått");
    };
    return QString::fromUtf8("Normal tekst, AA (4,5:1): %1\n"
                             "Normal tekst, AAA (7:1): %2\n"
                             "Stor tekst, AA (3:1): %3\n"
                             "Stor tekst, AAA (4,5:1): %4\n"
                             "Grafikk og kontroller (3:1): %5")
        .arg(said(pass.aaNormal), said(pass.aaaNormal), said(pass.aaLarge), said(pass.aaaLarge),
             said(pass.nonText));
}

namespace {
// Prints the answer to --colour or --contrast; false for a text that is no
// colour, said on stderr.
bool AnswerColours(const CommandLine& line) {
    platform::QtSettings settings;
    const auto stored = [&settings](const char* key, std::size_t count) {
        return platform::StoredIndex(settings.GetSetting(QStringLiteral("Tintra"),
                                                         QStringLiteral("Tilpass"),
                                                         QString::fromLatin1(key), QString()),
                                     static_cast<int>(count), 0);
    };
    std::vector<int32_t> colours;
    for (const QString& text : line.colours) {
        const std::string t = text.trimmed().toStdString();
        const auto c = ColourText::ReadPasted(t, ColourText::Display::None,
                                              stored("RgbFormat", Notation::RgbFormats.size()),
                                              stored("HexFormat", Notation::HexFormats.size()));
        if (!c) {
            std::fputs(QString::fromUtf8("Tintra: «%1» er ikke en farge.\n")
                           .arg(text)
                           .toUtf8()
                           .constData(),
                       stderr);
            return false;
        }
        colours.push_back(*c);
    }
    QString out;
    if (line.action == CommandLine::Action::Colour) {
        out = PickText(colours[0], line.format, &settings);
    } else {
        const double ratio = Contrast::Ratio(colours[0], colours[1]);
        out = QString::fromStdString(Contrast::RatioText(ratio)) + QStringLiteral(":1\n") +
              ContrastPassList(ratio);
    }
    std::fputs((out + QLatin1Char('\n')).toUtf8().constData(), stdout);
    return true;
}
} // namespace

std::optional<int> AnswerAtOnce(const CommandLine& line) {
    switch (line.action) {
    case CommandLine::Action::Colour:
    case CommandLine::Action::Contrast:
        return AnswerColours(line) ? 0 : 2;
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
