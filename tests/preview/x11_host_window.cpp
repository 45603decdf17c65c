// A stand-in host for the preview: an ordinary X window of the given size, filled with a grey
// that the preview must cover. Prints its window id (decimal) and lives until killed, or until
// it reads a line on its standard input, when it destroys its window and goes on for a second
// so that the window's end, not the connection's, is what the preview sees.
//   x11_host_window <width> <height>
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: x11_host_window <width> <height>\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0x808080;
    attributes.override_redirect = True;
    const Window window = XCreateWindow(
        display, RootWindow(display, screen), 10, 10, static_cast<unsigned>(std::atoi(argv[1])),
        static_cast<unsigned>(std::atoi(argv[2])), 0, CopyFromParent, InputOutput, CopyFromParent,
        CWBackPixel | CWOverrideRedirect, &attributes);
    XStoreName(display, window, "Orveline preview host");
    XMapRaised(display, window);
    XSync(display, False);
    std::printf("%lu\n", window);
    std::fflush(stdout);

    pollfd input{STDIN_FILENO, POLLIN, 0};
    while (poll(&input, 1, -1) <= 0) {
    }
    XDestroyWindow(display, window);
    XSync(display, False);
    sleep(1);
    XCloseDisplay(display);
    return 0;
}
