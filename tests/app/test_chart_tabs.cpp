#include "app/frmTintra.h"
#include "chart/ChartPicture.h"
#include "favourites/BoxPanel.h"
#include "platform/doubles/Doubles.h"

#include <QLabel>
#include <QTabBar>
#include <QTest>

#include <memory>

using platform::doubles::FakeServices;

namespace {
// Centre of a chart cell, in widget coordinates of the chart picture.
QPoint CellCentre(int row, int index) {
    for (const auto& c : chart::Cells()) {
        if (c.row == row && c.index == index) {
            return {c.x + 7 + 1, c.y + 7 + 1}; // + the one-pixel frame
        }
    }
    return {};
}

void Drag(QWidget* w, QPoint to) {
    QMouseEvent move(QEvent::MouseMove, QPointF(to), w->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}
} // namespace

class ChartTabsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<FakeServices> fakes;
    std::unique_ptr<frmTintra> w;

    QList<QWidget*> VisiblePanels() const {
        QList<QWidget*> shown;
        for (QWidget* p :
             {static_cast<QWidget*>(w->picFarge[0]), static_cast<QWidget*>(w->picFarge[1]),
              static_cast<QWidget*>(w->picBoksUt)}) {
            if (p->isVisible()) {
                shown << p;
            }
        }
        return shown;
    }

private slots:
    void init() {
        fakes = std::make_unique<FakeServices>();
        w = std::make_unique<frmTintra>(fakes->Get());
        w->Form_Load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() { w.reset(); }

    void leftClickPicksTheChartsOwnPixel() {
        auto* chart = w->picFarge[0];
        QVERIFY(!w->linX->isVisible());
        const QPoint p = CellCentre(10, 6);
        QTest::mouseClick(chart, Qt::LeftButton, Qt::NoModifier, p);
        QCOMPARE(w->lblHex2->text(), QString("807CFF")); // FF7C80, exactly
        QCOMPARE(w->lblRGB2->text(), QString("255,124,128"));
        QVERIFY(w->linX->isVisible() && w->linY->isVisible());
        QCOMPARE(w->linX->parentWidget(), chart);
        QCOMPARE(w->linX->Position(), double(p.x() - 1));
        QCOMPARE(w->linY->Position(), double(p.y() - 1));

        // The background and the strip below the hexagon are ordinary white.
        QTest::mouseClick(chart, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QCOMPARE(w->lblLong2->text(), QString("16777215"));
        w->PickColour(0);
        QTest::mouseClick(chart, Qt::LeftButton, Qt::NoModifier, QPoint(95, 161));
        QCOMPARE(w->lblLong2->text(), QString("16777215"));

        // Right and middle buttons change nothing, marker included.
        const double markerX = w->linX->Position();
        QTest::mouseClick(chart, Qt::RightButton, Qt::NoModifier, CellCentre(1, 0));
        QTest::mouseClick(chart, Qt::MiddleButton, Qt::NoModifier, CellCentre(1, 0));
        QCOMPARE(w->lblLong2->text(), QString("16777215"));
        QCOMPARE(w->linX->Position(), markerX);
    }

    void dragPicksAtEveryMoveAndKeepsTheLastInside() {
        auto* chart = w->picFarge[0];
        QTest::mousePress(chart, Qt::LeftButton, Qt::NoModifier, CellCentre(1, 0));
        QCOMPARE(w->lblHex2->text(), QString("663300")); // 003366
        Drag(chart, CellCentre(13, 6));
        QCOMPARE(w->lblHex2->text(), QString("2100A5")); // A50021
        QCOMPARE(w->linY->Position(), double(CellCentre(13, 6).y() - 1));
        Drag(chart, QPoint(-20, 300));
        QTest::mouseRelease(chart, Qt::LeftButton, Qt::NoModifier, QPoint(-20, 300));
        QCOMPARE(w->lblHex2->text(), QString("2100A5"));
        QCOMPARE(w->linY->Position(), double(CellCentre(13, 6).y() - 1));
    }

    void markerFollowsThePictureLastPickedFrom() {
        QTest::mouseClick(w->picFarge[0], Qt::LeftButton, Qt::NoModifier, CellCentre(7, 0));
        QVERIFY(w->SelectTab(2));
        QImage measured(190, 190, QImage::Format_RGB32);
        measured.fill(QColor(1, 2, 3));
        w->picFarge[1]->SetPicture(measured);
        QTest::mouseClick(w->picFarge[1], Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
        QCOMPARE(w->lblLong2->text(), QString::number(1 + 2 * 256 + 3 * 65536));
        QCOMPARE(w->linX->parentWidget(), w->picFarge[1]);
        QVERIFY(w->linX->isVisible());
        // Back on the chart: no marker there; it reappears with its picture.
        QVERIFY(w->SelectTab(1));
        QVERIFY(w->picFarge[0]->findChildren<platform::LineMarker*>().isEmpty());
        QVERIFY(!w->linX->isVisible());
        QVERIFY(w->SelectTab(2));
        QVERIFY(w->linX->isVisible());
    }

    void tabStripShowsExactlyOnePanelOnTheChartsPlace() {
        const QPoint place = w->picFarge[0]->pos();
        QCOMPARE(w->SelectedTab(), 1);
        QCOMPARE(VisiblePanels(), QList<QWidget*>{w->picFarge[0]});
        QCOMPARE(w->TabStrip1->tabText(1), QString("Punktmål"));

        w->TabStrip1->setCurrentIndex(2); // as a user's click does
        QCOMPARE(VisiblePanels(), QList<QWidget*>{static_cast<QWidget*>(w->picBoksUt)});
        QCOMPARE(w->picBoksUt->pos(), place);
        QVERIFY(w->SelectTab(3)); // already selected: the same panel stays
        QCOMPARE(VisiblePanels(), QList<QWidget*>{static_cast<QWidget*>(w->picBoksUt)});
        QVERIFY(w->SelectTab(2));
        QCOMPARE(VisiblePanels(), QList<QWidget*>{w->picFarge[1]});
        QCOMPARE(w->picFarge[1]->pos(), place);
        QCOMPARE(w->picFarge[1]->size(), QSize(192, 192));

        // Each panel takes the pointer where it stands, nothing lies over it.
        for (int tab = 1; tab <= 3; ++tab) {
            QVERIFY(w->SelectTab(tab));
            QWidget* panel = VisiblePanels().value(0);
            QWidget* hit = w->centralWidget()->childAt(place + QPoint(40, 12));
            QVERIFY(hit == panel || panel->isAncestorOf(hit));
        }
        QVERIFY(w->SelectTab(2));

        QVERIFY(!w->SelectTab(0));
        QVERIFY(!w->SelectTab(4));
        QCOMPARE(VisiblePanels(), QList<QWidget*>{w->picFarge[1]});
        QVERIFY(w->SelectTab(1));
        QCOMPARE(VisiblePanels(), QList<QWidget*>{w->picFarge[0]});
    }
};

QTEST_MAIN(ChartTabsTest)
#include "test_chart_tabs.moc"
