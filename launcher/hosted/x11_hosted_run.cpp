// Hosted runs on Linux: the host window is checked here, and the run is the launcher's own run
// form on the launcher's own platform, placed in the host (HostedPlacement): the renderer starts
// as our child drawing in a child window of the host and ends with us, the watch looks for its
// window among the host's children, and the copy that holds the music lock (one of several, one
// per monitor) plays the music.
#include "x11_hosted_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "launcher_platform.h"
#include "linux_files.h"
#include "veyra_b.h"
#include "x11_support.h"
#include "xscreensaver_list.h"

namespace orveline {

namespace {

bool isRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool readFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

}  // namespace

std::optional<int> StartHosted(LauncherPlatform& platform, LauncherState& state,
                               const HostedCommand& command) {
    std::uint32_t host = command.window;
    {
        const DisplayHandle display = OpenDisplay();
        if (!display) {
            std::fprintf(stderr, "Orveline.scr: cannot open the X display\n");
            return 1;
        }
        if (host == 0) host = static_cast<std::uint32_t>(DefaultRootWindow(display.get()));
        XErrorTrap trap(display.get());
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display.get(), host, &attributes) || trap.failed()) {
            std::fprintf(stderr, "Orveline.scr: there is no X window 0x%lx\n",
                         static_cast<unsigned long>(host));
            return 1;
        }
    }
    switch (HostedMain(platform, state, HostedPlacement(host, command.music))) {
        case HostedStart::SettingsDialogOpen:
            return 0;
        case HostedStart::RendererMissing:
            std::fprintf(stderr, "Orveline.scr: %s is missing\n", RendererPath(platform).c_str());
            return 1;
        case HostedStart::Running:
            break;
    }
    return std::nullopt;
}

std::optional<int> AddToXScreenSaver(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1 || arguments[0] != "--add-to-xscreensaver") return std::nullopt;
    const std::string home = UserHome();
    if (home.empty()) {
        std::fprintf(stderr,
                     "orveline: no home folder (HOME is not set and the account has none)\n");
        return 1;
    }
    const std::string path = home + "/.xscreensaver";
    std::string text;
    std::string defaults;
    if (!readFile(path, text) && ::access(path.c_str(), F_OK) == 0) {
        std::fprintf(stderr, "orveline: cannot read %s\n", path.c_str());
        return 1;
    }
    // The daemon's own file, from the first place the X Toolkit would take it from.
    for (const std::string& file : XScreenSaverDefaultsPaths(std::getenv("XFILESEARCHPATH"))) {
        if (isRegularFile(file) && readFile(file, defaults)) break;
    }
    if (!AddToXScreenSaverList(text, defaults)) {
        std::printf("orveline: %s already lists Orveline\n", path.c_str());
        return 0;
    }
    std::string error;
    if (!ReplaceFileContents(path, text, error)) {
        std::fprintf(stderr, "orveline: %s\n", error.c_str());
        return 1;
    }
    std::printf("orveline: added \"%s\" to %s; choose Orveline in xscreensaver-settings\n",
                kHostedCommandLine, path.c_str());
    return 0;
}

}  // namespace orveline
