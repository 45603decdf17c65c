// orveline-bench: runs the renderer core's scene in an ordinary X11 window with a GLX context
// and reports frames per second with the split between simulation and drawing. Unlike the
// product renderer it asks for no swap interval (swap interval 0 where the server allows), so
// the figures show what a frame costs, not the display's refresh.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "bench_options.h"
#include "gl_api.h"
#include "scene.h"
#include "x11_gl_context.h"

namespace orveline {
namespace {

using Clock = std::chrono::steady_clock;

class SimulationTimer final : public SimulationProbe {
  public:
    void simulationStarted() override { start_ = Clock::now(); }
    void simulationFinished() override { total += Clock::now() - start_; }
    Clock::duration total{};

  private:
    Clock::time_point start_;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool writeDump(const std::string& path, const WindField& field) {
    File file(std::fopen(path.c_str(), "w"));
    if (!file) return false;
    for (const Particle& p : field.particles())
        std::fprintf(file.get(), "%.9g %.9g %.9g %.9g %.9g %.9g\n", p.x, p.y, p.z, p.r, p.g, p.b);
    return std::fflush(file.get()) == 0;
}

// The back buffer as a top-down binary PPM.
bool writePixels(const std::string& path, const GlApi& gl, int width, int height) {
    std::vector<unsigned char> rows(static_cast<std::size_t>(width) * height * 3);
    gl.ReadBuffer(gl::BACK);
    gl.PixelStorei(gl::PACK_ALIGNMENT, 1);
    gl.ReadPixels(0, 0, width, height, gl::RGB, gl::UNSIGNED_BYTE, rows.data());
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    std::fprintf(file.get(), "P6\n%d %d\n255\n", width, height);
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    for (int y = height - 1; y >= 0; --y)
        std::fwrite(rows.data() + stride * static_cast<std::size_t>(y), 1, stride, file.get());
    return std::fflush(file.get()) == 0;
}

const char* styleName(int geometry) {
    switch (geometry) {
        case GEOMETRY_LIGHTS:
            return "lights";
        case GEOMETRY_POINTS:
            return "points";
        default:
            return "lines";
    }
}

int run(const BenchOptions& options) {
    DisplayHandle display(XOpenDisplay(nullptr));
    if (!display) {
        std::fprintf(stderr, "orveline-bench: cannot open the X display\n");
        return 1;
    }
    Display* d = display.get();
    const int screen = DefaultScreen(d);
    const GLXFBConfig config = chooseFbConfig(d, screen);
    std::unique_ptr<XVisualInfo, XFreeDeleter> visual(config ? glXGetVisualFromFBConfig(d, config)
                                                             : nullptr);
    if (!visual) {
        std::fprintf(stderr, "orveline-bench: no double-buffered RGBA OpenGL visual\n");
        return 1;
    }
    const Window root = RootWindow(d, screen);
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(d, root, visual->visual, AllocNone);
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    attributes.event_mask = StructureNotifyMask;
    const Window window = XCreateWindow(
        d, root, 0, 0, static_cast<unsigned>(options.width), static_cast<unsigned>(options.height),
        0, visual->depth, InputOutput, visual->visual,
        CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    XStoreName(d, window, "orveline-bench");
    XMapRaised(d, window);
    for (XEvent event;;) {
        XNextEvent(d, &event);
        if (event.type == MapNotify && event.xmap.window == window) break;
    }

    int exitCode = 0;
    {
        GlxContext context(d, config, window);
        if (!context.valid()) {
            std::fprintf(stderr, "orveline-bench: cannot create an OpenGL context\n");
            return 1;
        }
        const bool swapControl = requestSwapInterval(d, screen, window, 0);
        const GlApi& gl = systemGlApi();

        Scene scene;
        scene.settings = fixedRendererSettings();
        scene.settings.geometry = options.geometry;
        scene.seed(options.seed ? *options.seed : static_cast<std::uint32_t>(std::time(nullptr)));
        scene.setUp(gl, ClientRect{0, 0, options.width, options.height});
        scene.drawOptions.path = options.path;

        SimulationTimer timer;
        const Clock::time_point start = Clock::now();
        for (int frame = 0; frame < options.frames; ++frame) {
            scene.renderFrame(gl, &timer);
            if (frame + 1 == options.frames && !options.pixelsFile.empty() &&
                !writePixels(options.pixelsFile, gl, options.width, options.height)) {
                std::fprintf(stderr, "orveline-bench: cannot write %s\n",
                             options.pixelsFile.c_str());
                exitCode = 1;
            }
            context.swapBuffers();
        }
        gl.Finish();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double simulation = std::chrono::duration<double>(timer.total).count();

        GLfloat widths[2] = {0, 0};
        gl.GetFloatv(gl::LINE_WIDTH_RANGE, widths);
        std::printf("orveline-bench: %dx%d, %s style, %s path, %d frames, swap interval %s\n",
                    options.width, options.height, styleName(options.geometry),
                    options.path == DrawPath::Batched ? "batched" : "per-particle", options.frames,
                    swapControl ? "0" : "not settable");
        int bufferSize = 0, depthSize = 0, samples = 0, caveat = 0;
        glXGetFBConfigAttrib(d, config, GLX_BUFFER_SIZE, &bufferSize);
        glXGetFBConfigAttrib(d, config, GLX_DEPTH_SIZE, &depthSize);
        glXGetFBConfigAttrib(d, config, GLX_SAMPLES, &samples);
        glXGetFBConfigAttrib(d, config, GLX_CONFIG_CAVEAT, &caveat);
        std::printf("visual 0x%lx depth %d: %d colour bits, %d depth bits, %d samples%s\n",
                    visual->visualid, visual->depth, bufferSize, depthSize, samples,
                    caveat == GLX_SLOW_CONFIG ? ", slow" : "");
        std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
        std::printf("smooth line widths: %g..%g\n", widths[0], widths[1]);
        std::printf("frames per second: %.1f\n", options.frames / seconds);
        std::printf("simulation: %.1f us/frame\n", simulation * 1e6 / options.frames);
        std::printf("drawing: %.2f ms/frame\n", (seconds - simulation) * 1e3 / options.frames);

        if (!options.dumpFile.empty() && scene.hasFields() &&
            !writeDump(options.dumpFile, scene.fields()[0])) {
            std::fprintf(stderr, "orveline-bench: cannot write %s\n", options.dumpFile.c_str());
            exitCode = 1;
        }
        scene.release();
    }
    XDestroyWindow(d, window);
    XFreeColormap(d, attributes.colormap);
    return exitCode;
}

}  // namespace
}  // namespace orveline

int main(int argc, char** argv) {
    const orveline::BenchParse parsed =
        orveline::parseBenchOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "orveline-bench: %s\n%s", parsed.error.c_str(), orveline::kBenchUsage);
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(orveline::kBenchUsage, stdout);
        return 0;
    }
    orveline::ignoreXErrors();
    return orveline::run(parsed.options);
}
