#include "app/AppStyle.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

QIcon AppStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                             const QWidget* widget) const {
    if (which != SP_ToolBarHorizontalExtensionButton) {
        return QProxyStyle::standardIcon(which, option, widget);
    }
    // A double chevron pointing right.
    QPixmap chevron(16, 16);
    chevron.fill(Qt::transparent);
    QPainter p(&chevron);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette palette = widget ? widget->palette() : QApplication::palette();
    p.setPen(QPen(palette.color(QPalette::ButtonText), 1.5));
    for (const double left : {4.0, 9.0}) {
        p.drawPolyline(QPolygonF{{left, 4.5}, {left + 3.5, 8.0}, {left, 11.5}});
    }
    return QIcon(chevron);
}
