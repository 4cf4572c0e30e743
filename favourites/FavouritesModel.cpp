#include "favourites/FavouritesModel.h"

#include <utility>

namespace favourites {

void FavouritesModel::AddColor(const int32_t& lColor, const QString& sColorName) {
    list_.colors.prepend(lColor);
    list_.names.prepend(sColorName);
    ListChanged = true;
    Notify();
}

bool FavouritesModel::Delete(int pos) {
    if (!IsValidPos(pos)) {
        return false;
    }
    list_.colors.removeAt(pos - 1);
    list_.names.removeAt(pos - 1);
    ListChanged = true;
    Notify();
    return true;
}

void FavouritesModel::DeleteAll() {
    Clear();
    ListChanged = true;
    Notify();
}

bool FavouritesModel::Rename(int pos, const QString& name) {
    if (!IsValidPos(pos)) {
        return false;
    }
    list_.names[pos - 1] = name;
    ListChanged = true;
    Notify();
    return true;
}

void FavouritesModel::Clear() {
    list_.colors.clear();
    list_.names.clear();
    Notify();
}

void FavouritesModel::Load(ColourList fromFile) {
    if (list_.colors.isEmpty()) {
        list_ = std::move(fromFile);
    } else {
        list_.colors = fromFile.colors + list_.colors;
        list_.names = fromFile.names + list_.names;
    }
    Notify();
}

} // namespace favourites
