#include "wayland_egl.h"

#include <EGL/eglext.h>

#include <cstdio>

namespace orveline {

namespace {

std::string eglErrorText(const char* what) {
    char text[96];
    std::snprintf(text, sizeof text, "%s failed (EGL error 0x%04x)", what,
                  static_cast<unsigned>(eglGetError()));
    return text;
}

}  // namespace

EglSession::EglSession(wl_display* display) {
    display_ = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, display, nullptr);
    if (display_ == EGL_NO_DISPLAY) {
        error_ = eglErrorText("eglGetPlatformDisplay");
        return;
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display_, &major, &minor)) {
        error_ = eglErrorText("eglInitialize");
        display_ = EGL_NO_DISPLAY;
        return;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error_ = eglErrorText("eglBindAPI(EGL_OPENGL_API)");
        return;
    }
    if (!chooseConfig()) return;
    // No version asked: desktop OpenGL's default, 1.0 or any later compatible version, is a
    // compatibility context, which the fixed-function calls need.
    context_ = eglCreateContext(display_, config_, EGL_NO_CONTEXT, nullptr);
    if (context_ == EGL_NO_CONTEXT) error_ = eglErrorText("eglCreateContext");
}

EglSession::~EglSession() {
    if (display_ == EGL_NO_DISPLAY) return;
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context_ != EGL_NO_CONTEXT) eglDestroyContext(display_, context_);
    eglTerminate(display_);
    eglReleaseThread();
}

// An opaque (alpha-less) window config with desktop OpenGL, with preserved swaps if possible:
// an alpha channel would let the desktop show through the dimmed picture.
bool EglSession::chooseConfig() {
    for (const bool preserved : {true, false}) {
        const EGLint surfaceType =
            EGL_WINDOW_BIT | (preserved ? EGL_SWAP_BEHAVIOR_PRESERVED_BIT : 0);
        const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                     surfaceType,
                                     EGL_RENDERABLE_TYPE,
                                     EGL_OPENGL_BIT,
                                     EGL_RED_SIZE,
                                     8,
                                     EGL_GREEN_SIZE,
                                     8,
                                     EGL_BLUE_SIZE,
                                     8,
                                     EGL_NONE};
        EGLConfig configs[64];
        EGLint count = 0;
        if (!eglChooseConfig(display_, attributes, configs, 64, &count) || count <= 0) continue;
        config_ = configs[0];
        for (EGLint i = 0; i < count; ++i) {
            EGLint alpha = 0;
            eglGetConfigAttrib(display_, configs[i], EGL_ALPHA_SIZE, &alpha);
            if (alpha == 0) {
                config_ = configs[i];
                break;
            }
        }
        preserved_ = preserved;
        return true;
    }
    error_ = "no EGL config for desktop OpenGL in a window";
    return false;
}

EglWindow::EglWindow(EglSession& egl, wl_surface* surface, int width, int height) : egl_(egl) {
    window_.reset(wl_egl_window_create(surface, width, height));
    if (!window_) return;
    surface_ =
        eglCreatePlatformWindowSurface(egl_.display(), egl_.config(), window_.get(), nullptr);
    if (surface_ == EGL_NO_SURFACE) return;
    if (egl_.preservedSwaps())
        eglSurfaceAttrib(egl_.display(), surface_, EGL_SWAP_BEHAVIOR, EGL_BUFFER_PRESERVED);
}

EglWindow::~EglWindow() {
    if (surface_ == EGL_NO_SURFACE) return;
    if (eglGetCurrentSurface(EGL_DRAW) == surface_)
        eglMakeCurrent(egl_.display(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroySurface(egl_.display(), surface_);
}

bool EglWindow::makeCurrent() {
    if (surface_ == EGL_NO_SURFACE) return false;
    if (!eglMakeCurrent(egl_.display(), surface_, surface_, egl_.context())) return false;
    if (!intervalSet_) {
        // NOTE: with an interval of 1 the swap itself waits for the compositor's frame event,
        // which would stall every other output's frames behind this one.
        eglSwapInterval(egl_.display(), 0);
        intervalSet_ = true;
    }
    return true;
}

void EglWindow::resize(int width, int height) {
    if (window_) wl_egl_window_resize(window_.get(), width, height, 0, 0);
}

void EglWindow::swapBuffers() {
    if (surface_ != EGL_NO_SURFACE) eglSwapBuffers(egl_.display(), surface_);
}

}  // namespace orveline
