#pragma once
// Path helpers working with the platform's native separator (backslash on
// Windows, "/" elsewhere).
#include <QDir>
#include <QFile>
#include <QString>

#include <climits>

namespace platform {

inline QChar NativeSeparator() {
    return QDir::separator();
}

// The folder text with a separator appended when it does not end in one; an
// empty text becomes the separator alone.
inline QString StiMedBackslash(const QString& folder) {
    if (folder.endsWith(NativeSeparator())) {
        return folder;
    }
    return folder + NativeSeparator();
}

// Whether a folder path or a file name is no longer, in bytes of the file
// system's encoding, than the system takes.
inline bool FitsPathMax(const QString& path) {
    return QFile::encodeName(path).size() <= PATH_MAX;
}
inline bool FitsNameMax(const QString& name) {
    return QFile::encodeName(name).size() <= NAME_MAX;
}

} // namespace platform
