// What must hold for any bytes read as a colour file, or as the settings a
// main window starts from (a value a line). The libFuzzer targets run the
// checks on generated inputs; every build replays the stored ones.
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

#include <algorithm>
#include <cmath>
#include <string>

namespace {

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
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
#ifdef TINTRA_FUZZ_SETTINGS
    const std::string broken = startup->Check(bytes);
#else
    const std::string broken = CheckColourFile(bytes);
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

TEST(FuzzReplay, StartupSettings) {
    int argc = 1;
    char name[] = "test_fuzz_replay";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    StartupSettings startup;
    Replay("settings", [&startup](const QByteArray& b) { return startup.Check(b); });
}
#endif
