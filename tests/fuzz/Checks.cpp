// What must hold for any bytes read as a colour file, as the settings a main
// window starts from (a value a line), or as a colour text pasted from any
// program. The libFuzzer targets run the checks on generated inputs; every
// build replays the stored ones. The text reader is plain C++, and its target
// builds without Qt.
#include "colour/ColourText.h"
#include "colour/CssNames.h"
#include "colour/Notation.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#ifndef TINTRA_FUZZ_COLOURTEXT
#include "app/frmTintra.h"
#include "favourites/ColourFile.h"
#include "platform/Convert.h"
#include "platform/doubles/Doubles.h"
#include "tests/Support.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#endif

namespace {

// Every reader on every display and notation (also none chosen) reads the
// text as nothing or as a colour in range. The colour read (else one from
// the text's hash), written in each notation but the lossy HSL display's,
// reads back as itself: on its own display, and pasted anywhere (but the
// bare hex digits, which pass for the Long value). Empty, or what broke.
[[maybe_unused]] std::string CheckColourText(std::string_view text) {
    using ColourText::ReadPasted;
    using D = ColourText::Display;
    std::optional<int32_t> read;
    for (int i = -1; i <= 7; ++i) {
        for (const D on : {D::None, D::Rgb, D::Hex, D::Long, D::HSL}) {
            const auto c = ReadPasted(text, on, i, i);
            if (c && (*c < 0 || *c > 0xFFFFFF)) {
                return "read as " + std::to_string(*c) + " in notation " + std::to_string(i);
            }
            read = read ? read : c;
        }
    }
    const std::size_t hash = std::hash<std::string_view>{}(text);
    const int32_t c = read.value_or(static_cast<int32_t>(hash % 0x1000000));
    const auto r = int16_t(c & 0xFF), g = int16_t(c >> 8 & 0xFF), b = int16_t(c >> 16);
    const auto back = [c](const std::string& t, D on, int rgb, int hex) {
        return ReadPasted(t, on, rgb, hex) == c && (hex == 0 || ReadPasted(t, D::None, 0, 0) == c);
    };
    const auto name = CssNames::NearestName(c);
    bool same = back(Notation::LongText(c), D::Long, 0, 0) &&
                (!name.exact || ColourText::ReadWeb(name.name) == c);
    static_assert(Notation::RgbFormats.size() == Notation::HexFormats.size());
    for (int i = 0; i < int(Notation::RgbFormats.size()); ++i) {
        same = same && back(*Notation::RgbText(i, r, g, b), D::Rgb, i, -1) &&
               back(*Notation::HexText(i, c, r, g, b), D::Hex, 0, i);
    }
    return same ? "" : "a text of " + std::to_string(c) + " does not read back";
}

#ifndef TINTRA_FUZZ_COLOURTEXT
// Colours and names in step and in range, a stop reported right after the
// last record kept, and a written list read back the same. Empty, or what broke.
[[maybe_unused]] std::string CheckColourFile(const QByteArray& bytes) {
    using namespace favourites;
    const ReadResult r = ReadColourFile(bytes);
    const auto n = r.list.colors.size();
    if (r.list.names.size() != n) {
        return "colours and names out of step";
    }
    if (std::any_of(r.list.colors.begin(), r.list.colors.end(),
                    [](int32_t c) { return c < 0 || c > 0xFFFFFF; })) {
        return "colour out of range";
    }
    if (r.ok != (r.badRecord == 0) || (!r.ok && r.badRecord != n + 1)) {
        return "stop reported at record " + std::to_string(r.badRecord) + " after " +
               std::to_string(n) + " records";
    }
    // A double quote cannot be stored: it comes back as its stand-in.
    ColourList stored = r.list;
    for (QString& s : stored.names) {
        s.replace(QChar('"'), QChar(0x201D));
    }
    const QByteArray written = WriteColourFile(r.list);
    const ReadResult back = ReadColourFile(written);
    if (!back.ok || !support::Same(back.list, stored)) {
        return "what was read does not read back the same after writing";
    }
    return {};
}

// The stored values, in the order of the input's lines.
const char* const kKeys[] = {"HexFormat", "RgbFormat", "ZoomFactor", "MainLeft",
                             "MainTop",   "ActiveTab", "Path"};

// A real main window, built once and started again for each input.
struct StartupSettings {
    platform::doubles::FakeServices fakes;
    frmTintra w{fakes.Get()};

    std::string Check(const QByteArray& input) {
        const QList<QByteArray> lines = input.split('\n');
        const auto stored = [&lines](int i) { return QString::fromUtf8(lines.value(i)); };
        fakes.settings.values.clear();
        for (int i = 0; i < 7 && i < lines.size(); ++i) {
            support::Setting(fakes, kKeys[i]) = stored(i);
        }
        // As the window stood before its first start: nothing selected.
        QComboBox* const lists[] = {w.cboHexFormat, w.cboRgbFormat, w.cboZoom};
        for (QComboBox* list : lists) {
            list->setCurrentIndex(-1);
        }
        w.Form_Load();
        QCoreApplication::processEvents();

        // Each list shows the stored entry, else its first (zoom: fourth).
        for (int i = 0; i < 3; ++i) {
            const int index = lists[i]->currentIndex();
            const auto wanted = platform::ToInt16(stored(i));
            const bool named =
                !stored(i).isEmpty() && wanted && *wanted >= 0 && *wanted < lists[i]->count();
            if (index != (named ? *wanted : i == 2 ? 3 : 0)) {
                return std::string(kKeys[i]) + " selects entry " + std::to_string(index);
            }
        }
        if (w.SelectedTab() < 1 || w.SelectedTab() > 3) {
            return "no tab selected";
        }
        // Whatever was stored, the window stands on a screen, at a position
        // that, stored again (twips, 15 a pixel), comes back the same.
        const auto screens = QGuiApplication::screens();
        if (std::none_of(screens.begin(), screens.end(), [this](const QScreen* s) {
                return s->geometry().intersects(w.frameGeometry());
            })) {
            return "the window lies off every screen";
        }
        for (int i : {0, 1}) {
            const int placed = i ? w.y() : w.x();
            const auto back = platform::ToSingle(platform::SingleText(float(placed * 15.0)));
            if (!back || std::nearbyint(*back / 15.0) != placed) {
                return std::string(kKeys[3 + i]) + " " + stored(3 + i).toStdString() +
                       " places the window at " + std::to_string(placed);
            }
        }
        return {};
    }
};

#endif
} // namespace

#ifdef TINTRA_FUZZ_TARGET
#include <cstdio>
#include <cstdlib>

#ifdef TINTRA_FUZZ_SETTINGS
// Never destroyed: at exit they would outlive the Qt globals they need.
static StartupSettings* startup = nullptr;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv);
    startup = new StartupSettings;
    return 0;
}
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* const text = reinterpret_cast<const char*>(data);
#ifdef TINTRA_FUZZ_COLOURTEXT
    const std::string broken = CheckColourText({text, size});
#elif defined(TINTRA_FUZZ_SETTINGS)
    const std::string broken = startup->Check(QByteArray(text, static_cast<qsizetype>(size)));
#else
    const std::string broken = CheckColourFile(QByteArray(text, static_cast<qsizetype>(size)));
#endif
    if (!broken.empty()) {
        std::fprintf(stderr, "%s\n", broken.c_str());
        std::abort();
    }
    return 0;
}

#else
#include <gtest/gtest.h>

template <typename CheckFn> void Replay(const char* target, CheckFn check) {
    const QDir dir(QStringLiteral(TINTRA_FUZZ_CORPUS "/") + target);
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty()) << dir.path().toStdString();
    for (const QString& name : files) {
        EXPECT_EQ(check(support::Bytes(dir.filePath(name))), "") << name.toStdString();
    }
}

TEST(FuzzReplay, ColourFiles) {
    Replay("colourfile", CheckColourFile);
}

TEST(FuzzReplay, ColourTexts) {
    Replay("colourtext", [](const QByteArray& b) { return CheckColourText(b.toStdString()); });
}

TEST(FuzzReplay, StartupSettings) {
    int argc = 1;
    char name[] = "test_fuzz_replay";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    StartupSettings startup;
    Replay("settings", [&startup](const QByteArray& b) { return startup.Check(b); });
}
#endif
