// The Linux/X11 renderer program (shipped as "Orveline.dll", an ELF executable): the loop that
// draws paced frames whenever no event waits, the GLX context, grabs and signals. The window and
// what it knows of the screen are x11_renderer_window.*, event translation x11_renderer_events.*;
// the stages (saver_stages.h) decide about closing.
//
// A full-screen run covers the whole X screen, each monitor with its own animation. There is no
// password check on Linux: a close request ends the run. SIGTERM and SIGINT (how screen-saver
// daemons stop their programs) are a close request too.
//
// Hosted (--window-id ID, started so by the launcher inside a screen-saver daemon's window): the
// window is a child of that host window and follows its size; no grab, no cursor, no input of
// its own (the daemon owns input), and the run ends when the host goes or a signal comes.
//
// Both follow a burst of changes (monitors coming and going, a host resized again and again) once
// the burst is read, with one request; the window's size is what the server last reported.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "frame_pacer.h"
#include "gl_api.h"
#include "posix_termination_signals.h"
#include "renderer_settings.h"
#include "saver_stages.h"
#include "wayland_renderer.h"
#include "x11_gl_context.h"
#include "x11_renderer_events.h"
#include "x11_renderer_window.h"

namespace orveline {
namespace {

class X11Renderer final : public RendererPlatform {
  public:
    X11Renderer(Display* display, int screen, const X11Placement& placement)
        : display_(display), screen_(screen), placement_(placement) {}
    ~X11Renderer() { destroyWindow(); }
    X11Renderer(const X11Renderer&) = delete;
    X11Renderer& operator=(const X11Renderer&) = delete;

    int run();

    // RendererPlatform
    CursorPosition cursorPosition() override {
        Window rootReturn, childReturn;
        int rootX = 0, rootY = 0, winX = 0, winY = 0;
        unsigned mask = 0;
        XQueryPointer(display_, RootWindow(display_, screen_), &rootReturn, &childReturn, &rootX,
                      &rootY, &winX, &winY, &mask);
        return CursorPosition{rootX, rootY};
    }
    void hideCursor() override {
        if (window_ && !hosted()) XDefineCursor(display_, window_->id(), window_->blankCursor());
    }
    void postClose() override { closePosted_ = true; }
    void postQuit(int exitCode) override {
        quitPosted_ = true;
        exitCode_ = exitCode;
    }
    void setWindowTitle(const char* title) override {
        if (window_) window_->setTitle(title);
    }
    int verifyPassword(RendererState&) override { return 1; }
    MessageResult defaultHandling(const WindowMessage& message) override {
        if (message.kind == MessageKind::Close) destroyWindow();
        return 0;
    }
    std::uint32_t calendarTime() override { return static_cast<std::uint32_t>(std::time(nullptr)); }
    ClientRect createContext() override {
        context_.emplace(display_, config_, window_->id());
        paceSwaps();
        return clientRect();
    }
    std::vector<MonitorArea> monitors() override { return monitors_; }
    void releaseContext() override { context_.reset(); }
    const GlApi& gl() override { return systemGlApi(); }
    void present() override {
        if (context_ && context_->valid()) context_->swapBuffers();
    }

  private:
    bool hosted() const { return placement_.kind == X11Placement::Kind::Hosted; }
    ClientRect clientRect() const {
        const X11Placement& p = window_->placement();
        return ClientRect{0, 0, p.width, p.height};
    }
    void readMonitors();
    double primaryRefresh() const { return monitors_.empty() ? 0.0 : monitors_.front().refreshHz; }
    void paceSwaps();
    void carryOut(X11Action action, const XEvent& event);
    bool followChanges();
    void destroyWindow();
    void dispatch(const WindowMessage& message) { screenSaverProc(state_, *this, message); }
    void waitForEvents(PacerClock::duration timeout);
    bool messageWaiting() {
        return closePosted_ || quitPosted_ || signals_.pending() || XPending(display_) > 0;
    }

    Display* display_;
    int screen_;
    X11Placement placement_;
    RendererState state_;
    TerminationSignals signals_;
    GLXFBConfig config_ = nullptr;
    std::optional<X11RendererWindow> window_;
    std::optional<GlxContext> context_;
    std::vector<MonitorArea> monitors_;  // window-relative, primary first; empty: one view
    FramePacer pacer_{PacerClock::now()};
    double pacedRefresh_ = 0.0;  // the refresh rate the swap interval was chosen for
    // Changes that a burst of events asks for, carried out once no event is left waiting.
    std::optional<std::pair<int, int>> hostSize_;
    bool screenChanged_ = false;
    int randrEventBase_ = -1;
    bool closePosted_ = false;
    bool quitPosted_ = false;
    int exitCode_ = 0;
    bool destroying_ = false;
};

void X11Renderer::readMonitors() {
    if (hosted()) return;  // a daemon starts one copy per monitor
    const X11Placement& p = window_->placement();
    monitors_ = monitorsInWindow(queryMonitors(display_, screen_), p.x, p.y, p.width, p.height);
}

// A swap tied to the primary monitor's refresh, at the interval nearest 60 frames a second, and
// the pacer timing the swaps afresh.
void X11Renderer::paceSwaps() {
    if (!context_ || !context_->valid()) return;
    pacedRefresh_ = primaryRefresh();
    requestSwapInterval(display_, screen_, window_->id(), swapIntervalFor(pacedRefresh_));
    pacer_ = FramePacer(PacerClock::now());
}

void X11Renderer::carryOut(X11Action action, const XEvent& event) {
    switch (action) {
        case X11Action::GrabInput:
            window_->grabInput();
            break;
        case X11Action::FollowHost:
            hostSize_.emplace(event.xconfigure.width, event.xconfigure.height);
            break;
        case X11Action::ResizeView: {
            const XConfigureEvent& c = event.xconfigure;
            if (window_->configured(c.x, c.y, c.width, c.height)) {
                readMonitors();
                reshapeDesk(state_, *this, clientRect());
                // The primary may have come into the window only now.
                if (primaryRefresh() != pacedRefresh_) paceSwaps();
            }
            break;
        }
        case X11Action::MonitorsChanged:
            XRRUpdateConfiguration(const_cast<XEvent*>(&event));
            screenChanged_ = true;
            break;
        case X11Action::CheckFocus:
            if (window_->focusWentElsewhere()) {
                WindowMessage lost;
                lost.kind = MessageKind::ActivateApp;
                lost.flag = false;
                dispatch(lost);
            }
            break;
        case X11Action::EndRun:
            destroyWindow();
            break;
        case X11Action::Nothing:
            break;
    }
}

// The last of a burst of host or screen changes, once the burst is read: one request for the
// window's size, which it takes when the server reports it. True when there was something to do.
bool X11Renderer::followChanges() {
    if (hostSize_) {
        window_->reshape(0, 0, hostSize_->first, hostSize_->second);
        hostSize_.reset();
        return true;
    }
    if (!screenChanged_) return false;
    // A monitor added, removed or resized: the window covers the screen again, each monitor keeps
    // or gets its own animation, and the swap follows the primary's refresh rate.
    screenChanged_ = false;
    window_->coverScreen(screen_);
    readMonitors();
    reshapeDesk(state_, *this, clientRect());
    paceSwaps();
    return true;
}

void X11Renderer::destroyWindow() {
    if (!window_ || destroying_) return;
    destroying_ = true;
    // Destroy runs through the stages while the window and its context still exist.
    WindowMessage destroy;
    destroy.kind = MessageKind::Destroy;
    dispatch(destroy);
    window_.reset();
    destroying_ = false;
}

// Sleeps until an event or a signal arrives, or the timeout passes.
void X11Renderer::waitForEvents(PacerClock::duration timeout) {
    pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {signals_.fd(), POLLIN, 0}};
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(timeout).count();
    const timespec wait{static_cast<time_t>(ns / 1'000'000'000),
                        static_cast<long>(ns % 1'000'000'000)};
    ppoll(fds, signals_.fd() >= 0 ? 2 : 1, &wait, nullptr);
}

int X11Renderer::run() {
    // Hosted copies run side by side, one per monitor; only a full-screen run is single.
    if (!hosted()) {
        const Window existing = findSaverWindow(display_, RootWindow(display_, screen_));
        if (existing != None) {
            bringToFront(display_, screen_, existing);
            return 0;
        }
    }
    config_ = chooseFbConfig(display_, screen_);
    window_.emplace(display_, screen_, config_, placement_);
    if (!window_->valid()) {
        window_.reset();
        return 1;
    }
    setWindowTitle(kRendererInitialTitle);
    int errorBase = 0;
    if (!hosted() && XRRQueryExtension(display_, &randrEventBase_, &errorBase))
        XRRSelectInput(
            display_, RootWindow(display_, screen_),
            RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    readMonitors();

    WindowMessage create;
    create.kind = MessageKind::Create;
    dispatch(create);
    if (hosted())
        XMapWindow(display_, window_->id());
    else
        XMapRaised(display_, window_->id());
    XFlush(display_);

    XEvent event;
    for (;;) {
        while (!messageWaiting()) {
            if (window_ && followChanges()) continue;
            const auto wait = pacer_.untilNextFrame(PacerClock::now());
            if (wait > PacerClock::duration::zero()) {
                waitForEvents(wait);
                continue;
            }
            if (window_) window_->retryGrabs();
            idleFrame(state_, *this);
            pacer_.frameShown(PacerClock::now());
        }
        if (signals_.pending()) {
            signals_.consume();
            // As a close request from the user: no password on this platform.
            state_.closeRequested = true;
            closePosted_ = true;
        }
        if (closePosted_) {
            closePosted_ = false;
            WindowMessage close;
            close.kind = MessageKind::Close;
            dispatch(close);
            continue;
        }
        if (quitPosted_) break;
        XNextEvent(display_, &event);
        if (!window_) continue;
        const X11Translation t = translateEvent(
            event,
            X11EventContext{window_->id(), hosted() ? placement_.parent : None, randrEventBase_});
        if (t.message) {
            WindowMessage message = *t.message;
            message.native = &event;
            dispatch(message);
        }
        if (window_) carryOut(t.action, event);
    }
    return exitCode_;
}

}  // namespace
}  // namespace orveline

int main(int argc, char** argv) {
    // A full-screen run on a Wayland desktop with a layer shell is the Wayland renderer's.
    if (argc == 1)
        if (const std::optional<int> code = orveline::runWaylandRenderer()) return *code;
    // The one option: --window-id ID (hex with 0x, or decimal), the host of a hosted run.
    Window host = None;
    if (argc == 3 && std::strcmp(argv[1], "--window-id") == 0) {
        char* end = nullptr;
        host = static_cast<Window>(std::strtoul(argv[2], &end, 0));
        if (end == argv[2] || *end != '\0') host = None;
    }
    if (argc != 1 && host == None) {
        std::fprintf(stderr, "Orveline.dll: usage: Orveline.dll [--window-id ID]\n");
        return 1;
    }
    orveline::ignoreXErrors();
    orveline::DisplayHandle display(XOpenDisplay(nullptr));
    if (!display) {
        std::fprintf(stderr, "Orveline.dll: cannot open the X display\n");
        return 1;
    }
    try {
        int screen = DefaultScreen(display.get());
        orveline::X11Placement placement = orveline::fullScreenPlacement(display.get(), screen);
        if (host != None) {
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(display.get(), host, &attributes) ||
                !orveline::hostedPlacement(display.get(), host, placement)) {
                std::fprintf(stderr, "Orveline.dll: no window 0x%lx\n", host);
                return 1;
            }
            screen = XScreenNumberOfScreen(attributes.screen);
        }
        orveline::X11Renderer renderer(display.get(), screen, placement);
        return renderer.run();
    } catch (const std::exception& e) {
        // Only the wind fields' construction allocates much; running out of memory ends here.
        std::fprintf(stderr, "Orveline.dll: %s\n", e.what());
        return 1;
    }
}
