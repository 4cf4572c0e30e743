#pragma once
// The favourites for screen readers: the boxes' view is a list, each box an
// item named after its favourite and colour. The item the keyboard selects
// has the focus, and its actions are those of the keys: pick (Enter), rename
// (F2) and delete (Delete).
class QWidget;

namespace favourites {

// Lets the boxes' view answer as that list (once per program).
void InstallBoxAccessible();
// Tells a screen reader that box `index` of `view` is selected, and has the
// focus where the view has it.
void ReportSelectedBox(QWidget* view, int index);

} // namespace favourites
