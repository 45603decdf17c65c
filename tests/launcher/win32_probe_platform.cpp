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
        // Read wide, as UTF-8: what the box shows, whatever the process's code page.
        wchar_t text[1024] = {};
        const int length = GetWindowTextW(child, text, 1024);
        char utf8[4096] = {};
        WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, sizeof utf8 - 1, nullptr, nullptr);
        *reinterpret_cast<std::string*>(out) += utf8;
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
