#include <gtest/gtest.h>

#include <cmath>

#include "desk.h"
#include "frame_pacer.h"
#include "gl_recorder.h"

namespace orveline {
namespace {

using namespace std::chrono_literals;

TEST(SwapInterval, NearestSixtyFramesForEachRefreshRate) {
    const struct {
        double hz;
        int interval;
    } cases[] = {{60, 1},    {75, 1}, {120, 2}, {144, 2},  {165, 3}, {240, 4},
                 {59.94, 1}, {0, 1},  {30, 1},  {49.9, 1}, {NAN, 1}};
    for (const auto& c : cases) EXPECT_EQ(swapIntervalFor(c.hz), c.interval) << c.hz;
}

// A loop on a fake clock: waits as the pacer says, and each frame costs frameCost.
struct FakeLoop {
    PacerClock::time_point now{};
    FramePacer pacer{now};
    int frames = 0;
    void runFor(PacerClock::duration span, PacerClock::duration frameCost) {
        const auto end = now + span;
        while (now < end) {
            now += pacer.untilNextFrame(now);
            now += frameCost;
            pacer.frameShown(now);
            ++frames;
        }
    }
};

TEST(FramePacer, SwapsThatDoNotWaitAreHeldToSixtyFramesASecond) {
    FakeLoop loop;
    loop.runFor(10s, 1ms);
    EXPECT_TRUE(loop.pacer.sleepsToDeadlines());
    EXPECT_NEAR(loop.frames, 600, 12);
}

TEST(FramePacer, SwapsThatWaitForTheDisplayAreNotDelayedFurther) {
    FakeLoop loop;
    loop.runFor(10s, 13889us);  // 144 Hz at swap interval 2
    EXPECT_FALSE(loop.pacer.sleepsToDeadlines());
    EXPECT_EQ(loop.pacer.untilNextFrame(loop.now), PacerClock::duration::zero());
}

TEST(FramePacer, AStallStartsTheDeadlinesAgainInsteadOfRushing) {
    FakeLoop loop;
    loop.runFor(1s, 1ms);
    loop.now += 5s;  // stopped, or a suspended machine
    loop.frames = 0;
    loop.runFor(1s, 1ms);
    EXPECT_NEAR(loop.frames, 60, 3);
}

TEST(FramePacer, ACompositorThatStopsThrottlingIsNoticed) {
    FakeLoop loop;
    loop.runFor(1s, 16667us);
    ASSERT_FALSE(loop.pacer.sleepsToDeadlines());
    loop.frames = 0;
    loop.runFor(10s, 1ms);
    EXPECT_NEAR(loop.frames, 600, 20);
}

TEST(MonitorsInWindow, ClippedDeduplicatedPrimaryFirst) {
    const std::vector<MonitorArea> screen = {
        {1024, 0, 1024, 768, false, 75.0},  // listed first, not primary
        {0, 0, 1024, 768, true, 60.0},
        {0, 0, 1024, 768, false, 60.0},     // a mirror of the primary
        {2048, 0, 800, 600, false, 60.0},   // beyond the window
        {-100, 500, 300, 400, false, 0.0},  // partly outside
        {5, 5, 0, 10, false, 0.0},          // empty
    };
    const auto m = monitorsInWindow(screen, 0, 0, 2048, 768);
    ASSERT_EQ(m.size(), 3u);
    EXPECT_TRUE(m[0].primary);
    EXPECT_EQ(m[0].x, 0);
    EXPECT_EQ(m[1].x, 1024);
    EXPECT_EQ(m[1].refreshHz, 75.0);
    EXPECT_EQ(m[2].x, 0);
    EXPECT_EQ(m[2].y, 500);
    EXPECT_EQ(m[2].width, 200);
    EXPECT_EQ(m[2].height, 268);
    // A window placed elsewhere sees the monitors relative to its own corner.
    EXPECT_EQ(monitorsInWindow(screen, 1024, 0, 1024, 768).front().x, 0);
    EXPECT_TRUE(monitorsInWindow({}, 0, 0, 640, 480).empty());
}

class NullPresenter final : public FramePresenter {
  public:
    void present() override { ++count; }
    int count = 0;
};

Desk makeDesk() {
    Desk desk;
    desk.settings = fixedRendererSettings();
    desk.settings.emitterCount = 3;
    desk.settings.particleCount = 20;
    desk.seed(1234);
    return desk;
}

TEST(Desk, EachMonitorAnimatesInItsOwnScissorAndThePrimaryIsTheSingleMonitorPicture) {
    GlRecorder gl;
    Desk single = makeDesk();
    single.setUp(gl.api(), ClientRect{0, 0, 1024, 768}, {});
    Desk two = makeDesk();
    // Mixed sizes: the right monitor is shorter, and the primary is the right one.
    two.setUp(gl.api(), ClientRect{0, 0, 2048, 768},
              {{1024, 0, 1024, 768, true, 60.0}, {0, 168, 1024, 600, false, 60.0}});
    NullPresenter presenter;
    for (int i = 0; i < 5; ++i) single.drawFrame(gl.api(), presenter);
    gl.clear();
    for (int i = 0; i < 5; ++i) two.drawFrame(gl.api(), presenter);
    EXPECT_EQ(presenter.count, 10);  // one present a frame, however many monitors

    const auto& a = single.primary().fields()[0].particles();
    const auto& b = two.primary().fields()[0].particles();
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].x, b[i].x);

    // OpenGL's rows count from the bottom: the shorter monitor's rectangle starts at row 0.
    std::vector<std::string> scissors;
    for (const GlCall& c : gl.calls())
        if (c.name == "Scissor") scissors.push_back(c.text());
    ASSERT_EQ(scissors.size(), 10u);
    EXPECT_EQ(scissors[0], "Scissor(1024, 0, 1024, 768)");
    EXPECT_EQ(scissors[1], "Scissor(0, 0, 1024, 600)");
    EXPECT_NE(two.sceneAt(1).fields()[0].particles()[0].x, b[0].x);  // its own animation

    // A monitor unplugged during the run: the primary's animation goes on where it was.
    two.reshape(gl.api(), ClientRect{0, 0, 1024, 768}, {{0, 0, 1024, 768, true, 60.0}});
    EXPECT_EQ(two.monitorCount(), 1u);
    single.drawFrame(gl.api(), presenter);
    two.drawFrame(gl.api(), presenter);
    EXPECT_EQ(single.primary().fields()[0].particles()[0].x,
              two.primary().fields()[0].particles()[0].x);
    // And plugged in again: a new animation beside it.
    two.reshape(gl.api(), ClientRect{0, 0, 2048, 768},
                {{0, 0, 1024, 768, true, 60.0}, {1024, 0, 1024, 768, false, 60.0}});
    EXPECT_EQ(two.monitorCount(), 2u);
    EXPECT_TRUE(two.sceneAt(1).hasFields());
}

// Where and how each view of the next frame is drawn: the frame's viewports, scissors and
// projections, or where it sets none, those that the calls so far (set-up, reshape) left.
std::vector<std::string> framePlacement(GlRecorder& gl, Desk& desk) {
    std::vector<std::string> left(2), frame;
    for (const GlCall& c : gl.calls())
        if (c.name == "Viewport" || c.name == "Perspective")
            left[c.name == "Viewport" ? 0 : 1] = c.text();
    gl.clear();
    desk.renderFrame(gl.api());
    for (const GlCall& c : gl.calls())
        if (c.name == "Viewport" || c.name == "Scissor" || c.name == "Perspective" ||
            ((c.name == "Enable" || c.name == "Disable") && c.args[0] == gl::SCISSOR_TEST))
            frame.push_back(c.text());
    return frame.empty() ? left : frame;
}

TEST(Desk, AfterAReshapeEachLayoutIsDrawnAsAFreshSetUpDrawsIt) {
    using Monitors = std::vector<MonitorArea>;
    const MonitorArea left{0, 0, 1024, 768, true, 60.0}, right{1024, 0, 1024, 768, false, 60.0};
    const struct {
        const char* name;
        ClientRect from;
        Monitors fromMonitors;
        ClientRect to;
        Monitors toMonitors;
    } cases[] = {
        {"a lone monitor in a wider window", {0, 0, 1024, 768}, {left}, {0, 0, 2048, 768}, {left}},
        {"a host grown", {0, 0, 400, 300}, {}, {0, 0, 700, 600}, {}},
        {"one monitor left, filling", {0, 0, 2048, 768}, {left, right}, {0, 0, 1024, 768}, {left}},
        {"a second monitor added", {0, 0, 1024, 768}, {left}, {0, 0, 2048, 768}, {left, right}},
    };
    for (const auto& c : cases) {
        GlRecorder gl;
        Desk reshaped = makeDesk();
        reshaped.setUp(gl.api(), c.from, c.fromMonitors);
        reshaped.renderFrame(gl.api());
        reshaped.reshape(gl.api(), c.to, c.toMonitors);
        const std::vector<std::string> afterReshape = framePlacement(gl, reshaped);
        gl.clear();
        Desk fresh = makeDesk();
        fresh.setUp(gl.api(), c.to, c.toMonitors);
        EXPECT_EQ(reshaped.monitorCount(), fresh.monitorCount()) << c.name;
        EXPECT_EQ(afterReshape, framePlacement(gl, fresh)) << c.name;
    }
}

TEST(Desk, OnlyAChangeOfSizeOrMonitorsClearsThePicture) {
    const std::vector<MonitorArea> two = {{0, 0, 1024, 768, true, 60.0},
                                          {1024, 0, 1024, 768, false, 60.0}};
    GlRecorder gl;
    Desk desk = makeDesk();
    desk.setUp(gl.api(), ClientRect{0, 0, 2048, 768}, two);
    const auto clears = [&] {
        int n = 0;
        for (const GlCall& c : gl.calls()) n += c.name == "Clear";
        gl.clear();
        return n;
    };
    clears();
    desk.reshape(gl.api(), ClientRect{0, 0, 2048, 768}, two);  // a restack
    EXPECT_EQ(clears(), 0);
    desk.reshape(gl.api(), ClientRect{0, 0, 2048, 768}, {two[0]});
    EXPECT_EQ(clears(), 1);
}

}  // namespace
}  // namespace orveline
