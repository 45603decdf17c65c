// The launcher on a Wayland desktop (WAYLAND_DISPLAY set): the Linux platform with the window
// look-ups that X11 cannot answer there. The renderer may draw on Wayland's own surfaces, which
// have no titles, so the renderer's "window" is the renderer process we started being alive.
// The run form and the settings dialog are seen by the single-instance lock of the Wayland display
// (LinuxLauncherPlatform::takeInstanceLock), whether their windows are Wayland or X11 ones. Where
// an X display exists too (Xwayland), its look-ups still count.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "x11_launcher_platform.h"

namespace orveline {

class WaylandLauncherPlatform final : public LinuxLauncherPlatform {
  public:
    explicit WaylandLauncherPlatform(std::vector<std::string> arguments);

    bool windowExists(const std::string& title) override;
    std::unique_ptr<StartedProgram> startProgram(const std::string& path,
                                                 const std::vector<std::string>& arguments,
                                                 int showState, bool endsWithLauncher) override;

  private:
    std::shared_ptr<StartedProgram> renderer_;
};

// True on a Wayland desktop: WAYLAND_DISPLAY names a compositor.
bool WaylandDesktop();

// Why the launcher cannot run with these arguments on a Wayland desktop without an X display,
// or nothing when it can (a full-screen run, the settings dialog). The daemons' modes and the
// preview draw into X windows.
std::optional<std::string> WaylandOnlyRefusal(const std::vector<std::string>& arguments);

}  // namespace orveline
