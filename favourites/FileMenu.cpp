#include "favourites/FileMenu.h"

#include "favourites/ColourFile.h"
#include "favourites/FavPaths.h"
#include "favourites/Palette.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace favourites {

namespace {
// Why a file could not be read, after its name.
QString ReadProblem(ReadError error) {
    switch (error) {
    case ReadError::NotAFile:
        return QStringLiteral("er ikke en vanlig fil");
    case ReadError::Denied:
        return QStringLiteral("kan ikke leses: ingen tilgang");
    case ReadError::TooLarge:
        return QString::fromUtf8("er større enn %1 MB").arg(kMaxColourFileSize >> 20);
    case ReadError::Missing:
        return QStringLiteral("finnes ikke");
    case ReadError::Loop:
        return QString::fromUtf8("kan ikke nås: de symbolske lenkene går i ring");
    case ReadError::Unsearchable:
        return QString::fromUtf8("kan ikke nås: ingen tilgang til en av mappene på veien");
    case ReadError::TooLong:
        return QString::fromUtf8("kan ikke nås: navnet eller stien er for lang");
    default:
        return QStringLiteral("kan ikke leses");
    }
}

// A path or name as a message shows it: a very long one shortened in the
// middle, so that no message grows without bounds.
QString Shown(const QString& text) {
    constexpr qsizetype kMost = 240;
    return text.size() <= kMost ? text
                                : text.left(kMost / 2) + QChar(0x2026) + text.right(kMost / 2);
}

// "ingen farger", "én farge", "3 farger".
QString Counted(int count, const QString& one, const QString& many) {
    return count == 0   ? QStringLiteral("ingen ") + many
           : count == 1 ? one
                        : QStringLiteral("%1 ").arg(count) + many;
}

QString Favourites(int count) {
    return Counted(count, QString::fromUtf8("én favoritt"), QStringLiteral("favoritter"));
}

// A file name that is not valid UTF-8 reaches the program as another text.
QString BadNameText(const QString& file) {
    return QString::fromUtf8("Navnet på filen er ikke gyldig UTF-8, så Tintra kan ikke bruke "
                             "den.\nGi filen et nytt navn i mappen «%1».")
        .arg(Shown(StiUtenFilnavn(file)));
}
} // namespace

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

FileMenu::FileMenu(FavouritesModel& model, platform::IMessageBox& messageBox,
                   platform::IFileDialog& fileDialog, FileMenuHost& host)
    : model_(model), messageBox_(messageBox), fileDialog_(fileDialog), host_(host) {}

bool FileMenu::xSaveFav(const QString& sFile) {
    host_.SetBusyCursor(true);
    const SaveResult result = SaveColourFile(
        sFile, model_.List(), recovery_ ? recovery_->BeforeInPlace() : InPlaceCopy{});
    host_.SetBusyCursor(false);
    if (result.ok()) {
        FileSaved = true;
        model_.ListChanged = false;
        stampedFile_ = sFile;
        stamp_ = StampOf(sFile);
        if (recovery_) {
            recovery_->Drop();
        }
        return true;
    }
    ReportSaveError(sFile, result);
    return false;
}

void FileMenu::ReportSaveError(const QString& file, const SaveResult& result) {
    const auto error = [this](const QString& text) {
        messageBox_.Show(host_.DialogOwner(), text, "Feil", MsgButtons::OK, MsgIcon::Exclamation);
    };
    if (result.error == SaveError::AccessDenied) {
        error("Kan ikke lagre til fil da den er skrivebeskyttet.");
    } else if (result.error == SaveError::FolderDenied) {
        error(QString::fromUtf8("Kan ikke lagre til fil da mappen «%1» er skrivebeskyttet.")
                  .arg(StiUtenFilnavn(file)));
    } else if (result.error == SaveError::NotAFile) {
        error(QString::fromUtf8("Kan ikke lagre til «%1» da det ikke er en vanlig fil.")
                  .arg(Shown(file)));
    } else if (result.error == SaveError::Unreachable) {
        error(QString::fromUtf8("Kan ikke lagre til «%1» da den ikke kan nås (en lenke som går "
                                "i ring, en mappe uten tilgang eller et for langt navn).")
                  .arg(Shown(file)));
    } else if (result.error == SaveError::BadName) {
        error(BadNameText(file));
    } else {
        messageBox_.Show(host_.DialogOwner(),
                         "General_xSaveFav\nFeilkode: " + QString::number(result.number) + "\n" +
                             result.description,
                         kProgramTitle, MsgButtons::OK, MsgIcon::None);
    }
}

bool FileMenu::LagreSom() {
    SaveCancelled = false;
    if (CurrentFileName != kNewFileName && !FileSaved && !DialogFirst) {
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
    // A name typed without an extension gets the one the Open dialog lists.
    o.defaultSuffix = QStringLiteral("kvc");
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
    DialogFirst = false;
    host_.SetCaption(CurrentFileName);
    return true;
}

std::optional<QString> FileMenu::AskFileToOpen(const QString& filter) {
    platform::FileDialogOptions o;
    o.filter = filter + "|Alle filer (*)|*";
    o.initialDir = CurrentPath;
    o.fileMustExist = true;
    return fileDialog_.GetOpenFileName(host_.DialogOwner(), o);
}

bool FileMenu::ApneFil(const QString& sFile) {
    SaveCancelled = false;
    const std::optional<QString> chosen =
        sFile.isEmpty() ? AskFileToOpen("Kvidra Fargefil (*.KVC)|*.kvc") : sFile;
    if (!chosen) {
        SaveCancelled = true;
        return false;
    }
    const QString& file = *chosen;
    // The text names another file than the one chosen: refused, the list
    // left as it is.
    if (Reach(file) == ReadError::BadName) {
        SaveCancelled = true;
        heldReport_ = BadNameText(file);
        if (!HoldReports) {
            ShowHeldReport();
        }
        return false;
    }
    model_.ListChanged = false;
    FileSaved = false;
    DialogFirst = false;
    CurrentPath = StiUtenFilnavn(file);
    CurrentFileName = FilnavnISti(file);
    NyListe();
    if (!xLoadFav(file)) {
        SaveCancelled = true;
        // Nothing is lost by writing a file that is not there.
        if (lastRead_.error != ReadError::Missing) {
            DialogFirst = true;
            ReportRead(file, lastRead_);
        }
        return false;
    }
    return true;
}

void FileMenu::ReportRead(const QString& file, const ReadResult& read) {
    const int count = static_cast<int>(model_.Count());
    const QString what = read.error == ReadError::BadRecord
                             ? QStringLiteral("har en post som ikke kan leses")
                             : ReadProblem(read.error);
    const QString favourites = Favourites(count);
    heldReport_ = QString::fromUtf8("Fargefilen «%1» %2.\nLesingen stoppet ved post %3; %4 "
                                    "ble lest.\n\nFilen blir ikke lagret over uten at du "
                                    "velger det i «Lagre som».")
                      .arg(Shown(file), what)
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
    if (CurrentFileName == kNewFileName || DialogFirst) {
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
    DialogFirst = false;
    NyListe();
}

MsgAnswer FileMenu::AskToSaveChanges() {
    host_.SelectFavouritesTab();
    return messageBox_.Show(host_.DialogOwner(),
                            "Vil du lagre endringene i " + CurrentFileName + " ?", "Lagre",
                            MsgButtons::YesNoCancel, MsgIcon::Question);
}

void FileMenu::mnuFilApne_Click() {
    if (!model_.ListChanged) {
        ApneFil({});
        return;
    }
    const MsgAnswer answer = AskToSaveChanges();
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
    if (!FileSaved || CurrentFileName == kNewFileName || DialogFirst) {
        LagreSom();
    } else if (model_.ListChanged) {
        WriteOwnFile();
    }
}

void FileMenu::mnuFilLagreSom_Click() {
    LagreSom();
}

void FileMenu::mnuFilImporter_Click() {
    if (model_.ListChanged) {
        const MsgAnswer answer = AskToSaveChanges();
        if (answer == MsgAnswer::Cancel || (answer == MsgAnswer::Yes && !SaveToOwnFile())) {
            return;
        }
    }
    ImportPalette({});
}

bool FileMenu::ImportPalette(const QString& sFile) {
    const std::optional<QString> chosen =
        sFile.isEmpty() ? AskFileToOpen("GIMP-palett (*.GPL)|*.gpl") : sFile;
    if (!chosen) {
        return false;
    }
    const QString& file = *chosen;
    const auto tell = [this](const QString& text) {
        messageBox_.Show(host_.DialogOwner(), text, kProgramTitle, MsgButtons::OK,
                         MsgIcon::Exclamation);
    };
    ReadError error = ReadError::None;
    const auto bytes = LoadBytes(file, error);
    if (!bytes) {
        tell(QString::fromUtf8("Paletten «%1» %2.").arg(file, ReadProblem(error)));
        return false;
    }
    PaletteRead read = ReadPalette(*bytes);
    if (!read.isPalette) {
        tell(QString::fromUtf8("«%1» er ikke en GIMP-palett: den første linjen er ikke "
                               "«GIMP Palette».")
                 .arg(file));
        return false;
    }
    // A new list without a file: its name comes from the palette, and the
    // Save dialog chooses where it goes.
    QString name = read.name.isEmpty() ? QFileInfo(file).completeBaseName() : read.name;
    // Some programs name a palette after its file.
    if (name.endsWith(QStringLiteral(".gpl"), Qt::CaseInsensitive)) {
        name.chop(4);
    }
    name.replace(QChar('/'), QChar('-')).replace(QChar('\\'), QChar('-'));
    CurrentFileName = name.left(200) + QStringLiteral(".kvc");
    FileSaved = false;
    DialogFirst = true;
    NyListe();
    model_.Load(std::move(read.list));
    model_.ListChanged = true;
    if (model_.Count() > 0) {
        host_.UpdateColorbox();
    }
    if (!read.ok) {
        tell(QString::fromUtf8("Paletten «%1» har en linje som ikke kan leses.\nLesingen stoppet "
                               "ved linje %2; %3 ble lest.")
                 .arg(file)
                 .arg(read.badLine)
                 .arg(Counted(static_cast<int>(model_.Count()), QString::fromUtf8("én farge"),
                              QStringLiteral("farger"))));
    }
    return read.ok;
}

void FileMenu::KeepCopiesIn(const QString& folder) {
    recovery_ = std::make_unique<Recovery>(folder);
    recovery_->Snapshot = [this]() -> std::optional<KeptList> {
        // A new list emptied is nothing to keep.
        if (!model_.ListChanged || (model_.Count() == 0 && CurrentFileName == kNewFileName)) {
            return std::nullopt;
        }
        return KeptList{model_.List(), CurrentFile(), DialogFirst, {}};
    };
    model_.Changed = [this] { recovery_->Touch(); };
}

void FileMenu::OnUnsavedChanged(std::function<void(bool unsaved)> told) {
    if (recovery_) {
        recovery_->UnsavedChanged = std::move(told);
    }
}

bool FileMenu::AskToRestore(const QString& text) {
    return messageBox_.Show(host_.DialogOwner(), text, kProgramTitle, MsgButtons::YesNo,
                            MsgIcon::Question) == MsgAnswer::Yes;
}

void FileMenu::OfferLeftovers() {
    if (!recovery_) {
        return;
    }
    std::optional<KeptList> restored;
    if (auto kept = recovery_->LeftUnsaved()) {
        if (AskToRestore(QString::fromUtf8("Tintra ble ikke avsluttet som vanlig sist, og "
                                           "endringene i «%1» ble ikke lagret.\nVil du hente "
                                           "tilbake den ulagrede listen med %2?")
                             .arg(Shown(FilnavnISti(kept->file)))
                             .arg(Favourites(static_cast<int>(kept->list.colors.size()))))) {
            restored = std::move(kept);
        } else {
            recovery_->ForgetUnsaved();
        }
    }
    // A file written over in place when the program stopped: offered unless
    // the list about to be written was just brought back.
    if (auto before = recovery_->LeftBeforeSave(); before && !restored) {
        if (AskToRestore(QString::fromUtf8("Lagringen av «%1» ble avbrutt, og filen kan være "
                                           "ufullstendig.\nVil du hente tilbake listen slik den "
                                           "var før lagringen, med %2?")
                             .arg(Shown(FilnavnISti(before->file)))
                             .arg(Favourites(static_cast<int>(before->list.colors.size()))))) {
            restored = std::move(before);
        }
    }
    if (restored) {
        Restore(*restored);
    }
    recovery_->Settle();
    if (restored) {
        recovery_->KeepNow();
    }
    recovery_->ForgetBeforeSave();
}

void FileMenu::Restore(const KeptList& kept) {
    CurrentPath = StiUtenFilnavn(kept.file);
    CurrentFileName = FilnavnISti(kept.file);
    FileSaved = false;
    SaveCancelled = false;
    DialogFirst = kept.dialogFirst;
    NyListe();
    model_.Load(kept.list);
    model_.ListChanged = true;
    if (model_.Count() > 0) {
        host_.UpdateColorbox();
    }
    // The file as it is now is the one the user knows of.
    stampedFile_ = CurrentFile();
    stamp_ = StampOf(stampedFile_);
    heldReport_.clear();
}

void FileMenu::KeepCopyNow() {
    if (recovery_) {
        recovery_->KeepNow();
    }
}

void FileMenu::GiveUpCopy() {
    if (recovery_) {
        recovery_->Drop();
    }
}

void FileMenu::mnuFilEksporter_Click() {
    QString name = CurrentFileName;
    if (name.endsWith(QStringLiteral(".kvc"), Qt::CaseInsensitive)) {
        name.chop(4);
    }
    platform::FileDialogOptions o;
    o.filter = "GIMP-palett (*.GPL)|*.gpl";
    o.initialDir = CurrentPath;
    o.fileName = name + QStringLiteral(".gpl");
    o.title = QStringLiteral("Eksporter palett");
    o.overwritePrompt = true;
    o.defaultSuffix = QStringLiteral("gpl");
    const auto chosen = fileDialog_.GetSaveFileName(host_.DialogOwner(), o);
    if (!chosen) {
        return;
    }
    host_.SetBusyCursor(true);
    const SaveResult result = SaveBytes(*chosen, WritePalette(name, model_.List()));
    host_.SetBusyCursor(false);
    if (!result.ok()) {
        ReportSaveError(*chosen, result);
    }
}

} // namespace favourites
