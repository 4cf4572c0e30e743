#pragma once
// The operating-system services the program's logic calls, each behind a small
// interface so tests can answer dialogs and read the clipboard through doubles.
#include "platform/ScreenStill.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QMenu;
class QPoint;
class QWidget;

namespace platform {

enum class MsgButtons { OK, OKCancel, YesNoCancel, YesNo };
enum class MsgIcon { None, Exclamation, Question };
// Numbered as the program has always numbered its answers.
enum class MsgAnswer { OK = 1, Cancel = 2, Yes = 6, No = 7 };

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Modal; a box closed without a button answers Cancel (or OK for a
    // single-button box).
    virtual MsgAnswer Show(QWidget* owner, const QString& text, const QString& title,
                           MsgButtons buttons, MsgIcon icon) = 0;
};

class IClipboard {
public:
    virtual ~IClipboard() = default;
    virtual void Clear() = 0;
    virtual void SetText(const QString& text) = 0;
    // The text on the clipboard; empty when it holds none.
    virtual QString Text() = 0;
};

// Per-user settings: application, section, key, text value. What is saved is
// read back at once, but reaches the store only with Flush.
class ISettings {
public:
    virtual ~ISettings() = default;
    virtual QString GetSetting(const QString& app, const QString& section, const QString& key,
                               const QString& defaultValue) = 0;
    virtual void SaveSetting(const QString& app, const QString& section, const QString& key,
                             const QString& value) = 0;
    // Writes what was saved since the last flush, in one go.
    virtual void Flush() = 0;
};

class IShell {
public:
    virtual ~IShell() = default;
    // Opens a document or address with the desktop's handler ("mailto:..." or
    // a web address; a bare host name is opened as a web page). False when
    // nothing could be started.
    virtual bool Open(const QString& target) = 0;
};

struct FileDialogOptions {
    QString filter;     // "Description|pattern[|Description|pattern...]"
    QString initialDir; // native separators
    QString fileName;   // proposed name (Save only)
    QString title = {}; // empty: the dialog's standard title
    // Save only: added, after a dot, to a chosen name that has no extension
    // at all; the question before a file is replaced asks about the full name.
    QString defaultSuffix = {};
    bool overwritePrompt = false;
    bool fileMustExist = false;
};

class IFileDialog {
public:
    virtual ~IFileDialog() = default;
    // The chosen full path with native separators, or nothing when cancelled.
    virtual std::optional<QString> GetSaveFileName(QWidget* owner, const FileDialogOptions& o) = 0;
    virtual std::optional<QString> GetOpenFileName(QWidget* owner, const FileDialogOptions& o) = 0;
};

class IScreenGrab {
public:
    virtual ~IScreenGrab() = default;

    struct Result {
        // A still copy of the whole desktop; null when the screen cannot be
        // copied here.
        std::unique_ptr<ScreenStill> still;
        // Without a still: the desktop offers a colour pick of its own.
        bool canPickColour = false;
        // Without a still: the user called the copy off while the desktop
        // was asking; back to the main window without a word.
        bool cancelled = false;
        // The desktop may have drawn the mouse pointer into the still, where
        // it stood when the copy was taken.
        bool pointerInStill = false;
    };
    using StillDone = std::function<void(Result)>;
    using ColourDone = std::function<void(std::optional<int32_t>)>;

    // Copies the desktop and hands the result to `done`, exactly once: at
    // once, or later from the event loop, which keeps running meanwhile.
    // A grab still under way when the object goes never calls back.
    virtual void GrabDesktop(StillDone done) = 0;
    // A copy is about to be taken: ready what it needs, so that taking it
    // is quick.
    virtual void Prepare() {}
    // The desktop's own colour pick: the packed colour, or nothing when it
    // was cancelled or failed. Called back once, as GrabDesktop is.
    virtual void PickColour(ColourDone done) { done(std::nullopt); }
};

// Runs the program's own modal dialogs and popup menus. Tests answer them
// through a double instead of racing a real modal loop.
class IModal {
public:
    virtual ~IModal() = default;
    // Shows `dialog` modally; its result (QDialog::Accepted or Rejected).
    virtual int Exec(QDialog& dialog) = 0;
    // Pops `menu` up at a global position; the chosen action is triggered.
    virtual void Popup(QMenu& menu, const QPoint& globalPos) = 0;
};

// The set of services a main window is given.
struct Services {
    IMessageBox* messageBox = nullptr;
    IClipboard* clipboard = nullptr;
    ISettings* settings = nullptr;
    IShell* shell = nullptr;
    IFileDialog* fileDialog = nullptr;
    IScreenGrab* screenGrab = nullptr;
    IModal* modal = nullptr;
};

} // namespace platform
