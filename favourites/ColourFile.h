#pragma once
// The colour file (".kvc"): one favourite a line, "packed colour,"name"" ended
// by CR LF, the oldest favourite first. Written in Windows-1252 while every
// name fits it, so files stay readable by older copies of the program, and as
// UTF-8 otherwise; reading tells the two apart by the bytes.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

namespace favourites {

// Colours and names in list order (index 0 is the top box, the newest).
struct ColourList {
    QList<int32_t> colors;
    QStringList names;
};

// --- Windows-1252 -----------------------------------------------------------
// The five bytes the code page leaves undefined (81, 8D, 8F, 90, 9D) map to the
// control characters of the same number, as Windows itself maps them.
bool FitsWindows1252(QChar c);
bool FitsWindows1252(const QString& text);
QByteArray ToWindows1252(const QString& text); // characters that do not fit become '?'
QString FromWindows1252(const char* data, qsizetype size);

// True when the bytes are valid UTF-8 and hold at least one multi-byte sequence.
bool IsMultiByteUtf8(const QByteArray& bytes);

// --- Writing and reading bytes -------------------------------------------------
// The file's bytes for a list; an empty list gives no bytes. A double quote
// inside a name cannot be stored and is written as U+201D.
QByteArray WriteColourFile(const ColourList& list);

// Why a file was not read whole.
enum class ReadError {
    None,
    BadRecord, // reading stopped at badRecord
    Missing,   // no such file
    NotAFile,  // a folder, named pipe or device
    Denied,    // no permission to read it
    TooLarge,  // larger than kMaxColourFileSize
    Failed,    // the reading itself failed
    // There, but out of reach:
    Loop,         // a loop of symbolic links
    Unsearchable, // a folder on the way may not be searched
    TooLong,      // the name or the path is longer than the system takes
    BadName,      // the name is not valid UTF-8: the text names another file
};

struct ReadResult {
    ColourList list;   // records in list order (the file's last record first)
    bool ok = true;    // false: reading stopped at a bad record or the file failed
    int badRecord = 0; // 1-based record number where reading stopped (0 if none)
    ReadError error = ReadError::None;
};
ReadResult ReadColourFile(const QByteArray& bytes);

// --- Files -------------------------------------------------------------------
enum class SaveError {
    None,
    AccessDenied, // the file itself refuses writing (error 75)
    FolderDenied, // a new file: its folder refuses writing (error 75)
    NotAFile,     // a folder, named pipe or device (also behind a link) is in the way
    Unreachable,  // something there cannot be reached (a link loop, a folder
                  // that may not be searched, a name too long)
    BadName,      // the name is not valid UTF-8: the text names another file
    Other,        // anything else; see number and description
};

struct SaveResult {
    SaveError error = SaveError::None;
    int number = 0; // the program's error number; 0 on success
    QString description;
    bool ok() const { return error == SaveError::None; }
};

// Where a file must be written over in place, a whole copy of the old one is
// kept elsewhere first (and synced to disk), so that a write cut short loses
// nothing: `keep` makes it (false when it cannot), `drop` removes it once the
// new file is on disk. Without `keep` no file is written in place.
struct InPlaceCopy {
    std::function<bool(const QString& file, const QByteArray& old, const QByteArray& next)> keep;
    std::function<void()> drop;
};

// Writes through a temporary file in the same folder that replaces the target
// only when completely written, so a failure never touches the old file. Where
// the folder refuses new files but the file itself may be written, the file is
// written in place, behind a copy (see InPlaceCopy), and never shortened
// before the new bytes are in. Nothing but a plain file (or no file) is ever
// replaced. `path` may use native separators.
SaveResult SaveColourFile(const QString& path, const ColourList& list,
                          const InPlaceCopy& copy = {});
// The same for any bytes.
SaveResult SaveBytes(const QString& path, const QByteArray& bytes, const InPlaceCopy& copy = {});

// Why a path cannot be reached: None when it can, Missing when nothing is
// there, else Loop, Unsearchable, TooLong or BadName. A text with U+FFFD
// that names no file stands for a name that is not valid UTF-8.
ReadError Reach(const QString& path);

// Files larger than this are refused without reading.
inline constexpr qint64 kMaxColourFileSize = 64 * 1024 * 1024;

ReadResult LoadColourFile(const QString& path);
// A plain file's bytes, as a colour file's are read; `error` tells why not.
std::optional<QByteArray> LoadBytes(const QString& path, ReadError& error);

} // namespace favourites
