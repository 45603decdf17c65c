// The Wayland renderer's outputs: one overlay layer surface per output, anchored to all four
// edges, exclusive zone -1, with the keyboard to itself, and on it an EGL window whose buffer has
// the output's own pixels. Each output shows its own animation (a Scene of its own, as each
// monitor does on X11), drawn when its frame callback has come and its frame pacer lets it.
//
// Scale: where the compositor offers fractional scales and viewports, the buffer is the surface's
// logical size times the preferred scale, and the viewport shows it at the logical size;
// elsewhere the buffer is the logical size times the output's integer scale, told to the
// compositor as the buffer scale. A scale that changes during the run gives buffers of the new
// size from the next frame on; the scene only resizes.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "fractional-scale-v1-client-protocol.h"
#include "frame_pacer.h"
#include "gl_api.h"
#include "saver_stages.h"
#include "scene.h"
#include "viewporter-client-protocol.h"
#include "wayland_egl.h"
#include "wayland_proxies.h"
#include "wayland_scale.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace orveline {

inline void destroyLayerShell(zwlr_layer_shell_v1* shell) {
    if (zwlr_layer_shell_v1_get_version(shell) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
        zwlr_layer_shell_v1_destroy(shell);
    else
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(shell));
}
inline void destroyLayerSurface(zwlr_layer_surface_v1* layer) {
    zwlr_layer_surface_v1_destroy(layer);
}
inline void destroyViewporter(wp_viewporter* viewporter) {
    wp_viewporter_destroy(viewporter);
}
inline void destroyViewport(wp_viewport* viewport) {
    wp_viewport_destroy(viewport);
}
inline void destroyFractionalScaleManager(wp_fractional_scale_manager_v1* manager) {
    wp_fractional_scale_manager_v1_destroy(manager);
}
inline void destroyFractionalScale(wp_fractional_scale_v1* scale) {
    wp_fractional_scale_v1_destroy(scale);
}
using LayerShellPtr = Owned<zwlr_layer_shell_v1, destroyLayerShell>;
using LayerSurfacePtr = Owned<zwlr_layer_surface_v1, destroyLayerSurface>;
using ViewporterPtr = Owned<wp_viewporter, destroyViewporter>;
using ViewportPtr = Owned<wp_viewport, destroyViewport>;
using FractionalScaleManagerPtr =
    Owned<wp_fractional_scale_manager_v1, destroyFractionalScaleManager>;
using FractionalScalePtr = Owned<wp_fractional_scale_v1, destroyFractionalScale>;

// What a view needs of the compositor's globals to make its surface.
struct SurfaceGlobals {
    wl_compositor* compositor = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    wp_viewporter* viewporter = nullptr;  // fractional scales need both
    wp_fractional_scale_manager_v1* fractionalScale = nullptr;
};

// What a view needs of the run to start its scene.
struct SceneStart {
    const GlApi& gl;
    EglSession& egl;
    const RendererSettings& settings;
    std::uint32_t seed;  // the first output's; the others' derive from it
};

// One output and the surface that covers it.
class OutputView final : public FramePresenter {
  public:
    // order: how many outputs came before it, its seed's offset.
    OutputView(wl_output* output, std::uint32_t name, std::uint32_t order);
    OutputView(const OutputView&) = delete;
    OutputView& operator=(const OutputView&) = delete;

    std::uint32_t name() const { return name_; }
    wl_surface* surface() const { return surface_.get(); }
    // Where the output begins in the compositor's layout, as far as it says.
    CursorPosition origin() const { return CursorPosition{x_, y_}; }
    bool gone() const { return gone_; }
    void markGone() { gone_ = true; }

    void createSurface(const SurfaceGlobals& globals);
    // Makes the EGL window and starts the scene at the first configure; afterwards follows the
    // configured size and the scale.
    void update(const SceneStart& start);
    // How long until this view wants to draw; nothing while it waits for the compositor.
    std::optional<PacerClock::duration> untilFrame(PacerClock::time_point now) const;
    void draw(const GlApi& gl);
    void present() override;

  private:
    friend struct OutputEvents;
    void start(const SceneStart& start);
    std::uint32_t scale120() const;
    void applyScale();

    std::uint32_t name_;
    std::uint32_t order_;
    OutputPtr output_;
    int x_ = 0, y_ = 0;
    std::int32_t outputScale_ = 1;    // wl_output.scale
    std::uint32_t preferred120_ = 0;  // the fractional scale; 0 until the compositor says
    SurfacePtr surface_;
    int surfaceVersion_ = 0;
    LayerSurfacePtr layer_;
    ViewportPtr viewport_;  // with fractional_: the fractional way
    FractionalScalePtr fractional_;
    int width_ = 0, height_ = 0;  // logical, from the last configure; 0 before the first
    int bufferWidth_ = 0, bufferHeight_ = 0;
    int shownWidth_ = 0, shownHeight_ = 0;  // the logical size the compositor was last told
    std::uint32_t shownScale120_ = kUnitScale;
    bool clearNext_ = false;  // a buffer of a new size holds no picture yet
    std::unique_ptr<EglWindow> window_;
    CallbackPtr frame_;  // a frame callback that has not come yet
    Scene scene_;
    std::unique_ptr<FramePacer> pacer_;
    int failedFrames_ = 0;            // in a row that could not make the window current
    PacerClock::time_point retryAt_;  // not before, after such a frame
    bool gone_ = false;               // closed by the compositor, its output removed, or unusable
};

// The outputs' globals and their views.
class WaylandOutputs {
  public:
    WaylandOutputs() = default;
    WaylandOutputs(const WaylandOutputs&) = delete;
    WaylandOutputs& operator=(const WaylandOutputs&) = delete;

    // Binds the global if it is one of the outputs' own; false otherwise.
    bool addGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                   std::uint32_t version);
    void removeGlobal(std::uint32_t name);
    bool canShow() const { return compositor_ && layerShell_; }
    // Covers every output, and those that come later, with a surface.
    void showSurfaces();
    // Drops the views that went, starts and resizes the configured ones. False when the last
    // view went.
    bool update(const SceneStart& start);
    // Milliseconds until a view wants to draw: 0 when one is due or went, -1 for none.
    int frameTimeout(PacerClock::time_point now) const;
    void drawDue(const GlApi& gl, PacerClock::time_point now);
    const OutputView* viewOf(wl_surface* surface) const;
    // Before the EGL session goes: the views' windows must go first.
    void clear() { views_.clear(); }

  private:
    SurfaceGlobals globals() const;

    CompositorPtr compositor_;
    LayerShellPtr layerShell_;
    ViewporterPtr viewporter_;
    FractionalScaleManagerPtr fractionalScale_;
    std::vector<std::unique_ptr<OutputView>> views_;
    std::uint32_t outputsSeen_ = 0;
    bool surfacesWanted_ = false;
};

}  // namespace orveline
