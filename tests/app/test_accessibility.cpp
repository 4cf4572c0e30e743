// The main window as a screen reader meets it: every control named, the
// chart a table of its cells, and the changes it is told of.
#include "app/frmTintra.h"
#include "tests/Support.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <tuple>

namespace {
QList<std::tuple<QObject*, int, int>> heard; // object, event, child
// What a screen reader says a control is: its label where it has one.
QString Said(QAccessibleInterface* i) {
    const auto labels = i->relations(QAccessible::Label);
    return labels.isEmpty() ? i->text(QAccessible::Name) : labels[0].first->text(QAccessible::Name);
}
bool Told(QObject* object, QAccessible::Event type, int child = -1) {
    return heard.contains(std::tuple<QObject*, int, int>(object, type, child));
}
} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void theWindowReadsAsItShows() {
        QTemporaryDir dir;
        qputenv("HOME", QFile::encodeName(dir.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
        platform::doubles::FakeServices fakes;
        frmTintra w(fakes.Get());
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QAccessible::installUpdateHandler([](QAccessibleEvent* e) {
            heard.append({e->object(), e->type(), e->child()});
        });

        // Every control the keyboard reaches has a name of its own kind.
        QStringList unnamed;
        QMap<QAccessible::Role, QStringList> names;
        const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* i) {
            const QAccessible::State s = i->state();
            if (s.focusable && !s.invisible && i->object()) {
                (Said(i).isEmpty() ? unnamed : names[i->role()])
                    << i->object()->metaObject()->className() + QString(" ") + Said(i);
            }
            for (int c = 0; c < i->childCount() && i->role() != QAccessible::Table; ++c) {
                walk(i->child(c));
            }
        };
        walk(QAccessible::queryAccessibleInterface(&w));
        QCOMPARE(unnamed, QStringList());
        for (const QStringList& kind : names) {
            QVERIFY2(QSet<QString>(kind.begin(), kind.end()).size() == kind.size(),
                     qPrintable(kind.join(" | ")));
        }
        QVERIFY(names[QAccessible::ComboBox].contains("QComboBox Format for RGB"));
        QVERIFY(names[QAccessible::Button].contains("QToolButton Kopier Long-verdien"));
        QCOMPARE(QAccessible::queryAccessibleInterface(w.lblRGB2)->text(QAccessible::Name),
                 "RGB: " + w.lblRGB2->text());

        // Each cell is named by the colour a press on it picks, in the chosen
        // notation, and is then the one selected.
        QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(w.picFarge[0]);
        QCOMPARE(chart->childCount(), 142);
        QCOMPARE(chart->tableInterface()->rowCount(), 15);
        w.cboHexFormat->setCurrentIndex(1);
        for (int c = 0; c < chart->childCount(); ++c) {
            QAccessibleInterface* cell = chart->child(c);
            cell->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            QCOMPARE(cell->text(QAccessible::Name), w.lblHex2->text());
            const auto selected = chart->tableInterface()->selectedCells();
            QVERIFY(selected.size() == 1 &&
                    selected[0]->text(QAccessible::Name) == w.lblHex2->text());
        }

        // The swatch tells of a new colour; the chart's cursor and a copy are
        // heard too.
        QAccessibleInterface* swatch = QAccessible::queryAccessibleInterface(w.picValgt);
        heard.clear();
        w.PickColour(0x0000FF);
        QTest::qWait(0);
        QVERIFY(Told(w.picValgt, QAccessible::DescriptionChanged));
        QCOMPARE(swatch->text(QAccessible::Name), "Gjeldende farge");
        QVERIFY(swatch->text(QAccessible::Description).startsWith("RGB: 255,0,0. Hex: "));
        w.picFarge[0]->setFocus();
        QTest::keyClick(w.picFarge[0], Qt::Key_Left);
        QTest::qWait(0);
        QVERIFY(Told(w.picFarge[0], QAccessible::Focus, chart->indexOfChild(chart->focusChild())));
        w.cmdKopi[2]->click();
        QCOMPARE(
            QAccessible::queryAccessibleInterface(w.cmdKopi[2])->text(QAccessible::Description),
            "Kopiert");
        QAccessible::installUpdateHandler(nullptr);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
