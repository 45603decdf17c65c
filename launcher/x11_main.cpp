// Entry of Orveline.scr on Linux: the commands that need no display first, then the forms runtime
// (a QApplication), then Main (or the hosted start of a daemon's command line), then the message
// loop for as long as a form keeps the process alive.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hosted/x11_hosted_run.h"
#include "idle/qt_idle_main.h"
#include "launcher_state.h"
#include "veyra_b.h"
#include "wayland_launcher_platform.h"
#include "x11_launcher_platform.h"

int main(int argc, char** argv) {
    // The command line is ours alone: Qt sees none of it, so no argument can be taken for one
    // of its own options.
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    if (arguments.size() == 1 && arguments[0] == "--version") {
        std::printf("Orveline %s\n", ORVELINE_VERSION);
        return 0;
    }
    if (const std::optional<int> code = orveline::AddToXScreenSaver(arguments)) return *code;
    if (const std::optional<int> code = orveline::OnIdle(arguments)) return *code;
    // Started by a screen-saver daemon: a hosted run instead of the screen-saver switches.
    const orveline::HostedCommand hosted =
        orveline::ParseHostedCommand(arguments, std::getenv("XSCREENSAVER_WINDOW"));
    if (!hosted.error.empty()) {
        std::fprintf(stderr, "Orveline.scr: %s\n", hosted.error.c_str());
        return 1;
    }

    const bool x11 = orveline::X11DisplayAvailable();
    if (!x11 && !orveline::WaylandDesktop()) {
        std::fprintf(stderr, "Orveline.scr: cannot open the X display (is DISPLAY set?)\n");
        return 1;
    }
    if (!x11) {
        if (const auto refusal = orveline::WaylandOnlyRefusal(arguments)) {
            std::fprintf(stderr, "Orveline.scr: %s\n", refusal->c_str());
            return 1;
        }
    }
    // Window look-ups and re-parenting are X11's, so the forms are X11 windows where X is.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", x11 ? "xcb" : "wayland", 1);
    // Qt's accessibility bridge looks for the session bus. With none in the environment (a
    // daemon started outside a desktop session) libdbus would launch one that outlives us; an
    // address of no known transport makes the look-up fail at once instead.
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!bus || !*bus) setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);

    char programName[] = "Orveline.scr";
    char* qtArgv[] = {programName, nullptr};
    int qtArgc = 1;
    QApplication application(qtArgc, qtArgv);
    QApplication::setQuitOnLastWindowClosed(false);

    // Hosted runs draw into a daemon's X window: the X11 platform, whatever the desktop.
    const std::unique_ptr<orveline::LinuxLauncherPlatform> platform =
        orveline::WaylandDesktop() && !hosted.hosted
            ? std::make_unique<orveline::WaylandLauncherPlatform>(std::move(arguments))
            : std::make_unique<orveline::LinuxLauncherPlatform>(std::move(arguments));
    orveline::LauncherState state;
    if (hosted.hosted) {
        if (const std::optional<int> code = orveline::StartHosted(*platform, state, hosted)) {
            return *code;
        }
    } else {
        orveline::Main(*platform, state);
    }
    return QApplication::exec();
}
