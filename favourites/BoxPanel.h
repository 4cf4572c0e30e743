#pragma once
// The favourites panel: a 192 x 192 window onto a column of colour boxes, one
// per favourite, with its scroll bar. Box k (from 0) shows list position k + 1.
//
// The boxes are not widgets: the panel keeps only their count and the inner
// panel's height and top, and paints the few boxes in view straight from the
// list. A rebuild therefore costs the same for ten favourites as for a
// hundred thousand.
#include "favourites/FavouritesModel.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>

class QScrollBar;

namespace favourites {

class BoxView;

class BoxPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSide = 192;       // the panel, square
    static constexpr int kInnerWidth = 170; // the inner panel holding the boxes
    static constexpr int kBarLeft = 172;    // the scroll bar vsbFav
    static constexpr int kBarWidth = 18;
    static constexpr int kBarHeight = 190;
    static constexpr int kBoxLeft = 1; // boxes inside the inner panel
    static constexpr int kBoxTop = 1;
    static constexpr int kBoxWidth = 168;
    static constexpr int kBoxHeight = 20;
    static constexpr int kPitch = kBoxHeight - 1; // neighbours share one pixel row
    static constexpr int kTextX = 5;              // text position inside a box
    static constexpr int kTextY = 2;
    static constexpr int32_t kBackColour = 0xE0E0E0;
    // Text of a box is white up to this HSL lightness (0..240), black above.
    static constexpr int kWhiteTextMaxLightness = 70;

    explicit BoxPanel(const FavouritesModel& model, QWidget* parent = nullptr);

    // Rebuilds the boxes from the list and sets the scroll range. The scroll
    // value is kept; the bar clamps it to a smaller range.
    void UpdateColorbox();
    // Removes every box.
    void ClearColorbox();
    // Both move the inner panel to the scroll bar's value.
    void vsbFav_Change();
    void vsbFav_Scroll();
    // Scrolls box `index` into view, whole, and shows the selection again.
    void ShowBox(int index);
    // Tells a screen reader that box `index` is selected, and has the focus
    // where the boxes have it.
    void ReportSelectedBox(int index);

    QScrollBar* vsbFav() const { return vsbFav_; }
    // The visible part of the inner panel: the widget that is painted and
    // takes the mouse, at the panel's top left corner, 170 x 192.
    QWidget* picBoksInn() const;

    int BoxCount() const { return count_; }
    // Height of the inner panel (2 + 19 per box) and its top relative to the
    // panel (minus the scroll value).
    qint64 InnerHeight() const { return innerHeight_; }
    qint64 InnerTop() const { return innerTop_; }

    // The box at a point of picBoksInn (panel coordinates); -1 where none. On
    // the row two boxes share, the later box wins: it lies on top.
    int BoxAt(const QPoint& pos) const;
    // Outline of box `index` in inner-panel coordinates.
    static QRect BoxRect(int index);
    // What box `index` holds; -1, the empty text and an invalid colour for an
    // index without a box.
    int32_t BoxColour(int index) const;
    QString Tag(int index) const;
    QString BoxText(int index) const;
    QString BoxName(int index) const;
    QColor BoxForeColor(int index) const;
    // Screen position of the point (x, y) of box `index`.
    QPoint BoxToGlobal(int index, double x, double y) const;
    // The selected box (list position SelectedPos - 1).
    int SelectedIndex() const { return model_.SelectedPos - 1; }

    // Text and text colour of a box for a colour and a name. A name longer
    // than kShownName characters is cut short with an ellipsis, far past the
    // box's right edge: laying out megabytes of text would freeze.
    static constexpr qsizetype kShownName = 200;
    static QString BoxText(int32_t colour, const QString& name);
    static QColor ForeColorFor(int32_t colour);

signals:
    // Mouse events of the boxes, in pixels of the box. Button and Shift are
    // those of platform::VbButton and platform::VbShift. A release goes to the
    // box that was pressed; a double-click comes after the second release.
    void MouseDown(int Index, int Button, int Shift, double X, double Y);
    void MouseUp(int Index, int Button, int Shift, double X, double Y);
    void DblClick(int Index);
    // Keys while the boxes have the focus (the selected box, list position
    // SelectedPos, then shows a dotted outline), with Qt's key code and Shift
    // as platform::VbShift gives it. The Menu key comes as Qt::Key_Menu, also
    // when the desktop sends it as a request for a context menu.
    void KeyDown(int KeyCode, int Shift);
    void GotFocus();
    // A screen reader's action on box `Index`: what key `KeyCode` does to
    // the selected box (Enter, F2 or Delete).
    void ItemAction(int Index, int KeyCode);

protected:
    void wheelEvent(QWheelEvent* e) override;

private:
    friend class BoxView;
    void MoveInner();

    const FavouritesModel& model_;
    QScrollBar* vsbFav_ = nullptr;
    BoxView* view_ = nullptr;
    int count_ = 0;
    qint64 innerHeight_ = kBoxHeight + 2;
    qint64 innerTop_ = 0;
};

} // namespace favourites
