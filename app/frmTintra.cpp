#include "app/frmTintra.h"

#include "platform/Twips.h"

#include "colour/Module1.h"
#include "colour/Notation.h"
#include "favourites/FavouritesUi.h"
#include "measure/PointMeasure.h"
#include "resources/Resources.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

#include <iterator>

#include <algorithm>
#include <string>

#ifndef TINTRA_VERSION_MAJOR
#define TINTRA_VERSION_MAJOR 0
#define TINTRA_VERSION_MINOR 0
#define TINTRA_VERSION_PATCH 0
#endif

namespace {

using platform::Px;

QRect Twips(int left, int top, int width, int height) {
    return {Px(left), Px(top), Px(width), Px(height)};
}

const QColor kDisplayText(0, 0, 192);

QLabel* MakeLabel(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(geometry);
    return l;
}

// Text in a display can be selected with the mouse. Qt selects through a
// text document of the label's own, which costs start-up time for each
// display, so the displays become selectable when the pointer first reaches
// them.
class SelectableOnHover : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        switch (e->type()) {
        case QEvent::Enter:
        case QEvent::MouseButtonPress:
        case QEvent::ContextMenu:
            static_cast<QLabel*>(watched)->setTextInteractionFlags(Qt::TextSelectableByMouse);
            watched->removeEventFilter(this);
            deleteLater();
            break;
        default:
            break;
        }
        return false;
    }
};

QLabel* MakeDisplay(QWidget* parent, const QRect& geometry) {
    auto* l = new QLabel(parent);
    l->setGeometry(geometry);
    l->setFrameStyle(QFrame::Box | QFrame::Plain);
    l->setLineWidth(1);
    l->setAutoFillBackground(true);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, p.color(QPalette::Base));
    p.setColor(QPalette::WindowText, kDisplayText);
    l->setPalette(p);
    l->setIndent(2);
    l->installEventFilter(new SelectableOnHover(l));
    return l;
}

// The width `text` takes in `font`.
int TextWidth(const QFont& font, const QString& text) {
    return QFontMetrics(font).boundingRect(QRect(0, 0, 4000, 4000), Qt::AlignLeft, text).width();
}

// The copy buttons' "copied" mark: a green check mark.
QIcon CheckMark(const QSize& size) {
    QPixmap mark(size);
    mark.fill(Qt::transparent);
    QPainter p(&mark);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / 16.0, size.height() / 16.0);
    p.setPen(QPen(QColor(0, 128, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF{{3.0, 8.5}, {6.5, 12.0}, {13.0, 4.0}});
    return QIcon(mark);
}

} // namespace

frmTintra::frmTintra(const platform::Services& services, QWidget* parent)
    : QMainWindow(parent), services_(services) {
    // Every window starts from the start-of-program colour state.
    Module1::ResetState();
    platform::InstallAccessibility();

    QFont f = font();
    f.setPointSizeF(8.25);
    setFont(f);
    // The icon's PNGs are read once the event loop runs, after the window has
    // been put on screen: reading them is a few milliseconds of start-up.
    QTimer::singleShot(0, this, [this] { setWindowIcon(resources::AppIcon()); });

    fileMenu_ = std::make_unique<favourites::FileMenu>(favModel_, *services_.messageBox,
                                                       *services_.fileDialog, *this);
    measure_ = std::make_unique<measure::PointMeasure>(*this, services_);
    client_ = new QWidget(this);
    setCentralWidget(client_);
    favUi_ = std::make_unique<favourites::FavouritesUi>(favModel_, *this, *services_.messageBox,
                                                        *services_.modal, client_);
    BuildEditor(client_);
    BuildPanels(client_);
    BuildMenus();
    BuildPaste();
    BuildWeb(client_);
    NameForScreenReaders();
    SetTabOrder();
    Connect();
}

frmTintra::~frmTintra() = default;

QString frmTintra::AppTitle() {
    return QStringLiteral("Tintra");
}

QString frmTintra::ExeName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void frmTintra::BuildEditor(QWidget* c) {
    static const char* const names[3] = {"&Rød", "&Grønn", "&Blå"};
    const int tops[3] = {2520, 2880, 3240};
    for (int i = 0; i < 3; ++i) {
        auto* s = new platform::TrackBar(c);
        s->SetRange(0, 255);
        s->SetSteps(1, 5);
        s->setTickPosition(QSlider::TicksBelow);
        s->setTickInterval(16);
        s->setGeometry(Twips(1005, tops[i], 3840, 330));
        HScroll1[i] = s;
        Label1[i] = MakeLabel(c, QString::fromUtf8(names[i]), Twips(60, tops[i] + 30, 555, 240));
        Label1[i]->setBuddy(s);
    }
    lblRval = MakeLabel(c, QStringLiteral("0"), Twips(615, tops[0] + 30, 375, 240));
    lblGval = MakeLabel(c, QStringLiteral("0"), Twips(615, tops[1] + 30, 375, 240));
    lblBval = MakeLabel(c, QStringLiteral("0"), Twips(615, tops[2] + 30, 375, 240));

    // The comparison swatch lies under the current-colour swatch; its colour
    // shows in the strip left of it, where the marker line stands.
    pic1 = new platform::PictureBox(c);
    pic1->setGeometry(Twips(8145, 705, 735, 3210));
    pic1->SetBackColor(Module1::Pack(128, 128, 128));
    lin1 = new platform::LineMarker(Qt::Vertical, pic1);
    lin1->SetLength(Px(3180));
    lin1->SetPosition(Px(330));
    lin1->show();
    picValgt = new platform::PictureBox(c);
    picValgt->setGeometry(Twips(8505, 720, 360, 3180));
    picValgt->SetBackColor(Module1::Pack(128, 128, 128));

    lblRGB = MakeLabel(c, QStringLiteral("RGB"), Twips(1980, 450, 390, 240));
    lblHex = MakeLabel(c, QStringLiteral("Hex"), Twips(1980, 915, 390, 240));
    lblLong = MakeLabel(c, QStringLiteral("Long"), Twips(1980, 1395, 390, 240));
    lblHSL = MakeLabel(c, QStringLiteral("HSL"), Twips(1980, 1875, 390, 240));
    lblRGB2 = MakeDisplay(c, Twips(2385, 450, 1830, 240));
    lblHex2 = MakeDisplay(c, Twips(2385, 915, 1830, 240));
    lblLong2 = MakeDisplay(c, Twips(2385, 1395, 1830, 240));
    lblHSL2 = MakeDisplay(c, Twips(2385, 1875, 1830, 240));

    // Copy buttons, level with the display each copies.
    const QLabel* copied[4] = {lblHex2, lblRGB2, lblLong2, lblHSL2};
    const QIcon copyIcon = resources::CopyIcon();
    for (int i = 0; i < 4; ++i) {
        auto* b = new QToolButton(c);
        b->setText(QStringLiteral("Kopi"));
        b->setIcon(copyIcon);
        b->setIconSize(QSize(16, 16));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b->setToolTip(QStringLiteral("Kopier til utklipstavle"));
        b->setAutoRaise(false);
        const QRect d = copied[i]->geometry();
        b->setGeometry(Px(4230), d.center().y() - Px(300) / 2, Px(450), Px(300));
        cmdKopi[i] = b;
    }

    lblFormat = MakeLabel(c, QStringLiteral("Format"), Twips(180, 150, 1260, 240));
    cboRgbFormat = new QComboBox(c);
    cboRgbFormat->setGeometry(Px(180), Px(420), Px(1260), cboRgbFormat->sizeHint().height());
    cboRgbFormat->setToolTip(QStringLiteral("Velg rgb visningsformat"));
    for (auto e : Notation::RgbFormats) {
        cboRgbFormat->addItem(QString::fromUtf8(e.data(), static_cast<qsizetype>(e.size())));
    }
    cboRgbFormat->setCurrentIndex(-1);
    cboHexFormat = new QComboBox(c);
    cboHexFormat->setGeometry(Px(180), Px(870), Px(1260), cboHexFormat->sizeHint().height());
    cboHexFormat->setToolTip(QStringLiteral("Velg hex visningsformat"));
    for (auto e : Notation::HexFormats) {
        cboHexFormat->addItem(QString::fromUtf8(e.data(), static_cast<qsizetype>(e.size())));
    }
    cboHexFormat->setCurrentIndex(-1);

    // Connectors from the lists towards their rows.
    for (int y : {570, 1020}) {
        auto* line = new QFrame(c);
        line->setFrameStyle(QFrame::HLine | QFrame::Plain);
        line->setGeometry(Px(1485), Px(y), Px(1950) - Px(1485), 1);
    }

    vsc1 = new platform::TrackBar(c);
    vsc1->SetRange(0, 240);
    vsc1->SetSteps(1, 5);
    vsc1->setTickPosition(QSlider::NoTicks);
    vsc1->setValue(121);
    vsc1->setGeometry(Twips(1005, 3600, 3840, 330));
    Label3 = MakeLabel(c, QStringLiteral("&Lys"), Twips(60, 3630, 555, 240));
    Label3->setBuddy(vsc1);
    lblLight = MakeLabel(c, QStringLiteral("0"), Twips(615, 3630, 375, 240));
}

void frmTintra::BuildMenus() {
    mnuFil = menuBar()->addMenu(QStringLiteral("&Fil"));
    mnuFilNy = mnuFil->addAction(QStringLiteral("&Ny"));
    mnuFilNy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuFilApne = mnuFil->addAction(QString::fromUtf8("Å&pne..."));
    mnuFilApne->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFil->addSeparator();
    mnuFilLagre = mnuFil->addAction(QStringLiteral("La&gre"));
    mnuFilLagre->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuFilLagreSom = mnuFil->addAction(QStringLiteral("Lagre  &som..."));
    mnuFil->addSeparator();
    mnuFilImporter = mnuFil->addAction(QStringLiteral("&Importer palett..."));
    mnuFilEksporter = mnuFil->addAction(QStringLiteral("&Eksporter palett..."));
    mnuFil->addSeparator();
    mnuFilAvslutt = mnuFil->addAction(QStringLiteral("&Avslutt"));

    mnuHjelp = menuBar()->addMenu(QStringLiteral("&Om"));
    mnuHjelpD[0] = mnuHjelp->addAction(QStringLiteral("Versjon"));
    mnuHjelpD[1] = mnuHjelp->addAction(QStringLiteral("Laget av Kvidra Software"));
    mnuHjelpD[2] = mnuHjelp->addAction(QString());
    mnuHjelpD[3] = mnuHjelp->addSeparator();
    mnuHjelpD[4] = mnuHjelp->addAction(QStringLiteral("Send &e-post til Kvidra Software"));
    mnuHjelpD[5] = mnuHjelp->addAction(QString::fromUtf8("Gå til Kvidra &Softwares hjemmeside"));
    for (int i = 0; i < 3; ++i) {
        mnuHjelpD[i]->setEnabled(false);
    }
}

// Tab goes through the window as it reads: each format list and the copy
// buttons of its row, the rows below, the sliders, the tab strip and the
// panel it shows, the buttons under the panel, and last the contrast band
// and the history along the bottom.
void frmTintra::SetTabOrder() {
    QWidget* const order[] = {
        cboRgbFormat, cmdKopi[1],                                        // the RGB row
        cboHexFormat, cmdKopi[0],                                        // the hex row
        cmdKopi[2],   cmdKopi[3],                                        // Long, HSL
        HScroll1[0],  HScroll1[1], HScroll1[2], vsc1,                    // the sliders
        TabStrip1,    picFarge[0], picFarge[1], picBoksUt->picBoksInn(), // one shows
        cmdPunkt,     cboZoom,     cmdSpar,                              // under it
        cmdBakgrunn,  picHistorikk};                                     // along the bottom
    for (size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

// Every handler is wired here, once.
void frmTintra::Connect() {
    for (int i = 0; i < 3; ++i) {
        connect(HScroll1[i], &platform::TrackBar::Scroll, this, [this, i] { HScroll1_Scroll(i); });
        connect(HScroll1[i], &platform::TrackBar::Change, this, [this, i] { HScroll1_Change(i); });
    }
    connect(cboHexFormat, &QComboBox::currentIndexChanged, this, &frmTintra::cboHexFormat_Click);
    connect(cboRgbFormat, &QComboBox::currentIndexChanged, this, &frmTintra::cboRgbFormat_Click);
    for (int i = 0; i < 4; ++i) {
        connect(cmdKopi[i], &QToolButton::clicked, this, [this, i] { cmdKopi_Click(i); });
    }
    for (int i = 0; i < 2; ++i) {
        connect(picFarge[i], &platform::PictureBox::MouseDown, this,
                [this, i](int b, int s, double x, double y) { picFarge_MouseDown(i, b, s, x, y); });
        connect(picFarge[i], &platform::PictureBox::MouseMove, this,
                [this, i](int b, int s, double x, double y) { picFarge_MouseMove(i, b, s, x, y); });
        connect(picFarge[i], &platform::PictureBox::GotFocus, this,
                [this, i] { picFarge_GotFocus(i); });
        connect(picFarge[i], &platform::PictureBox::KeyDown, this,
                [this, i](int k, int s) { picFarge_KeyDown(i, k, s); });
    }
    connect(TabStrip1, &QTabBar::currentChanged, this, &frmTintra::TabStrip1_Click);
    connect(cboZoom, &QComboBox::currentIndexChanged, this, &frmTintra::cboZoom_Click);
    connect(cmdPunkt, &QPushButton::clicked, this, &frmTintra::cmdPunkt_Click);
    connect(cmdSpar, &QPushButton::clicked, favUi_.get(), &favourites::FavouritesUi::cmdSpar_Click);
    connect(vsc1, &platform::TrackBar::Scroll, this, &frmTintra::vsc1_Scroll);
    connect(vsc1, &platform::TrackBar::Change, this, &frmTintra::vsc1_Change);

    connect(mnuFilNy, &QAction::triggered, this, &frmTintra::mnuFilNy_Click);
    connect(mnuFilApne, &QAction::triggered, this, &frmTintra::mnuFilApne_Click);
    connect(mnuFilLagre, &QAction::triggered, this, &frmTintra::mnuFilLagre_Click);
    connect(mnuFilLagreSom, &QAction::triggered, this, &frmTintra::mnuFilLagreSom_Click);
    connect(mnuFilImporter, &QAction::triggered, this, &frmTintra::mnuFilImporter_Click);
    connect(mnuFilEksporter, &QAction::triggered, this, &frmTintra::mnuFilEksporter_Click);
    connect(mnuFilAvslutt, &QAction::triggered, this, &frmTintra::mnuFilAvslutt_Click);
    for (int i = 0; i < 6; ++i) {
        connect(mnuHjelpD[i], &QAction::triggered, this, [this, i] { mnuHjelpD_Click(i); });
    }
    connect(mnuLimInn, &QAction::triggered, this, &frmTintra::mnuLimInn_Click);
    for (int i = 0; i < 4; ++i) {
        connect(Displays()[static_cast<std::size_t>(i)], &QWidget::customContextMenuRequested, this,
                [this, i](const QPoint& pos) { lblDisplay_ContextMenu(i, pos); });
    }
}

void frmTintra::Form_Initialize() {
    // Qt's controls need no separate initialisation.
}

void frmTintra::SetOuterSize(int widthTwips, int heightTwips) {
    // The outer size includes the window frame, known only once the window
    // manager has framed the window; until then the frame is taken as none.
    // It is also the smallest the window can be made: smaller, the controls
    // would be cut off.
    const QSize outer(Px(widthTwips), Px(heightTwips));
    setMinimumSize(outer);
    resize(outer);
    QTimer::singleShot(0, this, [this, outer] {
        const QSize frame = frameGeometry().size() - geometry().size();
        if (!frame.isEmpty()) {
            setMinimumSize(outer - frame);
            resize(outer - frame);
        }
    });
}

// A text that does not fit its display in the window's font is drawn
// smaller, a quarter point at a time, until it shows whole; the display
// keeps its size and place, and the texts that fit keep the window's font.
void frmTintra::SetDisplay(QLabel* display, const std::string& text) {
    const QString shown = QString::fromStdString(text);
    const int room = display->contentsRect().width() - display->indent() - 2 * display->margin();
    QFont font = client_->font();
    while (TextWidth(font, shown) > room && font.pointSizeF() > 1) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    if (display->font() != font) {
        display->setFont(font);
    }
    display->setText(shown);
    // Screen readers say the caption with the text: "RGB: 128,128,128".
    for (size_t i = 0; i < 4; ++i) {
        if (Displays()[i] == display) {
            display->setAccessibleName(Captions()[i]->text() + QStringLiteral(": ") + shown);
        }
    }
}

// Makes (R, G, B) current from the sliders and refreshes every display.
void frmTintra::ShowColour(int16_t R, int16_t G, int16_t B) {
    const int32_t packed = Module1::Pack(R, G, B);
    Module1::CurrentHSL = Module1::RGBToHSL(R, G, B);
    if (auto t = Notation::HexText(cboHexFormat->currentIndex(), packed, R, G, B)) {
        SetDisplay(lblHex2, *t);
    }
    if (auto t = Notation::RgbText(cboRgbFormat->currentIndex(), R, G, B)) {
        SetDisplay(lblRGB2, *t);
    }
    picValgt->SetBackColor(packed);
    vsc1->setValue(Module1::CurrentHSL.L);
    SetDisplay(lblLong2, Notation::LongText(packed));
    SetDisplay(lblHSL2, Notation::HSLText(Module1::CurrentHSL));
    HScroll1_Change(0);
    ShowContrast();
    emit ColourShown();
}

// Makes a picked colour current: the displays, the sliders, both swatches and
// the lightness slider.
void frmTintra::PickColour(int32_t c) {
    using namespace Module1;
    if (measuringBackground_) {
        measuringBackground_ = false;
        SetBackground(c);
        return;
    }
    LongToRGB(c);
    CurrentHSL = RGBToHSL(Red, Green, Blue);
    if (auto t = Notation::HexText(cboHexFormat->currentIndex(), c, Red, Green, Blue)) {
        SetDisplay(lblHex2, *t);
    }
    if (auto t = Notation::RgbText(cboRgbFormat->currentIndex(), Red, Green, Blue)) {
        SetDisplay(lblRGB2, *t);
    }
    SetDisplay(lblLong2, Notation::LongText(c));
    SetDisplay(lblHSL2, Notation::HSLText(CurrentHSL));
    HScroll1[0]->setValue(Red);
    HScroll1[1]->setValue(Green);
    HScroll1[2]->setValue(Blue);
    picValgt->SetBackColor(c);
    pic1->SetBackColor(c);
    vsc1->setValue(CurrentHSL.L);
    const RGBValue back = HSLToRGB(CurrentHSL.H, CurrentHSL.S, CurrentHSL.L);
    Red = back.R;
    Green = back.G;
    Blue = back.B;
    // The marker must show exactly while both swatches agree, also when the
    // lightness slider already stood at the picked lightness.
    CompareColors();
    ShowContrast();
    NoteHistory(c);
}

void frmTintra::HScroll1_Scroll(int /*Index*/) {
    ShowColour(static_cast<int16_t>(HScroll1[0]->value()),
               static_cast<int16_t>(HScroll1[1]->value()),
               static_cast<int16_t>(HScroll1[2]->value()));
}

void frmTintra::HScroll1_Change(int /*Index*/) {
    lblRval->setText(QString::number(HScroll1[0]->value()));
    lblGval->setText(QString::number(HScroll1[1]->value()));
    lblBval->setText(QString::number(HScroll1[2]->value()));
    CompareColors();
}

void frmTintra::cboHexFormat_Click() {
    HScroll1_Scroll(0);
}

void frmTintra::cboRgbFormat_Click() {
    HScroll1_Scroll(0);
}

void frmTintra::vsc1_Change() {
    lblLight->setText(QString::number(vsc1->value()));
    CompareColors();
}

// Shows the picked hue and saturation at the slider's lightness, without
// changing the stored colour.
void frmTintra::vsc1_Scroll() {
    const auto l = static_cast<int16_t>(vsc1->value());
    const Module1::HSLValue base = Module1::CurrentHSL;
    const Module1::RGBValue c = Module1::HSLToRGB(base.H, base.S, l);
    const int32_t packed = Module1::Pack(c.R, c.G, c.B);
    picValgt->SetBackColor(packed);
    HScroll1[0]->setValue(c.R);
    HScroll1[1]->setValue(c.G);
    HScroll1[2]->setValue(c.B);
    if (auto t = Notation::HexText(cboHexFormat->currentIndex(), packed, c.R, c.G, c.B)) {
        SetDisplay(lblHex2, *t);
    }
    if (auto t = Notation::RgbText(cboRgbFormat->currentIndex(), c.R, c.G, c.B)) {
        SetDisplay(lblRGB2, *t);
    }
    vsc1_Change();
    SetDisplay(lblLong2, Notation::LongText(packed));
    SetDisplay(lblHSL2, Notation::HSLText(base.H, base.S, l));
    ShowContrast();
}

void frmTintra::CompareColors() {
    lin1->setVisible(picValgt->BackColor() == pic1->BackColor());
}

void frmTintra::cmdKopi_Click(int Index) {
    const QLabel* source[4] = {lblHex2, lblRGB2, lblLong2, lblHSL2};
    if (Index < 0 || Index > 3) {
        return;
    }
    services_.clipboard->Clear();
    services_.clipboard->SetText(source[Index]->text());
    ShowCopied(cmdKopi[static_cast<size_t>(Index)]);
}

void frmTintra::ShowCopied(QToolButton* button) {
    // The button itself says so: a check mark stands in place of its icon for
    // a second. Nothing shows over another control or takes its click, so the
    // next copy, however soon, goes through.
    auto* restore = button->findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
    if (!restore) {
        restore = new QTimer(button);
        restore->setSingleShot(true);
        connect(restore, &QTimer::timeout, button, [button] {
            button->setIcon(resources::CopyIcon());
            button->setAccessibleDescription(QString());
        });
    }
    button->setIcon(CheckMark(button->iconSize()));
    // Screen readers hear it as a change of the button's description.
    button->setAccessibleDescription(QStringLiteral("Kopiert"));
    restore->start(1000);
}

void frmTintra::mnuFilNy_Click() {
    fileMenu_->mnuFilNy_Click();
}

void frmTintra::mnuFilApne_Click() {
    fileMenu_->mnuFilApne_Click();
}

void frmTintra::mnuFilLagre_Click() {
    fileMenu_->mnuFilLagre_Click();
}

void frmTintra::mnuFilLagreSom_Click() {
    fileMenu_->mnuFilLagreSom_Click();
}

// Closing runs the close sequence, which may keep the window open.
void frmTintra::mnuFilAvslutt_Click() {
    close();
}

void frmTintra::SetCaption(const QString& fileName) {
    setWindowTitle(ExeName() + QStringLiteral(" - ") + fileName);
}

void frmTintra::SelectFavouritesTab() {
    SelectTab(3);
}

void frmTintra::UpdateColorbox() {
    favUi_->UpdateColorbox();
}

void frmTintra::ClearColorbox() {
    favUi_->ClearColorbox();
}

void frmTintra::HideChartMarkers() {
    linX->hide();
    linY->hide();
}

void frmTintra::SetMainVisible(bool visible) {
    setVisible(visible);
    if (!visible) {
        return;
    }
    // The keyboard comes back with the window, also when the window manager
    // hands it on only once the capture window has gone.
    raise();
    activateWindow();
    // A measurement of the background ends with the pick that follows at
    // once, or with none (Escape).
    if (measuringBackground_) {
        QTimer::singleShot(0, this, [this] { measuringBackground_ = false; });
    }
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && !isActiveWindow()) {
            raise();
            activateWindow();
        }
    });
}

void frmTintra::SetBusyCursor(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void frmTintra::mnuHjelpD_Click(int Index) {
    switch (Index) {
    case 4:
        SendMail(this, QString::fromLatin1(kMakerMail));
        break;
    case 5:
        services_.shell->Open(QString::fromLatin1(kMakerHome));
        break;
    default:
        break;
    }
}

void frmTintra::SendMail(QWidget* owner, const QString& address) {
    if (!services_.shell->Open(QStringLiteral("mailto:") + address)) {
        services_.messageBox->Show(
            owner, QString::fromUtf8("Det oppstod en feil ved åpning av epost programmet."),
            AppTitle(), platform::MsgButtons::OK, platform::MsgIcon::Exclamation);
    }
}
