#include "x11_renderer_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "renderer_settings.h"
#include "x11_gl_context.h"

namespace orveline {
namespace {

template <typename T, void (*Free)(T*)>
struct XrFree {
    void operator()(T* p) const { Free(p); }
};
using ScreenResources =
    std::unique_ptr<XRRScreenResources, XrFree<XRRScreenResources, XRRFreeScreenResources>>;
using OutputInfo = std::unique_ptr<XRROutputInfo, XrFree<XRROutputInfo, XRRFreeOutputInfo>>;
using CrtcInfo = std::unique_ptr<XRRCrtcInfo, XrFree<XRRCrtcInfo, XRRFreeCrtcInfo>>;

double modeRefresh(const XRRModeInfo& mode) {
    double lines = mode.vTotal;
    if (mode.modeFlags & RR_DoubleScan) lines *= 2;
    if (mode.modeFlags & RR_Interlace) lines /= 2;
    if (mode.hTotal == 0 || lines <= 0) return 0.0;
    return static_cast<double>(mode.dotClock) / (static_cast<double>(mode.hTotal) * lines);
}

// The refresh rate of the CRTC that shows this output; 0 when unknown.
double outputRefresh(Display* display, XRRScreenResources* resources, RROutput output) {
    OutputInfo info(XRRGetOutputInfo(display, resources, output));
    if (!info || info->crtc == None) return 0.0;
    CrtcInfo crtc(XRRGetCrtcInfo(display, resources, info->crtc));
    if (!crtc) return 0.0;
    for (int i = 0; i < resources->nmode; ++i)
        if (resources->modes[i].id == crtc->mode) return modeRefresh(resources->modes[i]);
    return 0.0;
}

std::vector<MonitorArea> randrMonitors(Display* display, Window root) {
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
        !XRRQueryVersion(display, &major, &minor) || major * 100 + minor < 105)
        return {};
    int count = 0;
    std::unique_ptr<XRRMonitorInfo, XrFree<XRRMonitorInfo, XRRFreeMonitors>> monitors(
        XRRGetMonitors(display, root, True, &count));
    if (!monitors || count <= 0) return {};
    ScreenResources resources(XRRGetScreenResourcesCurrent(display, root));
    std::vector<MonitorArea> result;
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& m = monitors.get()[i];
        MonitorArea area{m.x, m.y, m.width, m.height, m.primary != 0, 0.0};
        if (resources && m.noutput > 0)
            area.refreshHz = outputRefresh(display, resources.get(), m.outputs[0]);
        result.push_back(area);
    }
    return result;
}

std::vector<MonitorArea> xineramaMonitors(Display* display) {
    int eventBase = 0, errorBase = 0;
    if (!XineramaQueryExtension(display, &eventBase, &errorBase) || !XineramaIsActive(display))
        return {};
    int count = 0;
    std::unique_ptr<XineramaScreenInfo, XFreeDeleter> heads(XineramaQueryScreens(display, &count));
    std::vector<MonitorArea> result;
    for (int i = 0; heads && i < count; ++i) {
        const XineramaScreenInfo& h = heads.get()[i];
        // The first head is the primary by convention.
        result.push_back(MonitorArea{h.x_org, h.y_org, h.width, h.height, i == 0, 0.0});
    }
    return result;
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

Window findSaverWindowAt(Display* display, Window root, int depth) {
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
            const Window inner = findSaverWindowAt(display, w, depth + 1);
            if (inner != None) return inner;
        }
    }
    return None;
}

// Xwayland names itself by an extension of its own, older ones by their outputs' names.
bool isXwayland(Display* display, Window root) {
    int opcode = 0, eventBase = 0, errorBase = 0;
    if (XQueryExtension(display, "XWAYLAND", &opcode, &eventBase, &errorBase)) return true;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) return false;
    ScreenResources resources(XRRGetScreenResourcesCurrent(display, root));
    for (int i = 0; resources && i < resources->noutput; ++i) {
        OutputInfo info(XRRGetOutputInfo(display, resources.get(), resources->outputs[i]));
        if (info && std::strncmp(info->name, "XWAYLAND", 8) == 0) return true;
    }
    return false;
}

Atom atom(Display* display, const char* name) {
    return XInternAtom(display, name, False);
}

void sendToWindowManager(Display* display, Window window, const char* type,
                         const std::array<long, 5>& data) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atom(display, type);
    event.xclient.format = 32;
    for (std::size_t i = 0; i < data.size(); ++i) event.xclient.data.l[i] = data[i];
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    XSendEvent(display, attributes.root, False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
}

}  // namespace

X11Placement fullScreenPlacement(Display* display, int screen) {
    X11Placement p;
    p.kind = X11Placement::Kind::FullScreen;
    p.parent = RootWindow(display, screen);
    p.width = DisplayWidth(display, screen);
    p.height = DisplayHeight(display, screen);
    // NOTE: under Xwayland the compositor gives the keyboard only to a window it manages and
    // focuses itself, and ignores X grabs: an unmanaged window that sets the X focus gets keys
    // only by chance, and the window underneath gets the rest.
    p.managed = isXwayland(display, p.parent);
    return p;
}

bool hostedPlacement(Display* display, Window host, X11Placement& placement) {
    XSelectInput(display, host, StructureNotifyMask);
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, host, &attributes)) return false;
    placement.kind = X11Placement::Kind::Hosted;
    placement.parent = host;
    placement.x = placement.y = 0;
    placement.width = std::max(attributes.width, 1);
    placement.height = std::max(attributes.height, 1);
    return true;
}

X11Placement plainPlacement(Display* display, int screen, int width, int height) {
    X11Placement p;
    p.parent = RootWindow(display, screen);
    p.width = std::max(width, 1);
    p.height = std::max(height, 1);
    return p;
}

X11RendererWindow::X11RendererWindow(Display* display, int screen, GLXFBConfig config,
                                     const X11Placement& placement)
    : display_(display), placement_(placement) {
    if (config == nullptr) return;
    std::unique_ptr<XVisualInfo, XFreeDeleter> visual(glXGetVisualFromFBConfig(display, config));
    if (!visual) return;
    const Window root = RootWindow(display, screen);
    colormap_ = XCreateColormap(display, root, visual->visual, AllocNone);

    using Kind = X11Placement::Kind;
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0;  // black in every TrueColor visual
    attributes.border_pixel = 0;
    attributes.colormap = colormap_;
    // A full-screen window takes input itself; a hosted one leaves input to the host's owner.
    attributes.event_mask = StructureNotifyMask;
    if (placement.kind == Kind::FullScreen)
        attributes.event_mask |=
            KeyPressMask | ButtonPressMask | PointerMotionMask | FocusChangeMask | EnterWindowMask;
    // NOTE: no window manager may frame the full-screen window (unless it is to manage it), nor
    // a child of the root itself (--root without a daemon). Such a window carries no EWMH state:
    // it means nothing there, and Xwayland under some compositors aborts the compositor on it.
    attributes.override_redirect = (placement.kind == Kind::FullScreen && !placement.managed) ||
                                   (placement.kind == Kind::Hosted && placement.parent == root);
    window_ = XCreateWindow(
        display, placement.parent, placement.x, placement.y, static_cast<unsigned>(placement.width),
        static_cast<unsigned>(placement.height), 0, visual->depth, InputOutput, visual->visual,
        CWOverrideRedirect | CWBackPixel | CWBorderPixel | CWColormap | CWEventMask, &attributes);
    if (window_ == None) return;

    // An invisible cursor: a 1x1 pixmap cursor whose mask is empty.
    char empty = 0;
    const Pixmap pixmap = XCreateBitmapFromData(display, window_, &empty, 1, 1);
    XColor black{};
    blankCursor_ = XCreatePixmapCursor(display, pixmap, pixmap, &black, &black, 0, 0);
    XFreePixmap(display, pixmap);

    XClassHint classHint{};
    char resName[] = "Orveline.dll";
    char resClass[] = "WindowsScreenSaverClass";
    classHint.res_name = resName;
    classHint.res_class = resClass;
    XSetClassHint(display, window_, &classHint);
    if (placement.kind == Kind::FullScreen && placement.managed) setManagedState();
    if (placement.kind == Kind::Hosted) {
        // A host that went before the child was made leaves nothing to draw in.
        XSync(display, False);
        XWindowAttributes mine{};
        if (!XGetWindowAttributes(display, window_, &mine)) window_ = None;
    }
}

X11RendererWindow::~X11RendererWindow() {
    if (keyboardGrabbed_) XUngrabKeyboard(display_, CurrentTime);
    if (pointerGrabbed_) XUngrabPointer(display_, CurrentTime);
    if (window_ != None) XDestroyWindow(display_, window_);
    if (blankCursor_ != None) XFreeCursor(display_, blankCursor_);
    if (colormap_ != None) XFreeColormap(display_, colormap_);
    XSync(display_, False);
}

void X11RendererWindow::setTitle(const char* title) {
    XStoreName(display_, window_, title);
    XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_NAME", False),
                    XInternAtom(display_, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title),
                    static_cast<int>(std::strlen(title)));
    XFlush(display_);
}

void X11RendererWindow::reshape(int x, int y, int width, int height) {
    const std::array<int, 4> wanted{x, y, std::max(width, 1), std::max(height, 1)};
    const std::array<int, 4> now{placement_.x, placement_.y, placement_.width, placement_.height};
    if (wanted == requested_ && wanted == now) return;
    requested_ = wanted;
    XMoveResizeWindow(display_, window_, x, y, static_cast<unsigned>(wanted[2]),
                      static_cast<unsigned>(wanted[3]));
}

bool X11RendererWindow::configured(int x, int y, int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (x == placement_.x && y == placement_.y && width == placement_.width &&
        height == placement_.height)
        return false;
    placement_.x = x;
    placement_.y = y;
    placement_.width = width;
    placement_.height = height;
    return true;
}

void X11RendererWindow::coverScreen(int screen) {
    Window root = None;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (XGetGeometry(display_, RootWindow(display_, screen), &root, &x, &y, &width, &height,
                     &border, &depth))
        reshape(0, 0, static_cast<int>(width), static_cast<int>(height));
    if (placement_.managed) requestAllMonitors();
}

// Before the map: full screen above everything, without a frame, focused by the manager.
void X11RendererWindow::setManagedState() {
    const Atom state[] = {atom(display_, "_NET_WM_STATE_FULLSCREEN"),
                          atom(display_, "_NET_WM_STATE_ABOVE")};
    XChangeProperty(display_, window_, atom(display_, "_NET_WM_STATE"), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(state), 2);
    const long noDecorations[5] = {2, 0, 0, 0, 0};  // flags: decorations; decorations: none
    const Atom motif = atom(display_, "_MOTIF_WM_HINTS");
    XChangeProperty(display_, window_, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(noDecorations), 5);
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XSetWMHints(display_, window_, &hints);
}

// Full screen over every monitor, not only the one a window manager would choose: the
// Xinerama heads at the screen's top, bottom, left and right edges.
void X11RendererWindow::requestAllMonitors() {
    int eventBase = 0, errorBase = 0, count = 0;
    if (!XineramaQueryExtension(display_, &eventBase, &errorBase) || !XineramaIsActive(display_))
        return;
    std::unique_ptr<XineramaScreenInfo, XFreeDeleter> heads(XineramaQueryScreens(display_, &count));
    if (!heads || count < 2) return;
    const XineramaScreenInfo* h = heads.get();
    long top = 0, bottom = 0, left = 0, right = 0;
    for (int i = 1; i < count; ++i) {
        if (h[i].y_org < h[top].y_org) top = i;
        if (h[i].y_org + h[i].height > h[bottom].y_org + h[bottom].height) bottom = i;
        if (h[i].x_org < h[left].x_org) left = i;
        if (h[i].x_org + h[i].width > h[right].x_org + h[right].width) right = i;
    }
    sendToWindowManager(display_, window_, "_NET_WM_FULLSCREEN_MONITORS",
                        {top, bottom, left, right, 1});
}

void X11RendererWindow::requestFocus() {
    // From a pager-like source: honoured without a user's timestamp.
    sendToWindowManager(display_, window_, "_NET_ACTIVE_WINDOW", {2, CurrentTime, 0, 0, 0});
    XFlush(display_);
}

void X11RendererWindow::grabInput() {
    if (window_ == None || placement_.kind != X11Placement::Kind::FullScreen) return;
    if (placement_.managed) {
        if (grabAttempts_ == 0) requestAllMonitors();
        requestFocus();
    } else {
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    }
    if (!keyboardGrabbed_)
        keyboardGrabbed_ = XGrabKeyboard(display_, window_, True, GrabModeAsync, GrabModeAsync,
                                         CurrentTime) == GrabSuccess;
    if (!pointerGrabbed_)
        pointerGrabbed_ = XGrabPointer(display_, window_, True, ButtonPressMask | PointerMotionMask,
                                       GrabModeAsync, GrabModeAsync, None, blankCursor_,
                                       CurrentTime) == GrabSuccess;
    ++grabAttempts_;
}

void X11RendererWindow::retryGrabs() {
    constexpr int kAttempts = 40;  // every 50 ms: two seconds
    if (keyboardGrabbed_ && pointerGrabbed_) return;
    if (grabAttempts_ == 0 || grabAttempts_ >= kAttempts) return;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextGrabAttempt_) return;
    nextGrabAttempt_ = now + std::chrono::milliseconds(50);
    grabInput();
}

bool X11RendererWindow::focusWentElsewhere() const {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    return focus != None && focus != PointerRoot && focus != window_;
}

std::vector<MonitorArea> queryMonitors(Display* display, int screen) {
    const Window root = RootWindow(display, screen);
    std::vector<MonitorArea> monitors = randrMonitors(display, root);
    if (monitors.empty()) monitors = xineramaMonitors(display);
    if (monitors.empty())
        monitors.push_back(MonitorArea{0, 0, DisplayWidth(display, screen),
                                       DisplayHeight(display, screen), true, 0.0});
    return monitors;
}

Window findSaverWindow(Display* display, Window root) {
    return findSaverWindowAt(display, root, 0);
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

}  // namespace orveline
