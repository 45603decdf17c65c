// The idle watcher's process on Linux: one per session (a lock in the run-time folder), the idle
// source the desktop offers, the watcher's states, its runs, and its signals, in one Qt event
// loop that sleeps between events.
#include "qt_idle_main.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "idle_watcher.h"
#include "linux_files.h"
#include "linux_idle_run.h"
#include "qt_session_bus.h"
#include "wayland_idle_source.h"
#include "x11_idle_source.h"

namespace orveline {

namespace {

// The session's display names the lock, so that sessions of one user (sharing one run-time
// folder) each have a watcher.
std::string lockPath() {
    const std::string folder = RuntimeFolder(std::getenv("XDG_RUNTIME_DIR"));
    if (folder.empty()) return folder;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* x = std::getenv("DISPLAY");
    std::string session = wayland && wayland[0] ? wayland : x ? x : "";
    if (!(wayland && wayland[0])) {
        // ":0" and ":0.0" are one session.
        const std::size_t colon = session.rfind(':');
        const std::size_t dot = session.find('.', colon == std::string::npos ? 0 : colon);
        if (colon != std::string::npos && dot != std::string::npos) session.resize(dot);
    }
    for (char& c : session) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (!plain) c = '_';
    }
    return folder + "/orveline-idle-" + session + ".lock";
}

// The termination requests and the runs' ends as data on a descriptor. Blocked before the first
// thread starts, so that every thread inherits the mask and none takes them.
class WatcherSignals {
  public:
    WatcherSignals() {
        sigemptyset(&set_);
        for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGCHLD}) sigaddset(&set_, signal);
        ::sigprocmask(SIG_BLOCK, &set_, nullptr);
        fd_ = ::signalfd(-1, &set_, SFD_NONBLOCK | SFD_CLOEXEC);
    }
    ~WatcherSignals() {
        if (fd_ >= 0) ::close(fd_);
    }
    WatcherSignals(const WatcherSignals&) = delete;
    WatcherSignals& operator=(const WatcherSignals&) = delete;
    int fd() const { return fd_; }
    // Reads what came: whether a termination request did, and whether a child ended.
    void take(bool& terminate, bool& childEnded) {
        signalfd_siginfo info;
        while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            if (info.ssi_signo == SIGCHLD) {
                childEnded = true;
            } else {
                terminate = true;
            }
        }
    }

  private:
    sigset_t set_;
    int fd_ = -1;
};

class LinuxIdlePlatform final : public IdleWatcherPlatform {
  public:
    explicit LinuxIdlePlatform(std::string program) : program_(std::move(program)) {
        timer_.setSingleShot(true);
        // One wake-up either way; a coarse timer could start a run seconds late.
        timer_.setTimerType(Qt::PreciseTimer);
    }
    bool idleInhibited() override { return SessionIdleInhibited(); }
    std::int64_t idleTimeMs() override { return x11 ? x11->idleTimeMs() : -1; }
    std::int64_t nowMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void startTimer(std::int64_t ms) override { timer_.start(static_cast<int>(ms)); }
    void stopTimer() override { timer_.stop(); }
    bool startRun() override {
        if (run.start(program_, {"/s"})) {
            std::printf("orveline: the desktop is idle: a full-screen run starts\n");
            std::fflush(stdout);
            return true;
        }
        std::fprintf(stderr, "orveline: cannot start %s\n", program_.c_str());
        return false;
    }
    void endRun() override { run.terminate(); }

    QTimer& timer() { return timer_; }
    IdleRun run;
    X11IdleSource* x11 = nullptr;

  private:
    std::string program_;
    QTimer timer_;
};

std::string ownFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : self.parent_path().string();
}

// How long the run may take to end on a termination request before it is killed.
constexpr int kRunEndMs = 3000;

}  // namespace

std::optional<int> OnIdle(const std::vector<std::string>& arguments) {
    const std::optional<OnIdleCommand> command = ParseOnIdleCommand(arguments);
    if (!command) return std::nullopt;
    if (!command->error.empty()) {
        std::fprintf(stderr, "orveline: %s\n", command->error.c_str());
        return 1;
    }
    // Where no lock file can be made the watcher runs anyway: one too many beats none.
    FileLock lock(lockPath());
    if (lock.opened() && !lock.take()) {
        std::printf("orveline: an idle watcher already runs for this session\n");
        return 0;
    }
    WatcherSignals termination;
    char name[] = "orveline";
    char* qtArgv[] = {name, nullptr};
    int qtArgc = 1;
    QCoreApplication application(qtArgc, qtArgv);

    const std::int64_t timeoutMs = command->seconds * 1000;
    LinuxIdlePlatform platform(ownFolder() + "/Orveline.scr");
    std::unique_ptr<IdleWatcher> watcher;
    int exitCode = 0;
    const auto end = [&](int code) {
        exitCode = code;
        if (watcher) watcher->terminate();
        platform.run.finish(kRunEndMs);
        QCoreApplication::quit();
    };
    const auto idle = [&watcher] {
        if (watcher) watcher->idleBegan();
    };
    const auto active = [&watcher] {
        if (watcher) watcher->userActive();
    };
    std::unique_ptr<QSocketNotifier> sourceNotifier;
    const auto gone = [&end, &sourceNotifier](const char* what) {
        std::fprintf(stderr, "orveline: %s; the idle watcher ends\n", what);
        if (sourceNotifier) sourceNotifier->setEnabled(false);
        end(1);
    };

    // The desktop's own idle source: Wayland's protocols, else GNOME's idle monitor (GNOME
    // offers no protocol), else X11's extension.
    std::unique_ptr<WaylandIdleSource> wayland;
    std::unique_ptr<MutterIdleSource> mutter;
    std::unique_ptr<X11IdleSource> x11;
    IdleSourceKind kind = IdleSourceKind::Notifying;
    std::string sourceName;
    const char* waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    if (waylandDisplay && waylandDisplay[0] &&
        (wayland =
             WaylandIdleSource::Connect(static_cast<std::uint32_t>(timeoutMs), idle, active))) {
        sourceName = wayland->protocolName();
        sourceNotifier = std::make_unique<QSocketNotifier>(wayland->fd(), QSocketNotifier::Read);
        QObject::connect(sourceNotifier.get(), &QSocketNotifier::activated, [&] {
            if (!wayland->dispatch()) gone("the Wayland display ended");
        });
    } else if ((mutter = MutterIdleSource::Connect(
                    static_cast<std::uint64_t>(timeoutMs), idle, active,
                    [&gone] { gone("the desktop's idle monitor left the session bus"); }))) {
        sourceName = "org.gnome.Mutter.IdleMonitor";
    } else {
        std::string error;
        x11 = X11IdleSource::Connect(error);
        if (!x11) {
            std::fprintf(stderr, "orveline: no idle source: %s\n", error.c_str());
            return 1;
        }
        const char* daemon = x11->xscreensaverRunning() ? "XScreenSaver"
                             : MateScreensaverRunning() ? "The MATE screensaver"
                                                        : nullptr;
        if (daemon) {
            std::printf(
                "orveline: %s runs on this display and starts screen savers itself; choose "
                "Orveline in its settings. No idle watcher is needed.\n",
                daemon);
            return 0;
        }
        kind = IdleSourceKind::Polled;
        sourceName = "MIT-SCREEN-SAVER";
        platform.x11 = x11.get();
        sourceNotifier = std::make_unique<QSocketNotifier>(x11->fd(), QSocketNotifier::Read);
        QObject::connect(sourceNotifier.get(), &QSocketNotifier::activated, [&] {
            if (!x11->dispatch()) gone("the X display ended");
        });
    }

    watcher = std::make_unique<IdleWatcher>(platform, timeoutMs, kind);
    QObject::connect(&platform.timer(), &QTimer::timeout, [&watcher] { watcher->timerFired(); });
    QSocketNotifier signalNotifier(termination.fd(), QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, [&] {
        bool terminate = false;
        bool childEnded = false;
        termination.take(terminate, childEnded);
        if (childEnded && platform.run.reapEnded()) watcher->runEnded();
        if (terminate) end(0);
    });
    std::printf("orveline: watching %s: a full-screen run starts after %lld s without input\n",
                sourceName.c_str(), static_cast<long long>(command->seconds));
    std::fflush(stdout);
    watcher->start();
    QCoreApplication::exec();
    sourceNotifier.reset();
    return exitCode;
}

}  // namespace orveline
