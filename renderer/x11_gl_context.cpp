#include "x11_gl_context.h"

#include <cstring>
#include <vector>

namespace orveline {
namespace {

int fbAttribute(Display* display, GLXFBConfig config, int attribute) {
    int value = 0;
    if (glXGetFBConfigAttrib(display, config, attribute, &value) != Success) return 0;
    return value;
}

bool hasExtension(const char* list, const char* name) {
    if (list == nullptr) return false;
    const std::size_t length = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length) {
        const bool startOk = p == list || p[-1] == ' ';
        const bool endOk = p[length] == ' ' || p[length] == '\0';
        if (startOk && endOk) return true;
    }
    return false;
}

int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

}  // namespace

PixelFormatDescription describeFbConfig(Display* display, GLXFBConfig config) {
    PixelFormatDescription d;
    const int renderType = fbAttribute(display, config, GLX_RENDER_TYPE);
    const int drawableType = fbAttribute(display, config, GLX_DRAWABLE_TYPE);
    d.supportOpenGL = fbAttribute(display, config, GLX_X_RENDERABLE) != 0 &&
                      fbAttribute(display, config, GLX_VISUAL_ID) != 0;
    d.drawToWindow = (drawableType & GLX_WINDOW_BIT) != 0;
    d.doubleBuffer = fbAttribute(display, config, GLX_DOUBLEBUFFER) != 0;
    d.rgba = (renderType & GLX_RGBA_BIT) != 0;
    d.genericFormat = fbAttribute(display, config, GLX_CONFIG_CAVEAT) == GLX_SLOW_CONFIG;
    d.genericAccelerated = false;
    d.colourBits = fbAttribute(display, config, GLX_BUFFER_SIZE);
    d.depthBits = fbAttribute(display, config, GLX_DEPTH_SIZE);
    std::unique_ptr<XVisualInfo, XFreeDeleter> visual(glXGetVisualFromFBConfig(display, config));
    d.translucentVisual = visual && visual->depth == 32;
    d.multisampled = fbAttribute(display, config, GLX_SAMPLE_BUFFERS) > 0 ||
                     fbAttribute(display, config, GLX_SAMPLES) > 1;
    return d;
}

GLXFBConfig chooseFbConfig(Display* display, int screen) {
    int count = 0;
    std::unique_ptr<GLXFBConfig, XFreeDeleter> configs(glXGetFBConfigs(display, screen, &count));
    if (configs && count > 0) {
        std::vector<PixelFormatDescription> formats;
        formats.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            formats.push_back(describeFbConfig(display, configs.get()[i]));
        const int chosen = selectPixelFormat(formats);
        if (chosen >= 0) return configs.get()[chosen];
    }
    const int request[] = {GLX_X_RENDERABLE,
                           True,
                           GLX_DRAWABLE_TYPE,
                           GLX_WINDOW_BIT,
                           GLX_RENDER_TYPE,
                           GLX_RGBA_BIT,
                           GLX_DOUBLEBUFFER,
                           True,
                           GLX_BUFFER_SIZE,
                           24,
                           GLX_DEPTH_SIZE,
                           24,
                           None};
    std::unique_ptr<GLXFBConfig, XFreeDeleter> fallback(
        glXChooseFBConfig(display, screen, request, &count));
    if (!fallback || count <= 0) return nullptr;
    for (int i = 0; i < count; ++i) {
        const PixelFormatDescription d = describeFbConfig(display, fallback.get()[i]);
        if (!d.translucentVisual && !d.multisampled) return fallback.get()[i];
    }
    return fallback.get()[0];
}

GlxContext::GlxContext(Display* display, GLXFBConfig config, Window window)
    : display_(display), window_(window) {
    if (config != nullptr)
        context_ = glXCreateNewContext(display, config, GLX_RGBA_TYPE, nullptr, True);
    if (context_ != nullptr) glXMakeContextCurrent(display, window, window, context_);
}

GlxContext::~GlxContext() {
    if (context_ == nullptr) return;
    glXMakeContextCurrent(display_, None, None, nullptr);
    glXDestroyContext(display_, context_);
}

bool requestSwapInterval(Display* display, int screen, GLXDrawable drawable, int interval) {
    const char* extensions = glXQueryExtensionsString(display, screen);
    if (hasExtension(extensions, "GLX_EXT_swap_control")) {
        auto set = reinterpret_cast<void (*)(Display*, GLXDrawable, int)>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalEXT")));
        if (set != nullptr) {
            set(display, drawable, interval);
            return true;
        }
    }
    if (hasExtension(extensions, "GLX_MESA_swap_control")) {
        auto set = reinterpret_cast<int (*)(unsigned)>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalMESA")));
        if (set != nullptr) return set(static_cast<unsigned>(interval)) == 0;
    }
    // SGI's variant cannot set 0.
    if (interval > 0 && hasExtension(extensions, "GLX_SGI_swap_control")) {
        auto set = reinterpret_cast<int (*)(int)>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalSGI")));
        if (set != nullptr) return set(interval) == 0;
    }
    return false;
}

void ignoreXErrors() {
    XSetErrorHandler(ignoreError);
}

}  // namespace orveline
