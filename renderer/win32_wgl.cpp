// Pixel formats and the WGL context of the renderer window.
#include "win32_wgl.h"

#include <GL/gl.h>

#include <cstring>

namespace orveline {

namespace {

// Whether a space-separated extension list names this extension (not merely one it begins).
bool hasExtension(const char* list, const char* name) {
    const std::size_t length = std::strlen(name);
    for (const char* p = list; p && *p;) {
        const char* end = std::strchr(p, ' ');
        const std::size_t word = end ? static_cast<std::size_t>(end - p) : std::strlen(p);
        if (word == length && std::strncmp(p, name, length) == 0) return true;
        p = end ? end + 1 : nullptr;
    }
    return false;
}

// A WGL extension function of the current context; null where the driver has none.
template <typename Function>
Function wglFunction(const char* name) {
    // Through void (*)(), which converts to any function pointer type without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(wglGetProcAddress(name)));
}

using GetExtensionsStringArb = const char*(WINAPI*)(HDC);
using GetExtensionsStringExt = const char*(WINAPI*)();
using SwapIntervalExt = BOOL(WINAPI*)(int);

// The WGL extensions of the current context; older drivers list them with OpenGL's own.
bool hasWglExtension(HDC dc, const char* name) {
    if (const auto arb = wglFunction<GetExtensionsStringArb>("wglGetExtensionsStringARB")) {
        if (hasExtension(arb(dc), name)) return true;
    }
    if (const auto ext = wglFunction<GetExtensionsStringExt>("wglGetExtensionsStringEXT")) {
        if (hasExtension(ext(), name)) return true;
    }
    return hasExtension(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), name);
}

}  // namespace

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

bool WglSurface::setSwapInterval(int interval) {
    if (!context_ || wglGetCurrentContext() != context_) return false;
    if (!hasWglExtension(dc_, "WGL_EXT_swap_control")) return false;
    const auto swapInterval = wglFunction<SwapIntervalExt>("wglSwapIntervalEXT");
    return swapInterval && swapInterval(interval);
}

}  // namespace orveline
