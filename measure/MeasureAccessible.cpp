#include "measure/MeasureAccessible.h"

#include "measure/PointMeasure.h"
#include "measure/frmPunkt.h"
#include "measure/frmZoom.h"
#include "platform/widgets/PictureBox.h"

#include <QAccessibleWidget>

namespace measure {

namespace {

// Where a widget keeps the value it reports.
constexpr char kValue[] = "tintraMeasureValue";

// A widget whose value is the text last reported for it.
class ValueWidget : public QAccessibleWidget {
public:
    ValueWidget(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return widget()->property(kValue).toString();
        }
        const QString text = QAccessibleWidget::text(t);
        return t == QAccessible::Name && text.isEmpty() && dynamic_cast<frmPunkt*>(widget())
                   ? QStringLiteral("Punktmåling")
                   : text;
    }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    auto* w = qobject_cast<QWidget*>(object);
    if (!w) {
        return nullptr;
    }
    if (dynamic_cast<frmPunkt*>(w) || dynamic_cast<frmZoom*>(w)) {
        return new ValueWidget(w, w->isWindow() ? QAccessible::Window : QAccessible::Graphic);
    }
    return w->property(kValue).isValid() ? new ValueWidget(w, QAccessible::Graphic) : nullptr;
}

// Once, after the application's own factories: the last installed answers
// first.
void Install() {
    static const bool installed = (QAccessible::installFactory(&Factory), true);
    (void)installed;
}

} // namespace

QString SpokenPoint(int32_t c, const QPoint& at) {
    if (c == -1) {
        return QStringLiteral("Utenfor skjermbildet, x %1, y %2").arg(at.x()).arg(at.y());
    }
    return QStringLiteral("RGB(%1,%2,%3), x %4, y %5")
        .arg(c & 0xFF)
        .arg((c >> 8) & 0xFF)
        .arg((c >> 16) & 0xFF)
        .arg(at.x())
        .arg(at.y());
}

void ReportValue(QWidget* w, const QString& text) {
    Install();
    if (!w || w->property(kValue).toString() == text) {
        return;
    }
    w->setProperty(kValue, text);
    w->setAccessibleDescription(text);
    QAccessibleValueChangeEvent e(w, text);
    platform::ReportAccessible(e);
}

void NameMeasurePicture(QWidget* picture) {
    Install();
    picture->setAccessibleName(QStringLiteral("Siste måling"));
    picture->setProperty(kValue, QStringLiteral("Ingen måling ennå"));
    // Made already where a screen reader listened as the picture was made:
    // made again, with its value.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(picture);
        made && !dynamic_cast<ValueWidget*>(made)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
}

void ReportCursor(const frmPunkt& punkt) {
    const QPoint at = punkt.Cursor();
    ReportValue(const_cast<frmPunkt*>(&punkt),
                SpokenPoint(punkt.Point(at.x(), at.y()), punkt.OnScreen(at)));
}

QPoint CellOnScreen(const PointMeasure& m, const QPoint& cell) {
    const frmPunkt* punkt = m.Punkt();
    // The block is the one round the cursor, where a press left it.
    const int half = m.lZoomHalf;
    return punkt ? punkt->OnScreen(punkt->Cursor() - QPoint(half, half) + cell) : QPoint();
}

void ReportCell(const PointMeasure& m) {
    frmPunkt* punkt = m.Punkt();
    frmZoom* zoom = m.Zoom();
    if (!punkt || !zoom) {
        return;
    }
    const int half = m.lZoomHalf;
    const QPoint still = punkt->Cursor() - QPoint(half, half) + zoom->Cell();
    const QString text =
        SpokenPoint(punkt->Point(still.x(), still.y()), CellOnScreen(m, zoom->Cell()));
    ReportValue(zoom, text);
    ReportValue(punkt, text);
}

void ReportTaken(PointMeasure& m, int32_t c, const QPoint& at) {
    const QString text = SpokenPoint(c, at);
    if (frmPunkt* punkt = m.Punkt()) {
        ReportValue(punkt, QStringLiteral("Målt farge: ") + text);
    }
    ReportValue(m.host.MeasurePicture(), text);
}

} // namespace measure
