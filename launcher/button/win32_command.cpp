#include "win32_command.h"

#include <cmath>
#include <vector>

#include "state_images.h"

namespace orveline {

namespace {

constexpr UINT_PTR kMouseTimer = 1;

int ButtonCode(WPARAM keys) {
    int code = 0;
    if (keys & MK_LBUTTON) code |= 1;
    if (keys & MK_RBUTTON) code |= 2;
    if (keys & MK_MBUTTON) code |= 4;
    return code;
}

int ShiftCode(WPARAM keys) {
    int code = 0;
    if (keys & MK_SHIFT) code |= 1;
    if (keys & MK_CONTROL) code |= 2;
    if (GetKeyState(VK_MENU) < 0) code |= 4;
    return code;
}

float TwipsX(LPARAM lParam) {
    return static_cast<float>(static_cast<short>(LOWORD(lParam)) * 15);
}
float TwipsY(LPARAM lParam) {
    return static_cast<float>(static_cast<short>(HIWORD(lParam)) * 15);
}

}  // namespace

GdiObject& GdiObject::operator=(GdiObject&& other) noexcept {
    if (this != &other) {
        if (object_) DeleteObject(object_);
        object_ = other.object_;
        other.object_ = nullptr;
    }
    return *this;
}

GdiObject::~GdiObject() {
    if (object_) DeleteObject(object_);
}

MemoryCanvas::~MemoryCanvas() {
    Release();
}

void MemoryCanvas::Release() {
    if (dc_) {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    previous_ = nullptr;
    width_ = height_ = 0;
}

void MemoryCanvas::Resize(HDC reference, int width, int height) {
    Release();
    width_ = width < 1 ? 1 : width;
    height_ = height < 1 ? 1 : height;
    dc_ = CreateCompatibleDC(reference);
    bitmap_ = CreateCompatibleBitmap(reference, width_, height_);
    if (dc_ && bitmap_) previous_ = SelectObject(dc_, bitmap_);
}

void MemoryCanvas::Load(HDC reference, int width, int height, const std::uint32_t* rgb) {
    Release();
    if (width <= 0 || height <= 0 || rgb == nullptr) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap_ || !bits) return;
    // 0x00RRGGBB is the byte order B, G, R, 0 of a 32-bit DIB.
    std::copy(rgb, rgb + static_cast<std::size_t>(width) * height,
              static_cast<std::uint32_t*>(bits));
    dc_ = CreateCompatibleDC(reference);
    if (dc_) previous_ = SelectObject(dc_, bitmap_);
    width_ = width;
    height_ = height;
}

HFONT CreateCaptionFont(const CaptionFont& font) {
    const int height = -static_cast<int>(std::lround(font.Size * 96.0 / 72.0));
    return CreateFontA(height, 0, 0, 0, font.Weight, font.Italic, font.Underline,
                       font.Strikethrough, static_cast<BYTE>(font.Charset), OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       font.Name.c_str());
}

bool Win32CommandButton::RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &Win32CommandButton::WindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        return RegisterClassA(&wc) != 0;
    }();
    return registered;
}

Win32CommandButton::Win32CommandButton(HWND parent, int x, int y, int width, int height)
    : control_(*this) {
    RegisterWindowClass();
    HDC screen = GetDC(nullptr);
    for (int i = 0; i < 6; ++i) {
        const Pixels& pixels = StateImagePixels(static_cast<StateImage>(i));
        images_[static_cast<std::size_t>(i)].Load(screen, pixels.Width, pixels.Height,
                                                  pixels.Rgb.data());
    }
    ReleaseDC(nullptr, screen);
    window_ = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, width,
                              height, parent, nullptr, GetModuleHandleA(nullptr), this);
}

Win32CommandButton::~Win32CommandButton() {
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool Win32CommandButton::InSameForm(HWND other) const {
    return other != nullptr && GetAncestor(other, GA_ROOT) == GetAncestor(window_, GA_ROOT);
}

void Win32CommandButton::StopPointerPoll() {
    KillTimer(window_, kMouseTimer);
}

LRESULT CALLBACK Win32CommandButton::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<Win32CommandButton*>(create->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32CommandButton*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT Win32CommandButton::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE: {
            width_ = LOWORD(lParam);
            height_ = HIWORD(lParam);
            HDC dc = GetDC(window_);
            face_.Resize(dc, width_, height_);
            ReleaseDC(window_, dc);
            control_.UserControl_Resize();
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_SETFOCUS:
            // Focus coming back with the form's activation is no focus change inside the form.
            if (InSameForm(reinterpret_cast<HWND>(wParam))) control_.UserControl_GotFocus();
            return 0;
        case WM_KILLFOCUS:
            // Nor is focus leaving for another window: a message box, another program.
            if (InSameForm(reinterpret_cast<HWND>(wParam))) control_.UserControl_LostFocus();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK: {
            const int button = (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK)   ? 1
                               : (message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK) ? 2
                                                                                            : 4;
            if (GetFocus() != window_) SetFocus(window_);  // the press gives the focus first
            SetCapture(window_);
            control_.UserControl_MouseDown(button, ShiftCode(wParam), TwipsX(lParam),
                                           TwipsY(lParam));
            return 0;
        }
        case WM_MOUSEMOVE:
            control_.UserControl_MouseMove(ButtonCode(wParam), ShiftCode(wParam), TwipsX(lParam),
                                           TwipsY(lParam));
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const int button = message == WM_LBUTTONUP ? 1 : message == WM_RBUTTONUP ? 2 : 4;
            if (ButtonCode(wParam) == 0 && GetCapture() == window_) ReleaseCapture();
            control_.UserControl_MouseUp(button, ShiftCode(wParam), TwipsX(lParam), TwipsY(lParam));
            return 0;
        }
        case WM_TIMER:
            if (wParam == kMouseTimer) control_.TmrMouse_Timer();
            return 0;
        case WM_GETDLGCODE:
            return 0;
        case WM_NCDESTROY: {
            // Destroyed with its parent: nothing is left to destroy later.
            HWND window = window_;
            KillTimer(window, kMouseTimer);
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            window_ = nullptr;
            return DefWindowProcA(window, message, wParam, lParam);
        }
        default:
            return DefWindowProcA(window_, message, wParam, lParam);
    }
}

void Win32CommandButton::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    if (opaque_ && face_.Dc()) {
        BitBlt(dc, 0, 0, width_, height_, face_.Dc(), 0, 0, SRCCOPY);
    } else {
        // Transparent face: the parent paints what lies under the control, the caption follows.
        HWND parent = GetParent(window_);
        POINT origin{0, 0};
        MapWindowPoints(window_, parent, &origin, 1);
        POINT previousOrigin{};
        SetViewportOrgEx(dc, -origin.x, -origin.y, &previousOrigin);
        SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        SetViewportOrgEx(dc, previousOrigin.x, previousOrigin.y, nullptr);
    }
    if (!font_.Get() || fontOfHandle_ != *caption_.Font) {
        font_ = GdiObject(CreateCaptionFont(*caption_.Font));
        fontOfHandle_ = *caption_.Font;
    }
    HGDIOBJ previous = SelectObject(dc, font_.Get());
    SetBkMode(dc, TRANSPARENT);
    const int top = TwipsToPixels(static_cast<int>(std::lround(caption_.Top)));
    RECT box{TwipsToPixels(caption_.Left), top,
             TwipsToPixels(caption_.Left) + TwipsToPixels(caption_.Width),
             top + TwipsToPixels(caption_.Height)};
    const UINT flags = DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX;
    if (caption_.Enabled) {
        const std::uint32_t c = caption_.Colour;
        SetTextColor(dc, RGB(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        DrawTextA(dc, caption_.Text.c_str(), -1, &box, flags);
    } else {
        // Greyed as disabled text is drawn: a light copy one pixel down-right under a grey one.
        RECT shifted = box;
        OffsetRect(&shifted, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        DrawTextA(dc, caption_.Text.c_str(), -1, &shifted, flags);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextA(dc, caption_.Text.c_str(), -1, &box, flags);
    }
    SelectObject(dc, previous);
    EndPaint(window_, &ps);
}

void Win32CommandButton::Clear() {
    if (!face_.Dc()) return;
    RECT all{0, 0, face_.Width(), face_.Height()};
    GdiObject brush(CreateSolidBrush(kFaceBackground));
    FillRect(face_.Dc(), &all, static_cast<HBRUSH>(brush.Get()));
}

void Win32CommandButton::FillGradient(const GradientColour& top, const GradientColour& bottom) {
    if (!face_.Dc()) return;
    TRIVERTEX vertices[2] = {
        {0, 0, top.Red, top.Green, top.Blue, 0},
        {face_.Width() - 1, face_.Height() - 1, bottom.Red, bottom.Green, bottom.Blue, 0},
    };
    GRADIENT_RECT rect{0, 1};
    GradientFill(face_.Dc(), vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V);
}

void Win32CommandButton::DrawPiece(StateImage image, const TwipsRect& source,
                                   const TwipsRect& destination) {
    const MemoryCanvas& from = images_[static_cast<std::size_t>(image)];
    if (!face_.Dc() || !from.Dc()) return;
    SetStretchBltMode(face_.Dc(), COLORONCOLOR);
    StretchBlt(face_.Dc(), TwipsToPixels(destination.X), TwipsToPixels(destination.Y),
               TwipsToPixels(destination.Width), TwipsToPixels(destination.Height), from.Dc(),
               TwipsToPixels(source.X), TwipsToPixels(source.Y), TwipsToPixels(source.Width),
               TwipsToPixels(source.Height), SRCCOPY);
}

void Win32CommandButton::Refresh() {
    if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void Win32CommandButton::CaptionChanged(const CaptionElement& caption) {
    caption_ = caption;
    if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void Win32CommandButton::SetFaceOpaque(bool opaque) {
    opaque_ = opaque;
    if (window_) InvalidateRect(window_, nullptr, TRUE);
}

void Win32CommandButton::StartMouseTimer(int interval_ms) {
    if (window_) SetTimer(window_, kMouseTimer, static_cast<UINT>(interval_ms), nullptr);
}

PointerPlace Win32CommandButton::PointerPlaceNow() {
    POINT at{};
    if (!GetCursorPos(&at)) return PointerPlace::OtherWindow;
    HWND under = WindowFromPoint(at);
    if (under == window_) return PointerPlace::OwnWindow;
    if (under != nullptr && under == GetAncestor(window_, GA_ROOT)) return PointerPlace::ParentForm;
    return PointerPlace::OtherWindow;
}

}  // namespace orveline
