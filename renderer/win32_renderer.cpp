// The Windows renderer program: WinMain, the full-screen window of class
// "WindowsScreenSaverClass" over the whole virtual screen, and the message loop that draws a frame
// when no message is waiting and the frame pacer says one is due. The window procedure's stages,
// the monitors' scenes and the pacing are the portable core's (saver_stages.h, desk.h,
// frame_pacer.h); this file turns window messages into its messages and serves it cursor,
// messages, title, the password check, the monitors and a WGL surface.
#include <windows.h>
// windows.h first: the multimedia header needs its types.
#include <mmsystem.h>

#include <chrono>
#include <ctime>
#include <memory>

#include "frame_pacer.h"
#include "gl_api.h"
#include "renderer_settings.h"
#include "saver_stages.h"
#include "win32_monitors.h"
#include "win32_password.h"
#include "win32_renderer_messages.h"
#include "win32_resources.h"
#include "win32_wgl.h"

namespace orveline {

namespace {

// The renderer's services on Windows: cursor, messages, title, password check, monitors and the
// WGL surface.
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
        return toClient(surface_->clientRect());
    }
    std::vector<MonitorArea> monitors() override {
        RECT r{};
        GetWindowRect(window, &r);
        return monitorsInWindow(screenMonitors(), r.left, r.top, r.right - r.left,
                                r.bottom - r.top);
    }
    void releaseContext() override { surface_.reset(); }
    const GlApi& gl() override { return systemGlApi(); }
    void present() override {
        if (surface_) surface_->swapBuffers();
    }
    // Ties the swap to the display where the driver can, for about 60 frames a second.
    void paceSwaps(double refreshHz) {
        if (surface_) surface_->setSwapInterval(swapIntervalFor(refreshHz));
    }

    static ClientRect toClient(const RECT& r) {
        ClientRect client;
        client.left = r.left;
        client.top = r.top;
        client.right = r.right;
        client.bottom = r.bottom;
        return client;
    }

  private:
    std::unique_ptr<WglSurface> surface_;
};

// The renderer's process-wide state: it has one window.
struct RendererProcess {
    HINSTANCE instance = nullptr;
    RendererState state;
    Win32RendererPlatform platform;
    FramePacer pacer{PacerClock::now()};
    bool following = false;  // inside followDisplays, whose own move must not start it again
};

RendererProcess& process() {
    static RendererProcess p;
    return p;
}

// A monitor came, went or changed its mode: the window covers the new virtual screen, the scenes
// follow the monitors, and the swap and the pacer start over for the primary's refresh rate.
void followDisplays(RendererProcess& p) {
    const RECT screen = virtualScreen();
    // Without activation: losing or taking it would end the run.
    p.following = true;
    SetWindowPos(p.platform.window, HWND_TOPMOST, screen.left, screen.top,
                 screen.right - screen.left, screen.bottom - screen.top, SWP_NOACTIVATE);
    p.following = false;
    RECT client{};
    GetClientRect(p.platform.window, &client);
    reshapeDesk(p.state, p.platform, Win32RendererPlatform::toClient(client));
    p.platform.paceSwaps(p.state.desk.refreshHz());
    p.pacer = FramePacer(PacerClock::now());
}

bool coversVirtualScreen(HWND window) {
    const RECT screen = virtualScreen();
    RECT r{};
    GetWindowRect(window, &r);
    return EqualRect(&r, &screen) != FALSE;
}

// The window procedure of the class: the three stages of the portable core.
LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RendererProcess& p = process();
    // WM_CREATE arrives before CreateWindowExA returns the handle.
    p.platform.window = window;
    if (message == WM_DISPLAYCHANGE && p.state.renderReady) followDisplays(p);
    // NOTE: another program may move or size the window (under Wine any X client can, with a
    // forged ConfigureNotify, which Wine believes): it covers the virtual screen again, once.
    if (message == WM_WINDOWPOSCHANGED && p.state.renderReady && !p.following &&
        !IsIconic(window) && !coversVirtualScreen(window))
        followDisplays(p);
    const NativeMessage native{window, message, wParam, lParam};
    return screenSaverProc(p.state, p.platform, translateMessage(native));
}

// A 1 ms system timer while the run lasts: with the default tick of about 15.6 ms every wait for
// the next frame would come out a whole tick or two long.
class TimerResolution {
  public:
    TimerResolution() : set_(timeBeginPeriod(1) == TIMERR_NOERROR) {}
    ~TimerResolution() {
        if (set_) timeEndPeriod(1);
    }
    TimerResolution(const TimerResolution&) = delete;
    TimerResolution& operator=(const TimerResolution&) = delete;

  private:
    bool set_;
};

// Waits until a message arrives or the time has passed. Rounded up to whole milliseconds, so that
// a frame comes at most a millisecond late instead of the loop spinning through the remainder.
void waitForMessages(PacerClock::duration wait) {
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms), QS_ALLINPUT);
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

    // Every monitor: the virtual screen, which may start left of or above the primary.
    const RECT screen = virtualScreen();

    HWND existing = FindWindowA(kRendererWindowClass, kRendererInitialTitle);
    if (existing && IsWindow(existing)) {
        SetForegroundWindow(existing);
        return 0;
    }
    if (!RegisterClassA(&wc)) return 1;
    HWND window =
        CreateWindowExA(WS_EX_TOPMOST, kRendererWindowClass, kRendererInitialTitle,
                        WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, screen.left,
                        screen.top, screen.right - screen.left, screen.bottom - screen.top, nullptr,
                        nullptr, p.instance, nullptr);
    if (!window) return 1;
    SetForegroundWindow(window);

    const TimerResolution resolution;
    p.platform.paceSwaps(p.state.desk.refreshHz());
    p.pacer = FramePacer(PacerClock::now());
    MSG msg{};
    for (;;) {
        // Every waiting message first; a frame only when none is left and one is due.
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const PacerClock::duration wait = p.pacer.untilNextFrame(PacerClock::now());
        if (wait > PacerClock::duration::zero()) {
            waitForMessages(wait);
            continue;
        }
        idleFrame(p.state, p.platform);
        p.pacer.frameShown(PacerClock::now());
    }
}

}  // namespace orveline

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    orveline::process().instance = instance;
    return orveline::runScreenSaver();
}
