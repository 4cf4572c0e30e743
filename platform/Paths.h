#pragma once
// Path helpers working with the platform's native separator (backslash on
// Windows, "/" elsewhere).
#include <QDir>
#include <QString>

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

} // namespace platform
