// The launcher's Xlib support, one for all its X11 parts (platform, preview, hosted start): a
// display handle that closes itself, and the one way to live with X errors.
// NOTE: Xlib's default error handler ends the process on any error, and the windows we touch
// (a daemon's host, another program's window, a root window's cursor) can go or refuse at any
// moment. Requests that may fail are made inside an XErrorTrap, which counts their errors
// instead; the caller checks the results.
#pragma once

#include <X11/Xlib.h>

#include <memory>

namespace orveline {

struct DisplayCloser {
    void operator()(::Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<::Display, DisplayCloser>;

// The display named by the environment; empty when it cannot be opened.
inline DisplayHandle OpenDisplay() {
    return DisplayHandle(XOpenDisplay(nullptr));
}

// Counts the X errors of the requests made while it lives, on any display (an error handler can
// reach only process-wide state); the previous handler comes back at its end.
class XErrorTrap {
  public:
    explicit XErrorTrap(::Display* display)
        : display_(display), before_(errors()), previous_(XSetErrorHandler(onError)) {}
    ~XErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // True when a request made so far has failed (waits for the server's answers).
    bool failed() {
        XSync(display_, False);
        return errors() != before_;
    }

  private:
    static int& errors() {
        static int counted = 0;
        return counted;
    }
    static int onError(::Display*, XErrorEvent*) {
        ++errors();
        return 0;
    }

    ::Display* display_;
    int before_;
    int (*previous_)(::Display*, XErrorEvent*);
};

}  // namespace orveline
