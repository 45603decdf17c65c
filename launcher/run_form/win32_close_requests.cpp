// Windows close requests: the end of the user's session. The system asks every top-level window
// whether the session may end; a hidden window of our own hears that and closes the run form
// (which stops the music and ends the process) before the session goes.
#include <windows.h>

#include <utility>

#include "close_requests.h"

namespace orveline {

namespace {

constexpr char kSessionWatchClass[] = "OrvelineSessionWatch";

LRESULT CALLBACK sessionWatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) {
        auto* onClose =
            reinterpret_cast<std::function<void()>*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (onClose && *onClose) (*onClose)();
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class SessionCloseRequests : public CloseRequests {
  public:
    explicit SessionCloseRequests(std::function<void()> onClose) : onClose_(std::move(onClose)) {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = sessionWatchProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kSessionWatchClass;
        RegisterClassA(&windowClass);
        // A top-level window (never shown): message-only windows hear no session messages.
        window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kSessionWatchClass, "", WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, instance, nullptr);
        if (window_) {
            SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&onClose_));
        }
    }
    ~SessionCloseRequests() override {
        if (window_) DestroyWindow(window_);
    }
    SessionCloseRequests(const SessionCloseRequests&) = delete;
    SessionCloseRequests& operator=(const SessionCloseRequests&) = delete;

  private:
    std::function<void()> onClose_;
    HWND window_ = nullptr;
};

}  // namespace

std::unique_ptr<CloseRequests> watchCloseRequests(std::function<void()> onClose) {
    return std::make_unique<SessionCloseRequests>(std::move(onClose));
}

}  // namespace orveline
