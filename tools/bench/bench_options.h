// The command line of orveline-bench.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "renderer_settings.h"
#include "wind_field.h"

namespace orveline {

struct BenchOptions {
    int width = 1280;
    int height = 720;
    int frames = 600;
    int geometry = GEOMETRY_LINES;
    std::optional<std::uint32_t> seed;  // the calendar time when absent
    std::string dumpFile;               // particles of the first field after the last frame
    std::string pixelsFile;             // the last frame's back buffer as a binary PPM
    DrawPath path = DrawPath::Batched;
    int monitors = 1;    // side by side, each of the size above, in one window
    bool paced = false;  // as the renderer runs: swap interval and 60 frames a second
    bool help = false;
};

struct BenchParse {
    BenchOptions options;
    std::string error;  // empty when the command line was understood
};

BenchParse parseBenchOptions(const std::vector<std::string>& args);

extern const char* const kBenchUsage;

}  // namespace orveline
