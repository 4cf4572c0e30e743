#pragma once
// The command line: a colour file to open, or one point measurement printed
// for a script (--pick), or the help and version texts. Read before the
// program connects to a display, so that --help and --version answer
// without one.
#include <QString>
#include <QStringList>

#include <optional>

namespace app {

// How --pick writes the measured colour.
enum class PickFormat {
    Hex,    // the hex text in the stored hex notation
    Rgb,    // the RGB text in the stored RGB notation
    Long,   // the packed value, red + 256 * green + 65536 * blue
    Hsl,    // the HSL text
    Css,    // #RRGGBB
    CssHsl, // hsl(210 64% 53%)
    Oklch,  // oklch(62.4% 0.139 255.3)
};

struct CommandLine {
    enum class Action {
        Window,   // the main window, with `file` opened when given
        Pick,     // one measurement, written in `format`
        Colour,   // `colours[0]` read and written in `format`
        Contrast, // the contrast of `colours[0]` on `colours[1]`
        Help,     // the help text on stdout
        Version,  // the version on stdout
        Error,    // `error` on stderr
    };
    Action action = Action::Window;
    // The colour file to open instead of the remembered one, as an absolute
    // path; empty for none.
    QString file;
    PickFormat format = PickFormat::Hex;
    // The colour texts of --colour and --contrast.
    QStringList colours;
    // One line saying what is wrong with the command line.
    QString error;
};

// Reads the arguments (the program's name first). Qt's own options
// (-platform and the like) pass, for the application to take.
CommandLine ParseCommandLine(const QStringList& arguments);
// The arguments as main() gets them, read as the system's encoding.
QStringList Arguments(int argc, char** argv);

QString HelpText();
// The limits a contrast ratio meets, a line each: "Normal tekst, AA (4,5:1):
// bestått".
QString ContrastPassList(double ratio);
QString VersionText();

// For the actions that end the program at once, before any display: prints
// the help, the version, a colour, a contrast or the error (with a hint to
// --help) and gives the exit status, 0 or 2 (also for a text that is no
// colour). Nothing for the others.
std::optional<int> AnswerAtOnce(const CommandLine& line);

} // namespace app
