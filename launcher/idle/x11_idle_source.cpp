// The X11 idle source; see x11_idle_source.h.
#include "x11_idle_source.h"

#include <X11/Xatom.h>
#include <X11/extensions/scrnsaver.h>
#include <sys/socket.h>

namespace orveline {

std::unique_ptr<X11IdleSource> X11IdleSource::Connect(std::string& error) {
    DisplayHandle display = OpenDisplay();
    if (!display) {
        error = "cannot open the X display (is DISPLAY set?)";
        return nullptr;
    }
    int event = 0;
    int failure = 0;
    if (!XScreenSaverQueryExtension(display.get(), &event, &failure)) {
        error = "the X server has no MIT-SCREEN-SAVER extension, so it cannot say when it is idle";
        return nullptr;
    }
    return std::make_unique<X11IdleSource>(std::move(display));
}

X11IdleSource::X11IdleSource(DisplayHandle display) : display_(std::move(display)) {}

X11IdleSource::~X11IdleSource() {
    // NOTE: closing a connection the server has ended is an I/O error, which Xlib answers by
    // ending the process; the process is ending anyway, so the connection's memory goes with it.
    if (lost_) static_cast<void>(display_.release());
}

bool X11IdleSource::xscreensaverRunning() {
    ::Display* display = display_.get();
    const Atom version = XInternAtom(display, "_SCREENSAVER_VERSION", False);
    XErrorTrap trap(display);
    for (int screen = 0; screen < ScreenCount(display); ++screen) {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, RootWindow(display, screen), &root, &parent, &children, &count))
            continue;
        const std::unique_ptr<Window, int (*)(void*)> owned(children, XFree);
        for (unsigned int i = 0; i < count; ++i) {
            Atom type = None;
            int format = 0;
            unsigned long items = 0;
            unsigned long left = 0;
            unsigned char* value = nullptr;
            // A window that went meanwhile only counts an error in the trap.
            const int status = XGetWindowProperty(display, children[i], version, 0, 0, False,
                                                  XA_STRING, &type, &format, &items, &left, &value);
            if (value) XFree(value);
            if (status == Success && type == XA_STRING) return true;
        }
    }
    return false;
}

std::int64_t X11IdleSource::idleTimeMs() {
    XScreenSaverInfo info{};
    if (!XScreenSaverQueryInfo(display_.get(), DefaultRootWindow(display_.get()), &info)) return -1;
    return static_cast<std::int64_t>(info.idle);
}

int X11IdleSource::fd() const {
    return ConnectionNumber(display_.get());
}

bool X11IdleSource::dispatch() {
    // NOTE: Xlib ends the process when it finds the connection gone; look first.
    char byte = 0;
    if (::recv(fd(), &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0) {
        lost_ = true;
        return false;
    }
    while (XPending(display_.get()) > 0) {
        XEvent event;
        XNextEvent(display_.get(), &event);
    }
    return true;
}

}  // namespace orveline
