// Frame pacing, written once for every platform: frames come at about 60 a second whatever the
// display does. Where the platform can tie the swap to the display's refresh it asks for
// swapIntervalFor(refresh); the pacer then times the first frames, and only if the swaps turn out
// not to wait (no vsync, a virtual display) does the loop sleep to deadlines 1/60 s apart.
// The pacer only decides about time; what a frame draws never depends on it.
#pragma once

#include <chrono>
#include <cstdint>

namespace orveline {

using PacerClock = std::chrono::steady_clock;

constexpr std::chrono::nanoseconds kFramePeriod{16'666'667};  // 1/60 s

// The swap interval that brings a display of this refresh rate nearest 60 frames a second:
// max(1, round(refresh / 60)). A rate that is unknown (0), not a number or below 50 Hz counts
// as 60.
int swapIntervalFor(double refreshHz);

class FramePacer {
  public:
    // now: the time of the loop's start, on a monotonic clock.
    explicit FramePacer(PacerClock::time_point now);

    // How long the loop may wait (for its events) before the next frame is due; zero when due.
    PacerClock::duration untilNextFrame(PacerClock::time_point now) const;

    // Called after each frame is presented. Sets the next deadline; a loop that fell far behind
    // (a stopped process, a suspended machine) starts the deadlines again from now instead of
    // rushing frames to catch up.
    void frameShown(PacerClock::time_point now);

    // True once frames showed that the swap does not wait for the display.
    bool sleepsToDeadlines() const { return mode_ == Mode::Deadlines; }

  private:
    enum class Mode { Probing, SwapPaced, Deadlines };
    // Frames timed before deciding whether the swap waits for the display.
    static constexpr int kProbeFrames = 8;

    Mode mode_ = Mode::Probing;
    int probeFrames_ = 0;
    PacerClock::time_point probeStart_;
    PacerClock::time_point deadline_;
};

}  // namespace orveline
