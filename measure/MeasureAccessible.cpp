#include "measure/MeasureAccessible.h"

#include "measure/PointMeasure.h"
#include "measure/frmPunkt.h"
#include "measure/frmZoom.h"
#include "platform/widgets/Accessible.h"
#include "platform/widgets/PictureBox.h"

namespace measure {

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

void NameMeasurePicture(QWidget* picture) {
    picture->setAccessibleName(QStringLiteral("Siste måling"));
    platform::SetAccessibleValue(picture, QStringLiteral("Ingen måling ennå"));
}

void ReportCursor(const frmPunkt& punkt) {
    const QPoint at = punkt.Cursor();
    platform::SetAccessibleValue(const_cast<frmPunkt*>(&punkt),
                                 SpokenPoint(punkt.Sample(at), punkt.OnScreen(at)));
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
    const QString text = SpokenPoint(punkt->Sample(still), CellOnScreen(m, zoom->Cell()));
    platform::SetAccessibleValue(zoom, text);
    platform::SetAccessibleValue(punkt, text);
}

void ReportTaken(PointMeasure& m, int32_t c, const QPoint& at) {
    const QString text = SpokenPoint(c, at);
    if (frmPunkt* punkt = m.Punkt()) {
        platform::SetAccessibleValue(punkt, QStringLiteral("Målt farge: ") + text);
    }
    if (QWidget* picture = m.host.MeasurePicture()) {
        platform::SetAccessibleValue(picture, text);
    }
}

} // namespace measure
