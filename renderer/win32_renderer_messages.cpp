#include "win32_renderer_messages.h"

namespace orveline {

WindowMessage translateMessage(const NativeMessage& native) {
    WindowMessage m;
    m.native = &native;
    switch (native.message) {
        case WM_CREATE:
            m.kind = MessageKind::Create;
            break;
        case WM_DESTROY:
            m.kind = MessageKind::Destroy;
            break;
        case WM_CLOSE:
            m.kind = MessageKind::Close;
            break;
        case WM_SHOWWINDOW:
            m.kind = MessageKind::ShowWindow;
            m.flag = native.wParam != 0;
            break;
        case WM_ACTIVATEAPP:
            m.kind = MessageKind::ActivateApp;
            m.flag = native.wParam != 0;
            break;
        case WM_KEYDOWN:
            m.kind = MessageKind::KeyDown;
            break;
        case WM_SYSKEYDOWN:
            m.kind = MessageKind::SysKeyDown;
            break;
        case WM_LBUTTONDOWN:
            m.kind = MessageKind::LButtonDown;
            break;
        case WM_RBUTTONDOWN:
            m.kind = MessageKind::RButtonDown;
            break;
        case WM_MBUTTONDOWN:
            m.kind = MessageKind::MButtonDown;
            break;
        case WM_MOUSEMOVE:
            m.kind = MessageKind::MouseMove;
            break;
        case WM_SETCURSOR:
            m.kind = MessageKind::SetCursor;
            break;
        case WM_SYSCOMMAND:
            m.kind = MessageKind::SysCommand;
            // The low four bits of a system command are the system's own.
            switch (native.wParam & 0xFFF0) {
                case SC_NEXTWINDOW:
                    m.command = SystemCommand::NextWindow;
                    break;
                case SC_PREVWINDOW:
                    m.command = SystemCommand::PrevWindow;
                    break;
                case SC_SCREENSAVE:
                    m.command = SystemCommand::ScreenSave;
                    break;
                default:
                    break;
            }
            break;
        default:
            break;
    }
    return m;
}

}  // namespace orveline
