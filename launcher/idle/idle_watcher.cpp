// The idle watcher's command line and states; see idle_watcher.h.
#include "idle_watcher.h"

#include <algorithm>

namespace orveline {

std::optional<OnIdleCommand> ParseOnIdleCommand(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments[0] != "--on-idle") return std::nullopt;
    OnIdleCommand command;
    if (arguments.size() == 1) return command;
    const std::string& text = arguments[1];
    const bool digits =
        !text.empty() && text.size() <= 6 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (arguments.size() > 2 || !digits || std::stoll(text) < 1 ||
        std::stoll(text) > kMaxIdleSeconds) {
        command.error = "usage: orveline --on-idle [SECONDS] (a whole number from 1 to " +
                        std::to_string(kMaxIdleSeconds) + ", default " +
                        std::to_string(kDefaultIdleSeconds) + ")";
        return command;
    }
    command.seconds = std::stoll(text);
    return command;
}

IdleWatcher::IdleWatcher(IdleWatcherPlatform& platform, std::int64_t timeoutMs, IdleSourceKind kind)
    : platform_(platform), timeoutMs_(timeoutMs), kind_(kind) {}

void IdleWatcher::start() {
    if (kind_ == IdleSourceKind::Polled) checkIdleTime();
}

void IdleWatcher::idleBegan() {
    if (state_ == State::Watching) startRunUnlessHeldOff();
}

void IdleWatcher::userActive() {
    if (state_ != State::HeldOff) return;
    platform_.stopTimer();
    state_ = State::Watching;
}

void IdleWatcher::timerFired() {
    const bool heldOff = state_ == State::HeldOff;
    if (!heldOff && !(state_ == State::Watching && kind_ == IdleSourceKind::Polled)) return;
    state_ = State::Watching;
    // A polled source is asked again: the user may have come back meanwhile; a notifying one
    // would have said so.
    if (kind_ == IdleSourceKind::Polled) {
        checkIdleTime();
    } else {
        startRunUnlessHeldOff();
    }
}

void IdleWatcher::runEnded() {
    if (state_ != State::Running) return;
    state_ = State::Watching;
    if (kind_ == IdleSourceKind::Polled) checkIdleTime();
}

void IdleWatcher::terminate() {
    platform_.stopTimer();
    if (state_ == State::Running) platform_.endRun();
    state_ = State::Ended;
}

void IdleWatcher::startRunUnlessHeldOff() {
    // Held off: ask again once a whole idle time has passed (or the user is back first).
    if (platform_.idleInhibited()) {
        state_ = State::HeldOff;
        platform_.startTimer(timeoutMs_);
        return;
    }
    lastRunStart_ = platform_.nowMs();
    if (platform_.startRun()) {
        state_ = State::Running;
    } else if (kind_ == IdleSourceKind::Polled) {
        // This idle spell had its try; the next one is a whole idle time away at the earliest.
        platform_.startTimer(timeoutMs_);
    }
}

void IdleWatcher::checkIdleTime() {
    const std::int64_t idle = platform_.idleTimeMs();
    if (idle < 0) {
        platform_.startTimer(timeoutMs_);
        return;
    }
    // An idle spell that began before the last run started has had its run (the run may have
    // ended without input, or failed): only input after that start begins a new one. Half an idle
    // time of slack covers the two clocks' disagreement.
    const std::int64_t lastInput = platform_.nowMs() - idle;
    if (lastRunStart_ && lastInput <= *lastRunStart_ - timeoutMs_ / 2) {
        platform_.startTimer(timeoutMs_);
    } else if (idle >= timeoutMs_) {
        startRunUnlessHeldOff();
    } else {
        platform_.startTimer(timeoutMs_ - idle);
    }
}

}  // namespace orveline
