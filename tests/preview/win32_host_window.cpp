// A stand-in host for the preview under Wine: a borderless grey top-level window of the given
// outer size at 10, 10, titled "Orveline preview host". Prints its handle in decimal, then, once
// a child window "Preview Window" shows in it, "child <left> <top> <right> <bottom> <style>"
// (screen pixels, style in hex), and runs until the window is closed (a WM_CLOSE posted to it
// destroys it, and its children with it).
//   win32_host_window <width> <height>
//   win32_host_window desktop            prints the desktop window's handle
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static bool reported = false;
    if (message == WM_TIMER && !reported) {
        const HWND child = FindWindowExA(window, nullptr, nullptr, "Preview Window");
        RECT rect{};
        // Once shown: the preview takes the host as parent before it sizes and shows itself.
        if (child && (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) &&
            GetWindowRect(child, &rect)) {
            reported = true;
            std::printf("child %ld %ld %ld %ld %lx\n", rect.left, rect.top, rect.right, rect.bottom,
                        static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)));
            std::fflush(stdout);
        }
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "desktop") == 0) {
        std::printf("%ld\n", static_cast<long>(reinterpret_cast<INT_PTR>(GetDesktopWindow())));
        return 0;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: win32_host_window <width> <height>\n");
        return 2;
    }
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = hostProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = "OrvelinePreviewHost";
    if (!RegisterClassA(&windowClass)) return 1;
    const HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Orveline preview host",
                                        WS_POPUP | WS_VISIBLE, 10, 10, std::atoi(argv[1]),
                                        std::atoi(argv[2]), nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    std::printf("%ld\n", static_cast<long>(reinterpret_cast<INT_PTR>(window)));
    std::fflush(stdout);
    SetTimer(window, 1, 100, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
