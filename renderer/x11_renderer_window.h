// The X11 renderer's window, made by one creation path for every placement: the full-screen
// window over the whole X screen (all monitors), a child that fills a screen-saver daemon's
// window, or the bench's plain window. Also what the window needs to know of the screen: its
// monitors with their refresh rates (RandR 1.5 monitors, else Xinerama heads, else the whole
// screen), and another program's window that says it is the screen saver.
// Pairs with x11_renderer.cpp (the loop) and x11_gl_context.h (visual and context).
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <vector>

#include "desk.h"

namespace orveline {

struct X11Placement {
    enum class Kind { FullScreen, Hosted, Plain };
    Kind kind = Kind::Plain;
    Window parent = None;  // the root window, or the host
    int x = 0, y = 0;
    int width = 1, height = 1;
};

// Over the whole X screen: every monitor is inside it.
X11Placement fullScreenPlacement(Display* display, int screen);
// Filling the host. Watches the host's size and end first and reads its size after, so that no
// resize in between is lost. False when the host is gone.
bool hostedPlacement(Display* display, Window host, X11Placement& placement);
// An ordinary window of this size, for measuring.
X11Placement plainPlacement(Display* display, int screen, int width, int height);

// The window with its colormap and blank cursor; destroyed with them.
class X11RendererWindow {
  public:
    X11RendererWindow(Display* display, int screen, GLXFBConfig config,
                      const X11Placement& placement);
    ~X11RendererWindow();
    X11RendererWindow(const X11RendererWindow&) = delete;
    X11RendererWindow& operator=(const X11RendererWindow&) = delete;

    bool valid() const { return window_ != None; }
    Window id() const { return window_; }
    const X11Placement& placement() const { return placement_; }
    Cursor blankCursor() const { return blankCursor_; }
    void setTitle(const char* title);
    // Moves and sizes it again (the screen's size changed, the host was resized).
    void reshape(int x, int y, int width, int height);

  private:
    Display* display_;
    X11Placement placement_;
    Colormap colormap_ = None;
    Cursor blankCursor_ = None;
    Window window_ = None;
};

// The screen's monitors in screen coordinates, each with its refresh rate where known.
std::vector<MonitorArea> queryMonitors(Display* display, int screen);

// A top-level window (or a window manager's frame's client) of the saver class titled
// "Screensaver": another renderer still being created, or a program that says it is the saver.
Window findSaverWindow(Display* display, Window root);
void bringToFront(Display* display, int screen, Window window);

}  // namespace orveline
