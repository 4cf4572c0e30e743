// A long random run of colour changes on the real main window (slider keys and
// wheel, chart clicks, pastes, clicks on favourites), each followed by a check
// that every control and the chart's marker agree with the colour shown.
// TINTRA_SEED and TINTRA_ACTIONS (50000) set it; a failure names both.
#include "app/frmTintra.h"
#include "colour/Module1.h"
#include "colour/Notation.h"
#include "favourites/BoxPanel.h"
#include "favourites/FavouritesUi.h"
#include "tests/Support.h"

#include <QComboBox>
#include <QLabel>
#include <QTabBar>
#include <QTest>

#include <optional>
#include <random>

class RandomSession : public QObject {
    Q_OBJECT
    std::mt19937 rng;
    platform::doubles::FakeServices fakes;
    std::optional<frmTintra> w;
    QString broken; // the first broken promise

    int Rand(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    void Expect(bool ok, const QString& what) { broken = ok || !broken.isEmpty() ? broken : what; }
    template <typename... L> static QString Texts(L*... labels) {
        return QStringList{labels->text()...}.join('|');
    }
    void Click(QWidget* on, QPoint at) {
        support::SendMouse(on, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        support::SendMouse(on, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }
    auto Marker() {
        return std::tuple(!w->linX->isHidden(), w->linX->Position(), w->linY->Position());
    }

    // One change of colour, then the controls checked against it. The chart's
    // marker shows where the chart was last picked, until a favourite is.
    void Step() {
        auto marked = Marker();
        std::optional<int32_t> wanted;
        const int how = Rand(10);
        if (how < 4) { // a slider
            const int i = Rand(4);
            QSlider* s = i < 3 ? static_cast<QSlider*>(w->HScroll1[i]) : w->vsc1;
            s->setFocus();
            how < 3 ? QTest::keyClick(s, Qt::Key(Qt::Key_Left + Rand(6))) // arrows, pages
                    : support::SendWheel(s, QPoint(Rand(s->width()), 5), Rand(2) ? 120 : -120);
        } else if (how < 7) { // the chart
            w->TabStrip1->setCurrentIndex(0);
            platform::PictureBox* chart = w->picFarge[0];
            const QPoint at(Rand(chart->width()), Rand(chart->height())), p = at - chart->Origin();
            Click(chart, at);
            if (chart->Point(p.x(), p.y()) != -1) {
                wanted = chart->Point(p.x(), p.y());
                marked = {true, p.x(), p.y()};
            }
        } else if (how < 8) { // a paste (a Long value)
            wanted = Rand(0x1000000);
            fakes.clipboard.text = QString::number(*wanted);
            w->mnuLimInn_Click();
        } else { // a favourite
            w->TabStrip1->setCurrentIndex(2);
            QWidget* inner = w->picBoksUt->picBoksInn();
            const QPoint at(Rand(inner->width()), Rand(inner->height()));
            const int k = w->picBoksUt->BoxAt(at);
            Click(inner, at);
            if (k >= 0) {
                wanted = w->Favourites().List().colors[k];
                std::get<0>(marked) = false;
                Expect(w->Favourites().SelectedPos == k + 1, "the box clicked is not selected");
            }
        }
        Expect(!wanted || w->picValgt->BackColor() == *wanted, "the colour picked is not shown");
        Expect(Marker() == marked, "the chart's marker is not where the chart was last picked");

        using namespace Module1;
        const int32_t shown = w->picValgt->BackColor();
        const int16_t r = shown & 0xFF, g = (shown >> 8) & 0xFF, b = (shown >> 16) & 0xFF;
        const int16_t l = int16_t(w->vsc1->value());
        // The texts describe the swatch (HSL: the picked hue and saturation at
        // the slider's lightness); it is a shade of those or has that lightness.
        const HSLValue hsl = CurrentHSL;
        const RGBValue shade = HSLToRGB(hsl.H, hsl.S, l);
        const QString texts = Texts(w->lblHex2, w->lblRGB2, w->lblLong2, w->lblHSL2);
        const std::string described =
            Notation::HexText(w->cboHexFormat->currentIndex(), shown, r, g, b).value_or("<none>") +
            "|" + Notation::RgbText(w->cboRgbFormat->currentIndex(), r, g, b).value_or("<none>") +
            "|" + Notation::LongText(shown) + "|" + Notation::HSLText(hsl.H, hsl.S, l);
        Expect(w->HScroll1[0]->value() == r && w->HScroll1[1]->value() == g &&
                   w->HScroll1[2]->value() == b &&
                   Texts(w->lblRval, w->lblGval, w->lblBval, w->lblLight) ==
                       QStringLiteral("%1|%2|%3|%4").arg(r).arg(g).arg(b).arg(l),
               "a slider or its number disagrees with the swatch");
        Expect(texts.toStdString() == described, "the texts do not describe the swatch: " + texts);
        Expect(Pack(shade.R, shade.G, shade.B) == shown || (RGBToHSL(r, g, b) == hsl && hsl.L == l),
               "the swatch is neither the colour picked nor a shade of it");
        Expect(w->lin1->isHidden() == (shown != w->pic1->BackColor()),
               "the marker line disagrees with the swatches");
    }

private slots:
    void session() {
        const uint seed = qEnvironmentVariable("TINTRA_SEED", "20260101").toUInt();
        const int actions = qEnvironmentVariable("TINTRA_ACTIONS", "50000").toInt();
        rng.seed(seed);
        w.emplace(fakes.Get());
        w->Form_Initialize();
        w->Form_Load();
        for (int i = 0; i < 12; ++i) {
            w->Favourites().AddColor(Rand(0x1000000), QStringLiteral("f%1").arg(i));
        }
        w->FavouritesUi().UpdateColorbox();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(&*w));

        for (int step = 1; step <= actions; ++step) {
            Step();
            QVERIFY2(broken.isEmpty(),
                     qPrintable(
                         QStringLiteral("seed %1, action %2: %3").arg(seed).arg(step).arg(broken)));
        }
    }
};

QTEST_MAIN(RandomSession)
#include "test_random_session.moc"