// The idle watcher (`orveline --on-idle [SECONDS]`): starts a full-screen run once the desktop has
// been idle that long, waits for the run to end, and watches again. Portable: the desktop's idle
// source, the clock, the timer and the runs are the platform's (IdleWatcherPlatform); the idle
// sources call in with what they hear.
//
// Two kinds of source: a notifying one (the Wayland idle protocols, mutter's idle monitor) says
// when idleness begins and when the user is back; a polled one (X11's MIT-SCREEN-SAVER) only
// answers how long the desktop has been idle, so the watcher asks again when the time could be up,
// never sooner.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orveline {

constexpr std::int64_t kDefaultIdleSeconds = 600;
// Wayland's idle protocols take the time in milliseconds in 32 bits: a day is well inside.
constexpr std::int64_t kMaxIdleSeconds = 86400;

struct OnIdleCommand {
    std::int64_t seconds = kDefaultIdleSeconds;
    std::string error;  // the command line asks for the watcher but is wrong
};

// "--on-idle [SECONDS]": the watcher's command. Nothing for any other command line.
std::optional<OnIdleCommand> ParseOnIdleCommand(const std::vector<std::string>& arguments);

class IdleWatcherPlatform {
  public:
    virtual ~IdleWatcherPlatform() = default;
    // Whether the desktop holds idleness off right now beyond what its idle source already
    // honours (GNOME's session manager).
    virtual bool idleInhibited() = 0;
    // How long the desktop has been idle (polled sources); negative when it cannot say.
    virtual std::int64_t idleTimeMs() = 0;
    virtual std::int64_t nowMs() = 0;
    // One timer: a later start replaces the earlier one; it calls IdleWatcher::timerFired.
    virtual void startTimer(std::int64_t ms) = 0;
    virtual void stopTimer() = 0;
    // A full-screen run; false when it could not start. Its end calls IdleWatcher::runEnded.
    virtual bool startRun() = 0;
    // A termination request to the run.
    virtual void endRun() = 0;
};

enum class IdleSourceKind { Notifying, Polled };

class IdleWatcher {
  public:
    IdleWatcher(IdleWatcherPlatform& platform, std::int64_t timeoutMs, IdleSourceKind kind);

    void start();
    // From a notifying source.
    void idleBegan();
    void userActive();
    // From the platform.
    void timerFired();
    void runEnded();
    // The watcher's own termination request: ends the run it started.
    void terminate();

    bool runUp() const { return state_ == State::Running; }

  private:
    enum class State { Watching, HeldOff, Running, Ended };

    void startRunUnlessHeldOff();
    void checkIdleTime();

    IdleWatcherPlatform& platform_;
    const std::int64_t timeoutMs_;
    const IdleSourceKind kind_;
    State state_ = State::Watching;
    std::optional<std::int64_t> lastRunStart_;
};

}  // namespace orveline
