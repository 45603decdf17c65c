// wintool: a small Windows console program that the end-to-end tests run under Wine to see the
// Windows side of things: windows looked up by title through FindWindowA (the same lookup the
// launcher uses), their rectangles, messages posted to them, a stand-in window of any class, the
// ANSI code page and the resources of a program file.
//
//   wintool find <title> [class]          print the handle; exit 1 when there is none
//   wintool wait <title> <ms> [class]     wait until the window exists; exit 1 on timeout
//   wintool wait-gone <title> <ms>        wait until no such window exists; exit 1 on timeout
//   wintool rect <title>                  print "left top right bottom" of the window
//   wintool info <title>                  print the window's class and styles (Wine keeps a class's
//                                         icon and cursor in its own process: not readable here)
//   wintool screen                        print the primary screen's width and height
//   wintool virtual-screen                print "left top right bottom" of the virtual screen
//   wintool dpi-awareness <title>         print the window's DPI awareness: unaware, system or
//                                         per-monitor
//   wintool foreground                    print the title of the foreground window
//   wintool post <title> <msg> [wp] [lp]  PostMessageA a message (numbers, decimal or 0x hex)
//   wintool make-window <class> <title> [ms]
//                                         create a visible top-level window, print "ready",
//                                         and run until it is closed or ms have passed; prints
//                                         "foreground" each time it comes to the foreground
//   wintool acp                           print GetACP()
//   wintool resources <file>              print the icon group and string table of a program
//   wintool manifest <file>               print what the system reads from the program's own
//                                         manifest: its DPI settings and its supported systems
//   wintool hold-desktop                  stay a user of the desktop until ended (one at a time)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

long parseNumber(const char* text) {
    return std::strtol(text, nullptr, 0);
}

HWND findByTitle(const char* title, const char* className = nullptr) {
    return FindWindowA(className, title);
}

// Waits for a condition on FindWindowA's result, polling every 50 ms.
bool waitFor(const char* title, const char* className, long timeoutMs, bool wantPresent) {
    const DWORD start = GetTickCount();
    for (;;) {
        const bool present = findByTitle(title, className) != nullptr;
        if (present == wantPresent) return true;
        if (static_cast<long>(GetTickCount() - start) >= timeoutMs) return false;
        Sleep(50);
    }
}

int cmdRect(const char* title) {
    HWND window = findByTitle(title);
    RECT r;
    if (!window || !GetWindowRect(window, &r)) return 1;
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
}

int cmdInfo(const char* title) {
    HWND window = findByTitle(title);
    if (!window) return 1;
    char className[256] = {};
    GetClassNameA(window, className, sizeof className);
    std::printf("class %s\n", className);
    std::printf("style 0x%08lx\n", static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)));
    std::printf("exstyle 0x%08lx\n",
                static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)));
    std::printf("class-style 0x%08lx\n",
                static_cast<unsigned long>(GetClassLongA(window, GCL_STYLE)));
    return 0;
}

int cmdDpiAwareness(const char* title) {
    HWND window = findByTitle(title);
    if (!window) return 1;
    const int awareness = GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(window));
    if (awareness < DPI_AWARENESS_UNAWARE || awareness > DPI_AWARENESS_PER_MONITOR_AWARE) return 1;
    const char* const names[] = {"unaware", "system", "per-monitor"};
    std::printf("%s\n", names[awareness]);
    return 0;
}

int cmdForeground() {
    HWND window = GetForegroundWindow();
    if (!window) return 1;
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    std::printf("%s\n", title);
    return 0;
}

LRESULT CALLBACK standInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                std::printf("foreground\n");
                std::fflush(stdout);
            }
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int cmdMakeWindow(const char* className, const char* title, long timeoutMs) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = standInProc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = className;
    if (!RegisterClassA(&wc)) return 2;
    HWND window = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                  320, 200, nullptr, nullptr, instance, nullptr);
    if (!window) return 2;
    std::printf("ready\n");
    std::fflush(stdout);
    const UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(timeoutMs), nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
            DestroyWindow(window);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    KillTimer(nullptr, timer);
    return 0;
}

// The icon group directory as stored in a resource (packed, 14 bytes per entry).
#pragma pack(push, 2)
struct IconGroupHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct IconGroupEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

BOOL CALLBACK countIconGroup(HMODULE, LPCSTR, LPSTR, LONG_PTR counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

int cmdResources(const char* file) {
    HMODULE module = LoadLibraryExA(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        std::printf("cannot load %s\n", file);
        return 1;
    }
    int groups = 0;
    EnumResourceNamesA(module, RT_GROUP_ICON, countIconGroup, reinterpret_cast<LONG_PTR>(&groups));
    std::printf("icon-groups %d\n", groups);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(7002), RT_GROUP_ICON);
    if (info) {
        const auto* header =
            static_cast<const IconGroupHeader*>(LockResource(LoadResource(module, info)));
        const auto* entries = reinterpret_cast<const IconGroupEntry*>(header + 1);
        std::printf("icon-group 7002 images %u\n", header->count);
        for (unsigned i = 0; i < header->count; ++i) {
            std::printf("icon %ux%u colours %u bits %u\n", entries[i].width, entries[i].height,
                        entries[i].colorCount, entries[i].bitCount);
        }
    } else {
        std::printf("icon-group 7002 missing\n");
    }
    std::printf("icon 7002 loads %s\n",
                LoadIconA(module, MAKEINTRESOURCEA(7002)) != nullptr ? "yes" : "no");
    char text[256] = {};
    const int length = LoadStringA(module, 1, text, sizeof text);
    std::printf("string 1 %s\n", length > 0 ? text : "(missing)");
    FreeLibrary(module);
    return 0;
}

// A setting of a manifest's windowsSettings, or "(none)".
std::string actCtxSetting(HANDLE context, const wchar_t* space, const wchar_t* name) {
    wchar_t value[128] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, context, space, name, value, 127, &written)) return "(none)";
    std::string text;
    for (const wchar_t* c = value; *c; ++c) text += static_cast<char>(*c);
    return text;
}

int cmdManifest(const char* file) {
    ACTCTXA request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = file;
    request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
    const HANDLE context = CreateActCtxA(&request);
    if (context == INVALID_HANDLE_VALUE) {
        std::printf("no manifest (error %lu)\n", GetLastError());
        return 1;
    }
    std::printf("dpiAware %s\n",
                actCtxSetting(context, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                              L"dpiAware")
                    .c_str());
    std::printf("dpiAwareness %s\n",
                actCtxSetting(context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                              L"dpiAwareness")
                    .c_str());
    // The element layout differs between SDKs, so each system's id is looked for in the bytes.
    SIZE_T size = 0;
    QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, nullptr, 0,
                 &size);
    std::vector<unsigned char> info(size);
    std::string systems;
    unsigned long count = 0;
    if (size >= sizeof(DWORD) &&
        QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, info.data(),
                     size, &size)) {
        count = *reinterpret_cast<const DWORD*>(info.data());
        const struct {
            const char* name;
            GUID id;
        } known[] = {
            {"Vista",
             {0xe2011457, 0x1546, 0x43c5, {0xa5, 0xfe, 0x00, 0x8d, 0xee, 0xe3, 0xd3, 0xf0}}},
            {"7", {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}}},
            {"8", {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}}},
            {"8.1", {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}}},
            {"10", {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}}},
        };
        for (const auto& system : known) {
            for (std::size_t at = 0; at + sizeof(GUID) <= size; ++at) {
                if (std::memcmp(info.data() + at, &system.id, sizeof(GUID)) == 0) {
                    systems += ' ';
                    systems += system.name;
                    break;
                }
            }
        }
    }
    std::printf("supportedOS%s (%lu listed)\n", systems.c_str(), count);
    ReleaseActCtx(context);
    return 0;
}

// Wine closes a desktop 1 s after its last program has ended, and a program that starts just then
// waits 10 s for a new desktop process. Held by a program that lives as long as the prefix's
// server, the desktop stays up between the tests' programs.
int cmdHoldDesktop() {
    const HANDLE single = CreateMutexA(nullptr, FALSE, "Local\\OrvelineWineDesktopHold");
    if (!single || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    // A message-only window: on the desktop, yet found by no window look-up of a test.
    CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    CloseHandle(single);
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: wintool find|wait|wait-gone|rect|info|screen|virtual-screen|dpi-awareness|"
                 "foreground|post|make-window|acp|resources|manifest|hold-desktop ...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string command = argv[1];
    if (command == "find" && argc >= 3) {
        HWND window = findByTitle(argv[2], argc >= 4 ? argv[3] : nullptr);
        if (!window) return 1;
        std::printf("%p\n", static_cast<void*>(window));
        return 0;
    }
    if (command == "wait" && argc >= 4) {
        return waitFor(argv[2], argc >= 5 ? argv[4] : nullptr, parseNumber(argv[3]), true) ? 0 : 1;
    }
    if (command == "wait-gone" && argc >= 4) {
        return waitFor(argv[2], nullptr, parseNumber(argv[3]), false) ? 0 : 1;
    }
    if (command == "rect" && argc >= 3) return cmdRect(argv[2]);
    if (command == "info" && argc >= 3) return cmdInfo(argv[2]);
    if (command == "screen") {
        std::printf("%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        return 0;
    }
    if (command == "virtual-screen") {
        const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        std::printf("%d %d %d %d\n", left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    top + GetSystemMetrics(SM_CYVIRTUALSCREEN));
        return 0;
    }
    if (command == "dpi-awareness" && argc >= 3) return cmdDpiAwareness(argv[2]);
    if (command == "foreground") return cmdForeground();
    if (command == "post" && argc >= 4) {
        HWND window = findByTitle(argv[2]);
        if (!window) return 1;
        const WPARAM wParam = argc >= 5 ? static_cast<WPARAM>(parseNumber(argv[4])) : 0;
        const LPARAM lParam = argc >= 6 ? static_cast<LPARAM>(parseNumber(argv[5])) : 0;
        return PostMessageA(window, static_cast<UINT>(parseNumber(argv[3])), wParam, lParam) ? 0
                                                                                             : 1;
    }
    if (command == "make-window" && argc >= 4) {
        return cmdMakeWindow(argv[2], argv[3], argc >= 5 ? parseNumber(argv[4]) : 60000);
    }
    if (command == "acp") {
        std::printf("%u\n", GetACP());
        return 0;
    }
    if (command == "resources" && argc >= 3) return cmdResources(argv[2]);
    if (command == "manifest" && argc >= 3) return cmdManifest(argv[2]);
    if (command == "hold-desktop") return cmdHoldDesktop();
    return usage();
}
