#pragma once
// The colours picked last, newest first and each once, kept in a small text
// file of the data folder ("#RRGGBB" a line), and the row of boxes that
// shows them; and the contrast band's text sample.
#include "platform/widgets/Accessible.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <cstdint>

namespace app {

class PickHistory {
public:
    static constexpr int kLength = 20;

    // c (red + 256 * green + 65536 * blue) becomes the newest; an earlier
    // place of it goes. With replaceNewest the newest gives way to it (the
    // steps of one drag over the chart count once).
    void Note(int32_t c, bool replaceNewest = false);
    const QList<int32_t>& Colours() const { return colours_; }
    // Lines that are no "#RRGGBB" are passed over; a missing file is an
    // empty history.
    void Load(const QString& file);
    // Written whole or not at all; false when it could not be.
    bool Save(const QString& file) const;

private:
    QList<int32_t> colours_;
};

// One small box per colour, newest first. The arrows move between them,
// Enter and Space pick, the menu key and Shift+F10 ask for the menu. To
// screen readers a list of the colours.
class HistoryRow : public QWidget, public platform::AccessibleItems {
    Q_OBJECT
public:
    static constexpr int kBox = 12;
    static constexpr int kPitch = 15;
    explicit HistoryRow(QWidget* parent = nullptr);
    void SetColours(const QList<int32_t>& colours);
    int32_t Colour(int index) const;
    int Count() const { return static_cast<int>(colours_.size()); }
    // The box at pos (in the row), or -1.
    int BoxAt(const QPoint& pos) const;
    QRect BoxRect(int index) const;

    int ItemCount() const override { return Count(); }
    QString ItemName(int item) const override;
    QRect ItemRect(int item) const override { return BoxRect(item); }
    int FocusItem() const override { return Count() > 0 ? current_ : -1; }
    void PressItem(int item) override;

signals:
    void Picked(int index);
    void MenuAsked(int index, const QPoint& global);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    // Moves the keyboard to box `index`.
    void SetCurrent(int index);

    QList<int32_t> colours_;
    int current_ = 0;
};

// A word of text in one colour on another, framed: the contrast's sample.
class TextSample : public QWidget {
public:
    explicit TextSample(const QString& text, QWidget* parent = nullptr);
    // Colours as red + 256 * green + 65536 * blue.
    void SetColours(int32_t text, int32_t background);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QString text_;
    int32_t colour_ = 0;
    int32_t background_ = 0xFFFFFF;
};

} // namespace app
