// Pasting a colour: Ctrl+V anywhere in the window, or "Lim inn farge" in a
// display's context menu. Every notation the displays write reads back, and
// so do the web's forms and colour names.
#include "app/frmTintra.h"

#include "colour/ColourText.h"
#include "colour/CssColour.h"
#include "colour/Module1.h"

#include <QAction>
#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QToolTip>

namespace {
// The displays, numbered as the copy buttons number them.
constexpr std::array<ColourText::Display, 4> kDisplays = {
    ColourText::Display::Hex, ColourText::Display::Rgb, ColourText::Display::Long,
    ColourText::Display::HSL};
constexpr int kHintMs = 2000;
constexpr qsizetype kLongestColourText = 200;

// A colour name of the web ("rebeccapurple"), as Qt knows them.
std::optional<int32_t> NamedColour(const QString& text) {
    static const QRegularExpression name(QStringLiteral("^[A-Za-z]+$"));
    if (!name.match(text).hasMatch() || !QColor::isValidColorName(text)) {
        return std::nullopt;
    }
    const QColor c = QColor::fromString(text);
    return Module1::Pack(c.red(), c.green(), c.blue());
}
} // namespace

void frmTintra::BuildPaste() {
    mnuLimInn = new QAction(QStringLiteral("Lim inn farge"), this);
    mnuLimInn->setShortcut(QKeySequence::Paste);
    addAction(mnuLimInn);
    for (QLabel* display : Displays()) {
        display->setContextMenuPolicy(Qt::CustomContextMenu);
    }
}

void frmTintra::lblDisplay_ContextMenu(int Index, const QPoint& pos) {
    QMenu menu(this);
    connect(menu.addAction(QStringLiteral("Lim inn farge")), &QAction::triggered, this,
            [this, Index] { PasteColour(Index); });
    services_.modal->Popup(menu, Displays()[static_cast<std::size_t>(Index)]->mapToGlobal(pos));
}

void frmTintra::PasteColour(int Index) {
    const bool onDisplay = Index >= 0 && Index < 4;
    QWidget* near =
        onDisplay ? static_cast<QWidget*>(Displays()[static_cast<std::size_t>(Index)]) : picValgt;
    if (const auto colour = ReadClipboardColour(Index, near)) {
        PickColour(*colour);
    }
}

std::optional<int32_t> frmTintra::ReadClipboardColour(int Index, QWidget* near) {
    const bool onDisplay = Index >= 0 && Index < 4;
    const QString text = services_.clipboard->Text().trimmed();
    std::optional<int32_t> colour;
    if (text.size() <= kLongestColourText) {
        colour = ColourText::ReadPasted(text.toStdString(),
                                        onDisplay ? kDisplays[static_cast<std::size_t>(Index)]
                                                  : ColourText::Display::None,
                                        cboRgbFormat->currentIndex(), cboHexFormat->currentIndex());
        // Qt reads "transparent" as black.
        if (!colour && !ColourText::NamesNoColour(text.toStdString())) {
            colour = NamedColour(text);
        }
    }
    // A hint beside the display, or the swatch, that goes by itself.
    const QPoint at = near->mapToGlobal(QPoint(0, near->height()));
    if (colour) {
        const auto css = CssColour::Read(text.toStdString());
        if (css && css->clipped && css->colour == *colour) {
            QToolTip::showText(at, QString::fromUtf8("Fargen lå utenfor sRGB og er klippet."), near,
                               {}, kHintMs);
        }
        return colour;
    }
    QString shown = text.left(40).simplified();
    if (shown.size() < text.size()) {
        shown += QChar(0x2026);
    }
    QToolTip::showText(at,
                       text.isEmpty() ? QStringLiteral("Utklippstavlen har ingen tekst.")
                                      : QString::fromUtf8("Ikke en farge: «%1»").arg(shown),
                       near, {}, kHintMs);
    return std::nullopt;
}
