#pragma once
// The small note shown while the desktop asks the user whether Tintra may
// copy the screen: the measurement waits for that answer, and "Avbryt"
// calls it off.
#include <QWidget>

#include <functional>

class QPushButton;

namespace platform {

class WaitNote : public QWidget {
    Q_OBJECT
public:
    // `cancel` runs once, on "Avbryt" or when the note is closed.
    explicit WaitNote(std::function<void()> cancel);

    QPushButton* Avbryt() const { return avbryt_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void cmdAvbryt_Click();

    std::function<void()> cancel_;
    QPushButton* avbryt_;
};

} // namespace platform
