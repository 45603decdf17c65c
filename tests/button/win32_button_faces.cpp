// Shows every face of the push button in one window, "Veyra.Command faces", for pictures.
#include <windows.h>

#include <memory>
#include <vector>

#include "button_faces.h"
#include "win32_command.h"

namespace {

LRESULT CALLBACK FacesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PRINTCLIENT) {
        RECT all;
        GetClientRect(window, &all);
        FillRect(reinterpret_cast<HDC>(wParam), &all,
                 reinterpret_cast<HBRUSH>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND)));
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace orveline;
    WNDCLASSA wc{};
    wc.lpfnWndProc = FacesProc;
    wc.hInstance = instance;
    wc.hbrBackground = CreateSolidBrush(kFaceBackground);
    wc.lpszClassName = "VeyraCommandFaces";
    RegisterClassA(&wc);
    RECT outer{0, 0, testing::kFaceMargin * 2 + testing::kFaceSpacing * testing::kFaceCount, 45};
    AdjustWindowRect(&outer, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, FALSE);
    HWND window =
        CreateWindowA("VeyraCommandFaces", "Veyra.Command faces",
                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 100, 100, outer.right - outer.left,
                      outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    std::vector<std::unique_ptr<Win32CommandButton>> buttons;
    for (int i = 0; i < testing::kFaceCount; ++i) {
        const testing::Face& face = testing::kFaces[i];
        auto button = std::make_unique<Win32CommandButton>(
            window, testing::kFaceMargin + i * testing::kFaceSpacing, testing::kFaceMargin,
            face.width / kTwipsPerPixel, face.height / kTwipsPerPixel);
        PropertyStore saved;
        saved.WriteProperty("Caption", std::string(face.caption), std::string("Command1"));
        button->Control().UserControl_ReadProperties(saved);
        buttons.push_back(std::move(button));
    }
    ShowWindow(window, SW_SHOW);
    for (int i = 0; i < testing::kFaceCount; ++i) {
        testing::DriveFace(buttons[static_cast<std::size_t>(i)]->Control(), i);
        buttons[static_cast<std::size_t>(i)]->StopPointerPoll();
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    buttons.clear();
    return 0;
}
