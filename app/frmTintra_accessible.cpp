// What screen readers say of the window: a name for every control, the
// texts with their captions, the current colour with its value, and the
// chart's cells by their colours.
#include "app/frmTintra.h"

#include "chart/ChartPicture.h"
#include "colour/Module1.h"
#include "colour/Notation.h"

#include <QComboBox>
#include <QLabel>
#include <QTabBar>
#include <QToolButton>

namespace {
// Spoken names, as the copy buttons number them.
const char* const kCopyNames[4] = {"Kopier hex-teksten", "Kopier RGB-teksten",
                                   "Kopier Long-verdien", "Kopier HSL-teksten"};

// On Linux Qt gives a list the name of the entry it shows, and its label
// through the labelled-by relation: a label that never shows, with the list
// as its buddy, reads out as the list's name.
void NameList(QComboBox* list, const QString& name) {
    auto* label = new QLabel(name, list->parentWidget());
    label->setBuddy(list);
    label->hide();
    list->setAccessibleName(name); // elsewhere the name itself
}
} // namespace

void frmTintra::NameForScreenReaders() {
    for (size_t i = 0; i < cmdKopi.size(); ++i) {
        cmdKopi[i]->setAccessibleName(QString::fromUtf8(kCopyNames[i]));
        // A caption with no access key of its own: it only labels its text.
        Captions()[i]->setBuddy(Displays()[i]);
    }
    NameList(cboRgbFormat, QStringLiteral("Format for RGB"));
    NameList(cboHexFormat, QStringLiteral("Format for hex"));
    NameList(cboZoom, QStringLiteral("Zoomfaktor"));
    platform::SetAccessibleRole(picValgt, QAccessible::Graphic);
    picValgt->setAccessibleName(QStringLiteral("Gjeldende farge"));
    platform::SetAccessibleRole(pic1, QAccessible::Graphic);
    pic1->setAccessibleName(QString::fromUtf8("Sist valgte farge, til sammenligning"));
    vsc1->setAccessibleName(QString::fromUtf8("Lys: lysere og mørkere toner av fargen"));
    TabStrip1->setAccessibleName(QStringLiteral("Paneler"));
    picFarge[0]->setAccessibleName(QStringLiteral("Fargekart"));
    cmdBakgrunn->setAccessibleName(QStringLiteral("Bakgrunn for kontrasten"));
    platform::SetAccessibleRole(lblProve, QAccessible::Graphic);
    lblProve->setAccessibleName(QString::fromUtf8("Tekstprøve"));
    picHistorikk->setAccessibleName(QStringLiteral("Sist valgte farger"));
}

// Called once the band is up to date: the swatch's value, and the chart's
// selection where the colour moved to another cell.
void frmTintra::DescribeColour() {
    // The name as shown, "≈ tomato" for one only near, said in words.
    QString name = lblNavn->text();
    if (name.startsWith(QString::fromUtf8("≈ "))) {
        name = QString::fromUtf8("nær ") + name.mid(2);
    }
    lblNavn->setAccessibleName(QStringLiteral("Fargenavn: ") + name);
    platform::SetAccessibleValue(
        picValgt, QStringLiteral("RGB: %1. Hex: %2. %3")
                      .arg(lblRGB2->text(), lblHex2->text(), lblNavn->accessibleName()));
    const int32_t last = pic1->BackColor();
    if (const auto t = Notation::RgbText(
            cboRgbFormat->currentIndex(), static_cast<int16_t>(last & 0xFF),
            static_cast<int16_t>((last >> 8) & 0xFF), static_cast<int16_t>((last >> 16) & 0xFF))) {
        platform::SetAccessibleValue(pic1, QStringLiteral("RGB: ") + QString::fromStdString(*t));
    }
    if (const int cell = SelectedCell(); cell != selectedCellShown_) {
        selectedCellShown_ = cell;
        platform::NotifyItemSelected(picFarge[0], cell);
    }
}

QString frmTintra::CellText(int cell) const {
    const uint32_t rgb = chart::Cells()[static_cast<size_t>(cell)].rgb;
    const auto r = static_cast<int16_t>(rgb >> 16);
    const auto g = static_cast<int16_t>((rgb >> 8) & 0xFF);
    const auto b = static_cast<int16_t>(rgb & 0xFF);
    if (const auto t =
            Notation::HexText(cboHexFormat->currentIndex(), Module1::Pack(r, g, b), r, g, b)) {
        return QString::fromStdString(*t);
    }
    return QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper();
}

int frmTintra::SelectedCell() const {
    return chart::CellOf(platform::FromPacked(picValgt->BackColor()).rgb() & 0xFFFFFF);
}

void frmTintra::PressCell(int cell) {
    chartCursor_.Place(cell);
    picFarge_KeyDown(0, Qt::Key_Space, 0);
}
