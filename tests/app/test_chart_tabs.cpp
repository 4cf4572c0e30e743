// The chart and the tab strip in the main window. Drags with any button on
// either picture are the random session's to check.
#include "app/frmTintra.h"
#include "chart/ChartPicture.h"
#include "favourites/BoxPanel.h"
#include "platform/doubles/Doubles.h"

#include <QLabel>
#include <QTabBar>
#include <QTest>

#include <memory>

class ChartTabsTest : public QObject {
    Q_OBJECT
    platform::doubles::FakeServices fakes;
    std::unique_ptr<frmTintra> w;

    // Centre of a chart cell, in widget coordinates of the chart picture.
    static QPoint CellCentre(int row, int index) {
        for (const auto& c : chart::Cells()) {
            if (c.row == row && c.index == index) {
                return {c.x + 7 + 1, c.y + 7 + 1}; // + the one-pixel frame
            }
        }
        return {};
    }
private slots:
    void init() {
        w = std::make_unique<frmTintra>(fakes.Get());
        w->Form_Load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() { w.reset(); }

    // A click picks the chart's own pixel, exactly (FF7C80 is no web colour),
    // and marks it; the marker follows the picture last picked from and shows
    // only with it.
    void clicksPickAndMarkTheChartsOwnPixel() {
        QVERIFY(!w->linX->isVisible());
        const QPoint p = CellCentre(10, 6);
        QTest::mouseClick(w->picFarge[0], Qt::LeftButton, {}, p);
        QCOMPARE(w->lblHex2->text() + " " + w->lblRGB2->text(), QString("807CFF 255,124,128"));
        QVERIFY(w->linX->isVisible() && w->linY->isVisible() &&
                w->linX->parentWidget() == w->picFarge[0]);
        QCOMPARE(QPointF(w->linX->Position(), w->linY->Position()), QPointF(p - QPoint(1, 1)));
        // The strip below the hexagon is ordinary white.
        QTest::mouseClick(w->picFarge[0], Qt::LeftButton, {}, QPoint(95, 161));
        QCOMPARE(w->lblLong2->text(), QString("16777215"));

        QVERIFY(w->SelectTab(2));
        QImage measured(190, 190, QImage::Format_RGB32);
        measured.fill(QColor(1, 2, 3));
        w->picFarge[1]->SetPicture(measured);
        QTest::mouseClick(w->picFarge[1], Qt::LeftButton, {}, QPoint(50, 60));
        QCOMPARE(w->lblLong2->text(), QString::number(1 + 2 * 256 + 3 * 65536));
        QVERIFY(w->linX->parentWidget() == w->picFarge[1] && w->linX->isVisible());
        QVERIFY(w->SelectTab(1));
        QVERIFY(w->picFarge[0]->findChildren<platform::LineMarker*>().isEmpty() &&
                !w->linX->isVisible());
        QVERIFY(w->SelectTab(2));
        QVERIFY(w->linX->isVisible());
    }

    // Each panel stands on the chart's place and takes the pointer there; a
    // tab that does not exist changes nothing. (That only the tab's panel
    // shows is the random session's to check.)
    void tabsShowTheirPanelOnTheChartsPlace() {
        const QPoint place = w->picFarge[0]->pos();
        QWidget* panels[] = {w->picFarge[0], w->picFarge[1], w->picBoksUt};
        for (int tab : {3, 2, 1, 2}) {
            for (int again = 0; again < 2; ++again) {
                // A click on the tab, then the same tab chosen again by code.
                QVERIFY(again ? w->SelectTab(tab) : (w->TabStrip1->setCurrentIndex(tab - 1), true));
                QWidget* hit = w->centralWidget()->childAt(place + QPoint(40, 12));
                QWidget* panel = panels[tab - 1];
                QVERIFY(panel->isVisible() && panel->pos() == place &&
                        panel->size() == QSize(192, 192) &&
                        (hit == panel || panel->isAncestorOf(hit)));
            }
        }
        QVERIFY(!w->SelectTab(0) && !w->SelectTab(4) && w->SelectedTab() == 2 &&
                panels[1]->isVisible());
    }
};

QTEST_MAIN(ChartTabsTest)
#include "test_chart_tabs.moc"
