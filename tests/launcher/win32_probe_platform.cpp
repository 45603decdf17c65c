#include <windows.h>

#include "probe_platform.h"
#include "win32_launcher_platform.h"

namespace orveline::test {

std::unique_ptr<LauncherPlatform> makeProbePlatform() {
    return std::make_unique<Win32LauncherPlatform>();
}

namespace {

BOOL CALLBACK collectStatic(HWND child, LPARAM out) {
    char className[64] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0) {
        char text[1024] = {};
        GetWindowTextA(child, text, sizeof text);
        *reinterpret_cast<std::string*>(out) += text;
    }
    return TRUE;
}

}  // namespace

std::string windowText(const std::string& title) {
    const HWND window = FindWindowA(nullptr, title.c_str());
    std::string text;
    if (window) EnumChildWindows(window, collectStatic, reinterpret_cast<LPARAM>(&text));
    return text;
}

}  // namespace orveline::test
