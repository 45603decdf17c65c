// The monitors of the Windows desktop, for the renderer's full-screen window: the virtual screen
// that holds them all, and each monitor's rectangle and refresh rate. Pairs with
// win32_renderer.cpp, which covers the virtual screen and hands the list to the desk.
#pragma once

#include <windows.h>

#include <vector>

#include "desk.h"

namespace orveline {

// The bounding rectangle of every monitor, in screen coordinates (its origin may be negative).
RECT virtualScreen();

// Every monitor in screen coordinates, as EnumDisplayMonitors lists them, the primary marked;
// refresh rates the system calls "hardware default" count as unknown.
std::vector<MonitorArea> screenMonitors();

}  // namespace orveline
