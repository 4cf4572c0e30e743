#include "app/AppStyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QKeyEvent>
#include <QMenu>
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
// Whether the access keys show, from every key event of the program: Alt
// down shows them; Alt up, another window taking the keyboard, or a menu
// opened with Alt closing hides them again.
class AltWatch : public QObject {
public:
    bool show = false;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const auto* k = static_cast<const QKeyEvent*>(e);
            const bool alt = k->key() == Qt::Key_Alt ? e->type() == QEvent::KeyPress
                                                     : k->modifiers().testFlag(Qt::AltModifier);
            // A menu opened with Alt keeps its underlines until it closes.
            Set(alt || (show && QApplication::activePopupWidget() != nullptr));
            break;
        }
        case QEvent::Hide:
            if (show && qobject_cast<QMenu*>(watched) &&
                !QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier)) {
                Set(QApplication::activePopupWidget() != nullptr &&
                    QApplication::activePopupWidget() != watched);
            }
            break;
        case QEvent::ApplicationDeactivate:
            Set(false);
            break;
        default:
            break;
        }
        return false;
    }

private:
    void Set(bool on) {
        if (on == show) {
            return;
        }
        show = on;
        for (QWidget* w : QApplication::allWidgets()) {
            if (w->isVisible()) {
                w->update();
            }
        }
    }
};

AltWatch& Watch() {
    static auto* watch = [] {
        auto* w = new AltWatch;
        if (QCoreApplication* app = QCoreApplication::instance()) {
            w->setParent(app);
            app->installEventFilter(w);
        }
        return w;
    }();
    return *watch;
}
} // namespace

AppStyle::AppStyle() {
    Watch();
}

int AppStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                        QStyleHintReturn* returnData) const {
    if (hint == SH_UnderlineShortcut) {
        return Watch().show ? 1 : 0;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QIcon AppStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                             const QWidget* widget) const {
    if (which != SP_ToolBarHorizontalExtensionButton) {
        return QProxyStyle::standardIcon(which, option, widget);
    }
    return QIcon(new ChevronEngine(widget ? widget->palette() : QApplication::palette()));
}
