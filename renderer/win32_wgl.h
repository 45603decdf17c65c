// The renderer window's OpenGL surface on Windows: its own device context, the pixel format
// chosen from DescribePixelFormat's list, and a WGL context. Pairs with win32_renderer.cpp,
// which creates it during WM_CREATE and ends it during WM_DESTROY.
#pragma once

#include <windows.h>

#include <vector>

#include "pixel_format.h"

namespace orveline {

// Every format DescribePixelFormat lists for the device context; list position i is format i + 1.
std::vector<PixelFormatDescription> describePixelFormats(HDC dc);

// Chooses a pixel format by the shared scoring, falling back to ChoosePixelFormat with a 24-bit
// colour, 24-bit depth double-buffered request, and sets it. Failures are left to show later.
void selectPixelFormat(HDC dc);

// The window's device context and its rendering context, current from construction on.
// Construction and release follow the set-up order of the renderer; failures of the system calls
// are ignored (the loop still runs and draws into nothing).
class WglSurface {
  public:
    explicit WglSurface(HWND window);
    ~WglSurface();
    WglSurface(const WglSurface&) = delete;
    WglSurface& operator=(const WglSurface&) = delete;

    // The client rectangle read between context creation and making it current.
    const RECT& clientRect() const { return clientRect_; }
    // Presents the back buffer.
    void swapBuffers();
    // Asks WGL_EXT_swap_control to make each swap wait for this many refreshes; false where the
    // driver lacks it (the swap then waits for nothing the caller can rely on).
    bool setSwapInterval(int interval);

  private:
    HWND window_;
    HDC dc_;
    HGLRC context_ = nullptr;
    RECT clientRect_{};
};

}  // namespace orveline
