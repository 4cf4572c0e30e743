#include "platform/QtServices.h"

#include "platform/NativeImage.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStringList>
#include <QUrl>

#include <vector>

namespace platform {

MsgAnswer QtMessageBox::Show(QWidget* owner, const QString& text, const QString& title,
                             MsgButtons buttons, MsgIcon icon) {
    QMessageBox box(owner);
    box.setText(text);
    box.setWindowTitle(title);
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case MsgButtons::OK:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    const int pressed = box.exec();
    switch (pressed) {
    case QMessageBox::Ok:
        return MsgAnswer::OK;
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    default:
        return buttons == MsgButtons::OK ? MsgAnswer::OK : MsgAnswer::Cancel;
    }
}

void QtClipboard::Clear() {
    QGuiApplication::clipboard()->clear();
}

void QtClipboard::SetText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
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
std::optional<QString> Chosen(const QString& path) {
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return QDir::toNativeSeparators(path);
}
} // namespace

std::optional<QString> QtFileDialog::GetSaveFileName(QWidget* owner, const FileDialogOptions& o) {
    QFileDialog::Options flags;
    if (!o.overwritePrompt) {
        flags |= QFileDialog::DontConfirmOverwrite;
    }
    const QString start = QDir(QDir::fromNativeSeparators(o.initialDir)).filePath(o.fileName);
    const QString qtFilter = ToQtFilter(o.filter);
    return Chosen(QFileDialog::getSaveFileName(owner, QString(), start, qtFilter, nullptr, flags));
}

std::optional<QString> QtFileDialog::GetOpenFileName(QWidget* owner, const FileDialogOptions& o) {
    const QString qtFilter = ToQtFilter(o.filter);
    return Chosen(QFileDialog::getOpenFileName(owner, QString(),
                                               QDir::fromNativeSeparators(o.initialDir), qtFilter));
}

namespace {
// The desktop in device pixels: each screen keeps its top-left corner at its
// native position; only its size is scaled.
QRegion DeviceScreens() {
    QRegion screens;
    for (QScreen* s : QGuiApplication::screens()) {
        screens |= QRect(s->geometry().topLeft(), s->geometry().size() * s->devicePixelRatio());
    }
    return screens;
}
} // namespace

void QtScreenGrab::Prepare() {
    roots_.Reserve(DeviceScreens());
}

std::unique_ptr<ScreenStill> QtScreenGrab::GrabDesktop() {
    // On X11 the whole desktop is copied at once: kept by the server where it
    // has room, read by the program where not.
    const QRegion screens = DeviceScreens();
    if (std::unique_ptr<ScreenStill> still = roots_.Grab(screens)) {
        return still;
    }
    if (QImage desk = GrabRootArea(screens); !desk.isNull()) {
        return std::make_unique<ScreenStill>(desk);
    }
    // Elsewhere each screen's own copy, in device pixels, goes at its corner.
    struct Shot {
        QPoint at;
        QImage image;
    };
    std::vector<Shot> shots;
    QRect all;
    for (QScreen* s : QGuiApplication::screens()) {
        QImage image = s->grabWindow(0).toImage();
        if (image.isNull()) {
            continue;
        }
        image.setDevicePixelRatio(1.0);
        all |= QRect(s->geometry().topLeft(), image.size());
        shots.push_back({s->geometry().topLeft(), std::move(image)});
    }
    if (shots.empty()) {
        return nullptr;
    }
    if (shots.size() == 1) {
        return std::make_unique<ScreenStill>(shots.front().image);
    }
    QImage desk(all.size(), QImage::Format_RGB32);
    desk.fill(Qt::black);
    QPainter painter(&desk);
    for (const Shot& shot : shots) {
        painter.drawImage(shot.at - all.topLeft(), shot.image);
    }
    painter.end();
    return std::make_unique<ScreenStill>(desk);
}

int QtModal::Exec(QDialog& dialog) {
    return dialog.exec();
}

void QtModal::Popup(QMenu& menu, const QPoint& globalPos) {
    menu.exec(globalPos);
}

} // namespace platform
