#include "app/PickHost.h"

#include "colour/CssColour.h"
#include "colour/Module1.h"
#include "colour/Notation.h"
#include "measure/Measure.h"
#include "platform/Convert.h"
#include "platform/QtServices.h"
#include "platform/ScreenGrab.h"
#include "platform/Twips.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

#include <cstdio>

namespace app {

namespace {
const QString kApp = QStringLiteral("Tintra");
const QString kSection = QStringLiteral("Tilpass");
// The longest a question waits for its answer: whoever started the
// measurement from a script is not left waiting for ever.
constexpr int kAnswerTimeMs = 60'000;

// A list index stored under `key`, as the main window reads it.
int StoredIndex(platform::ISettings* settings, const char* key, std::size_t count,
                int defaultIndex) {
    const QString text =
        settings ? settings->GetSetting(kApp, kSection, QString::fromLatin1(key), QString())
                 : QString();
    return platform::StoredIndex(text, static_cast<int>(count), defaultIndex);
}

void PrintLine(const QString& line, FILE* to) {
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), to);
    std::fflush(to);
}
} // namespace

QString PickText(int32_t c, PickFormat format, platform::ISettings* settings) {
    const auto r = static_cast<int16_t>(c & 0xFF);
    const auto g = static_cast<int16_t>((c >> 8) & 0xFF);
    const auto b = static_cast<int16_t>((c >> 16) & 0xFF);
    std::optional<std::string> text;
    switch (format) {
    case PickFormat::Hex:
        text = Notation::HexText(StoredIndex(settings, "HexFormat", Notation::HexFormats.size(), 0),
                                 c, r, g, b);
        break;
    case PickFormat::Rgb:
        text = Notation::RgbText(StoredIndex(settings, "RgbFormat", Notation::RgbFormats.size(), 0),
                                 r, g, b);
        break;
    case PickFormat::Long:
        text = Notation::LongText(c);
        break;
    case PickFormat::Hsl:
        text = Notation::HSLText(Module1::RGBToHSL(r, g, b));
        break;
    case PickFormat::Css:
        text = Notation::HexText(6, c, r, g, b);
        break;
    case PickFormat::CssHsl:
        text = CssColour::HslText(r, g, b);
        break;
    case PickFormat::Oklch:
        text = CssColour::OklchText(r, g, b);
        break;
    }
    return QString::fromStdString(text.value_or(std::string()));
}

QString PickHost::ReadOnlySettings::GetSetting(const QString& app, const QString& section,
                                               const QString& key, const QString& defaultValue) {
    const QString name = app + QLatin1Char('/') + section + QLatin1Char('/') + key;
    if (const auto saved = saved_.constFind(name); saved != saved_.cend()) {
        return *saved;
    }
    return store_ ? store_->GetSetting(app, section, key, defaultValue) : defaultValue;
}

void PickHost::ReadOnlySettings::SaveSetting(const QString& app, const QString& section,
                                             const QString& key, const QString& value) {
    saved_.insert(app + QLatin1Char('/') + section + QLatin1Char('/') + key, value);
}

platform::MsgAnswer PickHost::ReportingBox::Show(QWidget* owner, const QString& text,
                                                 const QString& title, platform::MsgButtons buttons,
                                                 platform::MsgIcon icon) {
    if (buttons == platform::MsgButtons::OK) {
        report_(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return platform::MsgAnswer::OK;
    }
    return box_ ? box_->Show(owner, text, title, buttons, icon) : platform::MsgAnswer::Cancel;
}

PickHost::PickHost(const platform::Services& services, PickFormat format, Report report)
    : format_(format), settings_(services.settings), box_(services.messageBox, std::move(report)) {
    // Stands in for the main window's measurement picture; never shown.
    picture_.SetOuterGeometry(0, 0, platform::Px(2880), platform::Px(2880));
    platform::Services mine = services;
    mine.settings = &settings_;
    mine.messageBox = &box_;
    measure_ = std::make_unique<measure::PointMeasure>(*this, mine);
    measure_->cboZoom_Click(StoredIndex(&settings_, "ZoomFactor", measure::kZoomChoices, 3));
    measure_->sampleSide = measure::StoredSampleSide(
        settings_.GetSetting(kApp, kSection, QStringLiteral("Gjennomsnitt"), QString()));
}

PickHost::~PickHost() = default;

void PickHost::Start(Done done) {
    done_ = std::move(done);
    measure_->cmdPunkt_Click();
}

void PickHost::SetMainVisible(bool visible) {
    if (!visible || std::exchange(ending_, true)) {
        return;
    }
    // The colour, where one was picked, comes right after.
    QTimer::singleShot(0, &picture_, [this] {
        measure_->UnloadZoom();
        measure_->UnloadPunkt();
        if (Done done = std::exchange(done_, nullptr)) {
            done(picked_ ? std::optional(PickText(*picked_, format_, &settings_)) : std::nullopt);
        }
    });
}

int RunPick(PickFormat format) {
    platform::QtSettings settings;
    platform::QtMessageBox box;
    box.timeLimitMs = kAnswerTimeMs;
    const std::unique_ptr<platform::IScreenGrab> grab = platform::MakeScreenGrab();
    platform::Services services;
    services.settings = &settings;
    services.messageBox = &box;
    services.screenGrab = grab.get();

    // The measurement's windows come and go; the program ends with it.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    int rc = 1;
    PickHost host(services, format, [](const QString& line) {
        PrintLine(QStringLiteral("Tintra: ") + line, stderr);
    });
    host.Start([&rc](std::optional<QString> text) {
        if (text) {
            PrintLine(*text, stdout);
            rc = 0;
        }
        QCoreApplication::exit(rc);
    });
    QCoreApplication::exec();
    return rc;
}

} // namespace app
