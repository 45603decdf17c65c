// SIGTERM and SIGINT (how screen-saver daemons and the launcher stop the renderer) as readable
// data on a descriptor that the loop polls with its display's, so no work runs in a handler.
// Shared by the renderer's X11 and Wayland loops.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace orveline {

class TerminationSignals {
  public:
    TerminationSignals() {
        sigemptyset(&set_);
        sigaddset(&set_, SIGTERM);
        sigaddset(&set_, SIGINT);
        sigprocmask(SIG_BLOCK, &set_, nullptr);
        fd_ = signalfd(-1, &set_, SFD_NONBLOCK | SFD_CLOEXEC);
    }
    ~TerminationSignals() {
        if (fd_ >= 0) close(fd_);
    }
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    int fd() const { return fd_; }
    bool pending() const {
        if (fd_ < 0) return false;
        pollfd p{fd_, POLLIN, 0};
        return poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0;
    }
    // Reads what came; true when a signal had.
    bool take() {
        signalfd_siginfo info;
        bool any = false;
        while (fd_ >= 0 && read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
            any = true;
        return any;
    }
    void consume() { take(); }

  private:
    sigset_t set_;
    int fd_ = -1;
};

}  // namespace orveline
