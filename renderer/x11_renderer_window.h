// The X11 renderer's window, made by one creation path for every placement: the full-screen
// window over the whole X screen (all monitors), a child that fills a screen-saver daemon's
// window, or the bench's plain window. Also what the window needs to know of the screen: its
// monitors with their refresh rates (RandR 1.5 monitors, else Xinerama heads, else the whole
// screen), and another program's window that says it is the screen saver.
// Pairs with x11_renderer.cpp (the loop) and x11_gl_context.h (visual and context).
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <array>
#include <chrono>
#include <vector>

#include "desk.h"

namespace orveline {

struct X11Placement {
    enum class Kind { FullScreen, Hosted, Plain };
    Kind kind = Kind::Plain;
    Window parent = None;  // the root window, or the host
    int x = 0, y = 0;
    int width = 1, height = 1;
    // A full-screen window that the window manager manages and focuses, rather than one that
    // takes the screen and input by itself (see fullScreenPlacement).
    bool managed = false;
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
    // Asks the server to move and size it (the screen's size changed, the host was resized);
    // nothing when that is asked for already and so already. Its placement changes only when
    // the server says so (configured).
    void reshape(int x, int y, int width, int height);
    // The server's word on its geometry (our window's ConfigureNotify), taken as it is: asking
    // again for the size each echo reports never settles while two requests are under way.
    // True when the geometry changed.
    bool configured(int x, int y, int width, int height);
    // After a RandR change: covers the X screen at its new size.
    void coverScreen(int screen);

    // Focus, keyboard and pointer for a full-screen window; released with the window. A managed
    // one asks the window manager for all monitors and the focus first.
    void grabInput();
    // NOTE: a grab fails while another client holds one (a menu, a launcher closing its own);
    // the loop calls this to try again for a while, since without the grabs input may never
    // reach us.
    void retryGrabs();
    // Focus on no window, on the pointer's root, or on ours is no loss; on another window it is.
    bool focusWentElsewhere() const;

  private:
    void setManagedState();
    void requestAllMonitors();
    void requestFocus();

    Display* display_;
    X11Placement placement_;  // as the server last reported it
    // x, y, width, height last asked for
    std::array<int, 4> requested_{placement_.x, placement_.y, placement_.width, placement_.height};
    Colormap colormap_ = None;
    Cursor blankCursor_ = None;
    Window window_ = None;
    bool keyboardGrabbed_ = false;
    bool pointerGrabbed_ = false;
    int grabAttempts_ = 0;
    std::chrono::steady_clock::time_point nextGrabAttempt_;
};

// The screen's monitors in screen coordinates, each with its refresh rate where known.
std::vector<MonitorArea> queryMonitors(Display* display, int screen);

// A top-level window (or a window manager's frame's client) of the saver class titled
// "Screensaver": another renderer still being created, or a program that says it is the saver.
Window findSaverWindow(Display* display, Window root);
void bringToFront(Display* display, int screen, Window window);

}  // namespace orveline
