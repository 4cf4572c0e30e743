#pragma once
// The favourites on screen: the panel of colour boxes, their mouse handlers,
// the context menu mnuMus and the name dialog frmLagre.
#include "favourites/BoxPanel.h"
#include "favourites/FavouritesHost.h"
#include "favourites/FavouritesModel.h"
#include "platform/Services.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <memory>

class QAction;
class QMenu;

namespace favourites {

class frmLagre;

class FavouritesUi : public QObject {
public:
    // The panel is created as a child of `panelParent` (owned here when that
    // is null). Dialogs and popups run through `modal`.
    FavouritesUi(FavouritesModel& model, FavouritesHost& host, platform::IMessageBox& messageBox,
                 platform::IModal& modal, QWidget* panelParent = nullptr);
    ~FavouritesUi() override;

    BoxPanel* picBoksUt() const { return panel_; }

    // The context menu, never in a menu bar: "Slett", "Slett alle", a
    // separator and "Rediger". Made when it first pops up.
    QMenu& mnuMus();
    std::array<QAction*, 4> mnuMusD{};
    // After them: the selected favourite becomes the contrast's background.
    QAction* mnuMusBakgrunn = nullptr;

    void UpdateColorbox() { panel_->UpdateColorbox(); }
    void ClearColorbox() { panel_->ClearColorbox(); }

    // Any button makes the box's colour current and hides the chart's
    // cross-hair.
    void picColor_MouseDown(int Index, int Button, int Shift, double X, double Y);
    // Selects the box; the right button pops up mnuMus.
    void picColor_MouseUp(int Index, int Button, int Shift, double X, double Y);
    // Renames the box's favourite.
    void picColor_DblClick(int Index);
    // The selection starts at the selected box, else the top one.
    void picBoksUt_GotFocus();
    // The arrows, Page Up and Down, Home and End move the selection,
    // scrolling it into view; Enter picks it as a click does, F2 renames it
    // as a double-click does, Delete asks and deletes it as "Slett" does; the
    // Menu key and Shift+F10 pop up mnuMus at it.
    void picBoksUt_KeyDown(int KeyCode, int Shift);
    // A screen reader's action on a box: selects it and does what the key
    // does.
    void picBoksUt_ItemAction(int Index, int KeyCode);
    void mnuMusD_Click(int Index);
    // "Spar": names the current colour and puts it at the top of the list.
    void cmdSpar_Click();

private:
    // Selects list position `pos`, kept within the list, and shows it.
    void Select(int pos);
    // Loads a fresh name dialog with its colour label set up for `colour`.
    std::unique_ptr<frmLagre> LoadDialog(int32_t colour);
    // Shows it modally and unloads it.
    void ShowDialog(std::unique_ptr<frmLagre> dialog);

    FavouritesModel& model_;
    FavouritesHost& host_;
    platform::IMessageBox& messageBox_;
    platform::IModal& modal_;
    QPointer<BoxPanel> panel_;
    std::unique_ptr<QMenu> mnuMus_;
};

} // namespace favourites
