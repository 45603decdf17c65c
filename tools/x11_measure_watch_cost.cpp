// Probe of tools/measure_watch_cost.sh, two modes:
//   measure_watch_cost --crowd N
//     maps N application windows of 5 child windows each, titled "crowd <i>", prints "ready"
//     once the server has them, and keeps them until its standard input closes.
//   measure_watch_cost --exits <launcher pid> <renderer pid>
//     waits for both processes to end (a zombie counts as ended) and prints how many
//     milliseconds after the renderer's end the launcher ended.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "probe_process.h"

namespace {

int crowd(int count) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    const Window root = DefaultRootWindow(display);
    for (int i = 0; i < count; ++i) {
        const Window window = XCreateSimpleWindow(display, root, (i * 13) % 900, (i * 7) % 600, 240,
                                                  160, 0, 0, 0xC0C0C0);
        const std::string title = "crowd " + std::to_string(i);
        XStoreName(display, window, title.c_str());
        for (int c = 0; c < 5; ++c) {
            const Window child =
                XCreateSimpleWindow(display, window, 10 + c * 44, 10, 40, 40, 0, 0, 0x808080);
            XMapWindow(display, child);
        }
        XMapWindow(display, window);
    }
    XSync(display, False);
    std::printf("ready\n");
    std::fflush(stdout);
    // The server's events are not read: the windows need nothing of us while they stand.
    char byte;
    while (read(0, &byte, 1) > 0) {
    }
    XCloseDisplay(display);
    return 0;
}

int exits(int launcher, int renderer) {
    const auto start = Clock::now();
    Clock::time_point launcherGone{};
    Clock::time_point rendererGone{};
    bool launcherDone = false;
    bool rendererDone = false;
    while (!(launcherDone && rendererDone)) {
        const auto now = Clock::now();
        if (now - start > std::chrono::seconds(60)) return 1;
        if (!launcherDone && !processAlive(launcher)) {
            launcherDone = true;
            launcherGone = now;
        }
        if (!rendererDone && !processAlive(renderer)) {
            rendererDone = true;
            rendererGone = now;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::printf("%.0f\n",
                std::chrono::duration<double, std::milli>(launcherGone - rendererGone).count());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--crowd") == 0) return crowd(std::atoi(argv[2]));
    if (argc == 4 && std::strcmp(argv[1], "--exits") == 0) {
        return exits(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    std::fprintf(stderr, "usage: measure_watch_cost --crowd N | --exits LAUNCHER RENDERER\n");
    return 2;
}
