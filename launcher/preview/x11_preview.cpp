// Linux preview form: an X11 window of our own, made a child of the host window (any X window
// id), black, with the picture control as a child window that shows the decoded JPEG unscaled at
// its top-left. The X connection is watched from the Qt event loop; when the host goes, X destroys
// our window with it, and that ends the process through Form_Unload.
// NOTE: Qt's headers must come before Xlib's, whose macros (Status, Bool) break them.
#include <QImage>
#include <QSocketNotifier>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on
#include <algorithm>
#include <array>
#include <functional>
#include <memory>

#include "launcher_forms.h"
#include "launcher_platform.h"
#include "preview_instance.h"
#include "preview_picture.h"
#include "veyra_b.h"
#include "veyra_r.h"
#include "x11_support.h"

namespace orveline {

namespace {

// NOTE: requests on a window that has gone (or never was) raise BadWindow; they are made inside
// an XErrorTrap (x11_support.h).
Window xWindow(std::int32_t handle) {
    return static_cast<Window>(static_cast<std::uint32_t>(handle));
}

class X11PreviewView : public PreviewView {
  public:
    explicit X11PreviewView(std::function<void()> onDestroyed)
        : handle_(OpenDisplay()), display_(handle_.get()), onDestroyed_(std::move(onDestroyed)) {
        if (!display_) return;
        notifier_ =
            std::make_unique<QSocketNotifier>(ConnectionNumber(display_), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { drainEvents(); });
    }
    ~X11PreviewView() override {
        notifier_.reset();
        if (!display_) return;
        {
            XErrorTrap trap(display_);
            if (pixmap_) XFreePixmap(display_, pixmap_);
            if (gc_) XFreeGC(display_, gc_);
            if (form_ && !destroyed_) XDestroyWindow(display_, form_);
        }
    }
    X11PreviewView(const X11PreviewView&) = delete;
    X11PreviewView& operator=(const X11PreviewView&) = delete;

    bool windowExists(std::int32_t window) override {
        if (!display_ || window == 0) return false;
        XErrorTrap trap(display_);
        XWindowAttributes attributes;
        const Status ok = XGetWindowAttributes(display_, xWindow(window), &attributes);
        return ok && !trap.failed();
    }

    bool windowRect(std::int32_t window, WindowRect& rect) override {
        if (!display_) return false;
        XErrorTrap trap(display_);
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display_, xWindow(window), &attributes) || trap.failed()) {
            return false;
        }
        int x = 0;
        int y = 0;
        Window child = 0;
        // The outer rectangle includes the border, whose outer corner is at -border_width.
        const int border = attributes.border_width;
        if (!XTranslateCoordinates(display_, xWindow(window), attributes.root, -border, -border, &x,
                                   &y, &child)) {
            return false;
        }
        rect =
            WindowRect{x, y, x + attributes.width + 2 * border, y + attributes.height + 2 * border};
        return !trap.failed();
    }

    int twipsPerPixelX() override { return 15; }
    int twipsPerPixelY() override { return 15; }

    void loadForm() override {
        if (!display_ || form_) return;
        const int screen = DefaultScreen(display_);
        const unsigned long black = BlackPixel(display_, screen);
        XSetWindowAttributes attributes{};
        attributes.background_pixel = black;
        attributes.border_pixel = black;
        attributes.override_redirect = True;  // no border, no title bar, no window manager
        attributes.event_mask = StructureNotifyMask;
        form_ = XCreateWindow(display_, RootWindow(display_, screen), 0, 0, 1, 1, 0, CopyFromParent,
                              InputOutput, CopyFromParent,
                              CWBackPixel | CWBorderPixel | CWOverrideRedirect | CWEventMask,
                              &attributes);
        XStoreName(display_, form_, kPreviewFormTitle);
        attributes.event_mask = ExposureMask;
        picture_ =
            XCreateWindow(display_, form_, 0, 0, 1, 1, 0, CopyFromParent, InputOutput,
                          CopyFromParent, CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
        gc_ = XCreateGC(display_, picture_, 0, nullptr);
        makePixmap(screen);
    }

    // Style bits have no meaning on X; the word is kept for the form's own reading.
    std::uint32_t formStyle() override { return style_; }
    void setFormStyle(std::uint32_t style) override { style_ = style; }

    void setFormParent(std::int32_t host) override {
        if (!display_ || !form_) return;
        XErrorTrap trap(display_);
        XReparentWindow(display_, form_, xWindow(host), 0, 0);
        embedded_ = !trap.failed();
    }

    void moveForm(int x, int y, int width, int height) override {
        formSize_ = {width, height};
        if (form_) resize(form_, x, y, width, height);
    }
    void movePicture(int x, int y, int width, int height) override {
        pictureSize_ = {width, height};
        if (picture_) resize(picture_, x, y, width, height);
    }

    void showForm() override {
        if (!display_ || !form_) return;
        XErrorTrap trap(display_);
        // X has no windows of no size: such a form stays unmapped, which looks the same.
        if (pictureSize_[0] > 0 && pictureSize_[1] > 0) XMapWindow(display_, picture_);
        if (formSize_[0] > 0 && formSize_[1] > 0) XMapWindow(display_, form_);
        trap.failed();
        drainEvents();
    }

    void postCloseToForm() override {
        if (!display_ || !form_) return;
        XErrorTrap trap(display_);
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = form_;
        event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] =
            static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
        XSendEvent(display_, form_, False, NoEventMask, &event);
    }

    // True once the form is a child of the host.
    bool embedded() const { return embedded_; }

  private:
    void resize(Window window, int x, int y, int width, int height) {
        XErrorTrap trap(display_);
        XMoveResizeWindow(display_, window, x, y, static_cast<unsigned>(std::max(width, 1)),
                          static_cast<unsigned>(std::max(height, 1)));
    }

    void makePixmap(int screen) {
        QImage image = QImage::fromData(kPreviewJpeg, static_cast<int>(kPreviewJpegSize), "JPG")
                           .convertToFormat(QImage::Format_RGB32);
        const int depth = DefaultDepth(display_, screen);
        if (image.isNull() || depth < 24) return;
        XImage* ximage = XCreateImage(
            display_, DefaultVisual(display_, screen), static_cast<unsigned>(depth), ZPixmap, 0,
            reinterpret_cast<char*>(image.bits()), static_cast<unsigned>(image.width()),
            static_cast<unsigned>(image.height()), 32, static_cast<int>(image.bytesPerLine()));
        if (!ximage) return;
        pixmap_ =
            XCreatePixmap(display_, picture_, static_cast<unsigned>(image.width()),
                          static_cast<unsigned>(image.height()), static_cast<unsigned>(depth));
        XPutImage(display_, pixmap_, gc_, ximage, 0, 0, 0, 0, static_cast<unsigned>(image.width()),
                  static_cast<unsigned>(image.height()));
        ximage->data = nullptr;  // the pixels belong to the QImage
        XDestroyImage(ximage);
        pictureWidth_ = image.width();
        pictureHeight_ = image.height();
    }

    // Handles what X has sent; Xlib may already have read events off the connection while it
    // waited for a reply, so the queue is emptied here as well as when the socket has data.
    void drainEvents() {
        while (display_ && XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == Expose && event.xexpose.window == picture_ && pixmap_ &&
                !destroyed_) {
                XErrorTrap trap(display_);
                XCopyArea(display_, pixmap_, picture_, gc_, 0, 0,
                          static_cast<unsigned>(pictureWidth_),
                          static_cast<unsigned>(pictureHeight_), 0, 0);
            } else if (event.type == DestroyNotify && event.xdestroywindow.window == form_ &&
                       !destroyed_) {
                destroyed_ = true;
                if (onDestroyed_) onDestroyed_();
            }
        }
    }

    DisplayHandle handle_;
    ::Display* display_;  // handle_'s
    std::function<void()> onDestroyed_;
    std::unique_ptr<QSocketNotifier> notifier_;
    Window form_ = 0;
    Window picture_ = 0;
    Pixmap pixmap_ = 0;
    GC gc_ = nullptr;
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    std::array<int, 2> formSize_{};
    std::array<int, 2> pictureSize_{};
    std::uint32_t style_ = 0;
    bool embedded_ = false;
    bool destroyed_ = false;
};

}  // namespace

void showPreview(LauncherPlatform& platform, std::int32_t hostWindow) {
    showPreviewOnce<X11PreviewView>(platform, hostWindow);
}

}  // namespace orveline
