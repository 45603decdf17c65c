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
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <optional>
#include <vector>

#include "frame_pacer.h"
#include "gl_api.h"
#include "renderer_settings.h"
#include "saver_stages.h"
#include "x11_gl_context.h"
#include "x11_renderer_events.h"
#include "x11_renderer_window.h"

namespace orveline {
namespace {

// SIGTERM and SIGINT arrive as readable data on a descriptor, so no work runs in a handler.
class TerminationSignals {
  public:
    TerminationSignals() {
        sigemptyset(&set_);
        sigaddset(&set_, SIGTERM);
        sigaddset(&set_, SIGINT);
        sigprocmask(SIG_BLOCK, &set_, nullptr);
        fd_ = signalfd(-1, &set_, SFD_NONBLOCK | SFD_CLOEXEC);
    }
    ~TerminationSignals() {
        if (fd_ >= 0) close(fd_);
    }
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    int fd() const { return fd_; }
    bool pending() const {
        if (fd_ < 0) return false;
        pollfd p{fd_, POLLIN, 0};
        return poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0;
    }
    void consume() {
        signalfd_siginfo info;
        while (fd_ >= 0 && read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        }
    }

  private:
    sigset_t set_;
    int fd_ = -1;
};

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
        // A swap tied to the display's refresh, at the interval nearest 60 frames a second.
        const double refresh = monitors_.empty() ? 0.0 : monitors_.front().refreshHz;
        requestSwapInterval(display_, screen_, window_->id(), swapIntervalFor(refresh));
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
    void carryOut(X11Action action, const XEvent& event);
    void destroyWindow();
    void dispatch(const WindowMessage& message) { screenSaverProc(state_, *this, message); }
    void grabInput();
    void retryGrabs();
    bool focusWentElsewhere();
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
    int randrEventBase_ = -1;
    bool closePosted_ = false;
    bool quitPosted_ = false;
    int exitCode_ = 0;
    bool destroying_ = false;
    bool keyboardGrabbed_ = false;
    bool pointerGrabbed_ = false;
    int grabAttempts_ = 0;
    std::chrono::steady_clock::time_point nextGrabAttempt_;
};

void X11Renderer::readMonitors() {
    if (hosted()) return;  // a daemon starts one copy per monitor
    const X11Placement& p = window_->placement();
    monitors_ = monitorsInWindow(queryMonitors(display_, screen_), p.x, p.y, p.width, p.height);
}

void X11Renderer::carryOut(X11Action action, const XEvent& event) {
    switch (action) {
        case X11Action::GrabInput:
            grabInput();
            break;
        case X11Action::FollowHost:
            window_->reshape(0, 0, event.xconfigure.width, event.xconfigure.height);
            break;
        case X11Action::ResizeView: {
            const X11Placement& p = window_->placement();
            if (event.xconfigure.width != p.width || event.xconfigure.height != p.height)
                window_->reshape(p.x, p.y, event.xconfigure.width, event.xconfigure.height);
            reshapeDesk(state_, *this, clientRect());
            break;
        }
        case X11Action::MonitorsChanged: {
            // A monitor added, removed or resized: the window covers the screen again, and each
            // monitor keeps or gets its own animation.
            XRRUpdateConfiguration(const_cast<XEvent*>(&event));
            Window root = None;
            int x = 0, y = 0;
            unsigned width = 0, height = 0, border = 0, depth = 0;
            if (!XGetGeometry(display_, RootWindow(display_, screen_), &root, &x, &y, &width,
                              &height, &border, &depth))
                break;
            window_->reshape(0, 0, static_cast<int>(width), static_cast<int>(height));
            readMonitors();
            reshapeDesk(state_, *this, clientRect());
            break;
        }
        case X11Action::CheckFocus:
            if (focusWentElsewhere()) {
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

// Focus on no window, on the pointer's root, or on ours is no loss; on another window it is.
bool X11Renderer::focusWentElsewhere() {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    return window_ && focus != None && focus != PointerRoot && focus != window_->id();
}

void X11Renderer::destroyWindow() {
    if (!window_ || destroying_) return;
    destroying_ = true;
    // Destroy runs through the stages while the window and its context still exist.
    WindowMessage destroy;
    destroy.kind = MessageKind::Destroy;
    dispatch(destroy);
    XUngrabKeyboard(display_, CurrentTime);
    XUngrabPointer(display_, CurrentTime);
    window_.reset();
    destroying_ = false;
}

// NOTE: a grab fails while another client holds one (a menu, a launcher closing its own);
// the loop tries again for a while, since without the grabs input may never reach us.
void X11Renderer::grabInput() {
    if (!window_ || hosted()) return;
    const Window w = window_->id();
    XSetInputFocus(display_, w, RevertToParent, CurrentTime);
    if (!keyboardGrabbed_)
        keyboardGrabbed_ = XGrabKeyboard(display_, w, True, GrabModeAsync, GrabModeAsync,
                                         CurrentTime) == GrabSuccess;
    if (!pointerGrabbed_)
        pointerGrabbed_ =
            XGrabPointer(display_, w, True, ButtonPressMask | PointerMotionMask, GrabModeAsync,
                         GrabModeAsync, None, window_->blankCursor(), CurrentTime) == GrabSuccess;
    ++grabAttempts_;
}

void X11Renderer::retryGrabs() {
    constexpr int kAttempts = 40;  // every 50 ms: two seconds
    if (keyboardGrabbed_ && pointerGrabbed_) return;
    if (grabAttempts_ == 0 || grabAttempts_ >= kAttempts) return;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextGrabAttempt_) return;
    nextGrabAttempt_ = now + std::chrono::milliseconds(50);
    grabInput();
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

    FramePacer pacer(PacerClock::now());
    XEvent event;
    for (;;) {
        while (!messageWaiting()) {
            const auto wait = pacer.untilNextFrame(PacerClock::now());
            if (wait > PacerClock::duration::zero()) {
                waitForEvents(wait);
                continue;
            }
            retryGrabs();
            idleFrame(state_, *this);
            pacer.frameShown(PacerClock::now());
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
