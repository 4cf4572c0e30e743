#include "app/AppStyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyleOption>
#include <QWidget>

namespace {
// A double chevron pointing right, drawn when the button first shows: the
// window is built without ever needing it.
class ChevronEngine : public QIconEngine {
public:
    explicit ChevronEngine(const QPalette& palette) : palette_(palette) {}

    void paint(QPainter* p, const QRect& rect, QIcon::Mode /*mode*/,
               QIcon::State /*state*/) override {
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->translate(rect.topLeft());
        p->scale(rect.width() / 16.0, rect.height() / 16.0);
        p->setPen(QPen(palette_.color(QPalette::ButtonText), 1.5));
        for (const double left : {4.0, 9.0}) {
            p->drawPolyline(QPolygonF{{left, 4.5}, {left + 3.5, 8.0}, {left, 11.5}});
        }
        p->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap chevron(size);
        chevron.fill(Qt::transparent);
        {
            QPainter p(&chevron);
            paint(&p, chevron.rect(), mode, state);
        }
        if (mode == QIcon::Disabled) {
            QStyleOption option;
            option.palette = palette_;
            return QApplication::style()->generatedIconPixmap(mode, chevron, &option);
        }
        return chevron;
    }

    QIconEngine* clone() const override { return new ChevronEngine(palette_); }

private:
    QPalette palette_;
};
} // namespace

QIcon AppStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                             const QWidget* widget) const {
    if (which != SP_ToolBarHorizontalExtensionButton) {
        return QProxyStyle::standardIcon(which, option, widget);
    }
    return QIcon(new ChevronEngine(widget ? widget->palette() : QApplication::palette()));
}
