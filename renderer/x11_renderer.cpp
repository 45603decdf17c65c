// The Linux/X11 renderer program (shipped as "Orveline.dll", an ELF executable): an
// override-redirect window over the primary screen with the class "WindowsScreenSaverClass",
// the GLX context, and the loop that draws whenever no event waits. X events become the
// portable stages' messages (saver_stages.h), which decide about closing.
//
// Without a window manager the override-redirect window is simply on top; with one it also asks
// for full-screen and above. There is no password check on Linux: a close request ends the run.
// SIGTERM and SIGINT (how screen-saver daemons stop their programs) are a close request too.
//
// Hosted (--window-id ID, started so by the launcher inside a screen-saver daemon's window): the
// window is a child of that host window and follows its size; no grab, no cursor, no input of
// its own (the daemon owns input), and the run ends when the host goes or a signal comes.
//
// Known gap: the primary screen comes from RandR when the server names a primary output, else
// the whole X screen is covered.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <memory>
#include <optional>

#include "gl_api.h"
#include "renderer_settings.h"
#include "saver_stages.h"
#include "x11_gl_context.h"

namespace orveline {
namespace {

struct ScreenArea {
    int x = 0, y = 0, width = 0, height = 0;
};

// The primary output's area, or the whole screen when RandR names no primary output.
ScreenArea primaryScreenArea(Display* display, int screen) {
    ScreenArea area{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
    int eventBase = 0, errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) return area;
    const Window root = RootWindow(display, screen);
    const RROutput primary = XRRGetOutputPrimary(display, root);
    if (primary == None) return area;
    std::unique_ptr<XRRScreenResources, decltype(&XRRFreeScreenResources)> resources(
        XRRGetScreenResourcesCurrent(display, root), XRRFreeScreenResources);
    if (!resources) return area;
    std::unique_ptr<XRROutputInfo, decltype(&XRRFreeOutputInfo)> output(
        XRRGetOutputInfo(display, resources.get(), primary), XRRFreeOutputInfo);
    if (!output || output->crtc == None) return area;
    std::unique_ptr<XRRCrtcInfo, decltype(&XRRFreeCrtcInfo)> crtc(
        XRRGetCrtcInfo(display, resources.get(), output->crtc), XRRFreeCrtcInfo);
    if (!crtc || crtc->width == 0 || crtc->height == 0) return area;
    return ScreenArea{crtc->x, crtc->y, static_cast<int>(crtc->width),
                      static_cast<int>(crtc->height)};
}

bool windowClassIs(Display* display, Window window, const char* className) {
    XClassHint hint{};
    if (!XGetClassHint(display, window, &hint)) return false;
    const bool match = hint.res_class != nullptr && std::strcmp(hint.res_class, className) == 0;
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return match;
}

bool windowTitleIs(Display* display, Window window, const char* title) {
    char* name = nullptr;
    bool match = false;
    if (XFetchName(display, window, &name) && name != nullptr) {
        match = std::strcmp(name, title) == 0;
        XFree(name);
    }
    return match;
}

// A top-level window (or a window manager's frame's client) of the saver class titled
// "Screensaver": another renderer that is still being created, or any program that says it is
// the screen saver.
Window findSaverWindow(Display* display, Window root, int depth = 0) {
    Window rootReturn = None, parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) return None;
    std::unique_ptr<Window, XFreeDeleter> owned(children);
    for (unsigned i = 0; i < count; ++i) {
        const Window w = children[i];
        if (windowClassIs(display, w, kRendererWindowClass) &&
            windowTitleIs(display, w, kRendererInitialTitle))
            return w;
        if (depth == 0) {
            const Window inner = findSaverWindow(display, w, depth + 1);
            if (inner != None) return inner;
        }
    }
    return None;
}

void setSaverClass(Display* display, Window window) {
    XClassHint classHint{};
    char resName[] = "Orveline.dll";
    char resClass[] = "WindowsScreenSaverClass";
    classHint.res_name = resName;
    classHint.res_class = resClass;
    XSetClassHint(display, window, &classHint);
}

void bringToFront(Display* display, int screen, Window window) {
    XRaiseWindow(display, window);
    // With a window manager, ask it to activate the window as well.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;  // from a pager-like source: honoured without a timestamp
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, RootWindow(display, screen), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XSync(display, False);
}

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
    // host: the window to draw inside, or None for the full-screen window of our own.
    X11Renderer(Display* display, int screen, Window host)
        : display_(display), screen_(screen), host_(host) {}
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
        if (window_ != None && host_ == None) XDefineCursor(display_, window_, blankCursor_);
    }
    void postClose() override { closePosted_ = true; }
    void postQuit(int exitCode) override {
        quitPosted_ = true;
        exitCode_ = exitCode;
    }
    void setWindowTitle(const char* title) override {
        XStoreName(display_, window_, title);
        XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_NAME", False),
                        XInternAtom(display_, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title),
                        static_cast<int>(std::strlen(title)));
        XFlush(display_);
    }
    int verifyPassword(RendererState&) override { return 1; }
    MessageResult defaultHandling(const WindowMessage& message) override {
        if (message.kind == MessageKind::Close) destroyWindow();
        return 0;
    }
    std::uint32_t calendarTime() override { return static_cast<std::uint32_t>(std::time(nullptr)); }
    ClientRect createContext() override {
        context_.emplace(display_, config_, window_);
        // Frames follow the display's refresh where the server can pace them.
        requestSwapInterval(display_, screen_, window_, 1);
        XWindowAttributes attributes{};
        XGetWindowAttributes(display_, window_, &attributes);
        return ClientRect{0, 0, attributes.width, attributes.height};
    }
    void releaseContext() override { context_.reset(); }
    const GlApi& gl() override { return systemGlApi(); }
    void present() override {
        if (context_ && context_->valid()) context_->swapBuffers();
    }

  private:
    bool createWindow();
    bool createHostedWindow(XVisualInfo& visual);
    void followHost(const XConfigureEvent& event);
    void destroyWindow();
    void dispatch(const WindowMessage& message) { screenSaverProc(state_, *this, message); }
    std::optional<WindowMessage> translate(const XEvent& event);
    void grabInput();
    void retryGrabs();
    bool messageWaiting() {
        return closePosted_ || quitPosted_ || signals_.pending() || XPending(display_) > 0;
    }

    Display* display_;
    int screen_;
    Window host_;
    RendererState state_;
    TerminationSignals signals_;
    GLXFBConfig config_ = nullptr;
    Colormap colormap_ = None;
    Cursor blankCursor_ = None;
    Window window_ = None;
    std::optional<GlxContext> context_;
    bool closePosted_ = false;
    bool quitPosted_ = false;
    int exitCode_ = 0;
    bool destroying_ = false;
    bool keyboardGrabbed_ = false;
    bool pointerGrabbed_ = false;
    int grabAttempts_ = 0;
    std::chrono::steady_clock::time_point nextGrabAttempt_;
};

bool X11Renderer::createWindow() {
    config_ = chooseFbConfig(display_, screen_);
    if (config_ == nullptr) return false;
    std::unique_ptr<XVisualInfo, XFreeDeleter> visual(glXGetVisualFromFBConfig(display_, config_));
    if (!visual) return false;

    const Window root = RootWindow(display_, screen_);
    colormap_ = XCreateColormap(display_, root, visual->visual, AllocNone);
    if (host_ != None) return createHostedWindow(*visual);
    const ScreenArea area = primaryScreenArea(display_, screen_);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = 0;  // black in every TrueColor visual
    attributes.border_pixel = 0;
    attributes.colormap = colormap_;
    attributes.event_mask = KeyPressMask | ButtonPressMask | PointerMotionMask | FocusChangeMask |
                            StructureNotifyMask | EnterWindowMask;
    window_ = XCreateWindow(
        display_, root, area.x, area.y, static_cast<unsigned>(area.width),
        static_cast<unsigned>(area.height), 0, visual->depth, InputOutput, visual->visual,
        CWOverrideRedirect | CWBackPixel | CWBorderPixel | CWColormap | CWEventMask, &attributes);
    if (window_ == None) return false;

    // An invisible cursor: a 1x1 pixmap cursor whose mask is empty.
    char empty = 0;
    const Pixmap pixmap = XCreateBitmapFromData(display_, window_, &empty, 1, 1);
    XColor black{};
    blankCursor_ = XCreatePixmapCursor(display_, pixmap, pixmap, &black, &black, 0, 0);
    XFreePixmap(display_, pixmap);

    setSaverClass(display_, window_);
    setWindowTitle(kRendererInitialTitle);

    // For a window manager: full screen and above the others.
    const Atom state = XInternAtom(display_, "_NET_WM_STATE", False);
    const Atom stateValues[] = {XInternAtom(display_, "_NET_WM_STATE_FULLSCREEN", False),
                                XInternAtom(display_, "_NET_WM_STATE_ABOVE", False)};
    XChangeProperty(display_, window_, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(stateValues), 2);
    return true;
}

// A child that fills the host; input events are left to propagate to the host's owner.
bool X11Renderer::createHostedWindow(XVisualInfo& visual) {
    // The host's size changes and its end reach us as StructureNotify events on it.
    XSelectInput(display_, host_, StructureNotifyMask);
    XWindowAttributes host{};
    if (!XGetWindowAttributes(display_, host_, &host)) return false;
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    attributes.colormap = colormap_;
    attributes.event_mask = StructureNotifyMask;
    // On the root window itself (--root without a daemon) no window manager may frame it.
    attributes.override_redirect = host_ == RootWindow(display_, screen_);
    window_ = XCreateWindow(
        display_, host_, 0, 0, static_cast<unsigned>(std::max(host.width, 1)),
        static_cast<unsigned>(std::max(host.height, 1)), 0, visual.depth, InputOutput,
        visual.visual, CWBackPixel | CWBorderPixel | CWColormap | CWEventMask | CWOverrideRedirect,
        &attributes);
    setSaverClass(display_, window_);
    XSync(display_, False);
    // A host that went before the child was made leaves nothing to draw in.
    XWindowAttributes mine{};
    return XGetWindowAttributes(display_, window_, &mine) != 0;
}

void X11Renderer::followHost(const XConfigureEvent& event) {
    if (event.window == host_) {
        XResizeWindow(display_, window_, static_cast<unsigned>(std::max(event.width, 1)),
                      static_cast<unsigned>(std::max(event.height, 1)));
    } else if (state_.renderReady) {
        state_.scene.resize(gl(), ClientRect{0, 0, event.width, event.height});
    }
}

void X11Renderer::destroyWindow() {
    if (window_ == None || destroying_) return;
    destroying_ = true;
    // Destroy runs through the stages while the window and its context still exist.
    WindowMessage destroy;
    destroy.kind = MessageKind::Destroy;
    dispatch(destroy);
    XUngrabKeyboard(display_, CurrentTime);
    XUngrabPointer(display_, CurrentTime);
    XDestroyWindow(display_, window_);
    window_ = None;
    if (blankCursor_ != None) XFreeCursor(display_, blankCursor_);
    blankCursor_ = None;
    if (colormap_ != None) XFreeColormap(display_, colormap_);
    colormap_ = None;
    XSync(display_, False);
    destroying_ = false;
}

// NOTE: a grab fails while another client holds one (a menu, a launcher closing its own);
// the loop tries again for a while, since without the grabs input may never reach us.
void X11Renderer::grabInput() {
    if (window_ == None) return;
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    if (!keyboardGrabbed_)
        keyboardGrabbed_ = XGrabKeyboard(display_, window_, True, GrabModeAsync, GrabModeAsync,
                                         CurrentTime) == GrabSuccess;
    if (!pointerGrabbed_)
        pointerGrabbed_ = XGrabPointer(display_, window_, True, ButtonPressMask | PointerMotionMask,
                                       GrabModeAsync, GrabModeAsync, None, blankCursor_,
                                       CurrentTime) == GrabSuccess;
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

std::optional<WindowMessage> X11Renderer::translate(const XEvent& event) {
    if (host_ != None) {
        // Hosted: only the host's size and the end of the host or of our child matter.
        if (event.type == ConfigureNotify) followHost(event.xconfigure);
        if (event.type == DestroyNotify &&
            (event.xdestroywindow.window == host_ || event.xdestroywindow.window == window_))
            destroyWindow();
        return std::nullopt;
    }
    if (event.xany.window != window_) return std::nullopt;
    WindowMessage message;
    message.native = &event;
    switch (event.type) {
        case KeyPress:
            message.kind =
                (event.xkey.state & Mod1Mask) ? MessageKind::SysKeyDown : MessageKind::KeyDown;
            break;
        case ButtonPress:
            // Wheel steps (4 to 7) and extra buttons do not end the saver.
            if (event.xbutton.button == Button1)
                message.kind = MessageKind::LButtonDown;
            else if (event.xbutton.button == Button2)
                message.kind = MessageKind::MButtonDown;
            else if (event.xbutton.button == Button3)
                message.kind = MessageKind::RButtonDown;
            break;
        case MotionNotify:
            message.kind = MessageKind::MouseMove;
            break;
        case FocusOut:
            // Focus moving away or a grab taken from us; our own grab's focus change and
            // moves inside the window are no loss.
            if (event.xfocus.mode != NotifyGrab && event.xfocus.detail != NotifyInferior &&
                event.xfocus.detail != NotifyPointer) {
                message.kind = MessageKind::ActivateApp;
                message.flag = false;
            }
            break;
        case UnmapNotify:
            message.kind = MessageKind::ActivateApp;
            message.flag = false;
            break;
        case MapNotify:
            grabInput();
            message.kind = MessageKind::ShowWindow;
            message.flag = true;
            break;
        case EnterNotify:
            message.kind = MessageKind::SetCursor;
            break;
        default:
            break;
    }
    return message;
}

int X11Renderer::run() {
    // Hosted copies run side by side, one per monitor; only a full-screen run is single.
    const Window existing =
        host_ == None ? findSaverWindow(display_, RootWindow(display_, screen_)) : None;
    if (existing != None) {
        bringToFront(display_, screen_, existing);
        return 0;
    }
    if (!createWindow()) return 1;

    WindowMessage create;
    create.kind = MessageKind::Create;
    dispatch(create);
    if (host_ != None)
        XMapWindow(display_, window_);
    else
        XMapRaised(display_, window_);
    XFlush(display_);

    XEvent event;
    for (;;) {
        while (!messageWaiting()) {
            retryGrabs();
            idleFrame(state_, *this);
            sched_yield();
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
        if (const auto message = translate(event)) dispatch(*message);
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
        if (host != None) {
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(display.get(), host, &attributes)) {
                std::fprintf(stderr, "Orveline.dll: no window 0x%lx\n", host);
                return 1;
            }
            screen = XScreenNumberOfScreen(attributes.screen);
        }
        orveline::X11Renderer renderer(display.get(), screen, host);
        return renderer.run();
    } catch (const std::exception& e) {
        // Only the wind fields' construction allocates much; running out of memory ends here.
        std::fprintf(stderr, "Orveline.dll: %s\n", e.what());
        return 1;
    }
}
