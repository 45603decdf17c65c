// orveline-bench: runs the renderer core's scenes in an ordinary X11 window (the renderer's own
// window and visual code) with a GLX context and reports frames per second with the split
// between simulation and drawing and the CPU time per frame. Unpaced it asks for swap interval 0
// where the server allows, so the figures show what a frame costs; --paced runs as the renderer
// does and shows the frame intervals; --monitors N draws N monitors side by side.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench_options.h"
#include "desk.h"
#include "frame_pacer.h"
#include "gl_api.h"
#include "x11_gl_context.h"
#include "x11_renderer_window.h"

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

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
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
    const int windowWidth = options.width * options.monitors;
    X11RendererWindow window(d, screen, config,
                             plainPlacement(d, screen, windowWidth, options.height));
    if (!window.valid()) {
        std::fprintf(stderr, "orveline-bench: no double-buffered RGBA OpenGL visual\n");
        return 1;
    }
    window.setTitle("orveline-bench");
    XMapRaised(d, window.id());
    for (XEvent event;;) {
        XNextEvent(d, &event);
        if (event.type == MapNotify && event.xmap.window == window.id()) break;
    }

    int exitCode = 0;
    GlxContext context(d, config, window.id());
    if (!context.valid()) {
        std::fprintf(stderr, "orveline-bench: cannot create an OpenGL context\n");
        return 1;
    }
    // Unpaced, the figures show what a frame costs, not the display's refresh.
    const std::vector<MonitorArea> screenMonitors = queryMonitors(d, screen);
    const int interval = options.paced ? swapIntervalFor(screenMonitors.front().refreshHz) : 0;
    const bool swapControl = requestSwapInterval(d, screen, window.id(), interval);
    const GlApi& gl = systemGlApi();

    std::vector<MonitorArea> monitors;
    for (int i = 0; options.monitors > 1 && i < options.monitors; ++i)
        monitors.push_back(MonitorArea{i * options.width, 0, options.width, options.height, i == 0,
                                       screenMonitors.front().refreshHz});
    Desk desk;
    desk.settings = fixedRendererSettings();
    desk.settings.geometry = options.geometry;
    desk.path = options.path;
    desk.seed(options.seed ? *options.seed : static_cast<std::uint32_t>(std::time(nullptr)));
    desk.setUp(gl, ClientRect{0, 0, windowWidth, options.height}, monitors);

    SimulationTimer timer;
    std::vector<double> intervals;
    intervals.reserve(static_cast<std::size_t>(options.frames));
    FramePacer pacer(Clock::now());
    const double cpuStart = cpuSeconds();
    const Clock::time_point start = Clock::now();
    Clock::time_point previous = start;
    for (int frame = 0; frame < options.frames; ++frame) {
        if (options.paced) std::this_thread::sleep_for(pacer.untilNextFrame(Clock::now()));
        desk.renderFrame(gl, &timer);
        if (frame + 1 == options.frames && !options.pixelsFile.empty() &&
            !writePixels(options.pixelsFile, gl, windowWidth, options.height)) {
            std::fprintf(stderr, "orveline-bench: cannot write %s\n", options.pixelsFile.c_str());
            exitCode = 1;
        }
        context.swapBuffers();
        const Clock::time_point now = Clock::now();
        if (options.paced) pacer.frameShown(now);
        intervals.push_back(std::chrono::duration<double>(now - previous).count());
        previous = now;
    }
    gl.Finish();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = cpuSeconds() - cpuStart;
    const double simulation = std::chrono::duration<double>(timer.total).count();

    GLfloat widths[2] = {0, 0};
    gl.GetFloatv(gl::LINE_WIDTH_RANGE, widths);
    std::printf(
        "orveline-bench: %dx%d x %d monitor%s, %s style, %s path, %d frames, %s, swap "
        "interval %s\n",
        options.width, options.height, options.monitors, options.monitors > 1 ? "s" : "",
        styleName(options.geometry), options.path == DrawPath::Batched ? "batched" : "per-particle",
        options.frames,
        options.paced ? (pacer.sleepsToDeadlines() ? "paced by deadlines" : "paced by the swap")
                      : "unpaced",
        swapControl ? std::to_string(interval).c_str() : "not settable");
    int bufferSize = 0, depthSize = 0, samples = 0, caveat = 0;
    glXGetFBConfigAttrib(d, config, GLX_BUFFER_SIZE, &bufferSize);
    glXGetFBConfigAttrib(d, config, GLX_DEPTH_SIZE, &depthSize);
    glXGetFBConfigAttrib(d, config, GLX_SAMPLES, &samples);
    glXGetFBConfigAttrib(d, config, GLX_CONFIG_CAVEAT, &caveat);
    std::printf("%d colour bits, %d depth bits, %d samples%s\n", bufferSize, depthSize, samples,
                caveat == GLX_SLOW_CONFIG ? ", slow" : "");
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("smooth line widths: %g..%g\n", widths[0], widths[1]);
    std::printf("frames per second: %.1f\n", options.frames / seconds);
    std::sort(intervals.begin(), intervals.end());
    const std::size_t p99 = intervals.empty() ? 0 : (intervals.size() * 99 - 1) / 100;
    if (!intervals.empty()) std::printf("frame interval p99: %.1f ms\n", intervals[p99] * 1e3);
    std::printf("cpu: %.2f ms/frame (%.0f %% of a core)\n", cpu * 1e3 / options.frames,
                100.0 * cpu / seconds);
    std::printf("simulation: %.1f us/frame\n", simulation * 1e6 / options.frames);
    std::printf("drawing: %.2f ms/frame\n", (seconds - simulation) * 1e3 / options.frames);

    if (!options.dumpFile.empty() && desk.hasFields() &&
        !writeDump(options.dumpFile, desk.primary().fields()[0])) {
        std::fprintf(stderr, "orveline-bench: cannot write %s\n", options.dumpFile.c_str());
        exitCode = 1;
    }
    desk.release();
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
