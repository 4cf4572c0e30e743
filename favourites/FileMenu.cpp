#include "favourites/FileMenu.h"

#include "favourites/ColourFile.h"
#include "favourites/FavPaths.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace favourites {

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

FileMenu::FileMenu(FavouritesModel& model, platform::IMessageBox& messageBox,
                   platform::IFileDialog& fileDialog, FileMenuHost& host)
    : model_(model), messageBox_(messageBox), fileDialog_(fileDialog), host_(host) {}

bool FileMenu::xSaveFav(const QString& sFile) {
    host_.SetBusyCursor(true);
    const SaveResult result = SaveColourFile(sFile, model_.List());
    host_.SetBusyCursor(false);
    if (result.ok()) {
        FileSaved = true;
        model_.ListChanged = false;
        stampedFile_ = sFile;
        stamp_ = StampOf(sFile);
        return true;
    }
    const auto error = [this](const QString& text) {
        messageBox_.Show(host_.DialogOwner(), text, "Feil", MsgButtons::OK, MsgIcon::Exclamation);
    };
    if (result.error == SaveError::AccessDenied) {
        error("Kan ikke lagre til fil da den er skrivebeskyttet.");
    } else if (result.error == SaveError::FolderDenied) {
        error(QString::fromUtf8("Kan ikke lagre til fil da mappen «%1» er skrivebeskyttet.")
                  .arg(StiUtenFilnavn(sFile)));
    } else if (result.error == SaveError::NotAFile) {
        error(
            QString::fromUtf8("Kan ikke lagre til «%1» da det ikke er en vanlig fil.").arg(sFile));
    } else {
        messageBox_.Show(host_.DialogOwner(),
                         "General_xSaveFav\nFeilkode: " + QString::number(result.number) + "\n" +
                             result.description,
                         kProgramTitle, MsgButtons::OK, MsgIcon::None);
    }
    return false;
}

bool FileMenu::LagreSom() {
    SaveCancelled = false;
    if (CurrentFileName != kNewFileName && !FileSaved && !PartlyRead) {
        if (!WriteOwnFile()) {
            SaveCancelled = true;
            return false;
        }
        return true;
    }
    return SaveThroughDialog();
}

bool FileMenu::SaveThroughDialog() {
    SaveCancelled = false;
    platform::FileDialogOptions o;
    o.filter = "Fargefil (*.KVC)|*.kvc";
    o.initialDir = CurrentPath;
    o.fileName = CurrentFileName;
    o.overwritePrompt = true;
    const auto chosen = fileDialog_.GetSaveFileName(host_.DialogOwner(), o);
    if (!chosen) {
        SaveCancelled = true;
        FileSaved = false;
        return false;
    }
    // The list takes the new name only once it is really stored under it.
    if (!xSaveFav(*chosen)) {
        SaveCancelled = true;
        return false;
    }
    CurrentPath = StiUtenFilnavn(*chosen);
    CurrentFileName = FilnavnISti(*chosen);
    PartlyRead = false;
    host_.SetCaption(CurrentFileName);
    return true;
}

bool FileMenu::ApneFil(const QString& sFile) {
    SaveCancelled = false;
    QString file = sFile;
    if (file.isEmpty()) {
        platform::FileDialogOptions o;
        o.filter = "Kvidra Fargefil (*.KVC)|*.kvc|Alle filer (*)|*";
        o.initialDir = CurrentPath;
        o.fileMustExist = true;
        const auto chosen = fileDialog_.GetOpenFileName(host_.DialogOwner(), o);
        if (!chosen) {
            SaveCancelled = true;
            return false;
        }
        file = *chosen;
    }
    model_.ListChanged = false;
    FileSaved = false;
    PartlyRead = false;
    CurrentPath = StiUtenFilnavn(file);
    CurrentFileName = FilnavnISti(file);
    NyListe();
    if (!xLoadFav(file)) {
        SaveCancelled = true;
        // Nothing is lost by writing a file that is not there.
        if (lastRead_.error != ReadError::Missing) {
            PartlyRead = true;
            ReportRead(file, lastRead_);
        }
        return false;
    }
    return true;
}

void FileMenu::ReportRead(const QString& file, const ReadResult& read) {
    const int count = static_cast<int>(model_.Count());
    const QString favourites = count == 0   ? QStringLiteral("ingen favoritter")
                               : count == 1 ? QString::fromUtf8("én favoritt")
                                            : QStringLiteral("%1 favoritter").arg(count);
    QString what;
    switch (read.error) {
    case ReadError::BadRecord:
        what = QStringLiteral("har en post som ikke kan leses");
        break;
    case ReadError::NotAFile:
        what = QStringLiteral("er ikke en vanlig fil");
        break;
    case ReadError::Denied:
        what = QStringLiteral("kan ikke leses: ingen tilgang");
        break;
    case ReadError::TooLarge:
        what = QString::fromUtf8("er større enn %1 MB").arg(kMaxColourFileSize >> 20);
        break;
    default:
        what = QStringLiteral("kan ikke leses");
        break;
    }
    heldReport_ = QString::fromUtf8("Fargefilen «%1» %2.\nLesingen stoppet ved post %3; %4 "
                                    "ble lest.\n\nFilen blir ikke lagret over uten at du "
                                    "velger det i «Lagre som».")
                      .arg(file, what)
                      .arg(read.badRecord)
                      .arg(favourites);
    if (!HoldReports) {
        ShowHeldReport();
    }
}

void FileMenu::ShowHeldReport() {
    if (heldReport_.isEmpty()) {
        return;
    }
    messageBox_.Show(host_.DialogOwner(), std::exchange(heldReport_, {}), kProgramTitle,
                     MsgButtons::OK, MsgIcon::Exclamation);
}

FileMenu::Stamp FileMenu::StampOf(const QString& file) {
    const QFileInfo info(QDir::fromNativeSeparators(file));
    if (!info.exists()) {
        return {};
    }
    return {true, info.size(), info.lastModified()};
}

bool FileMenu::ChangedOnDisk() const {
    if (stampedFile_ != CurrentFile()) {
        return false;
    }
    const Stamp now = StampOf(stampedFile_);
    return now.exists && now != stamp_;
}

bool FileMenu::WriteOwnFile() {
    if (ChangedOnDisk()) {
        const MsgAnswer answer = messageBox_.Show(
            host_.DialogOwner(),
            QString::fromUtf8("«%1» er endret på disken siden den ble åpnet eller lagret her, "
                              "kanskje av et annet program.\nVil du skrive over den?\n\n"
                              "Velg Nei for å beholde den andre versjonen og lagre listen "
                              "under et annet navn.")
                .arg(CurrentFileName),
            kProgramTitle, MsgButtons::YesNoCancel, MsgIcon::Exclamation);
        if (answer == MsgAnswer::No) {
            return SaveThroughDialog();
        }
        if (answer != MsgAnswer::Yes) {
            SaveCancelled = true;
            return false;
        }
    }
    return xSaveFav(CurrentFile());
}

bool FileMenu::xLoadFav(const QString& sFile) {
    stampedFile_ = sFile;
    stamp_ = StampOf(sFile);
    ReadResult read = LoadColourFile(sFile);
    lastRead_ = {{}, read.ok, read.badRecord, read.error};
    model_.Load(std::move(read.list));
    // Also after a bad record, so the records read before it are seen.
    if (model_.Count() > 0) {
        host_.UpdateColorbox();
    }
    return read.ok;
}

void FileMenu::NyListe() {
    host_.ClearColorbox();
    model_.Clear();
    host_.SetCaption(CurrentFileName);
    host_.SelectFavouritesTab();
    host_.UpdateColorbox();
}

bool FileMenu::SaveToOwnFile() {
    if (CurrentFileName == kNewFileName || PartlyRead) {
        return LagreSom(); // through its dialog
    }
    return WriteOwnFile();
}

void FileMenu::mnuFilNy_Click() {
    if (model_.ListChanged) {
        const MsgAnswer answer = messageBox_.Show(
            host_.DialogOwner(),
            "Vil du lagre endringer i " + CurrentFileName + " før det opprettes ny?", kProgramTitle,
            MsgButtons::YesNoCancel, MsgIcon::Exclamation);
        if (answer == MsgAnswer::Yes) {
            if (!SaveToOwnFile()) {
                return;
            }
        } else if (answer != MsgAnswer::No) {
            SaveCancelled = true;
            return;
        }
    }
    // A new list has no file of its own: its first save asks for a name.
    CurrentFileName = kNewFileName;
    FileSaved = false;
    PartlyRead = false;
    NyListe();
}

void FileMenu::mnuFilApne_Click() {
    if (!model_.ListChanged) {
        ApneFil({});
        return;
    }
    host_.SelectFavouritesTab();
    const MsgAnswer answer =
        messageBox_.Show(host_.DialogOwner(), "Vil du lagre endringene i " + CurrentFileName + " ?",
                         "Lagre", MsgButtons::YesNoCancel, MsgIcon::Question);
    if (answer == MsgAnswer::Yes) {
        if (SaveToOwnFile()) {
            ApneFil({});
        }
    } else if (answer == MsgAnswer::No) {
        ApneFil({});
        if (SaveCancelled) {
            SaveCancelled = false;
        } else {
            model_.ListChanged = false;
        }
    }
}

void FileMenu::mnuFilLagre_Click() {
    if (!FileSaved || CurrentFileName == kNewFileName || PartlyRead) {
        LagreSom();
    } else if (model_.ListChanged) {
        WriteOwnFile();
    }
}

void FileMenu::mnuFilLagreSom_Click() {
    LagreSom();
}

} // namespace favourites
