#include "platform/widgets/TrackBar.h"

namespace platform {

TrackBar::TrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // actionTriggered comes for user actions only, while value() still holds the
    // old position and sliderPosition() the new one; valueChanged follows.
    connect(this, &QAbstractSlider::actionTriggered, this, &TrackBar::OnAction);
    connect(this, &QAbstractSlider::valueChanged, this, &TrackBar::OnValueChanged);
}

void TrackBar::SetSteps(int small, int large) {
    setSingleStep(small);
    setPageStep(large);
}

void TrackBar::OnAction(int /*action*/) {
    // Only a move that will change the value is a scroll; an action at the end
    // of the range changes nothing and must not leave the flag set for a later
    // change made by code.
    userMove_ = sliderPosition() != value();
}

void TrackBar::OnValueChanged(int /*value*/) {
    const bool user = userMove_;
    userMove_ = false;
    emit Change();
    if (user) {
        emit Scroll();
    }
}

} // namespace platform
