// One wind field: emitters drifting towards the viewer, a ring of particles carried by a flow of
// nine slowly turning cosines, and (lines style) the links that join successive particles of one
// emitter into a trail. All storage is allocated at construction; a frame allocates nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "gl_api.h"
#include "random.h"
#include "renderer_settings.h"

namespace orveline {

struct Emitter {
    float x, y, z;
};

// Position and colour are contiguous triples: they go to glVertex3fv and glColor3fv as pointers.
struct Particle {
    float x, y, z;
    float r, g, b;
};

struct ParticleLink {
    std::int32_t newer;  // the next particle of the same emitter, -1 when none
    std::int32_t older;  // the previous one, -1 at the start of a trail
};

// Values derived from the settings on the first update of the process and kept from then on.
struct DerivedValues {
    bool computed = false;
    float emitterStep = 0;
    float particleStep = 0;
    float pointScale = 0;
    float lineScale = 0;
};

// How the points and lines styles reach OpenGL.
enum class DrawPath {
    // One glBegin/glEnd pair and one size or width call per particle.
    PerParticle,
    // Lines whose widths clamp to the same value share one glBegin/glEnd pair and one width
    // call; the implementation draws the same pixels, since a width is only used clamped.
    Batched,
};

// The width range an implementation clamps smooth lines to; an empty range (max < min) means
// unknown, and then nothing is batched.
struct WidthRange {
    float min = 1;
    float max = 0;
    bool known() const { return min <= max; }
    float clamp(float w) const { return w < min ? min : (w > max ? max : w); }
};

struct DrawOptions {
    DrawPath path = DrawPath::Batched;
    WidthRange lineWidths;
};

class WindField {
  public:
    // Draws the emitters' positions and the flow angles from the generator, in that order.
    WindField(const RendererSettings& settings, RandomGenerator& random);

    // One frame: the simulation step, then drawing in the settings' style.
    void update(const RendererSettings& settings, DerivedValues& derived, RandomGenerator& random,
                const GlApi& gl, const DrawOptions& options);

    // The two halves of update, apart so a benchmark can time them.
    void simulate(const RendererSettings& settings, DerivedValues& derived,
                  RandomGenerator& random);
    void draw(const RendererSettings& settings, const DerivedValues& derived, const GlApi& gl,
              const DrawOptions& options) const;

    const std::vector<Emitter>& emitters() const { return emitters_; }
    const std::vector<Particle>& particles() const { return particles_; }
    const std::vector<ParticleLink>& links() const { return links_; }
    const std::vector<std::int32_t>& lastParticle() const { return lastParticle_; }
    std::int32_t nextParticle() const { return nextParticle_; }
    const float* coef() const { return coef_; }
    const float* angle() const { return angle_; }
    const float* angleSpeed() const { return angleSpeed_; }

    // Write access to the state that the flow may leave anywhere (diagnostics and tests); the
    // links stay private, their invariants belong to simulate.
    std::vector<Emitter>& emitters() { return emitters_; }
    std::vector<Particle>& particles() { return particles_; }
    float* angle() { return angle_; }
    float* angleSpeed() { return angleSpeed_; }

    // The largest angle that is not wrapped, in single precision.
    static constexpr float kAngleLimit = 6.2831855f;

  private:
    void drawLights(const GlApi& gl) const;
    void drawPoints(const DerivedValues& derived, const GlApi& gl) const;
    void drawLinesPerParticle(const DerivedValues& derived, const GlApi& gl) const;
    void drawLinesBatched(const DerivedValues& derived, const GlApi& gl,
                          const WidthRange& widths) const;
    void emitSegment(const GlApi& gl, std::int32_t j) const;

    std::vector<Emitter> emitters_;
    std::vector<Particle> particles_;
    std::vector<ParticleLink> links_;         // lines style only
    std::vector<std::int32_t> lastParticle_;  // lines style only
    std::int32_t nextParticle_ = 0;
    bool withLinks_ = false;
    float coef_[9] = {};
    float angle_[9] = {};
    float angleSpeed_[9] = {};
};

}  // namespace orveline
