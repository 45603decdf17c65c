#include "wayland_outputs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace orveline {

namespace {

// Views retry a window they cannot make current once a frame; after a second of it they go.
constexpr int kFailedFramesBeforeDrop = 60;

}  // namespace

// --- listeners: each passes its event on to the view it was given.

struct OutputEvents {
    static wl_output_listener output() {
        wl_output_listener l{};
        l.geometry = [](void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t,
                        std::int32_t, std::int32_t, const char*, const char*, std::int32_t) {
            auto* view = static_cast<OutputView*>(data);
            view->x_ = x;
            view->y_ = y;
        };
        l.mode = [](void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {};
        l.done = [](void*, wl_output*) {};
        l.scale = [](void* data, wl_output*, std::int32_t factor) {
            static_cast<OutputView*>(data)->outputScale_ = factor;
        };
        l.name = [](void*, wl_output*, const char*) {};
        l.description = [](void*, wl_output*, const char*) {};
        return l;
    }
    static zwlr_layer_surface_v1_listener layer() {
        zwlr_layer_surface_v1_listener l{};
        l.configure = [](void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                         std::uint32_t width, std::uint32_t height) {
            auto* view = static_cast<OutputView*>(data);
            zwlr_layer_surface_v1_ack_configure(layer, serial);
            // The loop makes or resizes the window: no drawing inside a listener.
            view->width_ = static_cast<int>(std::min<std::uint32_t>(width, 1u << 15));
            view->height_ = static_cast<int>(std::min<std::uint32_t>(height, 1u << 15));
        };
        l.closed = [](void* data, zwlr_layer_surface_v1*) {
            static_cast<OutputView*>(data)->gone_ = true;
        };
        return l;
    }
    static wp_fractional_scale_v1_listener fractional() {
        wp_fractional_scale_v1_listener l{};
        l.preferred_scale = [](void* data, wp_fractional_scale_v1*, std::uint32_t scale) {
            static_cast<OutputView*>(data)->preferred120_ = scale;
        };
        return l;
    }
    static wl_callback_listener frame() {
        wl_callback_listener l{};
        l.done = [](void* data, wl_callback*, std::uint32_t) {
            static_cast<OutputView*>(data)->frame_.reset();
        };
        return l;
    }
};

namespace {

const wl_output_listener outputListener = OutputEvents::output();
const zwlr_layer_surface_v1_listener layerListener = OutputEvents::layer();
const wp_fractional_scale_v1_listener fractionalListener = OutputEvents::fractional();
const wl_callback_listener frameListener = OutputEvents::frame();

}  // namespace

// --- one view

OutputView::OutputView(wl_output* output, std::uint32_t name, std::uint32_t order)
    : name_(name), order_(order), output_(output) {
    wl_output_add_listener(output_.get(), &outputListener, this);
}

void OutputView::createSurface(const SurfaceGlobals& globals) {
    surface_.reset(wl_compositor_create_surface(globals.compositor));
    surfaceVersion_ = static_cast<int>(wl_surface_get_version(surface_.get()));
    layer_.reset(
        zwlr_layer_shell_v1_get_layer_surface(globals.layerShell, surface_.get(), output_.get(),
                                              ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "orveline"));
    zwlr_layer_surface_v1_add_listener(layer_.get(), &layerListener, this);
    zwlr_layer_surface_v1_set_size(layer_.get(), 0, 0);
    zwlr_layer_surface_v1_set_anchor(
        layer_.get(), ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                          ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(layer_.get(), -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        layer_.get(), ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    if (globals.viewporter != nullptr && globals.fractionalScale != nullptr) {
        viewport_.reset(wp_viewporter_get_viewport(globals.viewporter, surface_.get()));
        fractional_.reset(wp_fractional_scale_manager_v1_get_fractional_scale(
            globals.fractionalScale, surface_.get()));
        wp_fractional_scale_v1_add_listener(fractional_.get(), &fractionalListener, this);
    }
    wl_surface_commit(surface_.get());
}

std::uint32_t OutputView::scale120() const {
    // Until the fractional scale comes, the output's integer one.
    if (fractional_ && preferred120_ != 0) return scaleIn120ths(preferred120_);
    // A compositor without buffer scales (wl_surface before version 3) scales nothing.
    if (surfaceVersion_ < WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION) return kUnitScale;
    return scaleIn120ths(static_cast<std::int64_t>(outputScale_) * kUnitScale);
}

void OutputView::update(const SceneStart& start) {
    if (gone_ || !layer_ || width_ <= 0 || height_ <= 0) return;
    const std::uint32_t scale = scale120();
    const int bufferWidth = bufferLength(width_, scale);
    const int bufferHeight = bufferLength(height_, scale);
    if (!window_) {
        bufferWidth_ = bufferWidth;
        bufferHeight_ = bufferHeight;
        this->start(start);
    } else if (bufferWidth != bufferWidth_ || bufferHeight != bufferHeight_) {
        bufferWidth_ = bufferWidth;
        bufferHeight_ = bufferHeight;
        window_->resize(bufferWidth_, bufferHeight_);
        clearNext_ = true;
    }
    if (!gone_) applyScale();
}

// Tells the compositor how the buffer maps onto the surface; it takes effect with the next
// frame's buffer.
void OutputView::applyScale() {
    const std::uint32_t scale = scale120();
    if (viewport_) {
        if (width_ != shownWidth_ || height_ != shownHeight_)
            wp_viewport_set_destination(viewport_.get(), width_, height_);
    } else if (scale != shownScale120_) {
        wl_surface_set_buffer_scale(surface_.get(), static_cast<std::int32_t>(scale / kUnitScale));
    }
    shownWidth_ = width_;
    shownHeight_ = height_;
    shownScale120_ = scale;
}

void OutputView::start(const SceneStart& start) {
    window_ = std::make_unique<EglWindow>(start.egl, surface_.get(), bufferWidth_, bufferHeight_);
    if (!window_->valid() || !window_->makeCurrent()) {
        std::fprintf(stderr, "Orveline.dll: no EGL window on an output (EGL error 0x%04x)\n",
                     static_cast<unsigned>(eglGetError()));
        gone_ = true;
        return;
    }
    scene_.settings = start.settings;
    // As Desk seeds its monitors: the first output's picture is the single-monitor picture.
    scene_.seed(start.seed + order_ * 7919u);
    scene_.setUp(start.gl, ClientRect{0, 0, bufferWidth_, bufferHeight_});
    pacer_ = std::make_unique<FramePacer>(PacerClock::now());
}

std::optional<PacerClock::duration> OutputView::untilFrame(PacerClock::time_point now) const {
    if (gone_) return PacerClock::duration::zero();
    if (!window_ || frame_) return std::nullopt;
    return std::max(pacer_->untilNextFrame(now), retryAt_ - now);
}

void OutputView::draw(const GlApi& gl) {
    if (!window_->makeCurrent()) {
        retryAt_ = PacerClock::now() + kFramePeriod;
        if (++failedFrames_ == kFailedFramesBeforeDrop) {
            std::fprintf(stderr, "Orveline.dll: an output's EGL window stays unusable (0x%04x)\n",
                         static_cast<unsigned>(eglGetError()));
            gone_ = true;
        }
        return;
    }
    failedFrames_ = 0;
    // The context is shared: its viewport and projection are this output's only while it draws.
    scene_.resize(gl, ClientRect{0, 0, bufferWidth_, bufferHeight_});
    if (clearNext_) {
        gl.Clear(gl::COLOR_BUFFER_BIT);
        clearNext_ = false;
    }
    frame_.reset(wl_surface_frame(surface_.get()));
    wl_callback_add_listener(frame_.get(), &frameListener, this);
    scene_.drawFrame(gl, *this);
    pacer_->frameShown(PacerClock::now());
}

void OutputView::present() {
    if (window_) window_->swapBuffers();
}

// --- every output

bool WaylandOutputs::addGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                               std::uint32_t version) {
    const auto is = [interface](const wl_interface& i) {
        return std::strcmp(interface, i.name) == 0;
    };
    if (is(wl_compositor_interface)) {
        if (!compositor_)
            compositor_.reset(bindGlobal<wl_compositor>(registry, name, wl_compositor_interface,
                                                        std::min(version, 4u)));
    } else if (is(zwlr_layer_shell_v1_interface)) {
        if (!layerShell_)
            layerShell_.reset(bindGlobal<zwlr_layer_shell_v1>(
                registry, name, zwlr_layer_shell_v1_interface, std::min(version, 3u)));
    } else if (is(wp_viewporter_interface)) {
        if (!viewporter_)
            viewporter_.reset(
                bindGlobal<wp_viewporter>(registry, name, wp_viewporter_interface, 1));
    } else if (is(wp_fractional_scale_manager_v1_interface)) {
        if (!fractionalScale_)
            fractionalScale_.reset(bindGlobal<wp_fractional_scale_manager_v1>(
                registry, name, wp_fractional_scale_manager_v1_interface, 1));
    } else if (is(wl_output_interface)) {
        auto view = std::make_unique<OutputView>(
            bindGlobal<wl_output>(registry, name, wl_output_interface, std::min(version, 3u)), name,
            outputsSeen_++);
        if (surfacesWanted_) view->createSurface(globals());
        views_.push_back(std::move(view));
    } else {
        return false;
    }
    return true;
}

void WaylandOutputs::removeGlobal(std::uint32_t name) {
    for (auto& view : views_) {
        if (view->name() == name) view->markGone();
    }
}

SurfaceGlobals WaylandOutputs::globals() const {
    return SurfaceGlobals{compositor_.get(), layerShell_.get(), viewporter_.get(),
                          fractionalScale_.get()};
}

void WaylandOutputs::showSurfaces() {
    surfacesWanted_ = true;
    for (auto& view : views_) view->createSurface(globals());
}

bool WaylandOutputs::update(const SceneStart& start) {
    for (auto& view : views_) view->update(start);
    const std::size_t before = views_.size();
    views_.erase(std::remove_if(views_.begin(), views_.end(),
                                [](const std::unique_ptr<OutputView>& v) { return v->gone(); }),
                 views_.end());
    return before == 0 || !views_.empty();
}

int WaylandOutputs::frameTimeout(PacerClock::time_point now) const {
    int timeout = -1;  // nothing to draw: wait for the compositor
    for (const auto& view : views_) {
        const auto until = view->untilFrame(now);
        if (!until) continue;
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*until);
        const int ms = static_cast<int>(std::clamp<long long>(wait.count(), 0, 1000));
        timeout = timeout < 0 ? ms : std::min(timeout, ms);
    }
    return timeout;
}

void WaylandOutputs::drawDue(const GlApi& gl, PacerClock::time_point now) {
    for (auto& view : views_) {
        const auto until = view->untilFrame(now);
        if (!view->gone() && until && *until == PacerClock::duration::zero()) view->draw(gl);
    }
}

const OutputView* WaylandOutputs::viewOf(wl_surface* surface) const {
    for (const auto& view : views_) {
        if (view->surface() == surface && !view->gone()) return view.get();
    }
    return nullptr;
}

}  // namespace orveline
