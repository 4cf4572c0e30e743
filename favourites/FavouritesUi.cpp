#include "favourites/FavouritesUi.h"

#include "colour/Module1.h"
#include "favourites/frmLagre.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

#include <algorithm>
#include <utility>

namespace favourites {

namespace {
constexpr int kRightButton = 2;
} // namespace

FavouritesUi::FavouritesUi(FavouritesModel& model, FavouritesHost& host,
                           platform::IMessageBox& messageBox, platform::IModal& modal,
                           QWidget* panelParent)
    : model_(model), host_(host), messageBox_(messageBox), modal_(modal),
      panel_(new BoxPanel(model, panelParent)) {
    const QString texts[] = {QStringLiteral("Slett"), QStringLiteral("Slett alle"), QString(),
                             QStringLiteral("Rediger")};
    for (int i = 0; i < static_cast<int>(mnuMusD.size()); ++i) {
        QAction* a = mnuMusD[static_cast<size_t>(i)] = new QAction(texts[i], this);
        connect(a, &QAction::triggered, this, [this, i] { mnuMusD_Click(i); });
    }
    mnuMusD[2]->setSeparator(true);
    mnuMusBakgrunn = new QAction(QStringLiteral("Bruk som bakgrunn"), this);
    connect(mnuMusBakgrunn, &QAction::triggered, this, [this] {
        if (const int32_t c = model_.Color(model_.SelectedPos); c != -1) {
            host_.UseAsBackground(c);
        }
    });

    connect(panel_, &BoxPanel::MouseDown, this,
            [this](int i, int b, int s, double x, double y) { picColor_MouseDown(i, b, s, x, y); });
    connect(panel_, &BoxPanel::MouseUp, this,
            [this](int i, int b, int s, double x, double y) { picColor_MouseUp(i, b, s, x, y); });
    connect(panel_, &BoxPanel::DblClick, this, [this](int i) { picColor_DblClick(i); });
    connect(panel_, &BoxPanel::GotFocus, this, &FavouritesUi::picBoksUt_GotFocus);
    connect(panel_, &BoxPanel::KeyDown, this, &FavouritesUi::picBoksUt_KeyDown);
    // After the screen reader's call has returned: deleting asks first.
    connect(panel_, &BoxPanel::ItemAction, this, &FavouritesUi::picBoksUt_ItemAction,
            Qt::QueuedConnection);
}

QMenu& FavouritesUi::mnuMus() {
    if (!mnuMus_) {
        mnuMus_ = std::make_unique<QMenu>(QStringLiteral("Mus"));
        for (QAction* a : mnuMusD) {
            mnuMus_->addAction(a);
        }
        mnuMus_->addSeparator();
        mnuMus_->addAction(mnuMusBakgrunn);
    }
    return *mnuMus_;
}

FavouritesUi::~FavouritesUi() {
    if (panel_ && !panel_->parent()) {
        delete panel_.data();
    }
}

void FavouritesUi::picColor_MouseDown(int Index, int, int, double, double) {
    const int32_t colour = panel_->Tag(Index).toInt();
    if (colour == -1) {
        return;
    }
    host_.PickColour(colour);
    host_.HideChartMarkers();
}

void FavouritesUi::picColor_MouseUp(int Index, int Button, int, double X, double Y) {
    model_.SelectedPos = Index + 1;
    panel_->picBoksInn()->update();
    panel_->ReportSelectedBox(Index);
    if (Button == kRightButton) {
        modal_.Popup(mnuMus(), panel_->BoxToGlobal(Index, X, Y));
    }
}

void FavouritesUi::picBoksUt_ItemAction(int Index, int KeyCode) {
    // The list may have changed since the action was asked for.
    if (panel_->BoxColour(Index) == -1) {
        return;
    }
    Select(Index + 1);
    picBoksUt_KeyDown(KeyCode, 0);
}

void FavouritesUi::picColor_DblClick(int) {
    mnuMusD_Click(3);
}

void FavouritesUi::picBoksUt_GotFocus() {
    Select(model_.SelectedPos);
}

void FavouritesUi::Select(int pos) {
    if (model_.Count() == 0) {
        return;
    }
    model_.SelectedPos = std::clamp(pos, 1, model_.Count());
    panel_->ShowBox(model_.SelectedPos - 1);
}

void FavouritesUi::picBoksUt_KeyDown(int KeyCode, int Shift) {
    constexpr int page = BoxPanel::kSide / BoxPanel::kPitch;
    const int pos = model_.SelectedPos;
    const int index = pos - 1;
    const bool onBox = model_.IsValidPos(pos) && panel_->BoxColour(index) != -1;
    // Where a click on the box lands, and its menu pops up: at its text.
    constexpr double x = BoxPanel::kTextX;
    constexpr double y = BoxPanel::kBoxHeight / 2;
    switch (KeyCode) {
    case Qt::Key_Up:
        return Select(pos - 1);
    case Qt::Key_Down:
        return Select(pos + 1);
    case Qt::Key_PageUp:
        return Select(pos - page);
    case Qt::Key_PageDown:
        return Select(pos + page);
    case Qt::Key_Home:
        return Select(1);
    case Qt::Key_End:
        return Select(model_.Count());
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (onBox) {
            picColor_MouseDown(index, 1, 0, x, y);
            picColor_MouseUp(index, 1, 0, x, y);
        }
        return;
    case Qt::Key_F2:
        if (onBox) {
            picColor_DblClick(index);
        }
        return;
    case Qt::Key_Delete:
        if (onBox &&
            messageBox_.Show(
                host_.DialogOwner(),
                QStringLiteral("Er du sikker på at du vil slette %1?").arg(panel_->BoxText(index)),
                QStringLiteral("Slett farge"), platform::MsgButtons::OKCancel,
                platform::MsgIcon::Question) == platform::MsgAnswer::OK) {
            mnuMusD_Click(0);
            Select(pos);
        }
        return;
    case Qt::Key_F10:
        if (!(Shift & 1)) {
            return;
        }
        [[fallthrough]];
    case Qt::Key_Menu:
        if (onBox) {
            modal_.Popup(mnuMus(), panel_->BoxToGlobal(index, x, y));
            Select(model_.SelectedPos);
        }
        return;
    default:
        return;
    }
}

void FavouritesUi::mnuMusD_Click(int Index) {
    // SelectedPos is not kept in step with the list: every command checks it.
    switch (Index) {
    case 0: // Slett
        if (model_.Delete(model_.SelectedPos)) {
            panel_->UpdateColorbox();
            model_.ListChanged = true;
        }
        break;
    case 1: { // Slett alle
        const platform::MsgAnswer answer = messageBox_.Show(
            host_.DialogOwner(),
            QStringLiteral("Er du sikker på at du vil slette alle fargene i denne listen?"),
            QStringLiteral("Tøm listen"), platform::MsgButtons::OKCancel,
            platform::MsgIcon::Question);
        if (answer == platform::MsgAnswer::OK) {
            model_.DeleteAll();
            panel_->UpdateColorbox();
            model_.ListChanged = true;
        }
        break;
    }
    case 3: { // Rediger
        const int pos = model_.SelectedPos;
        const int32_t colour = panel_->BoxColour(pos - 1);
        if (!model_.IsValidPos(pos) || colour == -1) {
            break;
        }
        std::unique_ptr<frmLagre> dialog = LoadDialog(colour);
        dialog->setWindowTitle(QStringLiteral("Endre fargenavn"));
        model_.RenameMode = true;
        dialog->SetName(model_.Name(pos));
        ShowDialog(std::move(dialog));
        break;
    }
    default: // the separator
        break;
    }
}

void FavouritesUi::cmdSpar_Click() {
    std::unique_ptr<frmLagre> dialog = LoadDialog(host_.CurrentColour());
    model_.RenameMode = false;
    ShowDialog(std::move(dialog));
}

std::unique_ptr<frmLagre> FavouritesUi::LoadDialog(int32_t colour) {
    auto dialog = std::make_unique<frmLagre>(model_, *panel_, host_, host_.DialogOwner());
    // The label's text follows the lightness slider, not the colour itself.
    dialog->SetLbl1ForeColor(host_.LightnessValue() <= BoxPanel::kWhiteTextMaxLightness
                                 ? QColor(Qt::white)
                                 : QColor(Qt::black));
    dialog->SetLbl1BackColor(colour);
    Module1::LongToRGB(colour);
    dialog->lbl1->setText(
        QString::fromStdString(Module1::HexHTML(Module1::Red, Module1::Green, Module1::Blue)));
    return dialog;
}

void FavouritesUi::ShowDialog(std::unique_ptr<frmLagre> dialog) {
    // The owner may be destroyed while the dialog runs (the program is closed
    // from outside) and take the dialog with it.
    const QPointer<frmLagre> alive(dialog.get());
    frmLagre* shown = dialog.release();
    modal_.Exec(*shown);
    delete alive.data();
}

} // namespace favourites
