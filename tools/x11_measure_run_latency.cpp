// Probe of tools/measure_run_latency.sh, two modes:
//   measure_run_latency <pidfile> <command> [args...]
//     starts the command and prints how many milliseconds passed until the screen (the root
//     window of $DISPLAY, black before) showed anything not black; writes the command's process
//     id to <pidfile> and leaves the command running.
//   measure_run_latency --exits <launcher pid> <renderer pid>...
//     waits for all of them to end (a zombie counts as ended) and for the last top-level window
//     titled "OrvelineVC" to go; prints "<a> <b>": the launcher's end in milliseconds after the
//     renderer's, and after the window's.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "probe_process.h"
#include <vector>

namespace {

bool anythingShown(Display* display, Window root, int width, int height) {
    XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) return false;
    bool shown = false;
    for (int y = 0; y < height && !shown; y += 2) {
        for (int x = 0; x < width; x += 2) {
            if ((XGetPixel(image, x, y) & 0xFFFFFF) != 0) {
                shown = true;
                break;
            }
        }
    }
    XDestroyImage(image);
    return shown;
}

bool titledWindowExists(Display* display, Window window, const char* title, int depth) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return false;
    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            found = std::strcmp(name, title) == 0;
            XFree(name);
        }
        if (!found && depth > 1) found = titledWindowExists(display, children[i], title, depth - 1);
    }
    if (children) XFree(children);
    return found;
}

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

int measureExits(Display* display, int launcher, const std::vector<int>& renderers) {
    XSetErrorHandler(ignoreErrors);
    const auto start = Clock::now();
    Clock::time_point launcherGone{};
    Clock::time_point rendererGone{};
    Clock::time_point windowGone{};
    bool launcherDone = false;
    bool rendererDone = false;
    bool windowDone = false;
    while (!(launcherDone && rendererDone && windowDone)) {
        const auto now = Clock::now();
        if (now - start > std::chrono::seconds(60)) return 1;
        if (!launcherDone && !processAlive(launcher)) {
            launcherDone = true;
            launcherGone = now;
        }
        if (!rendererDone) {
            bool any = false;
            for (const int pid : renderers) any = any || processAlive(pid);
            if (!any) {
                rendererDone = true;
                rendererGone = now;
            }
        }
        if (!windowDone &&
            !titledWindowExists(display, DefaultRootWindow(display), "OrvelineVC", 2)) {
            windowDone = true;
            windowGone = now;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    using Ms = std::chrono::duration<double, std::milli>;
    std::printf("%.0f %.0f\n", Ms(launcherGone - rendererGone).count(),
                Ms(launcherGone - windowGone).count());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--exits") == 0) {
        Display* display = XOpenDisplay(nullptr);
        if (!display) return 1;
        std::vector<int> renderers;
        for (int i = 3; i < argc; ++i) renderers.push_back(std::atoi(argv[i]));
        const int result = measureExits(display, std::atoi(argv[2]), renderers);
        XCloseDisplay(display);
        return result;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: measure_run_latency <pidfile> <command> [args...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        // Nothing of ours stays open in the command: the caller reads our output to its end.
        const int null = open("/dev/null", O_RDWR);
        for (int fd = 0; fd <= 2; ++fd) dup2(null, fd);
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    if (child < 0) return 1;
    if (FILE* file = std::fopen(argv[1], "w")) {
        std::fprintf(file, "%d\n", static_cast<int>(child));
        std::fclose(file);
    }
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
        if (anythingShown(display, root, attributes.width, attributes.height)) {
            const std::chrono::duration<double, std::milli> elapsed =
                std::chrono::steady_clock::now() - start;
            std::printf("%.0f\n", elapsed.count());
            XCloseDisplay(display);
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    XCloseDisplay(display);
    return 1;
}
