#include "bench_options.h"

#include <cerrno>
#include <cstdlib>

namespace orveline {

const char* const kBenchUsage =
    "usage: orveline-bench [--size WxH] [--frames N] [--style lights|points|lines]\n"
    "                      [--seed S] [--dump FILE] [--pixels FILE]\n"
    "                      [--path batched|per-particle] [--monitors N] [--paced]\n"
    "Runs the renderer's wind field in a window and prints frames per second, the\n"
    "simulation's microseconds and the drawing's milliseconds per frame.\n"
    "  --size WxH     window size (default 1280x720)\n"
    "  --frames N     frames to draw (default 600)\n"
    "  --style S      drawing style (default lines)\n"
    "  --seed S       seed the generator with S instead of the time\n"
    "  --dump FILE    after the last frame, write each particle of the first field as\n"
    "                 'x y z r g b' (%.9g)\n"
    "  --pixels FILE  write the last frame as a binary PPM image\n"
    "  --path P       how lines reach OpenGL: batched (the renderer's) or per-particle\n"
    "                 (the reference)\n"
    "  --monitors N   N monitors of the size above side by side in one window, each\n"
    "                 with its own animation; the first is the primary (default 1)\n"
    "  --paced        pace frames as the renderer does (swap interval, 60 a second)\n"
    "                 and report the frame intervals and CPU time per frame\n";

namespace {

// A whole decimal number in [low, high]; nothing else.
bool parseNumber(const std::string& text, long long low, long long high, long long& out) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0') return false;
    if (value < static_cast<unsigned long long>(low) ||
        value > static_cast<unsigned long long>(high))
        return false;
    out = static_cast<long long>(value);
    return true;
}

bool parseSize(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos) return false;
    long long w = 0, h = 0;
    if (!parseNumber(text.substr(0, x), 1, 16384, w) ||
        !parseNumber(text.substr(x + 1), 1, 16384, h))
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

}  // namespace

BenchParse parseBenchOptions(const std::vector<std::string>& args) {
    BenchParse result;
    BenchOptions& o = result.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            o.help = true;
            continue;
        }
        if (name == "--paced") {
            o.paced = true;
            continue;
        }
        const bool takesValue = name == "--size" || name == "--frames" || name == "--style" ||
                                name == "--seed" || name == "--dump" || name == "--pixels" ||
                                name == "--path" || name == "--monitors";
        if (!takesValue) {
            result.error = "unknown option '" + name + "'";
            return result;
        }
        if (i + 1 >= args.size()) {
            result.error = name + " needs a value";
            return result;
        }
        const std::string& value = args[++i];
        long long number = 0;
        bool ok = true;
        if (name == "--size") {
            ok = parseSize(value, o.width, o.height);
        } else if (name == "--frames") {
            ok = parseNumber(value, 1, 100000000, number);
            o.frames = static_cast<int>(number);
        } else if (name == "--style") {
            if (value == "lights")
                o.geometry = GEOMETRY_LIGHTS;
            else if (value == "points")
                o.geometry = GEOMETRY_POINTS;
            else if (value == "lines")
                o.geometry = GEOMETRY_LINES;
            else
                ok = false;
        } else if (name == "--seed") {
            ok = parseNumber(value, 0, 0xFFFFFFFFLL, number);
            if (ok) o.seed = static_cast<std::uint32_t>(number);
        } else if (name == "--dump") {
            ok = !value.empty();
            o.dumpFile = value;
        } else if (name == "--pixels") {
            ok = !value.empty();
            o.pixelsFile = value;
        } else if (name == "--monitors") {
            ok = parseNumber(value, 1, 8, number);
            o.monitors = static_cast<int>(number);
        } else if (name == "--path") {
            if (value == "batched")
                o.path = DrawPath::Batched;
            else if (value == "per-particle")
                o.path = DrawPath::PerParticle;
            else
                ok = false;
        }
        if (!ok) {
            result.error = "bad value '" + value + "' for " + name;
            return result;
        }
    }
    if (static_cast<long long>(o.width) * o.monitors > 16384)
        result.error = "the monitors side by side are wider than 16384 pixels";
    return result;
}

}  // namespace orveline
