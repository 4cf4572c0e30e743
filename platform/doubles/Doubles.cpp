#include "platform/doubles/Doubles.h"

#include <QAction>
#include <QDialog>
#include <QMenu>

#include <utility>

namespace platform::doubles {

MsgAnswer FakeMessageBox::Show(QWidget*, const QString& text, const QString& title,
                               MsgButtons buttons, MsgIcon icon) {
    shown.push_back({text, title, buttons, icon});
    if (!answers.empty()) {
        const MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    switch (buttons) {
    case MsgButtons::OK:
        return MsgAnswer::OK;
    case MsgButtons::YesNo:
        return MsgAnswer::No;
    default:
        return MsgAnswer::Cancel;
    }
}

void FakeClipboard::Clear() {
    ++clears;
    text.clear();
}

void FakeClipboard::SetText(const QString& t) {
    text = t;
    history << t;
}

QString FakeSettings::GetSetting(const QString& app, const QString& section, const QString& key,
                                 const QString& defaultValue) {
    return values.value(Key(app, section, key), defaultValue);
}

void FakeSettings::SaveSetting(const QString& app, const QString& section, const QString& key,
                               const QString& value) {
    values[Key(app, section, key)] = value;
    writeOrder << key;
}

bool FakeShell::Open(const QString& target) {
    opened << target;
    return succeed;
}

std::optional<QString> FakeFileDialog::GetSaveFileName(QWidget*, const FileDialogOptions& o) {
    saveAsked.push_back(o);
    if (saveAnswers.empty()) {
        return std::nullopt;
    }
    const QString a = saveAnswers.front();
    saveAnswers.pop_front();
    if (a.isEmpty()) {
        return std::nullopt;
    }
    return a;
}

std::optional<QString> FakeFileDialog::GetOpenFileName(QWidget*, const FileDialogOptions& o) {
    openAsked.push_back(o);
    if (openAnswers.empty()) {
        return std::nullopt;
    }
    const QString a = openAnswers.front();
    openAnswers.pop_front();
    if (a.isEmpty()) {
        return std::nullopt;
    }
    return a;
}

namespace {
class BrokenStill : public ScreenStill {
public:
    using ScreenStill::ScreenStill;
    const QImage& Image() const override {
        static const QImage none;
        return none;
    }
};
} // namespace

void FakeScreenGrab::GrabDesktop(StillDone done) {
    ++grabs;
    pending = std::move(done);
    if (!deferred) {
        Answer();
    }
}

void FakeScreenGrab::Answer() {
    if (StillDone done = std::exchange(pending, nullptr)) {
        Result r;
        if (!image.isNull()) {
            r.still = brokenPixels ? std::make_unique<BrokenStill>(image)
                                   : std::make_unique<ScreenStill>(image);
        }
        r.canPickColour = canPickColour;
        done(std::move(r));
    }
}

void FakeScreenGrab::PickColour(ColourDone done) {
    ++colourPicks;
    done(pickAnswer);
}

int FakeModal::Exec(QDialog& dialog) {
    dialogTitles << dialog.windowTitle();
    // A modal dialog is shown, so its show-time handlers run as for real.
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    if (!dialogScripts.empty()) {
        auto script = std::move(dialogScripts.front());
        dialogScripts.pop_front();
        script(dialog);
    }
    const int result = dialog.result();
    dialog.hide();
    return result;
}

void FakeModal::Popup(QMenu& menu, const QPoint& globalPos) {
    ++popups;
    lastPopupAt = globalPos;
    if (menuChoices.empty()) {
        return;
    }
    const int index = menuChoices.front();
    menuChoices.pop_front();
    const auto actions = menu.actions();
    if (index >= 0 && index < actions.size()) {
        actions[index]->trigger();
    }
}

} // namespace platform::doubles
