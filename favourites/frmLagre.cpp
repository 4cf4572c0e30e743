#include "favourites/frmLagre.h"

#include "favourites/BoxPanel.h"
#include "favourites/FavouritesHost.h"
#include "favourites/FavouritesModel.h"
#include "platform/widgets/PictureBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QValidator>

#include <algorithm>

namespace favourites {

namespace {

// Drops every double quote from what is typed or pasted, and what would take
// the name past `limit`, keeping the rest.
class NameValidator : public QValidator {
public:
    NameValidator(const int& limit, QObject* parent) : QValidator(parent), limit_(limit) {}

    State validate(QString& input, int& pos) const override {
        pos -= static_cast<int>(input.left(pos).count(u'"'));
        input.remove(u'"');
        // What was just typed or pasted ends at the cursor.
        const int over = static_cast<int>(input.size()) - limit_;
        if (over > 0) {
            pos = std::max(0, pos - over);
            input.remove(pos, over);
        }
        return Acceptable;
    }

private:
    const int& limit_;
};

QLabel* MakeLabel(const QString& text, const QRect& at, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(at);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

frmLagre::frmLagre(FavouritesModel& model, BoxPanel& boxes, FavouritesHost& host, QWidget* owner)
    : QDialog(owner), model_(model), boxes_(boxes), host_(host) {
    setWindowTitle(QStringLiteral("Lagre farge"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    QFont f(QStringLiteral("Microsoft Sans Serif"));
    f.setPointSizeF(8.25);
    setFont(f);

    // Created in tab order: the name first.
    txtNavn = new QLineEdit(this);
    txtNavn->setGeometry(72, 36, 154, 19);
    txtNavn->setMaxLength(kMaxName);
    txtNavn->setValidator(new NameValidator(nameLimit_, txtNavn));
    // A long proposed name only shortens: what typing took off cannot be
    // typed back.
    connect(txtNavn, &QLineEdit::textEdited, this, [this](const QString& text) {
        nameLimit_ = std::max(kMaxName, std::min(nameLimit_, static_cast<int>(text.size())));
    });

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setGeometry(312, 8, 81, 25);
    cmdOk->setDefault(true);
    cmdAvbryt = new QPushButton(QStringLiteral("Avbryt"), this);
    cmdAvbryt->setGeometry(312, 40, 81, 25);

    Label1[0] = MakeLabel(QStringLiteral("Eget navn:"), {7, 38, 64, 18}, this);
    Label1[1] = MakeLabel(QStringLiteral("Farge:"), {29, 13, 39, 18}, this);
    lbl1 = MakeLabel(QStringLiteral("Farge"), {72, 12, 154, 18}, this);
    lbl1->setAutoFillBackground(true);

    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdAvbryt, &QPushButton::clicked, this, [this] { cmdAvbryt_Click(); });
}

void frmLagre::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!e->spontaneous()) {
        Form_Activate();
    }
}

void frmLagre::Form_Activate() {
    // Typing replaces the proposed name.
    txtNavn->setFocus();
    txtNavn->setSelection(0, static_cast<int>(txtNavn->text().size()));
}

void frmLagre::cmdOk_Click() {
    // The name is taken as typed; an empty name is fine.
    if (model_.RenameMode) {
        model_.Rename(model_.SelectedPos, txtNavn->text());
        boxes_.UpdateColorbox();
    } else {
        model_.AddColor(Lbl1BackColor(), txtNavn->text());
        boxes_.UpdateColorbox();
        host_.SelectFavouritesTab();
    }
    model_.ListChanged = true;
    accept();
}

void frmLagre::cmdAvbryt_Click() {
    reject();
}

void frmLagre::SetLbl1BackColor(int32_t colour) {
    QPalette pal = lbl1->palette();
    pal.setColor(QPalette::Window, platform::FromPacked(colour));
    lbl1->setPalette(pal);
}

int32_t frmLagre::Lbl1BackColor() const {
    return platform::ToPacked(lbl1->palette().color(QPalette::Window).rgb());
}

void frmLagre::SetLbl1ForeColor(const QColor& colour) {
    QPalette pal = lbl1->palette();
    pal.setColor(QPalette::WindowText, colour);
    lbl1->setPalette(pal);
}

QColor frmLagre::Lbl1ForeColor() const {
    return lbl1->palette().color(QPalette::WindowText);
}

void frmLagre::SetName(const QString& name) {
    nameLimit_ = std::max(kMaxName, static_cast<int>(name.size()));
    txtNavn->setMaxLength(nameLimit_);
    txtNavn->setText(name);
}

} // namespace favourites
