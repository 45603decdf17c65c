// The X11/GLX services shared by the Linux renderer and the bench: the display connection, the
// framebuffer configuration chosen with the portable pixel-format scoring, the GLX context and
// the swap interval. Pairs with x11_renderer.cpp (the product) and tools/bench.
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <memory>

#include "pixel_format.h"

namespace orveline {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

struct XFreeDeleter {
    void operator()(void* p) const { XFree(p); }
};

// How a framebuffer configuration looks to the pixel-format scoring: a configuration with the
// slow caveat counts as a generic (software) format; a visual of depth 32 as translucent.
PixelFormatDescription describeFbConfig(Display* display, GLXFBConfig config);

// The configuration with the best score among the screen's window-capable ones (opaque and
// single-sampled ones first, see selectPixelFormat); when none scores, the first that offers 24
// colour and 24 depth bits, double-buffered RGBA (again opaque and single-sampled first). Null
// when the server has none at all.
GLXFBConfig chooseFbConfig(Display* display, int screen);

// A window's GLX rendering context; made current on construction, released on destruction.
class GlxContext {
  public:
    GlxContext(Display* display, GLXFBConfig config, Window window);
    ~GlxContext();
    GlxContext(const GlxContext&) = delete;
    GlxContext& operator=(const GlxContext&) = delete;

    bool valid() const { return context_ != nullptr; }
    void swapBuffers() { glXSwapBuffers(display_, window_); }

  private:
    Display* display_;
    Window window_;
    GLXContext context_ = nullptr;
};

// Asks for a swap interval through whichever of the EXT, MESA or SGI swap-control extensions
// the server offers; false when none does (the loop then runs free).
bool requestSwapInterval(Display* display, int screen, GLXDrawable drawable, int interval);

// Xlib ends the process on a protocol error by default; the renderer and the bench rather
// ignore a failed request (a window that vanished, a grab refused) and go on.
void ignoreXErrors();

}  // namespace orveline
