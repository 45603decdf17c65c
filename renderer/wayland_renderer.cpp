// The Wayland renderer (wayland_renderer.h): one overlay layer surface per output, anchored to
// all four edges, exclusive zone -1, with the keyboard to itself. Each output shows its own
// animation (a Scene of its own, as each monitor does on X11): the first output's is seeded with
// the calendar time like the X11 primary monitor's, the others' seeds derive from it. One EGL
// context draws every surface, each when its frame callback has come and its frame pacer lets it.
// Seat input becomes the stages' messages (wayland_input.h), which decide about closing; SIGTERM
// and SIGINT are a close request. Outputs that come or go during a run get or lose their surface;
// the run ends when the compositor closes the last one.
//
// Wayland has no window titles: the launcher watches the renderer process instead, and a second
// renderer on the same compositor ends at once through a lock in $XDG_RUNTIME_DIR.
//
// Known gaps: one seat only; buffers are drawn at scale 1 on scaled outputs; pointer positions
// are per output (the compositor's layout is not asked for), so a move from one output onto
// another counts as more than 4 pixels.
#include "wayland_renderer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "frame_pacer.h"
#include "gl_api.h"
#include "posix_termination_signals.h"
#include "saver_stages.h"
#include "scene.h"
#include "wayland_egl.h"
#include "wayland_input.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace orveline {
namespace {

template <typename T, void (*Destroy)(T*)>
struct ProxyDeleter {
    void operator()(T* object) const { Destroy(object); }
};
template <typename T, void (*Destroy)(T*)>
using Owned = std::unique_ptr<T, ProxyDeleter<T, Destroy>>;

// Objects whose destructor request came with a later version than the one bound.
void releaseSeat(wl_seat* seat) {
    if (wl_seat_get_version(seat) >= WL_SEAT_RELEASE_SINCE_VERSION)
        wl_seat_release(seat);
    else
        wl_seat_destroy(seat);
}
void releaseKeyboard(wl_keyboard* keyboard) {
    if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION)
        wl_keyboard_release(keyboard);
    else
        wl_keyboard_destroy(keyboard);
}
void releasePointer(wl_pointer* pointer) {
    if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION)
        wl_pointer_release(pointer);
    else
        wl_pointer_destroy(pointer);
}
void releaseOutput(wl_output* output) {
    if (wl_output_get_version(output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(output);
    else
        wl_output_destroy(output);
}
void destroyLayerShell(zwlr_layer_shell_v1* shell) {
    if (zwlr_layer_shell_v1_get_version(shell) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
        zwlr_layer_shell_v1_destroy(shell);
    else
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(shell));
}

using RegistryPtr = Owned<wl_registry, wl_registry_destroy>;
using CompositorPtr = Owned<wl_compositor, wl_compositor_destroy>;
using LayerShellPtr = Owned<zwlr_layer_shell_v1, destroyLayerShell>;
using SeatPtr = Owned<wl_seat, releaseSeat>;
using KeyboardPtr = Owned<wl_keyboard, releaseKeyboard>;
using PointerPtr = Owned<wl_pointer, releasePointer>;
using OutputPtr = Owned<wl_output, releaseOutput>;
using SurfacePtr = Owned<wl_surface, wl_surface_destroy>;
using LayerSurfacePtr = Owned<zwlr_layer_surface_v1, zwlr_layer_surface_v1_destroy>;
using CallbackPtr = Owned<wl_callback, wl_callback_destroy>;

void disconnect(wl_display* display) {
    wl_display_disconnect(display);
}
using DisplayPtr = Owned<wl_display, disconnect>;

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// A lock per compositor, held for the process's life: a second renderer sees it taken.
class RendererLock {
  public:
    explicit RendererLock(const char* waylandDisplay) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime == nullptr || runtime[0] != '/') return;  // nowhere private to keep it
        std::string name = waylandDisplay;
        std::replace(name.begin(), name.end(), '/', '_');
        const std::string path = std::string(runtime) + "/orveline-renderer-" + name + ".lock";
        fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            takenByAnother_ = errno == EWOULDBLOCK;
            close(fd_);
            fd_ = -1;
        }
    }
    ~RendererLock() {
        if (fd_ >= 0) close(fd_);
    }
    RendererLock(const RendererLock&) = delete;
    RendererLock& operator=(const RendererLock&) = delete;
    bool takenByAnother() const { return takenByAnother_; }

  private:
    int fd_ = -1;
    bool takenByAnother_ = false;
};

class WaylandRenderer;

// One output and the surface that covers it.
struct OutputView {
    WaylandRenderer* owner = nullptr;
    std::uint32_t name = 0;   // the output's registry name
    std::uint32_t order = 0;  // how many outputs came before it: its seed's offset
    OutputPtr output;
    int x = 0, y = 0;  // the output's position, where the compositor tells it
    SurfacePtr surface;
    LayerSurfacePtr layer;
    int width = 0, height = 0;              // from the last configure; 0 before the first
    int windowWidth = 0, windowHeight = 0;  // the EGL window's
    std::unique_ptr<EglWindow> window;
    CallbackPtr frame;  // a frame callback that has not come yet
    Scene scene;
    std::unique_ptr<FramePacer> pacer;
    bool gone = false;  // closed by the compositor, or its output removed
};

class WaylandRenderer final : public RendererPlatform {
  public:
    explicit WaylandRenderer(wl_display* display) : display_(display) {}
    ~WaylandRenderer() { endRun(); }
    WaylandRenderer(const WaylandRenderer&) = delete;
    WaylandRenderer& operator=(const WaylandRenderer&) = delete;

    std::optional<int> start(const char* waylandDisplay);

    // RendererPlatform
    CursorPosition cursorPosition() override { return pointerPosition_; }
    void hideCursor() override {
        // An empty cursor image for as long as the pointer is over one of our surfaces.
        if (pointer_ && pointerOver_ != nullptr)
            wl_pointer_set_cursor(pointer_.get(), enterSerial_, nullptr, 0, 0);
    }
    void postClose() override { closePosted_ = true; }
    void postQuit(int exitCode) override {
        quitPosted_ = true;
        exitCode_ = exitCode;
    }
    void setWindowTitle(const char*) override {}  // surfaces have no titles
    int verifyPassword(RendererState&) override { return 1; }
    MessageResult defaultHandling(const WindowMessage& message) override {
        if (message.kind == MessageKind::Close) endRun();
        return 0;
    }
    std::uint32_t calendarTime() override { return static_cast<std::uint32_t>(std::time(nullptr)); }
    // Each output's surface makes its EGL window at its first configure (startView).
    ClientRect createContext() override { return ClientRect{}; }
    void releaseContext() override {
        pointerOver_ = nullptr;
        views_.clear();
        egl_.reset();
    }
    const GlApi& gl() override { return systemGlApi(); }
    void present() override {
        if (drawing_ != nullptr && drawing_->window) drawing_->window->swapBuffers();
    }

    // Listeners' entry points.
    void addGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                   std::uint32_t version);
    void removeGlobal(std::uint32_t name);
    void seatCapabilities(std::uint32_t capabilities);
    void pointerEntered(std::uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y);
    void pointerLeft(wl_surface* surface) {
        if (pointerOver_ != nullptr && pointerOver_->surface.get() == surface)
            pointerOver_ = nullptr;
    }
    void pointerMoved(wl_fixed_t x, wl_fixed_t y);
    void dispatch(const WindowMessage& message) { screenSaverProc(state_, *this, message); }

  private:
    void createSurface(OutputView& view);
    void startView(OutputView& view);
    void drawView(OutputView& view);
    bool updateViews();
    int loop();
    bool waitForEvents();
    int frameTimeout();
    void endRun();

    wl_display* display_;
    RegistryPtr registry_;
    CompositorPtr compositor_;
    LayerShellPtr layerShell_;
    SeatPtr seat_;
    std::uint32_t seatName_ = 0;
    KeyboardPtr keyboard_;
    PointerPtr pointer_;
    // EGL before the views: their windows go first.
    std::unique_ptr<EglSession> egl_;
    std::vector<std::unique_ptr<OutputView>> views_;
    TerminationSignals signals_;
    RendererState state_;
    std::uint32_t seed_ = 0;
    std::uint32_t outputsSeen_ = 0;
    bool surfacesWanted_ = false;
    OutputView* drawing_ = nullptr;
    OutputView* pointerOver_ = nullptr;
    std::uint32_t enterSerial_ = 0;
    bool referenceTaken_ = false;
    CursorPosition pointerPosition_;
    bool closePosted_ = false;
    bool quitPosted_ = false;
    bool ending_ = false;
    int exitCode_ = 0;
};

// --- listeners: each passes its event on to the renderer or the view it was given.

wl_registry_listener makeRegistryListener() {
    wl_registry_listener l{};
    l.global = [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                  std::uint32_t version) {
        static_cast<WaylandRenderer*>(data)->addGlobal(registry, name, interface, version);
    };
    l.global_remove = [](void* data, wl_registry*, std::uint32_t name) {
        static_cast<WaylandRenderer*>(data)->removeGlobal(name);
    };
    return l;
}
const wl_registry_listener registryListener = makeRegistryListener();

wl_output_listener makeOutputListener() {
    wl_output_listener l{};
    l.geometry = [](void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t,
                    std::int32_t, std::int32_t, const char*, const char*, std::int32_t) {
        auto* view = static_cast<OutputView*>(data);
        view->x = x;
        view->y = y;
    };
    l.mode = [](void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {};
    l.done = [](void*, wl_output*) {};
    l.scale = [](void*, wl_output*, std::int32_t) {};
    l.name = [](void*, wl_output*, const char*) {};
    l.description = [](void*, wl_output*, const char*) {};
    return l;
}
const wl_output_listener outputListener = makeOutputListener();

zwlr_layer_surface_v1_listener makeLayerSurfaceListener() {
    zwlr_layer_surface_v1_listener l{};
    l.configure = [](void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                     std::uint32_t width, std::uint32_t height) {
        auto* view = static_cast<OutputView*>(data);
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        // The loop makes or resizes the window: no drawing inside a listener.
        view->width = static_cast<int>(std::min<std::uint32_t>(width, 1u << 15));
        view->height = static_cast<int>(std::min<std::uint32_t>(height, 1u << 15));
    };
    l.closed = [](void* data, zwlr_layer_surface_v1*) {
        static_cast<OutputView*>(data)->gone = true;
    };
    return l;
}
const zwlr_layer_surface_v1_listener layerSurfaceListener = makeLayerSurfaceListener();

wl_callback_listener makeFrameListener() {
    wl_callback_listener l{};
    l.done = [](void* data, wl_callback*, std::uint32_t) {
        static_cast<OutputView*>(data)->frame.reset();
    };
    return l;
}
const wl_callback_listener frameListener = makeFrameListener();

wl_seat_listener makeSeatListener() {
    wl_seat_listener l{};
    l.capabilities = [](void* data, wl_seat*, std::uint32_t capabilities) {
        static_cast<WaylandRenderer*>(data)->seatCapabilities(capabilities);
    };
    l.name = [](void*, wl_seat*, const char*) {};
    return l;
}
const wl_seat_listener seatListener = makeSeatListener();

wl_keyboard_listener makeKeyboardListener() {
    wl_keyboard_listener l{};
    l.keymap = [](void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) {
        FileDescriptor unused(fd);  // any key ends the run: no keymap needed
    };
    l.enter = [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {};
    l.leave = [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {};
    l.key = [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
               std::uint32_t state) {
        if (const auto message = keyMessage(state))
            static_cast<WaylandRenderer*>(data)->dispatch(*message);
    };
    l.modifiers = [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                     std::uint32_t, std::uint32_t) {};
    l.repeat_info = [](void*, wl_keyboard*, std::int32_t, std::int32_t) {};
    return l;
}
const wl_keyboard_listener keyboardListener = makeKeyboardListener();

wl_pointer_listener makePointerListener() {
    wl_pointer_listener l{};
    l.enter = [](void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
                 wl_fixed_t y) {
        static_cast<WaylandRenderer*>(data)->pointerEntered(serial, surface, x, y);
    };
    l.leave = [](void* data, wl_pointer*, std::uint32_t, wl_surface* surface) {
        static_cast<WaylandRenderer*>(data)->pointerLeft(surface);
    };
    l.motion = [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
        static_cast<WaylandRenderer*>(data)->pointerMoved(x, y);
    };
    l.button = [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
                  std::uint32_t state) {
        if (const auto message = buttonMessage(button, state))
            static_cast<WaylandRenderer*>(data)->dispatch(*message);
    };
    l.axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {};
    l.frame = [](void*, wl_pointer*) {};
    l.axis_source = [](void*, wl_pointer*, std::uint32_t) {};
    l.axis_stop = [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {};
    l.axis_discrete = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {};
    return l;
}
const wl_pointer_listener pointerListener = makePointerListener();

template <typename T>
T* bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface,
        std::uint32_t version) {
    return static_cast<T*>(wl_registry_bind(registry, name, &interface, version));
}

// --- the renderer

void WaylandRenderer::addGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                                std::uint32_t version) {
    const auto is = [interface](const wl_interface& i) {
        return std::strcmp(interface, i.name) == 0;
    };
    if (is(wl_compositor_interface) && !compositor_) {
        compositor_.reset(
            bind<wl_compositor>(registry, name, wl_compositor_interface, std::min(version, 4u)));
    } else if (is(zwlr_layer_shell_v1_interface) && !layerShell_) {
        layerShell_.reset(bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface,
                                                    std::min(version, 3u)));
    } else if (is(wl_seat_interface) && !seat_) {
        seat_.reset(bind<wl_seat>(registry, name, wl_seat_interface, std::min(version, 5u)));
        seatName_ = name;
        wl_seat_add_listener(seat_.get(), &seatListener, this);
    } else if (is(wl_output_interface)) {
        auto view = std::make_unique<OutputView>();
        view->owner = this;
        view->name = name;
        view->order = outputsSeen_++;
        view->output.reset(
            bind<wl_output>(registry, name, wl_output_interface, std::min(version, 3u)));
        wl_output_add_listener(view->output.get(), &outputListener, view.get());
        if (surfacesWanted_) createSurface(*view);
        views_.push_back(std::move(view));
    }
}

void WaylandRenderer::removeGlobal(std::uint32_t name) {
    for (auto& view : views_) {
        if (view->name == name) view->gone = true;
    }
    if (seat_ && name == seatName_) {
        keyboard_.reset();
        pointer_.reset();
        pointerOver_ = nullptr;
        seat_.reset();
    }
}

void WaylandRenderer::seatCapabilities(std::uint32_t capabilities) {
    // NOTE: devices come and go with the capabilities (a virtual keyboard is one), so the
    // keyboard and pointer objects follow them rather than being made once.
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (keyboard && !keyboard_) {
        keyboard_.reset(wl_seat_get_keyboard(seat_.get()));
        wl_keyboard_add_listener(keyboard_.get(), &keyboardListener, this);
    } else if (!keyboard) {
        keyboard_.reset();
    }
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (pointer && !pointer_) {
        pointer_.reset(wl_seat_get_pointer(seat_.get()));
        wl_pointer_add_listener(pointer_.get(), &pointerListener, this);
    } else if (!pointer) {
        pointerOver_ = nullptr;
        pointer_.reset();
    }
}

void WaylandRenderer::pointerEntered(std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
                                     wl_fixed_t y) {
    pointerOver_ = nullptr;
    for (auto& view : views_) {
        if (view->surface.get() == surface) pointerOver_ = view.get();
    }
    if (pointerOver_ == nullptr) return;
    enterSerial_ = serial;
    pointerPosition_ =
        CursorPosition{pointerOver_->x + wl_fixed_to_int(x), pointerOver_->y + wl_fixed_to_int(y)};
    // Where the pointer first meets the run is where it stood when the run began: the
    // reference that X11 takes at the window's creation.
    if (!referenceTaken_) {
        referenceTaken_ = true;
        state_.lastCursorPos = pointerPosition_;
    }
    WindowMessage setCursor;
    setCursor.kind = MessageKind::SetCursor;
    dispatch(setCursor);
}

void WaylandRenderer::pointerMoved(wl_fixed_t x, wl_fixed_t y) {
    if (pointerOver_ == nullptr) return;
    pointerPosition_ =
        CursorPosition{pointerOver_->x + wl_fixed_to_int(x), pointerOver_->y + wl_fixed_to_int(y)};
    dispatch(motionMessage());
}

void WaylandRenderer::createSurface(OutputView& view) {
    view.surface.reset(wl_compositor_create_surface(compositor_.get()));
    view.layer.reset(zwlr_layer_shell_v1_get_layer_surface(
        layerShell_.get(), view.surface.get(), view.output.get(), ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
        "orveline"));
    zwlr_layer_surface_v1_add_listener(view.layer.get(), &layerSurfaceListener, &view);
    zwlr_layer_surface_v1_set_size(view.layer.get(), 0, 0);
    zwlr_layer_surface_v1_set_anchor(view.layer.get(), ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                           ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                           ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                           ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(view.layer.get(), -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        view.layer.get(), ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    wl_surface_commit(view.surface.get());
}

void WaylandRenderer::startView(OutputView& view) {
    view.window = std::make_unique<EglWindow>(*egl_, view.surface.get(), view.width, view.height);
    if (!view.window->valid() || !view.window->makeCurrent()) {
        std::fprintf(stderr, "Orveline.dll: no EGL window on an output (EGL error 0x%04x)\n",
                     static_cast<unsigned>(eglGetError()));
        view.gone = true;
        return;
    }
    view.scene.settings = state_.desk.settings;
    // As Desk seeds its monitors: the first output's picture is the single-monitor picture.
    view.scene.seed(seed_ + view.order * 7919u);
    view.scene.setUp(gl(), ClientRect{0, 0, view.width, view.height});
    view.pacer = std::make_unique<FramePacer>(PacerClock::now());
}

void WaylandRenderer::drawView(OutputView& view) {
    if (!view.window->makeCurrent()) return;
    // The context is shared: its viewport and projection are this output's only while it draws.
    view.scene.resize(gl(), ClientRect{0, 0, view.width, view.height});
    view.frame.reset(wl_surface_frame(view.surface.get()));
    wl_callback_add_listener(view.frame.get(), &frameListener, &view);
    drawing_ = &view;
    view.scene.drawFrame(gl(), *this);
    drawing_ = nullptr;
    view.pacer->frameShown(PacerClock::now());
}

// Drops the views that went, starts and resizes the configured ones. False when the last view
// went.
bool WaylandRenderer::updateViews() {
    const std::size_t before = views_.size();
    for (auto it = views_.begin(); it != views_.end();) {
        if (!(*it)->gone) {
            ++it;
            continue;
        }
        if (pointerOver_ == it->get()) pointerOver_ = nullptr;
        it = views_.erase(it);
    }
    const bool lastWent = before > 0 && views_.empty();
    for (auto& view : views_) {
        if (!view->layer || view->width <= 0 || view->height <= 0) continue;
        if (!view->window) {
            startView(*view);
        } else if (view->width != view->windowWidth || view->height != view->windowHeight) {
            view->window->resize(view->width, view->height);
        } else {
            continue;
        }
        view->windowWidth = view->width;
        view->windowHeight = view->height;
    }
    return !lastWent;
}

int WaylandRenderer::frameTimeout() {
    if (closePosted_ || quitPosted_) return 0;
    const auto now = PacerClock::now();
    int timeout = -1;  // nothing to draw: wait for the compositor
    for (const auto& view : views_) {
        if (view->gone) return 0;
        if (!view->window || view->frame) continue;
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(view->pacer->untilNextFrame(now));
        const int ms = static_cast<int>(std::min<long long>(wait.count(), 1000));
        timeout = timeout < 0 ? ms : std::min(timeout, ms);
    }
    return timeout;
}

// Reads and dispatches what the compositor sent, waiting at most until a frame is due. False
// when the connection is lost.
bool WaylandRenderer::waitForEvents() {
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) return false;
    }
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display_);
        return false;
    }
    pollfd fds[2] = {{wl_display_get_fd(display_), POLLIN, 0}, {signals_.fd(), POLLIN, 0}};
    const int ready = poll(fds, signals_.fd() >= 0 ? 2 : 1, frameTimeout());
    if (ready > 0 && (fds[0].revents & POLLIN) != 0) {
        if (wl_display_read_events(display_) < 0) return false;
    } else {
        wl_display_cancel_read(display_);
        if (ready > 0 && (fds[0].revents & (POLLERR | POLLHUP)) != 0) return false;
    }
    if (signals_.take()) {
        // As a close request from the user: no password on this platform.
        state_.closeRequested = true;
        closePosted_ = true;
    }
    return wl_display_dispatch_pending(display_) >= 0;
}

int WaylandRenderer::loop() {
    for (;;) {
        if (closePosted_) {
            closePosted_ = false;
            WindowMessage close;
            close.kind = MessageKind::Close;
            dispatch(close);
            continue;
        }
        if (quitPosted_) return exitCode_;
        if (!updateViews()) {
            // The compositor took the last surface away: as losing activation on X11.
            WindowMessage deactivate;
            deactivate.kind = MessageKind::ActivateApp;
            deactivate.flag = false;
            dispatch(deactivate);
            continue;
        }
        const auto now = PacerClock::now();
        for (auto& view : views_) {
            if (view->window && !view->gone && !view->frame &&
                view->pacer->untilNextFrame(now) == PacerClock::duration::zero())
                drawView(*view);
        }
        if (!waitForEvents()) {
            std::fprintf(stderr,
                         "Orveline.dll: the connection to the Wayland compositor was lost\n");
            return 1;
        }
    }
}

void WaylandRenderer::endRun() {
    if (!state_.renderReady || ending_) return;
    ending_ = true;
    // Destroy runs through the stages: the quit, then the scenes and EGL (releaseContext).
    WindowMessage destroy;
    destroy.kind = MessageKind::Destroy;
    dispatch(destroy);
    wl_display_flush(display_);
    ending_ = false;
}

std::optional<int> WaylandRenderer::start(const char* waylandDisplay) {
    registry_.reset(wl_display_get_registry(display_));
    wl_registry_add_listener(registry_.get(), &registryListener, this);
    if (wl_display_roundtrip(display_) < 0) return std::nullopt;
    if (!compositor_ || !layerShell_) return std::nullopt;

    const RendererLock lock(waylandDisplay);
    if (lock.takenByAnother()) return 0;  // a run is on already

    egl_ = std::make_unique<EglSession>(display_);
    if (!egl_->valid()) {
        std::fprintf(stderr, "Orveline.dll: %s; trying X11\n", egl_->error().c_str());
        return std::nullopt;
    }
    applySettings(state_, *this);
    seed_ = calendarTime();
    state_.renderReady = true;
    surfacesWanted_ = true;
    for (auto& view : views_) createSurface(*view);
    return loop();
}

}  // namespace

std::optional<int> runWaylandRenderer() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (name == nullptr || name[0] == '\0') return std::nullopt;
    const DisplayPtr display(wl_display_connect(nullptr));
    if (!display) return std::nullopt;
    try {
        WaylandRenderer renderer(display.get());
        return renderer.start(name);
    } catch (const std::exception& e) {
        // Only the wind fields' construction allocates much; running out of memory ends here.
        std::fprintf(stderr, "Orveline.dll: %s\n", e.what());
        return 1;
    }
}

}  // namespace orveline
