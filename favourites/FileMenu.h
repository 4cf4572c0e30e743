#pragma once
// The File menu: New, Open, Save and Save As of the favourites' colour file,
// with the questions asked before unsaved changes are lost.
#include "favourites/ColourFile.h"
#include "favourites/FavouritesModel.h"
#include "favourites/Recovery.h"
#include "platform/Services.h"

#include <QDateTime>
#include <QString>

#include <memory>

class QWidget;

namespace favourites {

// What the File menu needs from the main window.
class FileMenuHost {
public:
    virtual ~FileMenuHost() = default;
    // Caption: the executable's name, " - " and the file name.
    virtual void SetCaption(const QString& fileName) = 0;
    virtual void SelectFavouritesTab() = 0;
    virtual void UpdateColorbox() = 0;
    virtual void ClearColorbox() = 0;
    virtual QWidget* DialogOwner() = 0;
    virtual void SetBusyCursor(bool busy) = 0;
};

inline const QString kProgramTitle = QStringLiteral("Tintra");
inline const QString kNewFileName = QStringLiteral("NyFargefil.kvc");

class FileMenu {
public:
    FileMenu(FavouritesModel& model, platform::IMessageBox& messageBox,
             platform::IFileDialog& fileDialog, FileMenuHost& host);
    ~FileMenu() { model_.Changed = nullptr; }
    FileMenu(const FileMenu&) = delete;
    FileMenu& operator=(const FileMenu&) = delete;

    // Folder of the current file, ending in a separator (native separators).
    QString CurrentPath;
    // File name without folder; kNewFileName for a list without a file.
    QString CurrentFileName = kNewFileName;
    // The list was written since it was last opened.
    bool FileSaved = false;
    // The last Save As or Open was cancelled or failed, or the New question
    // was answered Cancel.
    bool SaveCancelled = false;
    // The list must not be written to its file without the Save dialog,
    // which asks before it replaces a file: the file was read only in part
    // (reading stopped at a bad record, or the file could not be read), and
    // saving over it would shrink it; or the list came from a palette and
    // its name was never chosen. Cleared once saved through the dialog.
    bool DialogFirst = false;

    // Saves the list to its own file: through the Save dialog where that
    // must ask first (no file of its own yet, or one read only in part),
    // straight to the file otherwise. True when written.
    bool SaveToOwnFile();

    // Writes the list to sFile. True when written; on failure shows its
    // message and changes nothing.
    bool xSaveFav(const QString& sFile);
    // Saves a list with a file of its own that was not yet saved straight to
    // that file; otherwise asks for a name first. True when written.
    bool LagreSom();
    // Opens a colour file; the Open dialog asks for it when sFile is empty.
    // True when the whole file was read. A file that was there but could be
    // read only in part, or not at all, is reported in a message; a missing
    // one gives an empty list without a word.
    bool ApneFil(const QString& sFile);
    // Reads sFile into the list (under what it holds). True when the whole
    // file was read; the records before a bad one are kept either way.
    bool xLoadFav(const QString& sFile);
    // Empties the list and the boxes, shows CurrentFileName in the caption
    // and selects the favourites tab. Leaves ListChanged alone.
    void NyListe();

    void mnuFilNy_Click();
    void mnuFilApne_Click();
    void mnuFilLagre_Click();
    void mnuFilLagreSom_Click();
    void mnuFilImporter_Click();
    void mnuFilEksporter_Click();

    // Reads a GIMP palette into a new, unsaved list named after it; the Open
    // dialog asks for the file when sFile is empty. A palette that stops at
    // a bad line keeps the colours before it, and is reported; a file that
    // is no palette changes nothing. True when the whole palette was read.
    bool ImportPalette(const QString& sFile);

    QString CurrentFile() const { return CurrentPath + CurrentFileName; }

    // While held (at start-up, before the window shows), what ApneFil would
    // report waits for ShowHeldReport.
    bool HoldReports = false;
    void ShowHeldReport();

    // Keeps a copy of the unsaved list, and of a file written over in place,
    // in `folder` (see Recovery). Without, no file is written in place.
    void KeepCopiesIn(const QString& folder);
    // Offers back what a run that did not end normally left, asking first;
    // from then on the copy follows the list.
    void OfferLeftovers();
    // The copy follows the list now (the program is ending without asking).
    void KeepCopyNow();
    // The unsaved list is given up (the exit question's No): its copy goes.
    void GiveUpCopy();
    // Told whenever the copy follows the list: whether it has unsaved changes.
    void OnUnsavedChanged(std::function<void(bool unsaved)> told);

private:
    // What identifies one version of a file on disk.
    struct Stamp {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp StampOf(const QString& file);
    // Another program (another copy of this one, say) wrote the current file
    // since this one last read or wrote it.
    bool ChangedOnDisk() const;
    // Writes the list to its own file, asking first when the file changed on
    // disk: overwrite, or keep the other version and save through the dialog.
    bool WriteOwnFile();
    bool SaveThroughDialog();
    // The Open dialog for files of `filter` (or any file); nothing when
    // cancelled.
    std::optional<QString> AskFileToOpen(const QString& filter);
    void ReportRead(const QString& file, const ReadResult& read);
    void ReportSaveError(const QString& file, const SaveResult& result);
    // The question before the list is given up for another: Ja, Nei or Avbryt.
    platform::MsgAnswer AskToSaveChanges();
    // Puts a kept list in place of this one, unsaved.
    void Restore(const KeptList& kept);
    bool AskToRestore(const QString& text);

    QString stampedFile_;
    Stamp stamp_;
    ReadResult lastRead_;
    QString heldReport_;
    FavouritesModel& model_;
    platform::IMessageBox& messageBox_;
    platform::IFileDialog& fileDialog_;
    FileMenuHost& host_;
    std::unique_ptr<Recovery> recovery_;
};

} // namespace favourites
