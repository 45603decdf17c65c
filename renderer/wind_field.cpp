#include "wind_field.h"

#include <algorithm>
#include <cmath>

namespace orveline {
namespace {

// 60/32767 and 30/32767: x and y land in [-30, 30], z in [-15, 15].
constexpr float kSpread = 0.0018311106f;
constexpr float kDepthSpread = 0.00091555528f;
// 2*pi/32767 and the single-precision value of 0.00005/32767.
constexpr float kAngleScale = 0.00019175345f;
constexpr float kAngleSpeedScale = 1.5259254e-9f;

// The size factor of points and lines: nearer is larger, and never negative.
inline float depthFactor(float z) {
    float s = z + 40.0f;
    return s < 0.01f ? 0.01f : s;
}

inline float clampColour(float c) {
    return c > 1.0f ? 1.0f : c;
}

const GLfloat kBlack[3] = {0.0f, 0.0f, 0.0f};

}  // namespace

// Counts below zero make empty arrays rather than a failed allocation.
static std::size_t countOf(int value) {
    return value > 0 ? static_cast<std::size_t>(value) : 0;
}

WindField::WindField(const RendererSettings& settings, RandomGenerator& random)
    : emitters_(countOf(settings.emitterCount)),
      particles_(countOf(settings.particleCount)),
      withLinks_(settings.geometry == GEOMETRY_LINES) {
    for (Emitter& e : emitters_) {
        e.x = static_cast<float>(random.next()) * kSpread - 30.0f;
        e.y = static_cast<float>(random.next()) * kSpread - 30.0f;
        e.z = static_cast<float>(random.next()) * kDepthSpread - 15.0f;
    }
    // Particles start behind the viewer with zero position and colour until an emitter writes
    // their slot.
    for (Particle& p : particles_) p = Particle{0, 0, 100.0f, 0, 0, 0};
    nextParticle_ = 0;
    if (withLinks_) {
        links_.assign(particles_.size(), ParticleLink{-1, -1});
        lastParticle_.resize(emitters_.size());
        // The identity; more emitters than particles would point past the ring, so they share
        // slots instead.
        for (std::size_t i = 0; i < lastParticle_.size(); ++i)
            lastParticle_[i] =
                static_cast<std::int32_t>(i % std::max<std::size_t>(1, particles_.size()));
    }
    const float w = static_cast<float>(settings.windSpeed) * static_cast<float>(settings.windSpeed);
    for (int k = 0; k < 9; ++k) {
        angle_[k] = static_cast<float>(random.next()) * kAngleScale;
        angleSpeed_[k] = static_cast<float>(random.next()) * (w * kAngleSpeedScale) + w * 0.00001f;
    }
}

void WindField::update(const RendererSettings& settings, DerivedValues& derived,
                       RandomGenerator& random, const GlApi& gl, const DrawOptions& options) {
    simulate(settings, derived, random);
    draw(settings, derived, gl, options);
}

void WindField::simulate(const RendererSettings& settings, DerivedValues& derived,
                         RandomGenerator& random) {
    if (!derived.computed) {
        derived.emitterStep = static_cast<float>(settings.emitterSpeed) * 0.01f;
        derived.particleStep = static_cast<float>(settings.particleSpeed) * 0.01f;
        derived.pointScale = static_cast<float>(settings.particleSize) * 0.04f;
        derived.lineScale = static_cast<float>(settings.particleSize) * 0.005f;
        derived.computed = true;
    }

    for (int k = 0; k < 9; ++k) {
        angle_[k] += angleSpeed_[k];
        if (angle_[k] > kAngleLimit) angle_[k] -= kAngleLimit;
        // cos in double and rounded once: the same float on every C library.
        coef_[k] = static_cast<float>(std::cos(static_cast<double>(angle_[k])));
    }

    const std::int32_t count = static_cast<std::int32_t>(particles_.size());
    for (std::size_t i = 0; i < emitters_.size(); ++i) {
        Emitter& e = emitters_[i];
        e.z += derived.emitterStep;
        if (e.z > 15.0f) {
            e.x = static_cast<float>(random.next()) * kSpread - 30.0f;
            e.y = static_cast<float>(random.next()) * kSpread - 30.0f;
            e.z = -15.0f;
        }
        if (count == 0) continue;  // nothing to emit into
        const std::int32_t n = nextParticle_;
        Particle& p = particles_[static_cast<std::size_t>(n)];
        p.x = e.x;
        p.y = e.y;
        p.z = e.z;
        if (withLinks_) {
            ParticleLink& link = links_[static_cast<std::size_t>(n)];
            if (link.newer >= 0) links_[static_cast<std::size_t>(link.newer)].older = -1;
            link.newer = -1;
            std::int32_t& last = lastParticle_[i];
            link.older = (e.z == -15.0f) ? -1 : last;
            links_[static_cast<std::size_t>(last)].newer = n;
            last = n;
        }
        if (++nextParticle_ == count) nextParticle_ = 0;
    }

    const float colourScale = 9.0f / static_cast<float>(settings.particleSpeed);
    coef_[6] *= colourScale;
    coef_[7] *= colourScale;
    coef_[8] *= colourScale;

    const float step = derived.particleStep;
    const float c0 = coef_[0], c1 = coef_[1], c2 = coef_[2], c3 = coef_[3], c4 = coef_[4],
                c5 = coef_[5], c6 = coef_[6], c7 = coef_[7], c8 = coef_[8];
    for (Particle& p : particles_) {
        const float x = p.x, y = p.y, z = p.z;
        const float nx = x + (y * c0 + z * c1) * step;
        const float ny = y + (x * c3 + z * c2) * step;
        const float nz = z + (x * c4 + y * c5) * step;
        p.x = nx;
        p.y = ny;
        p.z = nz;
        p.r = clampColour(std::fabs((nx - x) * c6));
        p.g = clampColour(std::fabs((ny - y) * c7));
        p.b = clampColour(std::fabs((nz - z) * c8));
    }
}

void WindField::draw(const RendererSettings& settings, const DerivedValues& derived,
                     const GlApi& gl, const DrawOptions& options) const {
    switch (settings.geometry) {
        case GEOMETRY_LIGHTS:
            drawLights(gl);
            break;
        case GEOMETRY_POINTS:
            drawPoints(derived, gl);
            break;
        case GEOMETRY_LINES:
            // Links exist only when the field was built for lines.
            if (!withLinks_) break;
            if (options.path == DrawPath::Batched && options.lineWidths.known())
                drawLinesBatched(derived, gl, options.lineWidths);
            else
                drawLinesPerParticle(derived, gl);
            break;
        default:
            break;
    }
}

void WindField::drawLights(const GlApi& gl) const {
    for (const Particle& p : particles_) {
        gl.Color3fv(&p.r);
        gl.PushMatrix();
        gl.Translatef(p.x, p.y, p.z);
        gl.CallList(1);
        gl.PopMatrix();
    }
}

void WindField::drawPoints(const DerivedValues& derived, const GlApi& gl) const {
    for (const Particle& p : particles_) {
        gl.PointSize(depthFactor(p.z) * derived.pointScale);
        gl.Begin(gl::POINTS);
        gl.Color3fv(&p.r);
        gl.Vertex3fv(&p.x);
        gl.End();
    }
}

// The segment from particle j back to its older neighbour; both ends of a trail are black.
inline void WindField::emitSegment(const GlApi& gl, std::int32_t j) const {
    const ParticleLink& link = links_[static_cast<std::size_t>(j)];
    const std::int32_t o = link.older;
    if (o < 0) return;
    const Particle& pj = particles_[static_cast<std::size_t>(j)];
    const Particle& po = particles_[static_cast<std::size_t>(o)];
    gl.Color3fv(link.newer == -1 ? kBlack : &pj.r);
    gl.Vertex3fv(&pj.x);
    gl.Color3fv(links_[static_cast<std::size_t>(o)].older == -1 ? kBlack : &po.r);
    gl.Vertex3fv(&po.x);
}

void WindField::drawLinesPerParticle(const DerivedValues& derived, const GlApi& gl) const {
    const std::int32_t count = static_cast<std::int32_t>(particles_.size());
    for (std::int32_t j = 0; j < count; ++j) {
        gl.LineWidth(depthFactor(particles_[static_cast<std::size_t>(j)].z) * derived.lineScale);
        gl.Begin(gl::LINES);
        emitSegment(gl, j);
        gl.End();
    }
}

void WindField::drawLinesBatched(const DerivedValues& derived, const GlApi& gl,
                                 const WidthRange& widths) const {
    const std::int32_t count = static_cast<std::int32_t>(particles_.size());
    bool open = false;
    float current = 0;
    for (std::int32_t j = 0; j < count; ++j) {
        if (links_[static_cast<std::size_t>(j)].older < 0) continue;
        const float width =
            depthFactor(particles_[static_cast<std::size_t>(j)].z) * derived.lineScale;
        const float clamped = widths.clamp(width);
        if (!open || clamped != current) {
            if (open) gl.End();
            gl.LineWidth(width);
            gl.Begin(gl::LINES);
            open = true;
            current = clamped;
        }
        emitSegment(gl, j);
    }
    if (open) gl.End();
}

}  // namespace orveline
