#include "platform/QtServices.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHash>
#include <QIdentityProxyModel>
#include <QLineEdit>
#include <QLocale>
#include <QMap>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <optional>

namespace platform {

namespace {
void Complain(const QString& line) {
    std::fputs((QStringLiteral("Tintra: ") + line + QLatin1Char('\n')).toUtf8().constData(),
               stderr);
}
} // namespace

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
    const std::unique_ptr<QMessageBox> box = MakeMessageBox(owner, text, title, buttons, icon);
    if (timeLimitMs > 0) {
        QTimer::singleShot(timeLimitMs, box.get(), &QDialog::reject);
    }
    const int pressed = box->exec();
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
    const QString whole = QGuiApplication::clipboard()->text();
    return whole.left(kLongestText + 1); // a copy: the whole text's memory goes
}

struct QtSettings::Store {
    // None where something other than a plain file stands in the file's
    // place (a named pipe would hold the start up for ever): the settings
    // are then as on a first start, and nothing is written there.
    std::unique_ptr<QSettings> file;
    // Saved since the last flush, by "section/key".
    QMap<QString, QString> saved;
    // The text after the "=" of each line whose value QSettings reads as a
    // list, by "section/key"; read when one is first asked for.
    std::optional<QHash<QString, QString>> lists;
};

namespace {
bool IsList(const QVariant& v) {
    return v.typeId() == QMetaType::QStringList || v.typeId() == QMetaType::QVariantList;
}

// The text of each "key=value" line of the file that `settings` reads as a list.
QHash<QString, QString> ListLines(const QSettings& settings) {
    QHash<QString, QString> lists;
    QFile file(settings.fileName());
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) {
        return lists;
    }
    QString section;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        const qsizetype equals = line.indexOf('=');
        if (line.startsWith('[') && line.endsWith(']')) {
            section = QString::fromUtf8(line.mid(1, line.size() - 2));
        } else if (equals > 0) {
            const QString name =
                section + QLatin1Char('/') + QString::fromUtf8(line.left(equals).trimmed());
            if (IsList(settings.value(name))) {
                lists.insert(name, QString::fromUtf8(line.mid(equals + 1).trimmed()));
            }
        }
    }
    return lists;
}
} // namespace

QtSettings::QtSettings() = default;

QtSettings::~QtSettings() {
    Flush();
}

QtSettings::Store& QtSettings::Open(const QString& app) {
    std::unique_ptr<Store>& store = stores_[app];
    if (!store) {
        store = std::make_unique<Store>();
        const QString path =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            QLatin1Char('/') + app + QLatin1Char('/') + app + QStringLiteral(".conf");
        // Writing takes a lock file beside it, which is read when it is there.
        const auto plain = [](const QFileInfo& info) { return !info.exists() || info.isFile(); };
        if (!plain(QFileInfo(path)) || !plain(QFileInfo(path + QStringLiteral(".lock")))) {
            return *store;
        }
        // No settings file of the program's grows this large: reading one
        // takes hundreds of megabytes and seconds. It is put aside unread,
        // and the settings are as on a first start.
        if (QFileInfo(path).size() > kLargestSettingsFile) {
            const QString aside = path + QStringLiteral(".ubrukelig");
            QFile::remove(aside);
            if (!QFile::rename(path, aside)) {
                Complain(QStringLiteral("innstillingsfilen %1 er for stor til å leses, og kan "
                                        "ikke flyttes; innstillingene lagres ikke")
                             .arg(path));
                return *store;
            }
            Complain(QStringLiteral("innstillingsfilen %1 er for stor til å leses; den er flyttet "
                                    "til %2")
                         .arg(path, aside));
        }
        store->file = std::make_unique<QSettings>(path, QSettings::IniFormat);
    }
    return *store;
}

QString QtSettings::GetSetting(const QString& app, const QString& section, const QString& key,
                               const QString& defaultValue) {
    Store& store = Open(app);
    const QString name = section + QLatin1Char('/') + key;
    if (const auto saved = store.saved.constFind(name); saved != store.saved.cend()) {
        return *saved;
    }
    const QVariant v = store.file ? store.file->value(name) : QVariant();
    if (!v.isValid()) {
        return defaultValue;
    }
    // A comma outside quotes makes a list of the value, and the program
    // writes no lists (a text with a comma goes in quotes): it is a text
    // written by hand, and read as it stands.
    if (IsList(v)) {
        if (!store.lists) {
            store.lists = ListLines(*store.file);
        }
        return store.lists->value(name);
    }
    return v.toString();
}

void QtSettings::SaveSetting(const QString& app, const QString& section, const QString& key,
                             const QString& value) {
    Open(app).saved.insert(section + QLatin1Char('/') + key, value);
}

void QtSettings::Flush() {
    for (auto& [app, store] : stores_) {
        if (store->saved.isEmpty() || !store->file) {
            continue;
        }
        // Writing costs as much as the whole file: it is left as it is where
        // it already holds every value as it would be written.
        bool changed = false;
        for (auto it = store->saved.cbegin(); it != store->saved.cend(); ++it) {
            const QVariant stored = store->file->value(it.key());
            if (stored.typeId() != QMetaType::QString || stored.toString() != it.value()) {
                store->file->setValue(it.key(), it.value());
                changed = true;
            }
        }
        if (changed) {
            store->file->sync();
            if (store->file->status() == QSettings::AccessError) {
                Complain(QStringLiteral("kan ikke lagre innstillingene i %1")
                             .arg(store->file->fileName()));
            }
        }
        store->saved.clear();
    }
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

// The file dialogs' state, from one dialog to the next.
QByteArray& DialogState() {
    static QByteArray state;
    return state;
}

// Qt's file dialog writes its state to the Qt-wide settings file of the
// user (~/.config/QtProject.conf) as it closes, and reads it as it opens.
// Those settings are given a folder in which no file can ever be made.
void KeepQtSettingsOffDisk() {
    static const bool kept = [] {
        for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
            QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
        }
        return true;
    }();
    (void)kept;
}

std::optional<QString> Run(QFileDialog& dialog) {
    const int result = dialog.exec();
    DialogState() = dialog.saveState();
    if (result != QDialog::Accepted) {
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
    KeepQtSettingsOffDisk();
    const bool save = mode == QFileDialog::AcceptSave;
    const QString title = !o.title.isEmpty() ? o.title
                          : save             ? QStringLiteral("Lagre som")
                                             : QString::fromUtf8("Åpne");
    auto dialog = std::make_unique<QFileDialog>(
        owner, title, QDir::fromNativeSeparators(o.initialDir), ToQtFilter(o.filter));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setProxyModel(new NorwegianFileList(dialog.get()));
    // The view as the user left it; the folder is always the one given, and
    // the keyboard starts in the name field, as in a first dialog.
    if (!DialogState().isEmpty() && dialog->restoreState(DialogState())) {
        dialog->setDirectory(QDir::fromNativeSeparators(o.initialDir));
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            name->setFocus();
        }
    }
    dialog->setAcceptMode(mode);
    if (save) {
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setOption(QFileDialog::DontConfirmOverwrite, !o.overwritePrompt);
        dialog->setDefaultSuffix(o.defaultSuffix);
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
