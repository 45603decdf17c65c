// Monitors through EnumDisplayMonitors, GetMonitorInfoA and EnumDisplaySettingsA.
#include "win32_monitors.h"

namespace orveline {

namespace {

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFOEXA info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;
    MonitorArea area;
    area.x = info.rcMonitor.left;
    area.y = info.rcMonitor.top;
    area.width = info.rcMonitor.right - info.rcMonitor.left;
    area.height = info.rcMonitor.bottom - info.rcMonitor.top;
    area.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    // NOTE: 0 and 1 are the system's "hardware default": no rate to pace by.
    if (EnumDisplaySettingsA(info.szDevice, ENUM_CURRENT_SETTINGS, &mode) &&
        mode.dmDisplayFrequency > 1) {
        area.refreshHz = mode.dmDisplayFrequency;
    }
    reinterpret_cast<std::vector<MonitorArea>*>(list)->push_back(area);
    return TRUE;
}

}  // namespace

RECT virtualScreen() {
    RECT r;
    r.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    r.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    r.right = r.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    r.bottom = r.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (r.right <= r.left || r.bottom <= r.top) {
        // A system that reports no virtual screen still has its primary one.
        r = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return r;
}

std::vector<MonitorArea> screenMonitors() {
    std::vector<MonitorArea> monitors;
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

}  // namespace orveline
