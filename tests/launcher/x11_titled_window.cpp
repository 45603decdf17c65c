// A top-level X window with a title (WM_NAME, or _NET_WM_NAME only), mapped or not, or inside a
// frame window as a window manager places it, that stays until it is killed: another program's
// window for the single-instance tests.
//   x11_titled_window <title> [mapped|unmapped|framed] [wm-name|net-wm-name]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: x11_titled_window <title> [mapped|unmapped|framed] [wm-name|net-wm-name]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    const bool mapped = argc > 2 && std::strcmp(argv[2], "mapped") == 0;
    const bool netOnly = argc > 3 && std::strcmp(argv[3], "net-wm-name") == 0;
    const bool framed = argc > 2 && std::strcmp(argv[2], "framed") == 0;
    Window parent = DefaultRootWindow(display);
    if (framed) {
        parent = XCreateSimpleWindow(display, parent, 10, 10, 60, 80, 0, 0, 0);
        XMapWindow(display, parent);
    }
    const Window window =
        XCreateSimpleWindow(display, parent, framed ? 5 : 10, framed ? 25 : 10, 50, 50, 0, 0, 0);
    const auto* title = reinterpret_cast<const unsigned char*>(argv[1]);
    const int length = static_cast<int>(std::strlen(argv[1]));
    if (netOnly) {
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                        XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace, title,
                        length);
    } else {
        XChangeProperty(display, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace, title, length);
    }
    if (mapped || framed) XMapWindow(display, window);
    XSync(display, False);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) pause();
}
