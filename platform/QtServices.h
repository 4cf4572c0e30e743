#pragma once
// The real services, on Qt.
#include "platform/ScreenGrab.h"
#include "platform/Services.h"

#include <QFileDialog>

#include <map>
#include <memory>

class QMessageBox;
class QSettings;

namespace platform {

class QtMessageBox : public IMessageBox {
public:
    // A box left unanswered this long closes as one closed without a
    // button; 0 waits for an answer however long it takes.
    int timeLimitMs = 0;
    MsgAnswer Show(QWidget* owner, const QString& text, const QString& title, MsgButtons buttons,
                   MsgIcon icon) override;
};

class QtClipboard : public IClipboard {
public:
    void Clear() override;
    void SetText(const QString& text) override;
    // At most kLongestText characters and one more: a text that long is no
    // colour, and what follows is dropped before anyone trims or searches
    // it. The transfer itself comes whole, as neither X11 nor Wayland tells
    // the size before it.
    QString Text() override;
    static constexpr qsizetype kLongestText = 4096;
};

// An INI file per application name, where QSettings keeps it for organisation
// and application both of that name: $XDG_CONFIG_HOME/<app>/<app>.conf. Each
// file is read once, when first asked, and written once, by Flush (or when
// this object goes): a file of many megabytes costs that much each time. Only
// a plain file (or a link to one) is read or written. A value with a comma
// outside quotes, which only a hand edit makes, reads as the text it is.
class QtSettings : public ISettings {
public:
    // A settings file larger than this is put aside unread (".ubrukelig").
    static constexpr qint64 kLargestSettingsFile = 1 << 20;

    QtSettings();
    ~QtSettings() override;
    QString GetSetting(const QString& app, const QString& section, const QString& key,
                       const QString& defaultValue) override;
    void SaveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override;
    void Flush() override;

private:
    struct Store;
    Store& Open(const QString& app);

    std::map<QString, std::unique_ptr<Store>> stores_;
};

class QtShell : public IShell {
public:
    bool Open(const QString& target) override;
};

class QtFileDialog : public IFileDialog {
public:
    std::optional<QString> GetSaveFileName(QWidget* owner, const FileDialogOptions& o) override;
    std::optional<QString> GetOpenFileName(QWidget* owner, const FileDialogOptions& o) override;
};

class QtModal : public IModal {
public:
    int Exec(QDialog& dialog) override;
    void Popup(QMenu& menu, const QPoint& globalPos) override;
};

// All real services in one place, for main().
struct QtServices {
    QtMessageBox messageBox;
    QtClipboard clipboard;
    QtSettings settings;
    QtShell shell;
    QtFileDialog fileDialog;
    std::unique_ptr<IScreenGrab> screenGrab = MakeScreenGrab();
    QtModal modal;

    Services Get() {
        return {&messageBox, &clipboard, &settings, &shell, &fileDialog, screenGrab.get(), &modal};
    }
};

// The message box QtMessageBox shows, ready to run: tests read its texts.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const QString& text,
                                            const QString& title, MsgButtons buttons, MsgIcon icon);

// The file dialog QtFileDialog shows, ready to run: Qt's own, titled "Åpne" or
// "Lagre som" unless given a title. A desktop's dialog would speak the
// desktop's language, and its list would give sizes and dates in the
// system's. Its state (view, column widths, places) is kept for the run, in
// memory: Qt's dialog would keep it in a file of its own, and the program
// keeps no files but its settings, its colour files and its measurement.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* owner, const FileDialogOptions& o,
                                            QFileDialog::AcceptMode mode);

// Turns a filter of the form "Description|pattern|..." into Qt's
// "Description (pattern);;..." form. Patterns match in either letter case.
QString ToQtFilter(const QString& filter);

// The shell target for an address: a bare host name gets a web scheme.
QString ShellTarget(const QString& target);

} // namespace platform
