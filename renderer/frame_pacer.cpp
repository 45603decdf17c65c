#include "frame_pacer.h"

#include <cmath>

namespace orveline {

int swapIntervalFor(double refreshHz) {
    if (!(refreshHz >= 50.0)) refreshHz = 60.0;  // also catches NaN
    const double interval = std::round(refreshHz / 60.0);
    if (interval > 64.0) return 64;  // a reported rate far beyond any display
    return interval < 1.0 ? 1 : static_cast<int>(interval);
}

FramePacer::FramePacer(PacerClock::time_point now) : probeStart_(now), deadline_(now) {}

PacerClock::duration FramePacer::untilNextFrame(PacerClock::time_point now) const {
    if (mode_ != Mode::Deadlines || now >= deadline_) return PacerClock::duration::zero();
    return deadline_ - now;
}

void FramePacer::frameShown(PacerClock::time_point now) {
    if (mode_ == Mode::Deadlines) {
        deadline_ += kFramePeriod;
        // Behind by more than two frames: a stall, not a slow frame. Start again from now.
        if (now - deadline_ > kFramePeriod * 2) deadline_ = now + kFramePeriod;
        return;
    }
    // Probing, and while the swap paces, watching that it still does (a compositor may stop
    // throttling a window): time each run of frames. The first frame may carry the set-up's cost.
    if (mode_ == Mode::Probing && probeFrames_ == 0) {
        probeFrames_ = 1;
        probeStart_ = now;
        return;
    }
    if (++probeFrames_ <= kProbeFrames + 1) return;
    // A swap that waits for a 60 Hz display (or a faster one with a matching interval) gives
    // frames about a period apart; far shorter ones mean nothing waits.
    if ((now - probeStart_) / kProbeFrames >= kFramePeriod * 3 / 4) {
        mode_ = Mode::SwapPaced;
        probeFrames_ = 1;
        probeStart_ = now;
    } else {
        mode_ = Mode::Deadlines;
        deadline_ = now + kFramePeriod;
    }
}

}  // namespace orveline
