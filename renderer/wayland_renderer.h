// The renderer on a Wayland desktop whose compositor offers the wlroots layer shell (sway and
// the other wlroots desktops, KDE Plasma). Elsewhere the X11 renderer runs, through Xwayland
// where the desktop is a Wayland one without a layer shell (GNOME).
#pragma once

#include <optional>

namespace orveline {

// Runs a full-screen run natively on Wayland and returns its exit code. Nothing when
// WAYLAND_DISPLAY is unset, the compositor cannot be reached, offers no layer shell or EGL
// cannot draw there: the caller then runs the X11 renderer.
std::optional<int> runWaylandRenderer();

}  // namespace orveline
