#pragma once
// The favourites: named colours in screen order, position 1 (the top box) the
// newest. Colours and names are kept in step by every operation here.
#include "favourites/ColourFile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace favourites {

class FavouritesModel {
public:
    // Index 0 holds position 1.
    const QList<int32_t>& FavColors() const { return list_.colors; }
    const QStringList& FavNames() const { return list_.names; }
    const ColourList& List() const { return list_; }
    int Count() const { return static_cast<int>(list_.colors.size()); }
    bool IsValidPos(int pos) const { return pos >= 1 && pos <= Count(); }
    // Colour and name at a 1-based position (-1 and the empty text outside).
    int32_t Color(int pos) const { return IsValidPos(pos) ? list_.colors[pos - 1] : -1; }
    QString Name(int pos) const { return IsValidPos(pos) ? list_.names[pos - 1] : QString(); }

    // Puts the pair at position 1.
    void AddColor(const int32_t& lColor, const QString& sColorName);
    // "Slett": removes one position; false (and nothing changed) outside the list.
    bool Delete(int pos);
    // "Slett alle": empties the list; counts as a change even when empty.
    void DeleteAll();
    // Gives a position a new name, keeping its colour and place.
    bool Rename(int pos, const QString& name);

    // The file side, which leaves ListChanged alone: emptying for a new or
    // opened file, and putting records read from a file under the list.
    void Clear();
    void Load(ColourList fromFile);

    // Set by every change above; cleared only by saving and opening.
    bool ListChanged = false;
    // Position of the box last released with the mouse (1-based). Not adjusted
    // when the list changes: check it with IsValidPos.
    int SelectedPos = 0;
    // The name dialog renames (true) rather than adds (false).
    bool RenameMode = false;
    // Called after every change of the list, the file side's included.
    std::function<void()> Changed;

private:
    void Notify() {
        if (Changed) {
            Changed();
        }
    }
    ColourList list_;
};

} // namespace favourites
