// Windows preview form: a borderless black window "Preview Window" with the picture control as a
// child window that draws the JPEG (decoded by OleLoadPicture) unscaled at its top-left.
// ShowPreview turns it into a child of the host; when the host is destroyed, our window goes with
// it, and that ends the process through Form_Unload.
// Known gap: Wine does not show a child window whose top-level window belongs to another process
// (its drawing has no surface there), so under Wine the picture is seen only with the desktop as
// the host.
#include <ole2.h>
#include <olectl.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <memory>

#include "launcher_forms.h"
#include "launcher_platform.h"
#include "preview_instance.h"
#include "preview_picture.h"
#include "veyra_b.h"
#include "veyra_r.h"

namespace orveline {

namespace {

constexpr char kFormClass[] = "OrvelinePreviewForm";
constexpr char kPictureClass[] = "OrvelinePreviewPicture";

HWND hwndOf(std::int32_t handle) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<std::uint32_t>(handle)));
}

// The embedded JPEG as a bitmap of our own (null when it cannot be decoded).
HBITMAP decodePicture() {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, kPreviewJpegSize);
    if (!memory) return nullptr;
    void* bytes = GlobalLock(memory);
    if (!bytes) {
        GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(bytes, kPreviewJpeg, kPreviewJpegSize);
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return nullptr;
    }
    IPicture* picture = nullptr;
    HBITMAP bitmap = nullptr;
    if (SUCCEEDED(OleLoadPicture(stream, static_cast<LONG>(kPreviewJpegSize), FALSE, IID_IPicture,
                                 reinterpret_cast<void**>(&picture)))) {
        OLE_HANDLE handle = 0;
        if (SUCCEEDED(picture->get_Handle(&handle))) {
            bitmap = static_cast<HBITMAP>(CopyImage(
                reinterpret_cast<HANDLE>(static_cast<INT_PTR>(handle)), IMAGE_BITMAP, 0, 0, 0));
        }
        picture->Release();
    }
    stream->Release();
    return bitmap;
}

class Win32PreviewView : public PreviewView {
  public:
    explicit Win32PreviewView(std::function<void()> onDestroyed)
        : onDestroyed_(std::move(onDestroyed)) {}
    ~Win32PreviewView() override {
        if (watchTimer_) KillTimer(nullptr, watchTimer_);
        if (watched_ == this) watched_ = nullptr;
        if (form_ && IsWindow(form_)) DestroyWindow(form_);
        if (bitmap_) DeleteObject(bitmap_);
    }
    Win32PreviewView(const Win32PreviewView&) = delete;
    Win32PreviewView& operator=(const Win32PreviewView&) = delete;

    bool windowExists(std::int32_t window) override {
        return window != 0 && IsWindow(hwndOf(window));
    }

    bool windowRect(std::int32_t window, WindowRect& rect) override {
        RECT r{};
        if (!GetWindowRect(hwndOf(window), &r)) return false;
        rect = WindowRect{r.left, r.top, r.right, r.bottom};
        return true;
    }

    int twipsPerPixelX() override { return twipsPerPixel(LOGPIXELSX); }
    int twipsPerPixelY() override { return twipsPerPixel(LOGPIXELSY); }

    void loadForm() override {
        if (form_) return;
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA formClass{};
        formClass.lpfnWndProc = formProc;
        formClass.hInstance = instance;
        formClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        formClass.lpszClassName = kFormClass;
        RegisterClassA(&formClass);
        WNDCLASSA pictureClass{};
        pictureClass.lpfnWndProc = pictureProc;
        pictureClass.hInstance = instance;
        pictureClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        pictureClass.lpszClassName = kPictureClass;
        RegisterClassA(&pictureClass);

        if (SUCCEEDED(OleInitialize(nullptr))) {
            bitmap_ = decodePicture();
            OleUninitialize();
        }
        form_ = CreateWindowExA(0, kFormClass, kPreviewFormTitle, WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                                0, 0, nullptr, nullptr, instance, nullptr);
        if (!form_) return;
        // A borderless form, but not a popup: a window with both the popup and the child bit is
        // no child to GetParent, and Wine then keeps it out of the host's children.
        SetWindowLongA(form_, GWL_STYLE, WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
        SetWindowLongPtrA(form_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        picture_ = CreateWindowExA(0, kPictureClass, "Img_Prev", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                   form_, nullptr, instance, nullptr);
        if (picture_) SetWindowLongPtrA(picture_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    std::uint32_t formStyle() override {
        return static_cast<std::uint32_t>(GetWindowLongA(form_, GWL_STYLE));
    }
    void setFormStyle(std::uint32_t style) override {
        SetWindowLongA(form_, GWL_STYLE, static_cast<LONG>(style));
    }
    void setFormParent(std::int32_t host) override {
        embedded_ = form_ && SetParent(form_, hwndOf(host)) != nullptr;
    }
    void moveForm(int x, int y, int width, int height) override {
        MoveWindow(form_, x, y, width, height, TRUE);
    }
    void movePicture(int x, int y, int width, int height) override {
        MoveWindow(picture_, x, y, width, height, TRUE);
    }
    void showForm() override {
        ShowWindow(form_, SW_SHOWNA);
        // NOTE: when the host's process ends at once after destroying the host, the message that
        // would destroy our window with it can be lost (seen under Wine); so a thread timer also
        // looks for our window, which vanishes with the host either way.
        watched_ = this;
        watchTimer_ = SetTimer(nullptr, 0, kWatchMilliseconds, watchForm);
    }
    void postCloseToForm() override { PostMessageA(form_, WM_CLOSE, 0, 0); }

    bool embedded() const { return embedded_; }

  private:
    static int twipsPerPixel(int index) {
        const HDC screen = GetDC(nullptr);
        const int dpi = screen ? GetDeviceCaps(screen, index) : 96;
        if (screen) ReleaseDC(nullptr, screen);
        return dpi > 0 ? 1440 / dpi : 15;
    }

    static constexpr UINT kWatchMilliseconds = 250;

    static void CALLBACK watchForm(HWND, UINT, UINT_PTR, DWORD) {
        Win32PreviewView* view = watched_;
        if (!view || view->destroyed_ || IsWindow(view->form_)) return;
        KillTimer(nullptr, view->watchTimer_);
        view->watchTimer_ = 0;
        view->destroyed_ = true;
        if (view->onDestroyed_) view->onDestroyed_();
    }

    static Win32PreviewView* viewOf(HWND window) {
        return reinterpret_cast<Win32PreviewView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }

    static LRESULT CALLBACK formProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_DESTROY) {
            Win32PreviewView* view = viewOf(window);
            if (view && !view->destroyed_) {
                view->destroyed_ = true;
                if (view->watchTimer_) KillTimer(nullptr, view->watchTimer_);
                view->watchTimer_ = 0;
                if (view->onDestroyed_) view->onDestroyed_();
            }
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    static LRESULT CALLBACK pictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_PAINT) {
            PAINTSTRUCT paint;
            const HDC target = BeginPaint(window, &paint);
            Win32PreviewView* view = viewOf(window);
            if (target && view && view->bitmap_) {
                const HDC source = CreateCompatibleDC(target);
                const HGDIOBJ previous = SelectObject(source, view->bitmap_);
                BITMAP info{};
                GetObjectA(view->bitmap_, sizeof info, &info);
                // Unscaled from the top-left; the window's edge clips it.
                BitBlt(target, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
                SelectObject(source, previous);
                DeleteDC(source);
            }
            EndPaint(window, &paint);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    std::function<void()> onDestroyed_;
    HWND form_ = nullptr;
    HWND picture_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    bool embedded_ = false;
    bool destroyed_ = false;
    UINT_PTR watchTimer_ = 0;
    // A thread timer's callback gets no pointer of ours; the form is a single instance.
    static inline Win32PreviewView* watched_ = nullptr;
};

}  // namespace

void showPreview(LauncherPlatform& platform, std::int32_t hostWindow) {
    showPreviewOnce<Win32PreviewView>(platform, hostWindow);
}

}  // namespace orveline
