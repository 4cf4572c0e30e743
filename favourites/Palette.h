#pragma once
// GIMP palettes (".gpl"), as GIMP, Inkscape and Krita read and write them:
//   GIMP Palette
//   Name: Mine farger
//   Columns: 4
//   # a comment
//   255   0   0	Rød
// The colours stand in list order of the file, oldest first, as in a colour
// file. Written in UTF-8 with LF line ends.
#include "favourites/ColourFile.h"

namespace favourites {

struct PaletteRead {
    QString name;          // the Name: line's text; empty without one
    ColourList list;       // newest first, as the favourites list holds it
    bool ok = true;        // false: reading stopped at badLine
    int badLine = 0;       // 1-based line number where reading stopped (0 if none)
    bool isPalette = true; // false: the first line is not "GIMP Palette"
};
PaletteRead ReadPalette(const QByteArray& bytes);

// A name's line breaks become blanks: a palette keeps one colour a line. The
// names read back as written, but for blanks at their start.
QByteArray WritePalette(const QString& name, const ColourList& list);

} // namespace favourites
