// The tab strip with its three panels, and picking from the colour chart and
// the measurement picture.
#include "app/frmTintra.h"

#include "app/AppStyle.h"

#include "platform/Twips.h"

#include "chart/ChartPicture.h"
#include "favourites/FavouritesUi.h"
#include "measure/Measure.h"
#include "measure/MeasureAccessible.h"
#include "measure/PointMeasure.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

#include <algorithm>
#include <cmath>

using platform::Px;

namespace {
// Narrower tab padding, so the three captions fit the strip's width; the
// access keys show as everywhere else.
class TabStyle : public AppStyle {
public:
    int pixelMetric(PixelMetric m, const QStyleOption* o, const QWidget* w) const override {
        return m == PM_TabBarTabHSpace ? 12 : AppStyle::pixelMetric(m, o, w);
    }
};
} // namespace

void frmTintra::BuildPanels(QWidget* c) {
    Label2 = new QLabel(QString::fromUtf8("Klikk på fargen du vil måle"), c);
    Label2->setGeometry(Px(4845), Px(120), Px(3240), Px(240));

    // The strip holds nothing itself: the panels stand over its page area.
    TabPage = new QFrame(c);
    TabPage->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    TabStrip1 = new QTabBar(c);
    TabStrip1->setDrawBase(false);
    TabStrip1->setExpanding(false);
    TabStrip1->setUsesScrollButtons(false);
    auto* tabStyle = new TabStyle;
    tabStyle->setParent(TabStrip1);
    TabStrip1->setStyle(tabStyle);
    // Alt with the underlined letter selects a tab: P is the button's.
    TabStrip1->addTab(QStringLiteral("Farge&kart"));
    TabStrip1->addTab(QString::fromUtf8("Punkt&mål"));
    TabStrip1->addTab(QStringLiteral("Fa&voritter"));
    const QRect strip(Px(4845), Px(405), Px(3240), Px(3525));
    const int tabsHigh = TabStrip1->sizeHint().height();
    TabStrip1->setGeometry(strip.left(), strip.top(), strip.width(), tabsHigh);
    TabPage->setGeometry(strip.adjusted(0, tabsHigh - 1, 0, 0));

    picFarge[0] = new app::ChartBox(*this, c);
    picFarge[0]->setGeometry(Px(5025), Px(885), Px(2880), Px(2880));
    picFarge[0]->SetPicture(chart::ChartPicture());
    picFarge[1] = new platform::PictureBox(c);
    measure::NameMeasurePicture(picFarge[1]);
    picFarge[1]->setGeometry(Px(8955), Px(165), Px(2880), Px(2880));
    picFarge[1]->SetBackColor(platform::ToPacked(palette().color(QPalette::Window).rgb()));
    picFarge[1]->hide();
    // Tab or a click gives the pictures the keyboard.
    for (platform::PictureBox* pic : picFarge) {
        pic->setFocusPolicy(Qt::StrongFocus);
    }
    picBoksUt = favUi_->picBoksUt();
    picBoksUt->setGeometry(Px(8985), Px(3210), Px(2880), Px(2880));
    picBoksUt->raise(); // over the strip's page, which was made after it
    picBoksUt->hide();

    linX = new platform::LineMarker(Qt::Vertical, picFarge[0]);
    linY = new platform::LineMarker(Qt::Horizontal, picFarge[0]);
    linX->hide();
    linY->hide();

    cmdPunkt = new QPushButton(QString::fromUtf8("&Punktmål"), c);
    cmdPunkt->setGeometry(Px(4830), Px(4050), Px(1140), Px(345));
    cmdPunkt->setToolTip(QString::fromUtf8("Måler et utsnitt fra skjermbildet"));
    cboZoom = new QComboBox(c);
    cboZoom->setGeometry(Px(5955), Px(4065), Px(1140), cmdPunkt->height());
    cboZoom->setToolTip(QString::fromUtf8("Zoomfaktor ved punktmåling"));
    cboZoom->addItems({QStringLiteral("Uten zoom"), QStringLiteral("Zoom x2"),
                       QStringLiteral("Zoom x4"), QStringLiteral("Zoom x8"),
                       QStringLiteral("Zoom x16")});
    cboZoom->setCurrentIndex(-1);
    // Wider where the longest choice needs it, at most to the strip's right
    // edge, so that "Uten zoom" shows whole.
    cboZoom->resize(
        std::clamp(cboZoom->sizeHint().width(), cboZoom->width(), strip.right() + 1 - cboZoom->x()),
        cboZoom->height());

    cmdSpar = new QPushButton(QStringLiteral("Spar"), c);
    cmdSpar->setGeometry(542, 270, 51, 23);
    cmdSpar->setToolTip(QStringLiteral("Legger valgt farge inn i favorittlisten"));
}

void frmTintra::picFarge_MouseDown(int Index, int Button, int /*Shift*/, double X, double Y) {
    if (Button != 1) {
        return;
    }
    platform::PictureBox* pic = picFarge[static_cast<size_t>(Index)];
    const int32_t c = pic->Point(X, Y);
    if (c == -1) {
        return;
    }
    PickColour(c);
    MarkPicture(pic, X, Y);
    // The keyboard goes on from the point picked.
    const int x = static_cast<int>(std::floor(X));
    const int y = static_cast<int>(std::floor(Y));
    if (Index == 1) {
        measureCursor_ = {x, y};
    } else if (const int cell = chart::CellAt(x, y); cell >= 0) {
        chartCursor_.Place(cell);
    }
    ShowKeyCursor(Index);
}

void frmTintra::picFarge_GotFocus(int Index) {
    if (Index == 1) {
        platform::PictureBox* pic = picFarge[1];
        measureCursor_ = linX->Container() == pic && !linX->isHidden()
                             ? QPoint(static_cast<int>(std::floor(linX->Position())),
                                      static_cast<int>(std::floor(linY->Position())))
                             : QPoint(pic->ScaleWidth() / 2, pic->ScaleHeight() / 2);
    } else {
        const QColor c = platform::FromPacked(CurrentColour());
        const int cell = chart::CellOf(c.rgb() & 0xFFFFFF);
        chartCursor_.Place(cell >= 0 ? cell : chart::CentreCell());
    }
    ShowKeyCursor(Index);
}

void frmTintra::picFarge_KeyDown(int Index, int KeyCode, int Shift) {
    const std::optional<QPoint> arrow = platform::ArrowStep(KeyCode);
    if (!arrow) {
        if (KeyCode == Qt::Key_Space || KeyCode == Qt::Key_Return || KeyCode == Qt::Key_Enter) {
            const QPoint at = Index == 1 ? measureCursor_ : chart::CellMiddle(chartCursor_.Cell());
            picFarge_MouseDown(Index, 1, 0, at.x(), at.y());
        }
        return;
    }
    const QPoint step = *arrow;
    if (Index == 1) {
        const int leap = (Shift & 1) ? measure::kCursorLeap : measure::kCursorStep;
        const platform::PictureBox* pic = picFarge[1];
        measureCursor_ = {
            std::clamp(measureCursor_.x() + leap * step.x(), 0, pic->ScaleWidth() - 1),
            std::clamp(measureCursor_.y() + leap * step.y(), 0, pic->ScaleHeight() - 1)};
    } else {
        chartCursor_.Move(step.x() < 0   ? chart::Step::Left
                          : step.x() > 0 ? chart::Step::Right
                          : step.y() < 0 ? chart::Step::Up
                                         : chart::Step::Down);
    }
    ShowKeyCursor(Index);
}

void frmTintra::ShowKeyCursor(int Index) {
    picFarge[static_cast<size_t>(Index)]->SetFocusMark(
        Index == 1 ? platform::RingsAround(QRect(measureCursor_, QSize(1, 1)))
                   : chart::CellOutline(chartCursor_.Cell()));
    // Screen readers follow the cursor from cell to cell; on the focus's
    // arrival, once they have heard of the chart itself.
    if (Index == 0) {
        QTimer::singleShot(0, picFarge[0], [this] {
            if (picFarge[0]->hasFocus()) {
                platform::NotifyItemFocus(picFarge[0], chartCursor_.Cell());
            }
        });
    }
}

void frmTintra::MarkPicture(platform::PictureBox* picture, double x, double y) {
    linX->SetContainer(picture);
    linY->SetContainer(picture);
    linX->SetPosition(x);
    linY->SetPosition(y);
    linX->show();
    linY->show();
}

void frmTintra::MarkMeasurePicture(double x, double y) {
    MarkPicture(picFarge[1], x, y);
}

void frmTintra::cboZoom_Click() {
    measure_->cboZoom_Click(cboZoom->currentIndex());
}

void frmTintra::cmdPunkt_Click() {
    measure_->cmdPunkt_Click();
}

void frmTintra::picFarge_MouseMove(int Index, int Button, int Shift, double X, double Y) {
    // One drag is one pick in the history.
    dragging_ = true;
    picFarge_MouseDown(Index, Button, Shift, X, Y);
    dragging_ = false;
}

void frmTintra::TabStrip1_Click() {
    // The panels not chosen are hidden and the chosen one shown on the
    // chart's place; one already shown is left alone, so a repeated selection
    // (every move of a measurement selects its tab) costs nothing.
    const int n = SelectedTab();
    const QPoint place = picFarge[0]->pos();
    QWidget* panels[3] = {picFarge[0], picFarge[1], picBoksUt};
    for (int i = 0; i < 3; ++i) {
        if (i + 1 != n) {
            panels[i]->hide();
        }
    }
    if (n >= 1 && n <= 3) {
        panels[n - 1]->move(place);
        panels[n - 1]->show();
    }
}

bool frmTintra::SelectTab(int n) {
    if (n < 1 || n > TabStrip1->count()) {
        return false;
    }
    if (TabStrip1->currentIndex() == n - 1) {
        TabStrip1_Click();
    } else {
        TabStrip1->setCurrentIndex(n - 1); // raises TabStrip1_Click
    }
    return true;
}

int frmTintra::SelectedTab() const {
    return TabStrip1->currentIndex() + 1;
}
