// EGL on a Wayland connection for the Wayland renderer: one display and one desktop-OpenGL
// context (a compatibility context, so the OpenGL 1.1 table works through libGL), and a window
// surface per wl_surface. The context is shared by every window; whoever draws makes the window
// current first.
//
// Each frame dims the one before, so the windows ask for a preserved back buffer where the
// implementation offers one. Known gap: Mesa offers none on Wayland; its software path keeps the
// back buffer anyway, but a driver that hands out older buffers (buffer age above 1) would show
// broken trails.
#pragma once

#include <EGL/egl.h>
#include <wayland-egl.h>  // first: it makes EGL's native types Wayland's

#include <memory>
#include <string>

struct wl_display;
struct wl_surface;

namespace orveline {

class EglSession {
  public:
    // Initialises EGL on the connection and makes the context; valid() says whether it worked,
    // error() why not.
    explicit EglSession(wl_display* display);
    ~EglSession();
    EglSession(const EglSession&) = delete;
    EglSession& operator=(const EglSession&) = delete;

    bool valid() const { return context_ != EGL_NO_CONTEXT; }
    const std::string& error() const { return error_; }

    EGLDisplay display() const { return display_; }
    EGLConfig config() const { return config_; }
    EGLContext context() const { return context_; }
    bool preservedSwaps() const { return preserved_; }

  private:
    bool chooseConfig();

    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLConfig config_ = nullptr;
    EGLContext context_ = EGL_NO_CONTEXT;
    bool preserved_ = false;
    std::string error_;
};

// A wl_surface's EGL window and surface, of a size in buffer pixels.
class EglWindow {
  public:
    EglWindow(EglSession& egl, wl_surface* surface, int width, int height);
    ~EglWindow();
    EglWindow(const EglWindow&) = delete;
    EglWindow& operator=(const EglWindow&) = delete;

    bool valid() const { return surface_ != EGL_NO_SURFACE; }
    // Makes the shared context current on this window.
    bool makeCurrent();
    void resize(int width, int height);
    // Attaches and commits the back buffer; returns at once (swap interval 0): the caller paces
    // frames with the surface's frame callbacks.
    void swapBuffers();

  private:
    struct WindowDeleter {
        void operator()(wl_egl_window* window) const { wl_egl_window_destroy(window); }
    };

    EglSession& egl_;
    std::unique_ptr<wl_egl_window, WindowDeleter> window_;
    EGLSurface surface_ = EGL_NO_SURFACE;
    bool intervalSet_ = false;
};

}  // namespace orveline
