#pragma once
// A horizontal track-bar slider with two notifications:
//  - Scroll: only for the user's own moves (drag, track click, keys, wheel),
//    raised once the value already holds the new position;
//  - Change: for every change of value, also one made by code.
// Setting the value from code never raises Scroll, which is what keeps the
// full refreshes from re-entering each other.
#include <QSlider>

namespace platform {

class TrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TrackBar(QWidget* parent = nullptr);

    // VB-style names for the properties the program uses.
    void SetRange(int min, int max) { setRange(min, max); }
    void SetSteps(int small, int large);

signals:
    void Scroll();
    void Change();

private:
    void OnAction(int action);
    void OnValueChanged(int value);

    bool userMove_ = false;
};

} // namespace platform
