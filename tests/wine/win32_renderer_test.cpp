// The Windows renderer's own layer under Wine: how window messages reach the stages, the pixel
// format it picks from the system's list, its WGL surface, and the password check.
#include <gtest/gtest.h>
#include <windows.h>

#include "pixel_format.h"
#include "win32_password.h"
#include "win32_renderer_messages.h"
#include "win32_wgl.h"

namespace orveline {
namespace {

struct MessageCase {
    UINT message;
    WPARAM wParam;
    MessageKind kind;
    bool flag;
    SystemCommand command;
};

TEST(RendererWindowMessages, EachMessageReachesTheStagesAsItsKind) {
    const MessageCase cases[] = {
        {WM_CREATE, 0, MessageKind::Create, false, SystemCommand::Other},
        {WM_DESTROY, 0, MessageKind::Destroy, false, SystemCommand::Other},
        {WM_CLOSE, 0, MessageKind::Close, false, SystemCommand::Other},
        {WM_SHOWWINDOW, 1, MessageKind::ShowWindow, true, SystemCommand::Other},
        {WM_SHOWWINDOW, 0, MessageKind::ShowWindow, false, SystemCommand::Other},
        // Losing the activation is what ends the saver on a switch away.
        {WM_ACTIVATEAPP, 0, MessageKind::ActivateApp, false, SystemCommand::Other},
        {WM_ACTIVATEAPP, 1, MessageKind::ActivateApp, true, SystemCommand::Other},
        {WM_KEYDOWN, VK_SPACE, MessageKind::KeyDown, false, SystemCommand::Other},
        {WM_SYSKEYDOWN, VK_MENU, MessageKind::SysKeyDown, false, SystemCommand::Other},
        {WM_LBUTTONDOWN, MK_LBUTTON, MessageKind::LButtonDown, false, SystemCommand::Other},
        {WM_RBUTTONDOWN, MK_RBUTTON, MessageKind::RButtonDown, false, SystemCommand::Other},
        {WM_MBUTTONDOWN, MK_MBUTTON, MessageKind::MButtonDown, false, SystemCommand::Other},
        {WM_MOUSEMOVE, 0, MessageKind::MouseMove, false, SystemCommand::Other},
        {WM_SETCURSOR, 0, MessageKind::SetCursor, false, SystemCommand::Other},
        // The system's low four bits do not hide the command.
        {WM_SYSCOMMAND, SC_NEXTWINDOW, MessageKind::SysCommand, false, SystemCommand::NextWindow},
        {WM_SYSCOMMAND, SC_PREVWINDOW | 2, MessageKind::SysCommand, false,
         SystemCommand::PrevWindow},
        {WM_SYSCOMMAND, SC_SCREENSAVE, MessageKind::SysCommand, false, SystemCommand::ScreenSave},
        {WM_SYSCOMMAND, SC_CLOSE, MessageKind::SysCommand, false, SystemCommand::Other},
        // Releases, double clicks, the wheel and characters do not end the saver.
        {WM_LBUTTONUP, 0, MessageKind::Other, false, SystemCommand::Other},
        {WM_LBUTTONDBLCLK, 0, MessageKind::Other, false, SystemCommand::Other},
        {WM_MOUSEWHEEL, 0, MessageKind::Other, false, SystemCommand::Other},
        {WM_CHAR, 'a', MessageKind::Other, false, SystemCommand::Other},
        {WM_KEYUP, VK_SPACE, MessageKind::Other, false, SystemCommand::Other},
        {WM_PAINT, 0, MessageKind::Other, false, SystemCommand::Other},
    };
    for (const MessageCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "message 0x" << std::hex << c.message << " wParam 0x" << c.wParam);
        const NativeMessage native{nullptr, c.message, c.wParam, 0};
        const WindowMessage m = translateMessage(native);
        EXPECT_EQ(m.kind, c.kind);
        EXPECT_EQ(m.flag, c.flag);
        EXPECT_EQ(m.command, c.command);
        EXPECT_EQ(m.native, &native);
    }
}

TEST(RendererPasswordCheck, OutsideTheWindows95FamilyTheSaverClosesWithoutADialog) {
    bool dialogUp = false;
    EXPECT_NE(verifyPassword(nullptr, dialogUp), 0);
    EXPECT_FALSE(dialogUp);
}

// A hidden window of a class with its own device context, as the renderer's.
class TestWindow {
  public:
    TestWindow() {
        WNDCLASSA wc{};
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "OrvelineWglTest";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, wc.lpszClassName, "wgl test", WS_POPUP, 0, 0, 64, 48, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    }
    ~TestWindow() {
        if (window_) DestroyWindow(window_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND get() const { return window_; }

  private:
    HWND window_;
};

TEST(RendererPixelFormat, TheBestScoringFormatOfTheSystemListIsSet) {
    TestWindow window;
    ASSERT_NE(window.get(), nullptr);
    HDC dc = GetDC(window.get());
    const std::vector<PixelFormatDescription> formats = describePixelFormats(dc);
    ASSERT_FALSE(formats.empty()) << "no pixel formats: OpenGL is not available under Wine";
    const int best = selectPixelFormat(formats);
    ASSERT_GE(best, 0);

    selectPixelFormat(dc);
    // List position i is format i + 1.
    const int set = GetPixelFormat(dc);
    EXPECT_EQ(set, best + 1);
    PIXELFORMATDESCRIPTOR pfd;
    ASSERT_NE(DescribePixelFormat(dc, set, sizeof pfd, &pfd), 0);
    const DWORD required = PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER;
    EXPECT_EQ(pfd.dwFlags & required, required);
    EXPECT_EQ(pfd.iPixelType, PFD_TYPE_RGBA);
    EXPECT_EQ(scorePixelFormat(formats[best]), scorePixelFormat(formats[set - 1]));
    ReleaseDC(window.get(), dc);
}

TEST(RendererWglSurface, IsCurrentWhileItLivesAndReleasedAfter) {
    TestWindow window;
    ASSERT_NE(window.get(), nullptr);
    {
        WglSurface surface(window.get());
        EXPECT_NE(wglGetCurrentContext(), nullptr);
        EXPECT_EQ(surface.clientRect().right, 64);
        EXPECT_EQ(surface.clientRect().bottom, 48);
        surface.swapBuffers();
    }
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

}  // namespace
}  // namespace orveline
