#pragma once
// The capture window: a borderless window over the whole desktop showing a
// still copy of it, taken once when the window loads. Its coordinates are
// device pixels of the copy, so window point (x, y) is screen pixel (x, y).
#include "measure/Measure.h"

#include <QImage>
#include <QWidget>

#include <cstdint>

namespace measure {

class PointMeasure;

class frmPunkt : public QWidget {
public:
    frmPunkt(PointMeasure& measure, QWidget* owner);

    void Form_Load();
    // button: 1 left, 2 right, 4 middle (a move passes the buttons held);
    // shift is not used.
    void Form_MouseDown(int button, int shift, double x, double y);
    void Form_MouseMove(int button, int shift, double x, double y);
    void Form_MouseUp(int button, int shift, double x, double y);
    void Form_KeyUp(int keyCode, int shift);

    // Colour of the still at (x, y), or -1 outside it.
    int32_t Point(double x, double y) const { return PointOf(still_, x, y); }
    const QImage& Still() const { return still_; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    QPoint Device(const QPointF& logical) const;

    PointMeasure& m_;
    QImage still_;
};

} // namespace measure
