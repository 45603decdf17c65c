// The Wayland renderer (wayland_renderer.h): the registry, the loop and the program's main. The
// outputs and their views are wayland_outputs.*, the seat's input wayland_input.*; the stages
// (saver_stages.h) decide about closing, and SIGTERM and SIGINT are a close request. Outputs that
// come or go during a run get or lose their surface; the run ends when the compositor closes the
// last one.
//
// Wayland has no window titles: the launcher watches the renderer process instead, and a second
// renderer on the same compositor ends at once through a lock in $XDG_RUNTIME_DIR.
#include "wayland_renderer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <memory>
#include <string>

#include "gl_api.h"
#include "posix_termination_signals.h"
#include "saver_stages.h"
#include "wayland_egl.h"
#include "wayland_input.h"
#include "wayland_outputs.h"
#include "wayland_proxies.h"

namespace orveline {
namespace {

void disconnect(wl_display* display) {
    wl_display_disconnect(display);
}
using DisplayPtr = Owned<wl_display, disconnect>;

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

class WaylandRenderer final : public RendererPlatform, private SeatSink {
  public:
    explicit WaylandRenderer(wl_display* display) : display_(display) {}
    ~WaylandRenderer() { endRun(); }
    WaylandRenderer(const WaylandRenderer&) = delete;
    WaylandRenderer& operator=(const WaylandRenderer&) = delete;

    std::optional<int> start(const char* waylandDisplay);

    // RendererPlatform
    CursorPosition cursorPosition() override { return seat_.position(); }
    void hideCursor() override { seat_.hideCursor(); }
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
    // Each output's view makes its EGL window at its first configure.
    ClientRect createContext() override { return ClientRect{}; }
    void releaseContext() override {
        outputs_.clear();
        egl_.reset();
    }
    const GlApi& gl() override { return systemGlApi(); }
    void present() override {}  // each view presents its own frames

    // The registry's events.
    void addGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                   std::uint32_t version) {
        if (!outputs_.addGlobal(registry, name, interface, version))
            seat_.addGlobal(registry, name, interface, version);
    }
    void removeGlobal(std::uint32_t name) {
        outputs_.removeGlobal(name);
        seat_.removeGlobal(name);
    }

  private:
    // SeatSink
    void seatMessage(const WindowMessage& message) override {
        screenSaverProc(state_, *this, message);
    }
    std::optional<CursorPosition> surfaceOrigin(wl_surface* surface) override {
        const OutputView* view = outputs_.viewOf(surface);
        return view != nullptr ? std::optional<CursorPosition>(view->origin()) : std::nullopt;
    }
    void pointerEntered(CursorPosition position) override;

    void dispatch(MessageKind kind, bool flag = false) {
        WindowMessage message;
        message.kind = kind;
        message.flag = flag;
        seatMessage(message);
    }
    int loop();
    bool waitForEvents();
    int frameTimeout();
    void endRun();

    wl_display* display_;
    RegistryPtr registry_;
    // EGL before the outputs: their windows go first.
    std::unique_ptr<EglSession> egl_;
    WaylandOutputs outputs_;
    WaylandSeat seat_{*this};
    TerminationSignals signals_;
    RendererState state_;
    std::uint32_t seed_ = 0;
    bool referenceTaken_ = false;
    bool closePosted_ = false;
    bool quitPosted_ = false;
    bool ending_ = false;
    int exitCode_ = 0;
};

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

void WaylandRenderer::pointerEntered(CursorPosition position) {
    // Where the pointer first meets the run is where it stood when the run began: the
    // reference that X11 takes at the window's creation.
    if (!referenceTaken_) {
        referenceTaken_ = true;
        state_.lastCursorPos = position;
    }
    dispatch(MessageKind::SetCursor);
}

int WaylandRenderer::frameTimeout() {
    if (closePosted_ || quitPosted_) return 0;
    return outputs_.frameTimeout(PacerClock::now());
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
            dispatch(MessageKind::Close);
            continue;
        }
        if (quitPosted_ || !egl_) return exitCode_;
        if (!outputs_.update(SceneStart{gl(), *egl_, state_.desk.settings, seed_})) {
            // The compositor took the last surface away: as losing activation on X11.
            dispatch(MessageKind::ActivateApp, false);
            continue;
        }
        outputs_.drawDue(gl(), PacerClock::now());
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
    dispatch(MessageKind::Destroy);
    wl_display_flush(display_);
    ending_ = false;
}

std::optional<int> WaylandRenderer::start(const char* waylandDisplay) {
    registry_.reset(wl_display_get_registry(display_));
    wl_registry_add_listener(registry_.get(), &registryListener, this);
    if (wl_display_roundtrip(display_) < 0) return std::nullopt;
    if (!outputs_.canShow()) return std::nullopt;

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
    outputs_.showSurfaces();
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
