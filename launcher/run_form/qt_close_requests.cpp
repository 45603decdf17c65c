// Linux close requests: SIGTERM, SIGHUP (the session's end) and SIGINT reach the run form through
// a self-pipe that the Qt event loop watches, so the close handling runs on the user-interface
// thread and never inside the signal handler.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <utility>

#include "close_requests.h"

namespace orveline {

namespace {

// NOTE: a signal handler can reach only process-wide state; this is the pipe's write end.
volatile sig_atomic_t signalPipeWriteEnd = -1;

void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    if (signalPipeWriteEnd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(signalPipeWriteEnd, &byte, 1);
    }
    errno = saved;
}

class SignalCloseRequests : public CloseRequests {
  public:
    explicit SignalCloseRequests(std::function<void()> onClose) : onClose_(std::move(onClose)) {
        if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
        notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            char buffer[16];
            while (::read(pipe_[0], buffer, sizeof buffer) > 0) {
            }
            if (onClose_) onClose_();
        });
        signalPipeWriteEnd = pipe_[1];
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
    }
    ~SignalCloseRequests() override {
        if (pipe_[0] < 0) return;
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        for (const int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
        signalPipeWriteEnd = -1;
        notifier_.reset();
        ::close(pipe_[0]);
        ::close(pipe_[1]);
    }
    SignalCloseRequests(const SignalCloseRequests&) = delete;
    SignalCloseRequests& operator=(const SignalCloseRequests&) = delete;

  private:
    std::function<void()> onClose_;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

std::unique_ptr<CloseRequests> watchCloseRequests(std::function<void()> onClose) {
    return std::make_unique<SignalCloseRequests>(std::move(onClose));
}

}  // namespace orveline
