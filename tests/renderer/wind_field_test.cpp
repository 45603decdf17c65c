#include "wind_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace orveline {
namespace {

RendererSettings smallLinesSettings(int emitters, int particles) {
    RendererSettings s = fixedRendererSettings();
    s.emitterCount = emitters;
    s.particleCount = particles;
    return s;
}

// Seed 1 without the five discarded numbers, two emitters, four particles, lines.
TEST(WindFieldConstruction, DrawsEmitterPositionsThenEachAngleBeforeItsIncrement) {
    RandomGenerator random;
    random.seed(1);
    const WindField field(smallLinesSettings(2, 4), random);

    const auto& e = field.emitters();
    EXPECT_FLOAT_EQ(e[0].x, -29.9249249f);
    EXPECT_FLOAT_EQ(e[0].y, 3.8151207f);
    EXPECT_FLOAT_EQ(e[0].z, -9.20087242f);
    EXPECT_FLOAT_EQ(e[1].x, 18.5244293f);
    EXPECT_FLOAT_EQ(e[1].y, 5.10055923f);
    EXPECT_FLOAT_EQ(e[1].z, -0.603808403f);
    EXPECT_FLOAT_EQ(field.angle()[0], 2.20094609f);
    EXPECT_FLOAT_EQ(field.angleSpeed()[0], 0.0219192468f);
    EXPECT_FLOAT_EQ(field.angle()[8], 0.748221993f);
    EXPECT_FLOAT_EQ(field.angleSpeed()[8], 0.00409338623f);
    // 6 + 18 numbers drawn, no more.
    EXPECT_EQ(random.state(), 10044473u);

    EXPECT_EQ(field.nextParticle(), 0);
    for (const Particle& p : field.particles()) EXPECT_EQ(p.z, 100.0f);
    for (const ParticleLink& l : field.links()) {
        EXPECT_EQ(l.newer, -1);
        EXPECT_EQ(l.older, -1);
    }
    EXPECT_EQ(field.lastParticle(), (std::vector<std::int32_t>{0, 1}));
}

TEST(WindFieldConstruction, OnlyTheLinesStyleKeepsLinks) {
    for (int geometry : {int(GEOMETRY_LIGHTS), int(GEOMETRY_POINTS), 7}) {
        RandomGenerator random;
        RendererSettings s = fixedRendererSettings();
        s.geometry = geometry;
        const WindField field(s, random);
        EXPECT_TRUE(field.links().empty()) << geometry;
        EXPECT_TRUE(field.lastParticle().empty()) << geometry;
    }
}

TEST(WindFieldUpdate, OneFrameMatchesHandComputedValues) {
    RandomGenerator random;
    random.seed(1);
    const RendererSettings s = smallLinesSettings(2, 4);
    WindField field(s, random);
    DerivedValues derived;
    field.simulate(s, derived, random);

    EXPECT_FLOAT_EQ(derived.emitterStep, 1.0f);
    EXPECT_FLOAT_EQ(derived.particleStep, 0.3f);
    EXPECT_FLOAT_EQ(derived.pointScale, 0.04f);
    EXPECT_FLOAT_EQ(derived.lineScale, 0.005f);
    EXPECT_FLOAT_EQ(field.angle()[0], 2.22286534f);
    EXPECT_FLOAT_EQ(field.angle()[1], 5.18898869f);
    EXPECT_FLOAT_EQ(field.emitters()[0].z, -8.20087242f);
    EXPECT_FLOAT_EQ(field.emitters()[1].z, 0.396191597f);

    const float expected[4][6] = {
        {-31.7481365f, 4.8132534f, -4.22305346f, 0.325715274f, 0.298915505f, 0.871272027f},
        {17.6504021f, 3.86479044f, -0.200522482f, 0.156144261f, 0.370081514f, 0.130699843f},
        // Never emitted: carried from (0, 0, 100); red and green saturate at 1.
        {13.7628126f, 13.2017584f, 100.0f, 1.0f, 1.0f, 0.0f},
        {13.7628126f, 13.2017584f, 100.0f, 1.0f, 1.0f, 0.0f},
    };
    for (int j = 0; j < 4; ++j) {
        const Particle& p = field.particles()[j];
        const float actual[6] = {p.x, p.y, p.z, p.r, p.g, p.b};
        for (int k = 0; k < 6; ++k) EXPECT_FLOAT_EQ(actual[k], expected[j][k]) << j << "," << k;
    }
    EXPECT_EQ(field.nextParticle(), 2);
}

// The angle test is strict: reaching the limit exactly keeps the angle, passing it subtracts once.
TEST(WindFieldUpdate, AngleWrapsOnlyAboveTheLimitBySingleSubtraction) {
    const float limit = WindField::kAngleLimit;
    const float justBelow = limit - 0.25f;  // exact: both lie in [4, 8)
    struct Case {
        float angle, speed, expectedAngle;
    } cases[] = {
        {justBelow, 0.25f, limit},
        {std::nextafter(justBelow, 10.0f), 0.25f, std::nextafter(limit, 10.0f) - limit},
        {limit, 6.0f, limit + 6.0f - limit},  // one subtraction even when far above
    };
    for (const Case& c : cases) {
        RandomGenerator random;
        const RendererSettings s = smallLinesSettings(1, 10);
        WindField field(s, random);
        field.angle()[4] = c.angle;
        field.angleSpeed()[4] = c.speed;
        DerivedValues derived;
        field.simulate(s, derived, random);
        EXPECT_EQ(field.angle()[4], c.expectedAngle) << c.angle << " + " << c.speed;
        EXPECT_EQ(field.coef()[4], static_cast<float>(std::cos(double(c.expectedAngle))));
    }
}

// Emitters that pass z = 15 come back at -15 with two fresh random numbers, and the particle
// they drop there starts a new trail while the old trail's newest particle still points to it.
TEST(WindFieldUpdate, EmitterPassingDepthLimitRestartsAtBackWithNewTrail) {
    RandomGenerator random;
    random.seed(2024);
    const RendererSettings s = fixedRendererSettings();
    WindField field(s, random);
    DerivedValues derived;
    int restarts = 0;
    for (int frame = 0; frame < 31; ++frame) {
        const std::vector<Emitter> before = field.emitters();
        const std::vector<std::int32_t> lastBefore = field.lastParticle();
        const std::int32_t first = field.nextParticle();
        RandomGenerator expectedRandom = random;
        field.simulate(s, derived, random);
        for (int i = 0; i < s.emitterCount; ++i) {
            const bool passes = before[i].z + 1.0f > 15.0f;
            const Emitter& e = field.emitters()[i];
            const std::int32_t slot = (first + i) % s.particleCount;
            if (passes) {
                ++restarts;
                const float x = float(expectedRandom.next()) * 0.0018311106f - 30.0f;
                const float y = float(expectedRandom.next()) * 0.0018311106f - 30.0f;
                EXPECT_EQ(e.x, x);
                EXPECT_EQ(e.y, y);
                EXPECT_EQ(e.z, -15.0f);
                EXPECT_EQ(field.links()[slot].older, -1);
                EXPECT_EQ(field.links()[lastBefore[i]].newer, slot);
            } else {
                EXPECT_EQ(e.z, before[i].z + 1.0f);
                EXPECT_EQ(field.links()[slot].older, lastBefore[i]);
            }
            EXPECT_EQ(field.lastParticle()[i], slot);
        }
        EXPECT_EQ(random.state(), expectedRandom.state()) << "frame " << frame;
    }
    // Every emitter crosses the 30-unit depth range within 31 frames.
    EXPECT_EQ(restarts, s.emitterCount);
}

// An independent model of the trails: the particle an emitter dropped one frame earlier is the
// older neighbour until its slot is written again; the first frame's particles link to
// themselves; a restart at the back starts a trail.
TEST(WindFieldUpdate, LinksFollowTrailsThroughRingWrapsAndRestarts) {
    RandomGenerator random;
    random.seed(77);
    const RendererSettings s = fixedRendererSettings();
    const int E = s.emitterCount, P = s.particleCount;
    WindField field(s, random);
    DerivedValues derived;
    std::vector<int> writtenAt(P, 0);  // frame that wrote the slot, 0 = never
    std::vector<bool> restarted(P, false);
    for (int frame = 1; frame <= 45; ++frame) {
        field.simulate(s, derived, random);
        for (int i = 0; i < E; ++i) {
            const int slot = ((frame - 1) * E + i) % P;
            writtenAt[slot] = frame;
            restarted[slot] = field.emitters()[i].z == -15.0f;
            ASSERT_EQ(field.lastParticle()[i], slot);
        }
        ASSERT_EQ(field.nextParticle(), (frame * E) % P);
        for (int j = 0; j < P; ++j) {
            const ParticleLink& link = field.links()[j];
            ASSERT_GE(link.newer, -1);
            ASSERT_LT(link.newer, P);
            ASSERT_GE(link.older, -1);
            ASSERT_LT(link.older, P);
            const int f = writtenAt[j];
            if (f == 0) {
                ASSERT_EQ(link.older, -1) << j;
                ASSERT_EQ(link.newer, -1) << j;
                continue;
            }
            const int previous = (j - E + P) % P;
            int older;
            if (restarted[j])
                older = -1;
            else if (f == 1)
                older = j;
            else
                older = writtenAt[previous] == f - 1 ? previous : -1;
            const int newer = frame > f ? (j + E) % P : (f == 1 ? j : -1);
            ASSERT_EQ(link.older, older) << "slot " << j << " frame " << frame;
            ASSERT_EQ(link.newer, newer) << "slot " << j << " frame " << frame;
        }
    }
}

TEST(WindFieldUpdate, BadCountsGiveAnEmptyFieldNotACrash) {
    for (auto [emitters, particles] : {std::pair{5, 0}, {-3, 10}, {0, -1}, {20, 10}}) {
        RandomGenerator random;
        const RendererSettings s = smallLinesSettings(emitters, particles);
        WindField field(s, random);
        DerivedValues derived;
        for (int frame = 0; frame < 40; ++frame) field.simulate(s, derived, random);
        for (const ParticleLink& l : field.links()) {
            EXPECT_LT(l.newer, std::max(particles, 0));
            EXPECT_LT(l.older, std::max(particles, 0));
        }
    }
}

}  // namespace
}  // namespace orveline
