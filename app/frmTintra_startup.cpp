// Start-up and shutdown: the settings, the measurement picture "PM.bmp" and
// the colour file of the last run come back, and are stored again at the end.
// The picture is kept in the user's data folder (~/.local/share/Tintra), and
// a first list belongs in the Documents folder: never in the program's folder
// nor in the one it was started from.
#include "app/frmTintra.h"

#include "platform/Twips.h"

#include "measure/PointMeasure.h"
#include "platform/Convert.h"
#include "platform/Paths.h"
#include "platform/SessionInhibitor.h"
#include "platform/WindowPlace.h"
#include "resources/Resources.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <QSessionManager>
#include <QStandardPaths>
#include <QTabBar>
#include <QTimer>

#include <memory>
#include <optional>
#include <utility>

namespace {
using platform::Px;
const QString kSection = QStringLiteral("Tilpass");

// The user's data folder (~/.local/share/Tintra); empty when the system has none.
QString DataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

// Where the last measurement is kept; empty when the system has no data folder.
QString MeasurementFile() {
    const QString folder = DataFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/PM.bmp");
}

// The folder a first list is saved in and opened from: Documents, or the
// home folder where there is none.
QString FirstFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir::toNativeSeparators(QFileInfo(documents).isDir() ? documents : QDir::homePath());
}

// Selects a stored list entry, or the default entry (see StoredIndex).
void SelectStored(QComboBox* list, const QString& stored, int defaultIndex) {
    list->setCurrentIndex(platform::StoredIndex(stored, list->count(), defaultIndex));
}
// The measurement kept from the last run, else an invitation to make one.
// The file is read only when the panel first shows or its picture is needed
// (most starts show another panel), as it was when opened here; and only a
// plain file (a named pipe would wait for a writer for ever; a first run has
// none at all), as the BMP it is written as: guessing the format from the
// content would load every image-format plugin.
void ShowMeasurement(platform::PictureBox& box) {
    auto file = std::make_shared<QFile>(MeasurementFile());
    if (!QFileInfo(*file).isFile() || !file->open(QIODevice::ReadOnly)) {
        file.reset();
    }
    box.DrawLater([file](platform::PictureBox& b) {
        QImage measured;
        if (file) {
            QImageReader reader(file.get(), "BMP");
            reader.setAutoDetectImageFormat(false);
            measured = reader.read();
        }
        if (measured.isNull()) {
            b.PrintText(0, 0, QString::fromUtf8(" Klikk knappen punktmål"), Qt::black);
        } else {
            b.SetPicture(measured);
        }
    });
}
// Keeps the measurement for the next run: whole or not at all, and never
// through a link. The program is closing: a picture that cannot be written
// (no room, no write access, something other than a plain file in its
// place) is let go without a message.
void SaveMeasurement(const QImage& image) {
    const QString file = MeasurementFile();
    const QFileInfo info(file);
    if (file.isEmpty() || info.isSymLink() || (info.exists() && !info.isFile()) ||
        !QDir().mkpath(info.absolutePath())) {
        return;
    }
    QSaveFile out(file);
    if (out.open(QIODevice::WriteOnly) && image.save(&out, "BMP")) {
        out.commit();
    }
}
} // namespace

QString frmTintra::GetSetting(const char* key, const QString& defaultValue) const {
    return services_.settings->GetSetting(AppTitle(), kSection, QString::fromLatin1(key),
                                          defaultValue);
}

void frmTintra::SaveSetting(const char* key, const QString& value) const {
    services_.settings->SaveSetting(AppTitle(), kSection, QString::fromLatin1(key), value);
}

// Every step runs even when an earlier one failed; a failing step is skipped.
void frmTintra::Form_Load(const QString& file) {
    // Unsaved favourites are kept in the data folder until saved, and GNOME
    // is asked to hold a log-out meanwhile.
    fileMenu_->KeepCopiesIn(DataFolder());
    if (const QString folder = DataFolder(); !folder.isEmpty()) {
        historyFile_ = folder + QStringLiteral("/historikk.txt");
        history_.Load(historyFile_);
        picHistorikk->SetColours(history_.Colours());
    }
    inhibitor_ = new platform::SessionInhibitor;
    inhibitor_->setParent(this);
    fileMenu_->OnUnsavedChanged([this](bool unsaved) {
        inhibitor_->Hold(
            unsaved, static_cast<quint32>(isVisible() ? winId() : 0),
            QStringLiteral("Favorittlisten i Tintra har endringer som ikke er lagret"));
    });

    mnuHjelpD[0]->setText(QStringLiteral("Versjon %1.%2.%3")
                              .arg(TINTRA_VERSION_MAJOR)
                              .arg(TINTRA_VERSION_MINOR)
                              .arg(TINTRA_VERSION_PATCH));
    mnuHjelpD[2]->setText(QString::fromUtf8("Copyright © 2026 Kvidra Software"));
    SetOuterSize(9150, 5235);

    // Grey 128 everywhere: the sliders, then the shade at the starting
    // lightness, then a full refresh as each stored notation is selected.
    for (auto* s : HScroll1) {
        s->setValue(128);
    }
    vsc1_Scroll();
    SelectStored(cboHexFormat, GetSetting("HexFormat", QStringLiteral("0")), 0);
    SelectStored(cboRgbFormat, GetSetting("RgbFormat", QStringLiteral("0")), 0);
    SelectStored(cboZoom, GetSetting("ZoomFactor", QStringLiteral("3")), 3);

    if (const auto left = platform::StoredEdge(GetSetting("MainLeft", QStringLiteral("250")))) {
        move(*left, y());
    }
    if (const auto top = platform::StoredEdge(GetSetting("MainTop", QStringLiteral("250")))) {
        move(x(), *top);
    }
    move(platform::OnScreen(frameGeometry()));

    const QCursor eyedropper = resources::EyedropperCursor();
    picFarge[0]->setCursor(eyedropper);
    picFarge[1]->setCursor(eyedropper);
    ShowMeasurement(*picFarge[1]);

    // A folder longer than any the system takes is no setting: the caption,
    // for one, cannot be megabytes long.
    const QString path = GetSetting("Path", FirstFolder());
    fileMenu_->CurrentPath =
        platform::StiMedBackslash(platform::FitsPathMax(path) ? path : FirstFolder());
    fileMenu_->CurrentFileName = GetSetting("FileName", QStringLiteral("x"));
    if (!platform::FitsNameMax(fileMenu_->CurrentFileName)) {
        fileMenu_->CurrentFileName = QStringLiteral("x");
    }
    if (!file.isEmpty() || fileMenu_->CurrentFileName != QStringLiteral("x")) {
        // A file read only in part is reported once the window is up.
        fileMenu_->HoldReports = true;
        fileMenu_->ApneFil(file.isEmpty() ? fileMenu_->CurrentFile() : file);
        fileMenu_->HoldReports = false;
    }
    // Also where a file name was refused before anything was opened.
    if (fileMenu_->CurrentFileName == QStringLiteral("x")) {
        fileMenu_->CurrentFileName = favourites::kNewFileName;
        SetCaption(fileMenu_->CurrentFileName);
    }
    // Once the window is up: what the last run left unsaved, then what
    // could not be read.
    QTimer::singleShot(0, this, [this] {
        fileMenu_->OfferLeftovers();
        fileMenu_->ShowHeldReport();
    });

    if (const auto tab = platform::ToInt16(GetSetting("ActiveTab", QStringLiteral("0")))) {
        SelectTab(*tab);
    }
    bool ok = false;
    const int background = GetSetting("Bakgrunn", QStringLiteral("16777215")).toInt(&ok);
    if (ok) {
        SetBackground(background);
    }
    measure_->sampleSide =
        measure::StoredSampleSide(GetSetting("Gjennomsnitt", QStringLiteral("1")));
}

void frmTintra::closeEvent(QCloseEvent* e) {
    if (quietEnd_ != QuietEnd::No) {
        EndQuietly();
        e->accept();
        return;
    }
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel) {
        e->ignore();
    } else {
        // Nothing unsaved is left: no copy of an earlier state either.
        if (!favModel_.ListChanged) {
            fileMenu_->GiveUpCopy();
        }
        e->accept();
    }
}

void frmTintra::Form_Unload(bool& Cancel) {
    favourites::FileMenu& files = *fileMenu_;
    if (favModel_.ListChanged) {
        switch (AskToSaveBeforeEnd()) {
        case platform::MsgAnswer::Yes:
            // A save that failed, or was cancelled, keeps the window open:
            // closing would lose the favourites the user just asked to keep.
            if (!files.SaveToOwnFile()) {
                Cancel = true;
            }
            if (files.SaveCancelled) {
                Cancel = true;
                files.SaveCancelled = false;
            }
            break;
        case platform::MsgAnswer::No:
            // Ends at once, storing nothing more than what was stored before.
            files.GiveUpCopy();
            services_.settings->Flush();
            return;
        default:
            Cancel = true;
            break;
        }
    }

    SaveSettingsAndPicture();
}

platform::MsgAnswer frmTintra::AskToSaveBeforeEnd() {
    return services_.messageBox->Show(
        this,
        QStringLiteral("Vil du lagre endringer i ") + fileMenu_->CurrentFileName +
            QString::fromUtf8(" før avsluttning?"),
        AppTitle(), platform::MsgButtons::YesNoCancel, platform::MsgIcon::Exclamation);
}

void frmTintra::SaveSettingsAndPicture() {
    const favourites::FileMenu& files = *fileMenu_;
    SaveSetting("HexFormat", QString::number(cboHexFormat->currentIndex()));
    SaveSetting("RgbFormat", QString::number(cboRgbFormat->currentIndex()));
    SaveSetting("ZoomFactor", QString::number(cboZoom->currentIndex()));
    SaveSetting("ActiveTab", QString::number(SelectedTab()));
    SaveSetting("Path", files.CurrentPath);
    SaveSetting("FileName", files.CurrentFileName);
    SaveSetting("Bakgrunn", QString::number(background_));
    SaveSetting("Gjennomsnitt", QString::number(measure_->sampleSide));
    SaveHistory();
    if (!isMinimized() && !isMaximized()) {
        SaveSetting("MainLeft",
                    platform::SingleText(static_cast<float>(x() * platform::kTwipsPerPixel)));
        SaveSetting("MainTop",
                    platform::SingleText(static_cast<float>(y() * platform::kTwipsPerPixel)));
    }
    SaveMeasurement(picFarge[1]->Image());
    // What the windows stored goes to disk in one go: as the program ends,
    // and also when the close was called off, which stores as much.
    services_.settings->Flush();
}

void frmTintra::EndQuietly() {
    if (quietEnd_ == QuietEnd::GiveUp) {
        fileMenu_->GiveUpCopy();
    } else {
        fileMenu_->KeepCopyNow();
    }
    SaveSettingsAndPicture();
}

void frmTintra::CommitData(QSessionManager& manager) {
    quietEnd_ = QuietEnd::KeepCopy;
    if (!favModel_.ListChanged) {
        return;
    }
    if (!manager.allowsInteraction()) {
        fileMenu_->KeepCopyNow();
        return;
    }
    favourites::FileMenu& files = *fileMenu_;
    switch (AskToSaveBeforeEnd()) {
    case platform::MsgAnswer::Yes:
        // Not saved: the log-out is called off, as the window would stay open.
        if (!files.SaveToOwnFile() || std::exchange(files.SaveCancelled, false)) {
            quietEnd_ = QuietEnd::No;
        }
        break;
    case platform::MsgAnswer::No:
        quietEnd_ = QuietEnd::GiveUp;
        files.GiveUpCopy();
        break;
    default:
        quietEnd_ = QuietEnd::No;
        break;
    }
    if (quietEnd_ == QuietEnd::No) {
        manager.cancel();
    } else {
        manager.release();
    }
}
