#pragma once
// Splitting a full path at the platform's native separator (backslash on
// Windows, "/" elsewhere); no other character counts as a separator.
#include <QString>

namespace favourites {

// The file-name part: everything after the last separator; the whole text
// when there is none; the empty text when the path ends in a separator.
QString FilnavnISti(const QString& InnStreng);

// The folder part: everything up to and including the last separator; the
// empty text when there is none.
QString StiUtenFilnavn(const QString& FullSti);

} // namespace favourites
