// For web and accessibility work: the contrast band under the lightness
// slider, the nearest colour name and the pick history.
#include "app/frmTintra.h"

#include "app/CommandLine.h"

#include "colour/Contrast.h"
#include "colour/CssNames.h"
#include "colour/Notation.h"
#include "favourites/FavouritesUi.h"
#include "platform/Twips.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QToolButton>

namespace {
using platform::Px;

QString Mark(bool pass) {
    return pass ? QString::fromUtf8("✓") : QString::fromUtf8("✗");
}

QString PassMarks(const Contrast::Passes& pass) {
    return QString::fromUtf8("AA %1  AAA %2  Stor: AA %3  AAA %4  Grafikk %5")
        .arg(Mark(pass.aaNormal), Mark(pass.aaaNormal), Mark(pass.aaLarge), Mark(pass.aaaLarge),
             Mark(pass.nonText));
}

QIcon Swatch(int32_t c, const QSize& size) {
    QPixmap p(size);
    p.fill(platform::FromPacked(c));
    QPainter painter(&p);
    painter.setPen(Qt::darkGray);
    painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
    return QIcon(p);
}

// Saves the history a moment after the last pick, so that a run of picks
// writes the file once.
constexpr int kHistorySaveMs = 1000;
} // namespace

void frmTintra::BuildWeb(QWidget* c) {
    // The current colour's name, under its texts.
    lblNavn = new QLabel(c);
    lblNavn->setGeometry(Px(2385), Px(2160), Px(1830), Px(240));
    lblNavn->setToolTip(QStringLiteral("Nærmeste CSS-fargenavn"));
    lblNavn->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // Under the lightness slider: the background, a sample of text, the
    // ratio and the limits it meets.
    const int top = Px(3960);
    cmdBakgrunn = new QToolButton(c);
    cmdBakgrunn->setGeometry(Px(60), top, 20, 20);
    cmdBakgrunn->setIconSize(QSize(14, 14));
    cmdBakgrunn->setToolTip(QStringLiteral("Bakgrunn for kontrasten"));
    cmdBakgrunn->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(cmdBakgrunn);
    const char* const texts[4] = {"Bruk &gjeldende farge", "&Mål bakgrunn", "&Lim inn bakgrunn",
                                  "&Bytt farge og bakgrunn"};
    for (int i = 0; i < 4; ++i) {
        mnuBakgrunnD[static_cast<size_t>(i)] = menu->addAction(QString::fromUtf8(texts[i]));
    }
    cmdBakgrunn->setMenu(menu);

    lblProve = new app::TextSample(QStringLiteral("Tekst"), c);
    lblProve->setGeometry(Px(60) + 24, top, 46, 20);
    lblProve->setToolTip(QStringLiteral("Tekst i gjeldende farge på bakgrunnen"));
    lblKontrast = new QLabel(c);
    lblKontrast->setGeometry(lblProve->geometry().right() + 5, top, 48, 20);
    lblKontrast->setToolTip(QStringLiteral("Kontrastforhold (WCAG 2)"));
    lblKrav = new QLabel(c);
    lblKrav->setIndent(0);
    const int kravLeft = lblKontrast->geometry().right() + 2;
    lblKrav->setGeometry(kravLeft, top, Px(4845) - 4 - kravLeft, 20);
    // Its font is fitted once, to the widest the marks make it.
    SetDisplay(lblKrav, PassMarks({false, false, false, false, false}).toStdString());
    const QFont failing = lblKrav->font();
    SetDisplay(lblKrav, PassMarks({true, true, true, true, true}).toStdString());
    if (failing.pointSizeF() < lblKrav->font().pointSizeF()) {
        lblKrav->setFont(failing);
    }

    picHistorikk = new app::HistoryRow(c);
    picHistorikk->setGeometry(Px(60), top + 22,
                              app::PickHistory::kLength * app::HistoryRow::kPitch + 2, 16);

    historySave_ = new QTimer(this);
    historySave_->setSingleShot(true);
    historySave_->setInterval(kHistorySaveMs);
    connect(historySave_, &QTimer::timeout, this, &frmTintra::SaveHistory);
    contrastRefresh_ = new QTimer(this);
    contrastRefresh_->setSingleShot(true);
    contrastRefresh_->setInterval(0);
    connect(contrastRefresh_, &QTimer::timeout, this, &frmTintra::ShowContrastNow);
    for (int i = 0; i < 4; ++i) {
        connect(mnuBakgrunnD[static_cast<size_t>(i)], &QAction::triggered, this,
                [this, i] { mnuBakgrunn_Click(i); });
    }
    connect(picHistorikk, &app::HistoryRow::Picked, this, &frmTintra::picHistorikk_Pick);
    connect(picHistorikk, &app::HistoryRow::MenuAsked, this, &frmTintra::picHistorikk_ContextMenu);

    // Each notation says which order it writes the bytes in.
    for (int i = 0; i < cboRgbFormat->count(); ++i) {
        const auto t = Notation::ByteOrderText(Notation::RgbByteOrder(i));
        cboRgbFormat->setItemData(i, QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size())),
                                  Qt::ToolTipRole);
    }
    for (int i = 0; i < cboHexFormat->count(); ++i) {
        const auto t = Notation::ByteOrderText(Notation::HexByteOrder(i));
        cboHexFormat->setItemData(i, QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size())),
                                  Qt::ToolTipRole);
    }
    SetBackground(background_);
}

void frmTintra::ShowContrast() {
    // Runs in every refresh, so on every step of a slider drag: the band
    // follows once the events queued meanwhile have been handled.
    if (!contrastRefresh_->isActive()) {
        contrastRefresh_->start();
    }
}

void frmTintra::ShowContrastNow() {
    contrastRefresh_->stop();
    if (historyChanged_) {
        historyChanged_ = false;
        picHistorikk->SetColours(history_.Colours());
        historySave_->start();
    }
    const int32_t fg = picValgt->BackColor();
    if (contrastShown_ == std::pair(fg, background_)) {
        DescribeColour(); // a notation may have changed
        return;
    }
    contrastShown_ = std::pair(fg, background_);
    const double ratio = Contrast::Ratio(fg, background_);
    const Contrast::Passes pass = Contrast::Judge(ratio);
    lblKontrast->setText(QString::fromStdString(Contrast::RatioText(ratio)) + QStringLiteral(":1"));
    lblKontrast->setAccessibleName(QStringLiteral("Kontrastforhold ") + lblKontrast->text());
    const int passes = pass.aaNormal | pass.aaaNormal << 1 | pass.aaLarge << 2 |
                       pass.aaaLarge << 3 | pass.nonText << 4;
    if (passesShown_ != passes) {
        passesShown_ = passes;
        lblKrav->setText(PassMarks(pass));
        lblKrav->setToolTip(app::ContrastPassList(ratio));
        lblKrav->setAccessibleName(
            app::ContrastPassList(ratio).replace(QLatin1Char('\n'), QStringLiteral("; ")));
    }
    lblProve->SetColours(fg, background_);
    lblNavn->setText(QString::fromStdString(CssNames::NearestText(fg)));
    DescribeColour();
}

void frmTintra::SetBackground(int32_t c) {
    if (c < 0 || c > 0xFFFFFF) {
        return;
    }
    background_ = c;
    cmdBakgrunn->setIcon(Swatch(background_, cmdBakgrunn->iconSize()));
    cmdBakgrunn->setAccessibleDescription(
        platform::FromPacked(background_).name(QColor::HexRgb).toUpper());
    ShowContrastNow();
}

void frmTintra::mnuBakgrunn_Click(int Index) {
    switch (Index) {
    case 0:
        SetBackground(picValgt->BackColor());
        break;
    case 1:
        measuringBackground_ = true;
        cmdPunkt_Click();
        break;
    case 2:
        if (const auto c = ReadClipboardColour(-1, cmdBakgrunn)) {
            SetBackground(*c);
        }
        break;
    case 3: {
        const int32_t was = background_;
        SetBackground(picValgt->BackColor());
        PickColour(was);
        break;
    }
    default:
        break;
    }
}

void frmTintra::NoteHistory(int32_t c) {
    history_.Note(c, dragging_);
    historyChanged_ = true;
    ShowContrast();
}

void frmTintra::SaveHistory() {
    historySave_->stop();
    if (!historyFile_.isEmpty()) {
        history_.Save(historyFile_);
    }
}

void frmTintra::picHistorikk_Pick(int Index) {
    if (const int32_t c = picHistorikk->Colour(Index); c != -1) {
        PickColour(c);
    }
}

void frmTintra::picHistorikk_ContextMenu(int Index, const QPoint& global) {
    const int32_t c = picHistorikk->Colour(Index);
    if (c == -1) {
        return;
    }
    QMenu menu(this);
    connect(menu.addAction(QStringLiteral("Spar")), &QAction::triggered, this, [this, c] {
        PickColour(c);
        favUi_->cmdSpar_Click();
    });
    connect(menu.addAction(QStringLiteral("Bruk som bakgrunn")), &QAction::triggered, this,
            [this, c] { SetBackground(c); });
    services_.modal->Popup(menu, global);
}
