#pragma once
// Nothing lost when the program ends before the list is saved. While the list
// has unsaved changes, a copy of it is kept in the data folder, written a
// second after a change at most, on a thread of its own. Before a file is
// written over in place, a copy of the old file is kept there too until the
// new one is on disk. Both are offered back at the next start. Only the
// running program that holds the folder's lock keeps a copy of its list.
#include "favourites/ColourFile.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class QLockFile;

namespace favourites {

// A list kept for later, and the colour file it belongs to.
struct KeptList {
    ColourList list;
    QString file;             // full path, native separators
    bool dialogFirst = false; // the file must be saved through the Save dialog first
    QByteArray nextHash;      // a copy from before a save in place: the hash of the
                              // bytes that were to be written
};

class Recovery : public QObject {
public:
    // Copies go to `folder`; none where it is empty or cannot be made.
    explicit Recovery(const QString& folder);
    ~Recovery() override;

    // The list as it is to be kept now; nothing when it has no unsaved changes.
    std::function<std::optional<KeptList>()> Snapshot;
    // Told each time the copy follows the list: whether it has unsaved changes.
    std::function<void(bool unsaved)> UnsavedChanged;

    // The list changed: the copy follows within about a second. Until
    // Settle, nothing is written or removed (what the last run left waits
    // to be offered).
    void Touch();
    void Settle();
    // The copy follows the list at once, before this returns.
    void KeepNow();
    // The list was saved or given up: the copy goes.
    void Drop();

    // What a run that did not end normally left: its unsaved list, and a
    // file it was writing over in place (left out when that file holds the
    // old bytes or the new ones whole). Each is removed by Forget.
    std::optional<KeptList> LeftUnsaved() const;
    std::optional<KeptList> LeftBeforeSave() const;
    void ForgetUnsaved();
    void ForgetBeforeSave();

    // Copies of a file written over in place, for SaveColourFile.
    InPlaceCopy BeforeInPlace();

    // Writes a copy whole or not at all, synced to disk; false when it
    // could not. Tests read and write copies through these.
    static bool Write(const QString& path, const KeptList& kept);
    static std::optional<KeptList> Read(const QString& path);
    QString UnsavedPath() const;
    QString BeforeSavePath() const;

    // Keeps the copies of every live Recovery current (at exit, when the
    // display went away under the program).
    static void KeepAllNow();

private:
    void Timer_Timeout();
    void Sync(bool now);
    void Post(std::optional<KeptList> job);
    void Wait();
    void Work();

    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    bool settled_ = false;
    QTimer timer_;

    // The thread that writes the copies: the newest job only.
    std::mutex mutex_;
    std::condition_variable cv_;
    std::thread thread_;
    std::optional<std::optional<KeptList>> job_; // set: a job; inner nothing: remove
    bool busy_ = false;
    bool stop_ = false;
};

} // namespace favourites
