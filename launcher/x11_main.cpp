// Entry of Orveline.scr on Linux: the forms runtime (a QApplication) first, then Main, then the
// message loop for as long as a form keeps the process alive.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hosted/x11_hosted_run.h"
#include "launcher_state.h"
#include "veyra_b.h"
#include "wayland_launcher_platform.h"
#include "x11_launcher_platform.h"

int main(int argc, char** argv) {
    // The command line is ours alone: Qt sees none of it, so no argument can be taken for one
    // of its own options.
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    if (const std::optional<int> code = orveline::AddToXScreenSaver(arguments)) return *code;

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

    char programName[] = "Orveline.scr";
    char* qtArgv[] = {programName, nullptr};
    int qtArgc = 1;
    QApplication application(qtArgc, qtArgv);
    QApplication::setQuitOnLastWindowClosed(false);
    // Started by a screen-saver daemon: a hosted run instead of the screen-saver switches.
    if (const std::optional<int> code = orveline::RunHosted(arguments)) return *code;

    const std::unique_ptr<orveline::LinuxLauncherPlatform> platform =
        orveline::WaylandDesktop()
            ? std::make_unique<orveline::WaylandLauncherPlatform>(std::move(arguments))
            : std::make_unique<orveline::LinuxLauncherPlatform>(std::move(arguments));
    orveline::LauncherState state;
    orveline::Main(*platform, state);
    return QApplication::exec();
}
