// A preload library for measuring the renderer as it ships: it passes every glXSwapBuffers on to
// libGL and notes when each returned; at exit it writes those times (nanoseconds on the
// monotonic clock, one a line) to $ORVELINE_FRAME_LOG. Used by tools/measure_renderer_pacing.sh.
#include <GL/glx.h>
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct FrameLog {
    std::vector<long long> times;
    FrameLog() { times.reserve(1 << 16); }
    ~FrameLog() {
        const char* path = std::getenv("ORVELINE_FRAME_LOG");
        if (path == nullptr) return;
        if (std::FILE* file = std::fopen(path, "w")) {
            for (long long t : times) std::fprintf(file, "%lld\n", t);
            std::fclose(file);
        }
    }
};

FrameLog& frameLog() {
    static FrameLog log;
    return log;
}

}  // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    using Swap = void (*)(Display*, GLXDrawable);
    static const auto next = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    if (next != nullptr) next(display, drawable);
    frameLog().times.push_back(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}
