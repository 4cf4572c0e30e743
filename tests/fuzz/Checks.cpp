#include "Checks.h"

#include "app/frmTintra.h"
#include "colour/Module1.h"
#include "colour/Notation.h"
#include "favourites/ColourFile.h"
#include "platform/Convert.h"
#include "platform/doubles/Doubles.h"
#include "tests/Support.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>

#include <algorithm>
#include <cmath>

namespace fuzzchecks {

std::string CheckColourFile(const QByteArray& bytes) {
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
    if (WriteColourFile(back.list) != written) {
        return "writing the list read back gives other bytes";
    }
    return {};
}

namespace {
// The stored values, in the order of the input's lines.
const char* const kKeys[] = {"HexFormat", "RgbFormat", "ZoomFactor", "MainLeft",
                             "MainTop",   "ActiveTab", "Path"};

std::string Show(const QString& s) {
    return s.toStdString();
}
} // namespace

struct StartupSettings::Window {
    platform::doubles::FakeServices fakes;
    frmTintra w{fakes.Get()};
};

StartupSettings::StartupSettings() : w_(std::make_unique<Window>()) {}
StartupSettings::~StartupSettings() = default;

std::string StartupSettings::Check(const QByteArray& input) {
    frmTintra& w = w_->w;
    const QList<QByteArray> lines = input.split('\n');
    QStringList stored;
    w_->fakes.settings.values.clear();
    for (int i = 0; i < 7; ++i) {
        stored << (i < lines.size() ? QString::fromUtf8(lines[i]) : QString());
        if (i < lines.size()) {
            const QString key =
                platform::doubles::FakeSettings::Key(frmTintra::AppTitle(), "Tilpass", kKeys[i]);
            w_->fakes.settings.values[key] = stored[i];
        }
    }

    // As the window stood before its first start: nothing selected.
    QComboBox* const lists[] = {w.cboHexFormat, w.cboRgbFormat, w.cboZoom};
    for (QComboBox* list : lists) {
        list->setCurrentIndex(-1);
    }
    Module1::ResetState();
    w.vsc1->setValue(121);
    const int earlier[] = {w.x(), w.y()};
    w.Form_Load();
    QCoreApplication::processEvents();

    // Each list shows an entry: the stored one when it names one, else the
    // first (the zoom list: its fourth).
    for (int i = 0; i < 3; ++i) {
        const int index = lists[i]->currentIndex();
        const auto wanted = platform::ToInt16(stored[i]);
        const bool named =
            !stored[i].isEmpty() && wanted && *wanted >= 0 && *wanted < lists[i]->count();
        if (index != (named ? *wanted : i == 2 ? 3 : 0)) {
            return std::string(kKeys[i]) + " selects entry " + std::to_string(index);
        }
    }
    // The start colour is grey 128 in the chosen notations.
    const auto hex = Notation::HexText(w.cboHexFormat->currentIndex(), 0x808080, 128, 128, 128);
    const auto rgb = Notation::RgbText(w.cboRgbFormat->currentIndex(), 128, 128, 128);
    if (!hex || !rgb || Show(w.lblHex2->text()) != *hex || Show(w.lblRGB2->text()) != *rgb ||
        w.picValgt->BackColor() != 0x808080) {
        return "start colour shown as " + Show(w.lblHex2->text()) + " / " + Show(w.lblRGB2->text());
    }
    if (w.SelectedTab() < 1 || w.SelectedTab() > 3) {
        return "no tab selected";
    }
    if (!w.FileMenu().CurrentPath.endsWith(QDir::separator())) {
        return "folder without a closing separator: " + Show(w.FileMenu().CurrentPath);
    }
    // The window stands at the stored position (twips, 15 to a pixel); one
    // that no window can have is skipped like any step that fails.
    const int placed[] = {w.x(), w.y()};
    for (int i : {0, 1}) {
        const auto v = platform::ToSingle(stored[3 + i]);
        const double px = v ? std::nearbyint(*v / 15.0) : 0;
        if ((v && std::fabs(px) <= 32767 && std::fabs(placed[i] - px) > 1) ||
            (v && std::fabs(px) >= 2147483648.0 && placed[i] != earlier[i])) {
            return std::string(kKeys[3 + i]) + " " + Show(stored[3 + i]) +
                   " places the window at " + std::to_string(placed[i]);
        }
    }
    // Where the window stands is stored at shutdown (as twips) and brings it
    // back to the same place at the next start.
    for (const int at : placed) {
        const auto back = platform::ToSingle(platform::SingleText(float(at * 15.0)));
        if (!back || std::nearbyint(*back / 15.0) != at) {
            return "the window's place " + std::to_string(at) + " does not survive being stored";
        }
    }
    return {};
}

} // namespace fuzzchecks
