// The idle watcher's states through a fake idle source, clock, timer and run start.
#include "idle_watcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orveline {
namespace {

constexpr std::int64_t kTimeout = 600000;

class FakeIdlePlatform : public IdleWatcherPlatform {
  public:
    bool idleInhibited() override { return inhibited; }
    std::int64_t idleTimeMs() override { return now - lastInput; }
    std::int64_t nowMs() override { return now; }
    void startTimer(std::int64_t ms) override { timer = ms; }
    void stopTimer() override { timer = -1; }
    bool startRun() override {
        ++runs;
        return startWorks;
    }
    void endRun() override { ++endRequests; }

    bool inhibited = false;
    bool startWorks = true;
    std::int64_t now = 1000000;
    std::int64_t lastInput = 1000000;
    std::int64_t timer = -1;  // the armed timer's delay, -1 when none
    int runs = 0;
    int endRequests = 0;
};

TEST(IdleWatcher, NotifyingSourceStartsOneRunPerIdleSpell) {
    FakeIdlePlatform platform;
    IdleWatcher watcher(platform, kTimeout, IdleSourceKind::Notifying);
    watcher.start();
    EXPECT_EQ(platform.runs, 0);
    watcher.idleBegan();
    EXPECT_EQ(platform.runs, 1);
    EXPECT_TRUE(watcher.runUp());
    watcher.idleBegan();  // a spell that began during the run: the run is still up
    EXPECT_EQ(platform.runs, 1);
    watcher.runEnded();
    EXPECT_FALSE(watcher.runUp());
    EXPECT_EQ(platform.timer, -1) << "a notifying source is never polled";
    watcher.userActive();
    watcher.idleBegan();
    EXPECT_EQ(platform.runs, 2);
    // A run that cannot start waits for the next spell.
    watcher.runEnded();
    platform.startWorks = false;
    watcher.idleBegan();
    EXPECT_FALSE(watcher.runUp());
    EXPECT_EQ(platform.timer, -1);
}

TEST(IdleWatcher, InhibitedIdlenessStartsNoRunUntilReleased) {
    FakeIdlePlatform platform;
    IdleWatcher watcher(platform, kTimeout, IdleSourceKind::Notifying);
    platform.inhibited = true;
    watcher.idleBegan();
    EXPECT_EQ(platform.runs, 0);
    EXPECT_EQ(platform.timer, kTimeout) << "asks again after a whole idle time";
    watcher.timerFired();
    EXPECT_EQ(platform.runs, 0);
    EXPECT_EQ(platform.timer, kTimeout);
    platform.inhibited = false;
    watcher.timerFired();
    EXPECT_EQ(platform.runs, 1);
    // The user back while held off: no run when the timer would have come.
    watcher.runEnded();
    platform.inhibited = true;
    watcher.idleBegan();
    watcher.userActive();
    EXPECT_EQ(platform.timer, -1);
    platform.inhibited = false;
    watcher.timerFired();
    EXPECT_EQ(platform.runs, 1);
}

TEST(IdleWatcher, PolledSourceAsksOnlyWhenTheTimeCouldBeUp) {
    FakeIdlePlatform platform;
    IdleWatcher watcher(platform, kTimeout, IdleSourceKind::Polled);
    platform.now += 100000;  // idle 100 s at the start
    watcher.start();
    EXPECT_EQ(platform.timer, kTimeout - 100000);
    platform.lastInput = platform.now += 250000;  // input meanwhile
    watcher.timerFired();
    EXPECT_EQ(platform.runs, 0);
    EXPECT_EQ(platform.timer, kTimeout);
    platform.now += kTimeout;
    watcher.timerFired();
    EXPECT_EQ(platform.runs, 1);
    EXPECT_TRUE(watcher.runUp());

    // The run ended without input (it could not show): no second run in the same spell, and
    // no faster asking.
    platform.now += 5000;
    watcher.runEnded();
    EXPECT_EQ(platform.runs, 1);
    EXPECT_EQ(platform.timer, kTimeout);
    platform.now += kTimeout;
    watcher.timerFired();
    EXPECT_EQ(platform.runs, 1);

    // A key ended the next run: a new spell, a new run after a whole idle time.
    platform.lastInput = platform.now;
    platform.now += 2000;
    watcher.timerFired();
    EXPECT_EQ(platform.timer, kTimeout - 2000);
    platform.now += kTimeout - 2000;
    watcher.timerFired();
    EXPECT_EQ(platform.runs, 2);

    // A start that fails is not retried within the spell either.
    platform.lastInput = platform.now += 1000;
    watcher.runEnded();
    platform.startWorks = false;
    platform.now += kTimeout;
    watcher.timerFired();
    EXPECT_EQ(platform.runs, 3);
    EXPECT_EQ(platform.timer, kTimeout);
    platform.now += kTimeout;
    watcher.timerFired();
    EXPECT_EQ(platform.runs, 3);
}

TEST(IdleWatcher, TerminationEndsTheRunAndTheWatching) {
    FakeIdlePlatform platform;
    IdleWatcher watcher(platform, kTimeout, IdleSourceKind::Notifying);
    watcher.terminate();
    EXPECT_EQ(platform.endRequests, 0) << "no run, nothing to end";
    IdleWatcher running(platform, kTimeout, IdleSourceKind::Polled);
    platform.now += kTimeout;
    running.start();
    ASSERT_TRUE(running.runUp());
    running.terminate();
    EXPECT_EQ(platform.endRequests, 1);
    running.runEnded();
    running.timerFired();
    running.idleBegan();
    EXPECT_EQ(platform.runs, 1);
    EXPECT_EQ(platform.timer, -1);
}

TEST(IdleWatcher, CommandLine) {
    struct Case {
        std::vector<std::string> arguments;
        bool watcher;
        std::int64_t seconds;  // 0: an error
    };
    const Case cases[] = {
        {{"--on-idle"}, true, 600},
        {{"--on-idle", "3"}, true, 3},
        {{"--on-idle", "86400"}, true, 86400},
        {{"--on-idle", "0"}, true, 0},
        {{"--on-idle", "86401"}, true, 0},
        {{"--on-idle", "-5"}, true, 0},
        {{"--on-idle", "5s"}, true, 0},
        {{"--on-idle", ""}, true, 0},
        {{"--on-idle", "99999999999999999999"}, true, 0},
        {{"--on-idle", "3", "4"}, true, 0},
        {{"/s"}, false, 0},
        {{}, false, 0},
    };
    for (const Case& c : cases) {
        const std::optional<OnIdleCommand> command = ParseOnIdleCommand(c.arguments);
        ASSERT_EQ(command.has_value(), c.watcher) << ::testing::PrintToString(c.arguments);
        if (!command) continue;
        if (c.seconds == 0) {
            EXPECT_NE(command->error.find("usage: orveline --on-idle"), std::string::npos);
        } else {
            EXPECT_EQ(command->error, "") << ::testing::PrintToString(c.arguments);
            EXPECT_EQ(command->seconds, c.seconds);
        }
    }
}

}  // namespace
}  // namespace orveline
