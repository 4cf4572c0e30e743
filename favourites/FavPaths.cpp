#include "favourites/FavPaths.h"

#include "platform/Paths.h"

namespace favourites {

QString FilnavnISti(const QString& InnStreng) {
    return InnStreng.mid(InnStreng.lastIndexOf(platform::NativeSeparator()) + 1);
}

QString StiUtenFilnavn(const QString& FullSti) {
    return FullSti.left(FullSti.lastIndexOf(platform::NativeSeparator()) + 1);
}

} // namespace favourites
