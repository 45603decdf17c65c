// Another client's view of a window's configure events, for the end-to-end tests:
//   x11_configure_probe count <window> <seconds>   ConfigureNotify events of the window in that
//                                                   time, then its size: "<count> <w>x<h>"
//   x11_configure_probe forge <window> <w> <h>      sends it a forged ConfigureNotify of that size
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int count(Display* display, Window window, double seconds) {
    XSelectInput(display, window, StructureNotifyMask);
    XSync(display, False);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    long configures = 0;
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ConfigureNotify && event.xconfigure.window == window) ++configures;
            if (event.type == DestroyNotify && event.xdestroywindow.window == window) {
                std::printf("%ld gone\n", configures);
                return 1;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left.count()));
    }
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) return 1;
    std::printf("%ld %dx%d\n", configures, attributes.width, attributes.height);
    return 0;
}

int forge(Display* display, Window window, int width, int height) {
    XEvent event{};
    event.xconfigure.type = ConfigureNotify;
    event.xconfigure.event = window;
    event.xconfigure.window = window;
    event.xconfigure.width = width;
    event.xconfigure.height = height;
    event.xconfigure.override_redirect = True;
    const Status sent = XSendEvent(display, window, False, StructureNotifyMask, &event);
    XSync(display, False);
    return sent ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool counting = argc == 4 && std::strcmp(argv[1], "count") == 0;
    const bool forging = argc == 5 && std::strcmp(argv[1], "forge") == 0;
    if (!counting && !forging) {
        std::fprintf(stderr,
                     "usage: x11_configure_probe count <window> <seconds>\n"
                     "       x11_configure_probe forge <window> <width> <height>\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    const Window window = static_cast<Window>(std::strtoul(argv[2], nullptr, 0));
    const int rc = counting ? count(display, window, std::atof(argv[3]))
                            : forge(display, window, std::atoi(argv[3]), std::atoi(argv[4]));
    XCloseDisplay(display);
    return rc;
}
