#pragma once
// Test doubles of the platform services: they record what the program asked
// for and answer from scripts set up by the test.
#include "platform/Services.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace platform::doubles {

struct ShownMessage {
    QString text;
    QString title;
    MsgButtons buttons;
    MsgIcon icon;
};

class FakeMessageBox : public IMessageBox {
public:
    MsgAnswer Show(QWidget* owner, const QString& text, const QString& title, MsgButtons buttons,
                   MsgIcon icon) override;
    // Answers given in order; when none is queued the box answers OK/Cancel.
    std::deque<MsgAnswer> answers;
    std::vector<ShownMessage> shown;
};

class FakeClipboard : public IClipboard {
public:
    void Clear() override;
    void SetText(const QString& text) override;
    QString Text() override { return text; }
    QString text;
    int clears = 0;
    QStringList history; // every SetText, in order
};

class FakeSettings : public ISettings {
public:
    QString GetSetting(const QString& app, const QString& section, const QString& key,
                       const QString& defaultValue) override;
    void SaveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override;
    void Flush() override { ++flushes; }
    static QString Key(const QString& app, const QString& section, const QString& key) {
        return app + "/" + section + "/" + key;
    }
    QMap<QString, QString> values;
    QStringList writeOrder; // keys (without app/section) in the order written
    int flushes = 0;
};

class FakeShell : public IShell {
public:
    bool Open(const QString& target) override;
    bool succeed = true;
    QStringList opened;
};

class FakeFileDialog : public IFileDialog {
public:
    std::optional<QString> GetSaveFileName(QWidget* owner, const FileDialogOptions& o) override;
    std::optional<QString> GetOpenFileName(QWidget* owner, const FileDialogOptions& o) override;
    // Answers given in order; an empty text, or nothing queued, is a cancel.
    std::deque<QString> saveAnswers;
    std::deque<QString> openAnswers;
    std::vector<FileDialogOptions> saveAsked;
    std::vector<FileDialogOptions> openAsked;
};

class FakeScreenGrab : public IScreenGrab {
public:
    // Answers with a still of `image` (none when null), at once or, when
    // `deferred`, when the test calls Answer().
    void GrabDesktop(StillDone done) override;
    void PickColour(ColourDone done) override;
    void Answer();
    QImage image;
    // The still's pixels turn out broken once it is shown, as a screenshot
    // decoded beside the windows may.
    bool brokenPixels = false;
    bool deferred = false;
    bool canPickColour = false;
    std::optional<int32_t> pickAnswer;
    int grabs = 0;
    int colourPicks = 0;
    StillDone pending;
};

class FakeModal : public IModal {
public:
    // Each shown dialog is handed to the next script, which answers it as a
    // user would (types, clicks OK or Avbryt); with no script it is rejected.
    int Exec(QDialog& dialog) override;
    // Each popup triggers the action at the next queued index (separators
    // count); with none queued it is dismissed.
    void Popup(QMenu& menu, const QPoint& globalPos) override;
    std::deque<std::function<void(QDialog&)>> dialogScripts;
    std::deque<int> menuChoices;
    QStringList dialogTitles; // window titles of the dialogs shown
    int popups = 0;
    QPoint lastPopupAt;
};

// Every double in one place; Get() hands them to a window.
struct FakeServices {
    FakeMessageBox messageBox;
    FakeClipboard clipboard;
    FakeSettings settings;
    FakeShell shell;
    FakeFileDialog fileDialog;
    FakeScreenGrab screenGrab;
    FakeModal modal;

    Services Get() {
        return {&messageBox, &clipboard, &settings, &shell, &fileDialog, &screenGrab, &modal};
    }
};

} // namespace platform::doubles
