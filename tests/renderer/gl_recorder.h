// A GL table that records every call instead of drawing, for tests of the call sequences. The
// table's functions cannot carry a pointer, so only the newest living recorder records.
#pragma once

#include <string>
#include <vector>

#include "gl_api.h"

namespace orveline {

struct GlCall {
    std::string name;
    std::vector<double> args;  // pointer arguments are recorded as the values they point at
    std::string text() const;  // "Name(a, b, ...)" with %.9g numbers
};

class GlRecorder {
  public:
    GlRecorder();
    ~GlRecorder();
    GlRecorder(const GlRecorder&) = delete;
    GlRecorder& operator=(const GlRecorder&) = delete;

    const GlApi& api() const { return api_; }
    std::vector<GlCall>& calls() { return calls_; }
    std::vector<std::string> texts() const;
    void clear() { calls_.clear(); }

    // What glGetFloatv answers for the width and size ranges.
    float lineWidthRange[2] = {1.0f, 255.0f};
    float pointSizeRange[2] = {1.0f, 255.0f};
    // The last image glTexImage2D was given (64 x 64 bytes in the lights style).
    std::vector<unsigned char> lastTexture;

  private:
    GlRecorder* previous_;
    GlApi api_;
    std::vector<GlCall> calls_;
};

// One drawn primitive after OpenGL's own rules: for lines, the two ends with their colours and
// the width in effect (clamped as the implementation would); for points, the size.
struct DrawnPrimitive {
    GLenum mode;
    float size;               // clamped line width or point size
    std::vector<float> data;  // per vertex: r g b x y z
    bool operator==(const DrawnPrimitive& o) const {
        return mode == o.mode && size == o.size && data == o.data;
    }
};

// Replays recorded glBegin/glEnd, colour, vertex, width and size calls into what is drawn.
std::vector<DrawnPrimitive> interpretPrimitives(const std::vector<GlCall>& calls,
                                                const float lineWidthRange[2],
                                                const float pointSizeRange[2]);

}  // namespace orveline
