// Every monitor of a full-screen run in one window and one OpenGL context: each monitor is a
// viewport with a scene of its own (its own wind fields, dimming and aspect). The primary
// monitor's scene takes the run's seed, so its picture is the single-monitor picture; with one
// monitor that fills the window the OpenGL calls are exactly the single-monitor ones.
// What lies outside every monitor stays black: each scene draws and dims inside its scissor.
#pragma once

#include <cstdint>
#include <vector>

#include "gl_api.h"
#include "scene.h"

namespace orveline {

// A monitor in a window's own coordinates (origin at the top left, y down).
struct MonitorArea {
    int x = 0, y = 0, width = 0, height = 0;
    bool primary = false;
    double refreshHz = 0.0;  // 0: unknown
};

// The monitors as a window at (windowX, windowY) of this size sees them, from their screen
// rectangles: clipped to the window, empty and repeated (mirrored) ones dropped, the primary
// first (the first listed when none is marked). Empty when none is left: the window is one view.
std::vector<MonitorArea> monitorsInWindow(const std::vector<MonitorArea>& screenMonitors,
                                          int windowX, int windowY, int windowWidth,
                                          int windowHeight);

class Desk {
  public:
    RendererSettings settings;  // assigned by applySettings before setUp; every scene gets it
    DrawPath path = DrawPath::Batched;  // how every scene's lines reach OpenGL

    // The primary monitor's seed; the others derive theirs from it.
    void seed(std::uint32_t seed) { seed_ = seed; }

    // From a current context on: one scene per monitor (window-relative, primary first), or one
    // for the whole client when the list is empty.
    void setUp(const GlApi& gl, const ClientRect& client, const std::vector<MonitorArea>& monitors);
    // The window or its monitors changed: each layout is then drawn as a fresh set-up draws it;
    // scenes of monitors that stay keep their animation, new monitors get a new one, and the
    // window is cleared to black. A call that changes no view's rectangle changes nothing.
    void reshape(const GlApi& gl, const ClientRect& client,
                 const std::vector<MonitorArea>& monitors);
    // One frame of every scene, then one present.
    void drawFrame(const GlApi& gl, FramePresenter& presenter);
    // drawFrame without the present, for a caller that reads the back buffer first.
    void renderFrame(const GlApi& gl, SimulationProbe* probe = nullptr);
    void release();

    bool hasFields() const { return !views_.empty() && views_.front().scene.hasFields(); }
    std::size_t monitorCount() const { return views_.size(); }
    // The primary monitor's scene (the whole window's with one monitor).
    Scene& primary() { return views_.front().scene; }
    const Scene& primary() const { return views_.front().scene; }
    const Scene& sceneAt(std::size_t i) const { return views_.at(i).scene; }
    // The refresh rate that paces the swap: the primary monitor's.
    double refreshHz() const { return views_.empty() ? 0.0 : views_.front().area.refreshHz; }

  private:
    struct View {
        MonitorArea area;  // window-relative; the whole client when the window is one view
        Scene scene;
    };
    void addView(const GlApi& gl, const MonitorArea& area);
    // The view's rectangle in OpenGL's window coordinates (origin at the bottom left).
    ClientRect glRect(const MonitorArea& area) const;
    bool singleView() const { return views_.size() == 1 && wholeWindow_; }

    std::vector<View> views_;
    std::uint32_t seed_ = 0;
    ClientRect client_;
    bool wholeWindow_ = true;
};

}  // namespace orveline
