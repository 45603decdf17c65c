// Pixel formats and the WGL context of the renderer window.
#include "win32_wgl.h"

namespace orveline {

std::vector<PixelFormatDescription> describePixelFormats(HDC dc) {
    std::vector<PixelFormatDescription> formats;
    PIXELFORMATDESCRIPTOR pfd;
    // Each call answers the number of formats too; it bounds the walk should a driver never fail.
    int count = 1;
    for (int index = 1; index <= count; ++index) {
        count = DescribePixelFormat(dc, index, sizeof pfd, &pfd);
        if (count == 0) break;
        PixelFormatDescription format;
        format.supportOpenGL = (pfd.dwFlags & PFD_SUPPORT_OPENGL) != 0;
        format.drawToWindow = (pfd.dwFlags & PFD_DRAW_TO_WINDOW) != 0;
        format.doubleBuffer = (pfd.dwFlags & PFD_DOUBLEBUFFER) != 0;
        format.rgba = pfd.iPixelType == PFD_TYPE_RGBA;
        format.genericFormat = (pfd.dwFlags & PFD_GENERIC_FORMAT) != 0;
        format.genericAccelerated = (pfd.dwFlags & PFD_GENERIC_ACCELERATED) != 0;
        format.colourBits = pfd.cColorBits;
        format.depthBits = pfd.cDepthBits;
        formats.push_back(format);
    }
    return formats;
}

void selectPixelFormat(HDC dc) {
    PIXELFORMATDESCRIPTOR pfd;
    // The list starts at format 1, so list position i is format i + 1.
    const int chosen = selectPixelFormat(describePixelFormats(dc)) + 1;
    if (chosen > 0) {
        DescribePixelFormat(dc, chosen, sizeof pfd, &pfd);
        SetPixelFormat(dc, chosen, &pfd);
        return;
    }
    pfd = PIXELFORMATDESCRIPTOR{};
    pfd.nSize = sizeof pfd;  // 40
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 24;
    SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
}

WglSurface::WglSurface(HWND window) : window_(window), dc_(GetDC(window)) {
    selectPixelFormat(dc_);
    context_ = wglCreateContext(dc_);
    GetClientRect(window_, &clientRect_);
    wglMakeCurrent(dc_, context_);
}

WglSurface::~WglSurface() {
    // The class has its own device context, so releasing it first costs nothing.
    ReleaseDC(window_, dc_);
    wglMakeCurrent(nullptr, nullptr);
    if (context_) wglDeleteContext(context_);
}

void WglSurface::swapBuffers() {
    wglSwapLayerBuffers(dc_, WGL_SWAP_MAIN_PLANE);
}

}  // namespace orveline
