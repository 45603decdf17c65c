#include "win32_settings_dialog.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "dialog_layout.h"
#include "launcher_platform.h"
#include "veyra_b.h"

namespace orveline {

using namespace dialog_layout;

namespace {

constexpr char kFormClass[] = "Veyra_P";
constexpr char kPanelClass[] = "Veyra_P.Pic_C";
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

RECT PixelRect(const Place& p) {
    return {Px(p.Left), Px(p.Top), Px(p.Left) + Px(p.Width), Px(p.Top) + Px(p.Height)};
}

COLORREF FromBgr(std::uint32_t bgr) {
    return static_cast<COLORREF>(bgr & 0xFFFFFF);
}

// One twip row of a background: its pixel row takes the colour of the last line drawn in it.
void DrawTwipLine(const MemoryCanvas& canvas, int y, std::uint32_t colour) {
    const int row = y / dialog_layout::kTwipsPerPixel;
    if (!canvas.Dc() || row < 0 || row >= canvas.Height()) return;
    RECT line{0, row, canvas.Width(), row + 1};
    GdiObject brush(CreateSolidBrush(FromBgr(colour)));
    FillRect(canvas.Dc(), &line, static_cast<HBRUSH>(brush.Get()));
}

// The dialog a window of the form was created for: its creation parameter, kept in the window's
// user data from the first message on.
Win32SettingsDialog* DialogOf(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<Win32SettingsDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void RegisterClasses(WNDPROC formProc, WNDPROC panelProc) {
    static const bool registered = [&] {
        WNDCLASSA form{};
        form.lpfnWndProc = formProc;
        form.hInstance = GetModuleHandleA(nullptr);
        form.hCursor = LoadCursor(nullptr, IDC_ARROW);
        form.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
        form.lpszClassName = kFormClass;
        WNDCLASSA panel{};
        panel.lpfnWndProc = panelProc;
        panel.hInstance = GetModuleHandleA(nullptr);
        panel.hCursor = LoadCursor(nullptr, IDC_ARROW);
        panel.lpszClassName = kPanelClass;
        return RegisterClassA(&form) != 0 && RegisterClassA(&panel) != 0;
    }();
    (void)registered;
}

// The off mark: white with a thin grey border; the on mark: blue with a darker border.
void DrawMark(HDC dc, int x, int y, bool on) {
    RECT box{x, y, x + kMarkPixels, y + kMarkPixels};
    GdiObject fill(CreateSolidBrush(on ? RGB(0x31, 0x6A, 0xC5) : RGB(0xFF, 0xFF, 0xFF)));
    GdiObject edge(CreateSolidBrush(on ? RGB(0x00, 0x3C, 0x74) : RGB(0x80, 0x80, 0x80)));
    FillRect(dc, &box, static_cast<HBRUSH>(fill.Get()));
    FrameRect(dc, &box, static_cast<HBRUSH>(edge.Get()));
}

// A label's caption, narrowed where it is wider than its room.
void DrawCaption(HDC dc, HFONT font, RECT box, int room, const char* text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    GdiObject narrow;
    HGDIOBJ previous = nullptr;
    if (size.cx > room && room > 0) {
        LOGFONTA shape{};
        TEXTMETRICA metrics{};
        GetObjectA(font, sizeof shape, &shape);
        GetTextMetricsA(dc, &metrics);
        shape.lfWidth = std::max<LONG>(1, metrics.tmAveCharWidth * room / size.cx);
        narrow = GdiObject(CreateFontIndirectA(&shape));
        if (narrow.Get()) previous = SelectObject(dc, narrow.Get());
    }
    DrawTextA(dc, text, -1, &box, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_NOCLIP);
    if (previous) SelectObject(dc, previous);
}

}  // namespace

Win32SettingsDialog::Win32SettingsDialog(Language language) : language_(language) {
    RegisterClasses(&FormProc, &PanelProc);
    Win32CommandButton::RegisterWindowClass();
    font_ = GdiObject(CreateCaptionFont(BuiltInCaptionFont()));

    RECT outer{0, 0, Px(kClient.Width), Px(kClient.Height)};
    AdjustWindowRectEx(&outer, kFormStyle, FALSE, kFormExStyle);
    form_ = CreateWindowExA(kFormExStyle, kFormClass, kTitle, kFormStyle, 0, 0,
                            outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                            GetModuleHandleA(nullptr), this);
    HDC screen = GetDC(nullptr);
    formBackground_.Resize(screen, Px(kClient.Width), Px(kClient.Height));
    panelBackground_.Resize(screen, Px(kPanel.Width), Px(kPanel.Height));
    ReleaseDC(nullptr, screen);

    const RECT panel = PixelRect(kPanel);
    panel_ = CreateWindowExA(WS_EX_CONTROLPARENT, kPanelClass, "",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, panel.left,
                             panel.top, panel.right - panel.left, panel.bottom - panel.top, form_,
                             nullptr, GetModuleHandleA(nullptr), this);
    const RECT combo = PixelRect(kRepeat);
    // The height of a drop-down combo box includes its list.
    repeat_ = CreateWindowExA(0, "COMBOBOX", "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN,
                              combo.left, combo.top, combo.right - combo.left, 200, panel_, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    SendMessageA(repeat_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);

    auto add = [&](HWND parent, const char* caption, const Place& p) {
        return AddButton(parent, caption, Px(p.Left), Px(p.Top), Px(p.Width), Px(p.Height));
    };
    cmdBgm_ = add(panel_, kCaptionBrowse, kCmdBgm);
    cmdSet_ = add(form_, TextOf(Text::CmdSet, language_), kCmdSet);
    cmdCan_ = add(form_, TextOf(Text::CmdCancel, language_), kCmdCan);
    cmdEtc_ = add(form_, TextOf(Text::CmdOther, language_), kCmdEtc);

    ConnectButtonClicks(presenter_, cmdBgm_->Control(), cmdSet_->Control(), cmdCan_->Control(),
                        cmdEtc_->Control());
}

Win32SettingsDialog::~Win32SettingsDialog() {
    cmdBgm_.reset();
    cmdSet_.reset();
    cmdCan_.reset();
    cmdEtc_.reset();
    if (form_) {
        SetWindowLongPtrA(form_, GWLP_USERDATA, 0);
        if (panel_) SetWindowLongPtrA(panel_, GWLP_USERDATA, 0);
        DestroyWindow(form_);
    }
}

std::unique_ptr<Win32CommandButton> Win32SettingsDialog::AddButton(HWND parent, const char* caption,
                                                                   int x, int y, int width,
                                                                   int height) {
    auto button = std::make_unique<Win32CommandButton>(parent, x, y, width, height);
    // The form's saved layout: each button differs from the defaults only in its caption.
    PropertyStore saved;
    saved.WriteProperty("Caption", std::string(caption), std::string("Command1"));
    button->Control().UserControl_ReadProperties(saved);
    return button;
}

void Win32SettingsDialog::RunModal() {
    ShowWindow(form_, SW_SHOW);
    SetForegroundWindow(form_);
    SetFocus(panel_);
    MSG message;
    while (!closed_) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // leave the quit to the caller
            break;
        }
        if (got < 0) break;
        if (IsDialogMessageA(form_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int Win32SettingsDialog::FormWidth() {
    RECT r{};
    GetWindowRect(form_, &r);
    return Twips(r.right - r.left);
}

int Win32SettingsDialog::FormHeight() {
    RECT r{};
    GetWindowRect(form_, &r);
    return Twips(r.bottom - r.top);
}

int Win32SettingsDialog::ScreenWidth() {
    return Twips(GetSystemMetrics(SM_CXSCREEN));
}
int Win32SettingsDialog::ScreenHeight() {
    return Twips(GetSystemMetrics(SM_CYSCREEN));
}

void Win32SettingsDialog::MoveForm(int left, int top) {
    SetWindowPos(form_, nullptr, Px(left), Px(top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

ScreenRect Win32SettingsDialog::WindowRect() {
    RECT r{};
    GetWindowRect(form_, &r);
    return {r.left, r.top, r.right, r.bottom};
}

std::vector<Command*> Win32SettingsDialog::ButtonControls() {
    return {&cmdBgm_->Control(), &cmdSet_->Control(), &cmdCan_->Control(), &cmdEtc_->Control()};
}

void Win32SettingsDialog::ShowOptionMark(int index, bool on) {
    if (index < 0 || index > 2) return;
    marks_[static_cast<std::size_t>(index)] = on;
    RECT box = PixelRect(kOptionMark[index]);
    InvalidateRect(panel_, &box, FALSE);
}

void Win32SettingsDialog::SetRepeatEnabled(bool enabled) {
    EnableWindow(repeat_, enabled);
}

void Win32SettingsDialog::SetRepeatText(const std::string& text) {
    SetWindowTextA(repeat_, text.c_str());
}

std::string Win32SettingsDialog::RepeatText() {
    const int length = GetWindowTextLengthA(repeat_);
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(repeat_, text.data(), length + 1);
    return std::string(text.data());
}

void Win32SettingsDialog::AddRepeatItem(const std::string& text) {
    SendMessageA(repeat_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32SettingsDialog::SetFileCaption(const std::string& text) {
    fileName_ = text;
    RECT box = PixelRect(kFileName);
    InvalidateRect(panel_, &box, FALSE);
}

int Win32SettingsDialog::FormInnerHeight() {
    RECT r{};
    GetClientRect(form_, &r);
    return Twips(r.bottom - r.top);
}

int Win32SettingsDialog::PanelInnerHeight() {
    RECT r{};
    GetClientRect(panel_, &r);
    return Twips(r.bottom - r.top);
}

void Win32SettingsDialog::DrawFormLine(int y, std::uint32_t colour) {
    DrawTwipLine(formBackground_, y, colour);
    InvalidateRect(form_, nullptr, FALSE);
}

void Win32SettingsDialog::DrawPanelLine(int y, std::uint32_t colour) {
    DrawTwipLine(panelBackground_, y, colour);
    InvalidateRect(panel_, nullptr, FALSE);
}

void Win32SettingsDialog::Close() {
    // The window goes with the form's destruction right after the loop: hiding it first would
    // only cost time (NOTE: Wine waits up to 2 s for a window manager to confirm the unmap).
    closed_ = true;
    PostMessageA(form_, WM_NULL, 0, 0);  // wakes the modal loop
}

LRESULT CALLBACK Win32SettingsDialog::FormProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    auto* self = DialogOf(window, message, lParam);
    if (self == nullptr || self->form_ == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    return self->HandleForm(message, wParam, lParam);
}

LRESULT CALLBACK Win32SettingsDialog::PanelProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    auto* self = DialogOf(window, message, lParam);
    if (self == nullptr || self->panel_ == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    return self->HandlePanel(message, wParam, lParam);
}

LRESULT Win32SettingsDialog::HandleForm(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(form_, &ps);
            if (formBackground_.Dc())
                BitBlt(dc, 0, 0, formBackground_.Width(), formBackground_.Height(),
                       formBackground_.Dc(), 0, 0, SRCCOPY);
            EndPaint(form_, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            // What lies under a control with a transparent face.
            if (formBackground_.Dc())
                BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, formBackground_.Width(),
                       formBackground_.Height(), formBackground_.Dc(), 0, 0, SRCCOPY);
            return 0;
        case WM_SIZE:
            if (presenter_ && formBackground_.Dc()) presenter_->Form_Resize();
            return 0;
        case WM_CLOSE:
            // The close box saves nothing.
            if (presenter_) presenter_->Form_Unload();
            Close();
            return 0;
        case WM_COMMAND:
            // Enter and Escape, turned into IDOK and IDCANCEL by the dialog keys, do nothing.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) return 0;
            break;
        default:
            break;
    }
    return DefWindowProcA(form_, message, wParam, lParam);
}

LRESULT Win32SettingsDialog::HandlePanel(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(panel_, &ps);
            PaintPanel(dc);
            EndPaint(panel_, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            PaintPanel(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            SetFocus(panel_);
            const int x = static_cast<short>(LOWORD(lParam));
            const int y = static_cast<short>(HIWORD(lParam));
            const int index = OptionAt(x, y);
            if (index < 0 || !presenter_) return 0;
            const int button = message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4;
            const RECT mark = PixelRect(kOptionMark[index]);
            const POINT at{x, y};
            if (PtInRect(&mark, at))
                presenter_->Img_BGM_MouseDown(index, button, 0, static_cast<float>(Twips(x)),
                                              static_cast<float>(Twips(y)));
            else
                presenter_->lbl_BGM_MouseDown(index, button, 0, static_cast<float>(Twips(x)),
                                              static_cast<float>(Twips(y)));
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcA(panel_, message, wParam, lParam);
}

void Win32SettingsDialog::PaintPanel(HDC dc) {
    // Drawn off screen first, so that the controls on the background never flicker.
    MemoryCanvas canvas;
    canvas.Resize(dc, panelBackground_.Width(), panelBackground_.Height());
    HDC target = canvas.Dc() ? canvas.Dc() : dc;
    if (panelBackground_.Dc())
        BitBlt(target, 0, 0, panelBackground_.Width(), panelBackground_.Height(),
               panelBackground_.Dc(), 0, 0, SRCCOPY);
    RECT frame = PixelRect(kHeadingFrame);
    FrameRect(target, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HGDIOBJ previous = SelectObject(target, font_.Get());
    SetBkMode(target, TRANSPARENT);
    SetTextColor(target, RGB(0, 0, 0));
    RECT heading = PixelRect(kHeading);
    DrawTextA(target, TextOf(Text::Heading, language_), -1, &heading,
              DT_CENTER | DT_TOP | DT_NOPREFIX);
    const HFONT font = static_cast<HFONT>(font_.Get());
    DrawCaption(target, font, PixelRect(kRepeatCaption), kRepeatCaptionRoom,
                TextOf(Text::RepeatCaption, language_));
    for (int i = 0; i < 3; ++i) {
        DrawCaption(target, font, PixelRect(kOptionLabel[i]), kOptionRoom[i],
                    TextOf(kOptionText[i], language_));
        const RECT mark = PixelRect(kOptionMark[i]);
        DrawMark(target, mark.left, mark.top, marks_[static_cast<std::size_t>(i)]);
    }
    RECT file = PixelRect(kFileName);
    DrawTextA(target, fileName_.c_str(), -1, &file,
              DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    SelectObject(target, previous);
    if (target != dc) BitBlt(dc, 0, 0, canvas.Width(), canvas.Height(), canvas.Dc(), 0, 0, SRCCOPY);
}

Win32SettingsDialogPlatform::Win32SettingsDialogPlatform(LauncherPlatform& launcher, HWND owner)
    : LauncherDialogPlatform(launcher), owner_(owner) {}

std::optional<std::string> Win32SettingsDialogPlatform::ChooseFile(
    const FileChooserRequest& request) {
    std::string filter = request.FilterDescription;
    filter.push_back('\0');
    filter += request.FilterPattern;
    filter.push_back('\0');
    filter.push_back('\0');
    std::vector<char> file(256, '\0');
    std::vector<char> fileTitle(256, '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner_;
    ofn.hInstance = GetModuleHandleA(nullptr);
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = 255;
    ofn.lpstrFileTitle = fileTitle.data();
    ofn.nMaxFileTitle = 255;
    ofn.lpstrTitle = request.Title.c_str();
    ofn.Flags = 0;
    if (GetOpenFileNameA(&ofn) <= 0) return std::nullopt;
    return std::string(file.data());
}

void Win32SettingsDialogPlatform::OpenWebPage(const std::string& address) {
    ShellExecuteA(owner_, "open", address.c_str(), "", "", SW_SHOWNORMAL);
}

void Win32SettingsDialogPlatform::SetMousePointer(MousePointer pointer) {
    SetCursor(LoadCursor(nullptr, pointer == MousePointer::Hourglass ? IDC_WAIT : IDC_ARROW));
}

void Win32SettingsDialogPlatform::ShowMessage(const std::string& text) {
    MessageBoxA(owner_, text.c_str(), kApplicationTitle, MB_OK | MB_ICONEXCLAMATION);
}

void Win32SettingsDialogPlatform::DrawAnimatedRects(const ScreenRect& from, const ScreenRect& to) {
    const RECT start{from.Left, from.Top, from.Right, from.Bottom};
    const RECT end{to.Left, to.Top, to.Right, to.Bottom};
    ::DrawAnimatedRects(owner_, IDANI_CAPTION, &start, &end);
}

}  // namespace orveline
