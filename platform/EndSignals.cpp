#include "platform/EndSignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {
constexpr std::array kSignals = {SIGTERM, SIGHUP, SIGINT};
volatile sig_atomic_t writeFd = -1;

extern "C" void OnEndSignal(int signal) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    if (write(writeFd, &byte, 1) < 0) {
        // Full pipe: an earlier signal is still waiting, which is enough.
    }
    errno = saved;
}
} // namespace

EndSignals::EndSignals(std::function<void(int)> ended) : ended_(std::move(ended)) {
    if (pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
        fds_[0] = fds_[1] = -1;
        return;
    }
    writeFd = fds_[1];
    notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &EndSignals::Notifier_Activated);
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : kSignals) {
        // One the program was started to ignore (nohup, a background job)
        // stays ignored.
        struct sigaction old {};
        if (sigaction(s, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) {
            sigaction(s, &action, nullptr);
            handled_ |= 1u << s;
        }
    }
}

EndSignals::~EndSignals() {
    if (fds_[0] < 0) {
        return;
    }
    for (const int s : kSignals) {
        if (handled_ & (1u << s)) {
            std::signal(s, SIG_DFL);
        }
    }
    writeFd = -1;
    close(fds_[0]);
    close(fds_[1]);
}

void EndSignals::Notifier_Activated() {
    unsigned char byte = 0;
    if (read(fds_[0], &byte, 1) == 1 && ended_) {
        ended_(byte);
    }
}

} // namespace platform
