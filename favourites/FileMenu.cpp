#include "favourites/FileMenu.h"

#include "favourites/ColourFile.h"
#include "favourites/FavPaths.h"

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
        return true;
    }
    if (result.error == SaveError::AccessDenied) {
        messageBox_.Show(host_.DialogOwner(), "Kan ikke lagre til fil da den er skrivebeskyttet.",
                         "Feil", MsgButtons::OK, MsgIcon::Exclamation);
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
        if (!xSaveFav(CurrentFile())) {
            SaveCancelled = true;
            return false;
        }
        return true;
    }
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
        o.filter = "Kvidra Fargefil (*.KVC)|*.kvc";
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
        PartlyRead = true;
        SaveCancelled = true;
        return false;
    }
    return true;
}

bool FileMenu::xLoadFav(const QString& sFile) {
    ReadResult read = LoadColourFile(sFile);
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
    return xSaveFav(CurrentFile());
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
        xSaveFav(CurrentFile());
    }
}

void FileMenu::mnuFilLagreSom_Click() {
    LagreSom();
}

} // namespace favourites
