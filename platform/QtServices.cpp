#include "platform/QtServices.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>
#include <QUrl>

namespace platform {

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const QString& text,
                                            const QString& title, MsgButtons buttons,
                                            MsgIcon icon) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setText(text);
    box->setWindowTitle(title);
    switch (icon) {
    case MsgIcon::None:
        box->setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Exclamation:
        box->setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Question:
        box->setIcon(QMessageBox::Question);
        break;
    }
    // The buttons' texts come from the program's Norwegian translation of Qt.
    switch (buttons) {
    case MsgButtons::OK:
        box->setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OKCancel:
        box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    return box;
}

MsgAnswer QtMessageBox::Show(QWidget* owner, const QString& text, const QString& title,
                             MsgButtons buttons, MsgIcon icon) {
    const int pressed = MakeMessageBox(owner, text, title, buttons, icon)->exec();
    switch (pressed) {
    case QMessageBox::Ok:
        return MsgAnswer::OK;
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    default:
        return buttons == MsgButtons::OK      ? MsgAnswer::OK
               : buttons == MsgButtons::YesNo ? MsgAnswer::No
                                              : MsgAnswer::Cancel;
    }
}

void QtClipboard::Clear() {
    QGuiApplication::clipboard()->clear();
}

void QtClipboard::SetText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

QString QtClipboard::Text() {
    return QGuiApplication::clipboard()->text();
}

QtSettings::QtSettings() = default;
QtSettings::~QtSettings() = default;

QSettings& QtSettings::Store(const QString& app) {
    std::unique_ptr<QSettings>& store = stores_[app];
    if (!store) {
        store = std::make_unique<QSettings>(app, app);
    }
    return *store;
}

QString QtSettings::GetSetting(const QString& app, const QString& section, const QString& key,
                               const QString& defaultValue) {
    QSettings& store = Store(app);
    store.sync(); // takes in what another program saved since
    const QVariant v = store.value(section + "/" + key);
    return v.isValid() ? v.toString() : defaultValue;
}

void QtSettings::SaveSetting(const QString& app, const QString& section, const QString& key,
                             const QString& value) {
    QSettings& store = Store(app);
    store.setValue(section + "/" + key, value);
    store.sync();
}

QString ShellTarget(const QString& target) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    if (scheme.match(target).hasMatch()) {
        return target;
    }
    return QStringLiteral("https://") + target;
}

bool QtShell::Open(const QString& target) {
    return QDesktopServices::openUrl(QUrl(ShellTarget(target), QUrl::TolerantMode));
}

QString ToQtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    static const QRegularExpression trailingParens(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i];
        desc.remove(trailingParens);
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            for (const QString& v : {p.toLower(), p.toUpper()}) {
                if (!patterns.contains(v)) {
                    patterns << v;
                }
            }
        }
        out << desc + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

namespace {

// The file list with sizes and dates written as in Norway. Qt's model writes
// them in the system's language, out of reach of a translation.
class NorwegianFileList : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        const int column = index.column();
        if (role != Qt::DisplayRole || !files || (column != kSize && column != kModified)) {
            return QIdentityProxyModel::data(index, role);
        }
        const QModelIndex file = mapToSource(index);
        if (column == kModified) {
            return QLocale().toString(files->lastModified(file), QLocale::ShortFormat);
        }
        return files->isDir(file) ? QString() : QLocale().formattedDataSize(files->size(file));
    }

private:
    static constexpr int kSize = 1;
    static constexpr int kModified = 3;
};

std::optional<QString> Run(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QString path = dialog.selectedFiles().value(0);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return QDir::toNativeSeparators(path);
}

} // namespace

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* owner, const FileDialogOptions& o,
                                            QFileDialog::AcceptMode mode) {
    const bool save = mode == QFileDialog::AcceptSave;
    auto dialog = std::make_unique<QFileDialog>(
        owner, save ? QStringLiteral("Lagre som") : QString::fromUtf8("Åpne"),
        QDir::fromNativeSeparators(o.initialDir), ToQtFilter(o.filter));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setProxyModel(new NorwegianFileList(dialog.get()));
    dialog->setAcceptMode(mode);
    if (save) {
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setOption(QFileDialog::DontConfirmOverwrite, !o.overwritePrompt);
        if (!o.fileName.isEmpty()) {
            dialog->selectFile(o.fileName);
        }
    } else {
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    return dialog;
}

std::optional<QString> QtFileDialog::GetSaveFileName(QWidget* owner, const FileDialogOptions& o) {
    return Run(*MakeFileDialog(owner, o, QFileDialog::AcceptSave));
}

std::optional<QString> QtFileDialog::GetOpenFileName(QWidget* owner, const FileDialogOptions& o) {
    return Run(*MakeFileDialog(owner, o, QFileDialog::AcceptOpen));
}

int QtModal::Exec(QDialog& dialog) {
    return dialog.exec();
}

void QtModal::Popup(QMenu& menu, const QPoint& globalPos) {
    menu.exec(globalPos);
}

} // namespace platform
