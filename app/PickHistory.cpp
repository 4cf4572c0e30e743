#include "app/PickHistory.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>

namespace app {

namespace {
QColor FromPacked(int32_t c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}
} // namespace

void PickHistory::Note(int32_t c, bool replaceNewest) {
    if (replaceNewest && !colours_.isEmpty()) {
        colours_.removeFirst();
    }
    colours_.removeAll(c);
    colours_.prepend(c);
    while (colours_.size() > kLength) {
        colours_.removeLast();
    }
}

void PickHistory::Load(const QString& file) {
    colours_.clear();
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return;
    }
    static const QRegularExpression line(QStringLiteral("^#([0-9A-Fa-f]{6})$"));
    while (!f.atEnd() && colours_.size() < kLength) {
        const auto m = line.match(QString::fromLatin1(f.readLine(64)).trimmed());
        if (m.hasMatch()) {
            const uint rgb = m.captured(1).toUInt(nullptr, 16);
            const auto c =
                static_cast<int32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
            if (!colours_.contains(c)) {
                colours_.append(c);
            }
        }
    }
}

bool PickHistory::Save(const QString& file) const {
    if (file.isEmpty() || !QDir().mkpath(QFileInfo(file).absolutePath())) {
        return false;
    }
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return false;
    }
    QTextStream out(&f);
    for (const int32_t c : colours_) {
        out << FromPacked(c).name(QColor::HexRgb).toUpper() << '\n';
    }
    out.flush();
    return f.commit();
}

HistoryRow::HistoryRow(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(QString::fromUtf8("Sist valgte farger, nyeste først"));
}

void HistoryRow::SetColours(const QList<int32_t>& colours) {
    colours_ = colours;
    current_ = std::clamp(current_, 0, std::max(0, Count() - 1));
    update();
}

int32_t HistoryRow::Colour(int index) const {
    return index >= 0 && index < Count() ? colours_[index] : -1;
}

QRect HistoryRow::BoxRect(int index) const {
    return {1 + index * kPitch, (height() - kBox) / 2, kBox, kBox};
}

int HistoryRow::BoxAt(const QPoint& pos) const {
    for (int i = 0; i < Count(); ++i) {
        if (BoxRect(i).adjusted(-1, -1, 1, 1).contains(pos)) {
            return i;
        }
    }
    return -1;
}

QString HistoryRow::ItemName(int item) const {
    return FromPacked(Colour(item)).name(QColor::HexRgb).toUpper();
}

void HistoryRow::PressItem(int item) {
    if (item >= 0 && item < Count()) {
        SetCurrent(item);
        emit Picked(item);
    }
}

void HistoryRow::SetCurrent(int index) {
    current_ = std::clamp(index, 0, std::max(0, Count() - 1));
    update();
    if (hasFocus()) {
        platform::NotifyItemFocus(this, FocusItem());
    }
}

void HistoryRow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    for (int i = 0; i < Count(); ++i) {
        const QRect r = BoxRect(i);
        p.fillRect(r, FromPacked(colours_[i]));
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    if (hasFocus() && Count() > 0) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.drawRect(BoxRect(current_).adjusted(-2, -2, 1, 1));
    }
}

void HistoryRow::mousePressEvent(QMouseEvent* e) {
    const int i = BoxAt(e->position().toPoint());
    if (i < 0) {
        return;
    }
    SetCurrent(i);
    if (e->button() == Qt::LeftButton) {
        emit Picked(i);
    }
}

void HistoryRow::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        SetCurrent(current_ + (e->key() == Qt::Key_Left ? -1 : 1));
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (current_ < Count()) {
            emit Picked(current_);
        }
        return;
    default:
        QWidget::keyPressEvent(e);
    }
}

void HistoryRow::contextMenuEvent(QContextMenuEvent* e) {
    const int i = e->reason() == QContextMenuEvent::Mouse ? BoxAt(e->pos()) : current_;
    if (i < 0 || i >= Count()) {
        return;
    }
    SetCurrent(i);
    const QPoint at =
        e->reason() == QContextMenuEvent::Mouse ? e->globalPos() : mapToGlobal(BoxRect(i).center());
    emit MenuAsked(i, at);
}

TextSample::TextSample(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {}

void TextSample::SetColours(int32_t text, int32_t background) {
    if (text != colour_ || background != background_) {
        colour_ = text;
        background_ = background;
        update();
    }
}

void TextSample::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), FromPacked(background_));
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(FromPacked(colour_));
    p.drawText(rect(), Qt::AlignCenter, text_);
}

} // namespace app
