// The Windows renderer program: WinMain, the full-screen window of class
// "WindowsScreenSaverClass" and the message loop that draws whenever no message is waiting. The
// window procedure's stages and the picture are the portable core's (saver_stages.h); this file
// turns window messages into its messages and serves it cursor, messages, title, the password
// check and a WGL surface.
#include <windows.h>

#include <ctime>
#include <memory>

#include "gl_api.h"
#include "renderer_settings.h"
#include "saver_stages.h"
#include "win32_password.h"
#include "win32_renderer_messages.h"
#include "win32_resources.h"
#include "win32_wgl.h"

namespace orveline {

namespace {

// The renderer's services on Windows: cursor, messages, title, password check and the WGL surface.
class Win32RendererPlatform final : public RendererPlatform {
  public:
    HWND window = nullptr;

    CursorPosition cursorPosition() override {
        POINT p{};
        GetCursorPos(&p);
        CursorPosition position;
        position.x = p.x;
        position.y = p.y;
        return position;
    }
    void hideCursor() override { SetCursor(nullptr); }
    void postClose() override { PostMessageA(window, WM_CLOSE, 0, 0); }
    void postQuit(int exitCode) override { PostQuitMessage(exitCode); }
    void setWindowTitle(const char* title) override { SetWindowTextA(window, title); }
    int verifyPassword(RendererState& state) override {
        return orveline::verifyPassword(window, state.passwordDialogUp);
    }
    MessageResult defaultHandling(const WindowMessage& message) override {
        const auto* native = static_cast<const NativeMessage*>(message.native);
        return DefWindowProcA(native->window, native->message, native->wParam, native->lParam);
    }
    std::uint32_t calendarTime() override { return static_cast<std::uint32_t>(std::time(nullptr)); }
    ClientRect createContext() override {
        surface_ = std::make_unique<WglSurface>(window);
        const RECT& r = surface_->clientRect();
        ClientRect client;
        client.left = r.left;
        client.top = r.top;
        client.right = r.right;
        client.bottom = r.bottom;
        return client;
    }
    void releaseContext() override { surface_.reset(); }
    const GlApi& gl() override { return systemGlApi(); }
    void present() override {
        if (surface_) surface_->swapBuffers();
    }

  private:
    std::unique_ptr<WglSurface> surface_;
};

// The renderer's process-wide state: it has one window.
struct RendererProcess {
    HINSTANCE instance = nullptr;
    RendererState state;
    Win32RendererPlatform platform;
};

RendererProcess& process() {
    static RendererProcess p;
    return p;
}

// The window procedure of the class: the three stages of the portable core.
LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RendererProcess& p = process();
    // WM_CREATE arrives before CreateWindowExA returns the handle.
    p.platform.window = window;
    const NativeMessage native{window, message, wParam, lParam};
    return screenSaverProc(p.state, p.platform, translateMessage(native));
}

}  // namespace

// --- Entry and message loop ---

int runScreenSaver() {
    RendererProcess& p = process();
    WNDCLASSA wc{};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = p.instance;
    wc.hIcon = LoadIconA(p.instance, MAKEINTRESOURCEA(IDI_ORVELINE_RENDERER));
    wc.hCursor = nullptr;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kRendererWindowClass;

    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);

    HWND existing = FindWindowA(kRendererWindowClass, kRendererInitialTitle);
    if (existing && IsWindow(existing)) {
        SetForegroundWindow(existing);
        return 0;
    }
    if (!RegisterClassA(&wc)) return 1;
    HWND window = CreateWindowExA(WS_EX_TOPMOST, kRendererWindowClass, kRendererInitialTitle,
                                  WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                  width, height, nullptr, nullptr, p.instance, nullptr);
    if (!window) return 1;
    SetForegroundWindow(window);

    MSG msg{};
    for (;;) {
        while (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            idleFrame(p.state, p.platform);
            Sleep(0);
        }
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) break;  // WM_QUIT, or an error: never spin
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace orveline

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    orveline::process().instance = instance;
    return orveline::runScreenSaver();
}
