#pragma once
// The signals that end a program by default (SIGTERM, SIGHUP, SIGINT) end it
// through the event loop instead: the handler only writes the signal's
// number into a pipe, and `ended` runs from the loop, between two events.
#include <QObject>

#include <functional>

class QSocketNotifier;

namespace platform {

class EndSignals : public QObject {
public:
    explicit EndSignals(std::function<void(int signal)> ended);
    // The signals end the program again as by default.
    ~EndSignals() override;
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

private:
    void Notifier_Activated();

    std::function<void(int)> ended_;
    QSocketNotifier* notifier_ = nullptr;
    int fds_[2] = {-1, -1};
    unsigned handled_ = 0; // bit s: signal s is handled here
};

} // namespace platform
