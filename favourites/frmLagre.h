#pragma once
// The name dialog: gives a new favourite its name ("Lagre farge") or renames
// one ("Endre fargenavn"). It keeps nothing of its own: the colour is the back
// colour of lbl1, the name the text of txtNavn and the mode the list's
// RenameMode.
#include <QDialog>

#include <array>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

namespace favourites {

class BoxPanel;
class FavouritesHost;
class FavouritesModel;

class frmLagre : public QDialog {
    Q_OBJECT
public:
    // Longest name the user can type. The colour file cannot store a double
    // quote inside a name, so txtNavn refuses that character.
    static constexpr int kMaxName = 25;
    static constexpr int kClientWidth = 402;
    static constexpr int kClientHeight = 85;

    frmLagre(FavouritesModel& model, BoxPanel& boxes, FavouritesHost& host, QWidget* owner);

    // Label1(0) "Eget navn:" and Label1(1) "Farge:".
    std::array<QLabel*, 2> Label1{};
    QLabel* lbl1 = nullptr;
    QLineEdit* txtNavn = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdAvbryt = nullptr;

    void Form_Activate();
    void cmdOk_Click();
    void cmdAvbryt_Click();

    // The colour label's colours (packed back colour; text colour).
    void SetLbl1BackColor(int32_t colour);
    int32_t Lbl1BackColor() const;
    void SetLbl1ForeColor(const QColor& colour);
    QColor Lbl1ForeColor() const;
    // A proposed name; one read from a file may be longer than can be typed
    // and is kept whole. Typing may shorten it, down to kMaxName, but never
    // lengthen it.
    void SetName(const QString& name);

protected:
    void showEvent(QShowEvent* e) override;

private:
    // The longest the name may become: kMaxName, or a longer proposed name's
    // length as far as typing has shortened it.
    int nameLimit_ = kMaxName;
    FavouritesModel& model_;
    BoxPanel& boxes_;
    FavouritesHost& host_;
};

} // namespace favourites
