#pragma once
// One point measurement without the main window (Tintra --pick): the same
// still, magnifier and keys as "Punktmål", at the stored zoom, ending in the
// measured colour's text. It stores nothing: the zoom window's place stays
// in memory, and no settings are written.
#include "app/CommandLine.h"
#include "measure/Host.h"
#include "measure/PointMeasure.h"
#include "platform/Services.h"
#include "platform/widgets/PictureBox.h"

#include <QMap>

#include <functional>
#include <memory>
#include <optional>

namespace app {

// The text of colour c (red + 256 * green + 65536 * blue) in `format`, the
// hex and RGB texts in the notations stored in `settings` (none: the first).
QString PickText(int32_t c, PickFormat format, platform::ISettings* settings);

class PickHost : public measure::Host {
public:
    // The measurement's report, a single line: that the screen cannot be copied.
    using Report = std::function<void(const QString&)>;
    using Done = std::function<void(std::optional<QString>)>;

    // `services` as a main window is given them: the settings are read only;
    // a message box that only tells something goes to `report`, a question
    // (the desktop's own colour pick) is asked.
    PickHost(const platform::Services& services, PickFormat format, Report report);
    ~PickHost() override;

    // Starts the measurement as "Punktmål" does. Once it is over, `done` gets
    // the colour's text, or nothing where none was picked.
    void Start(Done done);
    measure::PointMeasure& Measure() { return *measure_; }

    void PickColour(int32_t c) override { picked_ = c; }
    void SelectMeasureTab() override {}
    // Showing the main window ends the measurement.
    void SetMainVisible(bool visible) override;
    platform::PictureBox* MeasurePicture() override { return &picture_; }
    void MarkMeasurePicture(double, double) override {}
    QWidget* MainWindow() override { return nullptr; }

private:
    // Reads through; keeps what is saved in memory, and writes nothing.
    class ReadOnlySettings : public platform::ISettings {
    public:
        explicit ReadOnlySettings(platform::ISettings* store) : store_(store) {}
        QString GetSetting(const QString& app, const QString& section, const QString& key,
                           const QString& defaultValue) override;
        void SaveSetting(const QString& app, const QString& section, const QString& key,
                         const QString& value) override;
        void Flush() override {}

    private:
        platform::ISettings* store_;
        QMap<QString, QString> saved_;
    };
    // Tells on the report line; asks through the given message box.
    class ReportingBox : public platform::IMessageBox {
    public:
        ReportingBox(platform::IMessageBox* box, Report report)
            : box_(box), report_(std::move(report)) {}
        platform::MsgAnswer Show(QWidget* owner, const QString& text, const QString& title,
                                 platform::MsgButtons buttons, platform::MsgIcon icon) override;

    private:
        platform::IMessageBox* box_;
        Report report_;
    };

    PickFormat format_;
    ReadOnlySettings settings_;
    ReportingBox box_;
    platform::PictureBox picture_;
    std::unique_ptr<measure::PointMeasure> measure_;
    std::optional<int32_t> picked_;
    Done done_;
    bool ending_ = false;
};

// Runs a measurement with the real services in a running QApplication,
// prints the text on stdout, and gives the exit status: 0 when a colour was
// picked, 1 when not (after a line on stderr where the screen cannot be
// copied).
int RunPick(PickFormat format);

} // namespace app
