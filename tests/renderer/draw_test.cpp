#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gl_recorder.h"
#include "scene.h"

namespace orveline {
namespace {

using Texts = std::vector<std::string>;

std::string f(const char* name, std::initializer_list<double> args) {
    return GlCall{name, args}.text();
}

class NullPresenter final : public FramePresenter {
  public:
    void present() override { ++count; }
    int count = 0;
};

Scene makeScene(int geometry, int emitters = 2, int particles = 4, int blur = 90) {
    Scene scene;
    scene.settings = fixedRendererSettings();
    scene.settings.geometry = geometry;
    scene.settings.emitterCount = emitters;
    scene.settings.particleCount = particles;
    scene.settings.blur = blur;
    scene.drawOptions.path = DrawPath::PerParticle;  // the reference sequence
    scene.seed(99);
    return scene;
}

const Texts kDimQuadLines = {
    "LoadIdentity()",
    "BlendFunc(770, 771)",
    f("Color4f", {0, 0, 0, 0.5f - 90 * 0.0049f}),
    "Begin(7)",
    "Vertex3f(-40, -17, 0)",
    "Vertex3f(40, -17, 0)",
    "Vertex3f(40, 17, 0)",
    "Vertex3f(-40, 17, 0)",
    "End()",
    "BlendFunc(770, 1)",
};

Texts concat(Texts a, const Texts& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(SceneSetUp, ProjectionClearStyleFieldsThenFlushInThisOrder) {
    GlRecorder gl;
    Scene scene = makeScene(GEOMETRY_LINES);
    scene.settings.windCount = 2;
    scene.setUp(gl.api(), ClientRect{0, 0, 1920, 1080});
    const Texts expected = {
        "Viewport(0, 0, 1920, 1080)",
        "MatrixMode(5889)",
        "LoadIdentity()",
        f("Perspective", {90, 1920.0 / 1080.0, 1, 10000}),
        "Translatef(0, 0, -15)",
        "MatrixMode(5888)",
        "LoadIdentity()",
        "ClearColor(0, 0, 0, 1)",
        "Clear(16384)",
        "BlendFunc(770, 1)",
        "Enable(3042)",
        "Enable(2848)",
        "Hint(3154, 4354)",
        "Flush()",
        "GetFloatv(2850)",
    };
    EXPECT_EQ(gl.texts(), expected);
    EXPECT_EQ(scene.fields().size(), 2u);
    EXPECT_EQ(scene.drawOptions.lineWidths.min, 1.0f);
    EXPECT_EQ(scene.drawOptions.lineWidths.max, 255.0f);
}

TEST(SceneSetUp, FieldsDrawFromTheGeneratorInIndexOrder) {
    GlRecorder gl;
    Scene scene = makeScene(GEOMETRY_LINES);
    scene.settings.windCount = 2;
    scene.setUp(gl.api(), ClientRect{0, 0, 640, 480});
    RandomGenerator random;
    random.seed(99);
    for (int i = 0; i < 5; ++i) random.next();
    const WindField first(scene.settings, random);
    const WindField second(scene.settings, random);
    EXPECT_EQ(scene.fields()[0].emitters()[1].x, first.emitters()[1].x);
    EXPECT_EQ(scene.fields()[1].emitters()[1].x, second.emitters()[1].x);
    EXPECT_EQ(scene.random.state(), random.state());
}

TEST(SceneSetupStyle, EachStyleSetsItsBlendingAndObjects) {
    const Texts lights = {
        "BlendFunc(1, 1)",
        "Enable(3042)",
        "Enable(3553)",
        "BindTexture(3553, 1)",
        "TexEnvf(8960, 8704, 8448)",
        "TexParameteri(3553, 10240, 9729)",
        "TexParameteri(3553, 10241, 9729)",
        "TexImage2D(3553, 0, 1, 64, 64, 0, 6409, 5121)",
        "NewList(1, 4864)",
        "BindTexture(3553, 1)",
        "Begin(5)",
        "TexCoord2f(0, 0)",
        f("Vertex3f", {-0.02f, -0.02f, 0}),
        "TexCoord2f(1, 0)",
        f("Vertex3f", {0.02f, -0.02f, 0}),
        "TexCoord2f(0, 1)",
        f("Vertex3f", {-0.02f, 0.02f, 0}),
        "TexCoord2f(1, 1)",
        f("Vertex3f", {0.02f, 0.02f, 0}),
        "End()",
        "EndList()",
    };
    const Texts points = {"BlendFunc(770, 1)", "Enable(3042)", "Enable(2832)", "Hint(3153, 4354)"};
    const Texts lines = {"BlendFunc(770, 1)", "Enable(3042)", "Enable(2848)", "Hint(3154, 4354)"};
    const Texts other = {"BlendFunc(770, 1)", "Enable(3042)"};
    const struct {
        int geometry;
        const Texts& expected;
    } cases[] = {{GEOMETRY_LIGHTS, lights},
                 {GEOMETRY_POINTS, points},
                 {GEOMETRY_LINES, lines},
                 {3, other},
                 {-1, other}};
    for (const auto& c : cases) {
        GlRecorder gl;
        Scene scene = makeScene(c.geometry);
        scene.setupStyle(gl.api());
        EXPECT_EQ(gl.texts(), c.expected) << "geometry " << c.geometry;
    }
}

TEST(SceneSetupStyle, LightTextureIsBrightInTheCentreAndZeroFrom32TexelsOut) {
    unsigned char image[64 * 64];
    makeLightTexture(image);
    EXPECT_EQ(image[32 * 64 + 32], 255);
    EXPECT_EQ(image[32 * 64 + 48], 127);  // half way: t = 0.5
    EXPECT_EQ(image[48 * 64 + 32], 127);
    EXPECT_EQ(image[0], 0);
    EXPECT_EQ(image[32 * 64 + 0], 0);  // exactly 32 texels out
    EXPECT_EQ(image[32 * 64 + 1], 7);  // 31 out: 1/32 of 255, truncated
    for (int i = 0; i < 64; ++i)
        for (int j = 0; j < 64; ++j) {
            const int di = i - 32, dj = j - 32;
            if (di * di + dj * dj >= 32 * 32) {
                EXPECT_EQ(image[i * 64 + j], 0) << i << "," << j;
            }
            if (i > 0 && j > 0) {
                EXPECT_EQ(image[i * 64 + j], image[(64 - i) * 64 + (64 - j)]);
            }
        }
}

// Expected per-particle calls after the frame, read from the field's state.
Texts expectedLines(const WindField& field) {
    Texts t;
    const auto& p = field.particles();
    const auto& links = field.links();
    for (std::size_t j = 0; j < p.size(); ++j) {
        const float s = p[j].z + 40.0f < 0.01f ? 0.01f : p[j].z + 40.0f;
        t.push_back(f("LineWidth", {s * 0.005f}));
        t.push_back("Begin(1)");
        if (links[j].older >= 0) {
            const auto& o = p[links[j].older];
            const bool newest = links[j].newer == -1;
            const bool oldest = links[links[j].older].older == -1;
            t.push_back(newest ? "Color3fv(0, 0, 0)" : f("Color3fv", {p[j].r, p[j].g, p[j].b}));
            t.push_back(f("Vertex3fv", {p[j].x, p[j].y, p[j].z}));
            t.push_back(oldest ? "Color3fv(0, 0, 0)" : f("Color3fv", {o.r, o.g, o.b}));
            t.push_back(f("Vertex3fv", {o.x, o.y, o.z}));
        }
        t.push_back("End()");
    }
    return t;
}

TEST(SceneFrame, LinesFrameDimsThenDrawsEveryParticleWithItsOwnWidth) {
    GlRecorder gl;
    Scene scene = makeScene(GEOMETRY_LINES, 2, 6);
    scene.setUp(gl.api(), ClientRect{0, 0, 800, 600});
    NullPresenter presenter;
    for (int frame = 0; frame < 5; ++frame) {
        gl.clear();
        scene.drawFrame(gl.api(), presenter);
        Texts expected = concat(kDimQuadLines, expectedLines(scene.fields()[0]));
        expected.push_back("Flush()");
        ASSERT_EQ(gl.texts(), expected) << "frame " << frame;
    }
    EXPECT_EQ(presenter.count, 5);
}

TEST(SceneFrame, FirstLinesFrameDrawsEachEmitterAZeroLengthSegmentInItsColour) {
    GlRecorder gl;
    Scene scene = makeScene(GEOMETRY_LINES, 3, 30);
    scene.setUp(gl.api(), ClientRect{0, 0, 800, 600});
    gl.clear();
    scene.renderFrame(gl.api());
    const auto& p = scene.fields()[0].particles();
    const std::vector<DrawnPrimitive> drawn =
        interpretPrimitives(gl.calls(), gl.lineWidthRange, gl.pointSizeRange);
    std::size_t next = 0;
    for (int i = 0; i < 3; ++i) {
        // An emitter that restarted at the back in this frame starts a trail instead.
        if (scene.fields()[0].emitters()[i].z == -15.0f) continue;
        const std::vector<float> end = {p[i].r, p[i].g, p[i].b, p[i].x, p[i].y, p[i].z};
        std::vector<float> both = end;
        both.insert(both.end(), end.begin(), end.end());
        ASSERT_LT(next, drawn.size());
        EXPECT_EQ(drawn[next++].data, both) << i;
    }
    EXPECT_EQ(next, drawn.size());
    EXPECT_GE(next, 2u);
}

TEST(SceneFrame, LightsFrameCallsTheLightListAtEachParticle) {
    GlRecorder gl;
    Scene scene = makeScene(GEOMETRY_LIGHTS, 1, 3);
    scene.setUp(gl.api(), ClientRect{0, 0, 800, 600});
    gl.clear();
    scene.renderFrame(gl.api());
    Texts expected = kDimQuadLines;
    expected.back() = "BlendFunc(1, 1)";
    for (const Particle& p : scene.fields()[0].particles()) {
        expected.push_back(f("Color3fv", {p.r, p.g, p.b}));
        expected.push_back("PushMatrix()");
        expected.push_back(f("Translatef", {p.x, p.y, p.z}));
        expected.push_back("CallList(1)");
        expected.push_back("PopMatrix()");
    }
    expected.push_back("Flush()");
    EXPECT_EQ(gl.texts(), expected);
}

TEST(SceneFrame, PointsFrameSizesEachPointByDepthClampedAt001) {
    GlRecorder gl;
    Scene scene = makeScene(GEOMETRY_POINTS, 1, 4);
    scene.setUp(gl.api(), ClientRect{0, 0, 800, 600});
    scene.renderFrame(gl.api());
    // Draw again with depths around the clamp.
    WindField& field = scene.fields()[0];
    const float depths[4] = {-45.0f, -39.99f, -39.0f, 10.0f};
    const float factors[4] = {0.01f, 0.01f, -39.0f + 40.0f, 50.0f};
    for (int j = 0; j < 4; ++j) field.particles()[j].z = depths[j];
    gl.clear();
    field.draw(scene.settings, scene.derived, gl.api(), scene.drawOptions);
    Texts expected;
    for (int j = 0; j < 4; ++j) {
        const Particle& p = field.particles()[j];
        expected.push_back(f("PointSize", {factors[j] * 0.04f}));
        expected.push_back("Begin(0)");
        expected.push_back(f("Color3fv", {p.r, p.g, p.b}));
        expected.push_back(f("Vertex3fv", {p.x, p.y, p.z}));
        expected.push_back("End()");
    }
    EXPECT_EQ(gl.texts(), expected);
}

TEST(SceneFrame, LineWidthUsesTheSameDepthClamp) {
    GlRecorder gl;
    Scene scene = makeScene(GEOMETRY_LINES, 1, 2);
    scene.setUp(gl.api(), ClientRect{0, 0, 800, 600});
    scene.renderFrame(gl.api());
    WindField& field = scene.fields()[0];
    field.particles()[0].z = -41.0f;
    gl.clear();
    field.draw(scene.settings, scene.derived, gl.api(), scene.drawOptions);
    EXPECT_EQ(gl.texts().front(), f("LineWidth", {0.01f * 0.005f}));
}

TEST(SceneFrame, StyleOutsideTheThreeDrawsNothingButTheSimulationRuns) {
    for (int geometry : {3, -1, 100}) {
        GlRecorder gl;
        Scene scene = makeScene(geometry, 2, 6);
        scene.setUp(gl.api(), ClientRect{0, 0, 800, 600});
        const std::vector<Particle> before = scene.fields()[0].particles();
        gl.clear();
        scene.renderFrame(gl.api());
        Texts expected = kDimQuadLines;
        expected.push_back("Flush()");
        EXPECT_EQ(gl.texts(), expected) << geometry;
        EXPECT_NE(scene.fields()[0].particles()[0].x, before[0].x) << geometry;
        EXPECT_EQ(scene.fields()[0].nextParticle(), 2) << geometry;
    }
}

TEST(SceneFrame, BlurZeroClearsInsteadOfDimming) {
    GlRecorder gl;
    Scene scene = makeScene(7, 1, 2, 0);
    scene.setUp(gl.api(), ClientRect{0, 0, 800, 600});
    gl.clear();
    scene.renderFrame(gl.api());
    EXPECT_EQ(gl.texts(), (Texts{"LoadIdentity()", "Clear(16384)", "Flush()"}));
}

TEST(SceneFrame, DimmingQuadCoversTheWholeViewAtAnyAspect) {
    // The view is 15 high each way at the quad's depth; up to 21:9 the quad stays as it was.
    const struct {
        int width, height;
        float halfWidth;
    } cases[] = {{800, 600, 40},  {1920, 1080, 40}, {2520, 1080, 40}, {3840, 1080, 0},
                 {7680, 1080, 0}, {1080, 1920, 40}, {640, 0, 40}};
    for (const auto& c : cases) {
        GlRecorder gl;
        Scene scene = makeScene(GEOMETRY_LINES, 1, 2);
        scene.setUp(gl.api(), ClientRect{0, 0, c.width, c.height});
        gl.clear();
        scene.renderFrame(gl.api());
        const GlCall& corner = gl.calls()[5];  // right, bottom
        ASSERT_EQ(corner.name, "Vertex3f");
        const double view = c.height ? 15.0 * c.width / c.height : 15.0;
        if (c.halfWidth > 0) {
            EXPECT_EQ(corner.args[0], c.halfWidth) << c.width << "x" << c.height;
        }
        EXPECT_GT(corner.args[0], view) << c.width << "x" << c.height;
    }
}

// The batched lines path must draw exactly what the per-particle path draws, width for width
// after the implementation's clamp, in the same order.
TEST(SceneFrame, BatchedLinesDrawTheSamePrimitivesAsPerParticleLines) {
    const float ranges[][2] = {{1.0f, 255.0f}, {0.1f, 10.0f}, {0.15f, 0.2f}, {0.0f, 0.0f}};
    for (const auto& range : ranges) {
        GlRecorder gl;
        gl.lineWidthRange[0] = range[0];
        gl.lineWidthRange[1] = range[1];
        Scene a = makeScene(GEOMETRY_LINES, 300, 3000);
        Scene b = makeScene(GEOMETRY_LINES, 300, 3000);
        a.setUp(gl.api(), ClientRect{0, 0, 1920, 1080});
        b.setUp(gl.api(), ClientRect{0, 0, 1920, 1080});
        b.drawOptions.path = DrawPath::Batched;
        for (int frame = 0; frame < 25; ++frame) {
            gl.clear();
            a.renderFrame(gl.api());
            const std::vector<GlCall> reference = gl.calls();
            gl.clear();
            b.renderFrame(gl.api());
            const auto want = interpretPrimitives(reference, range, gl.pointSizeRange);
            const auto got = interpretPrimitives(gl.calls(), range, gl.pointSizeRange);
            ASSERT_FALSE(want.empty());
            ASSERT_EQ(got, want) << "range " << range[0] << ".." << range[1] << " frame " << frame;
            ASSERT_LE(gl.calls().size(), reference.size());
        }
        if (range[0] == 1.0f) {
            // Most widths clamp to 1 there and share one width call and glBegin/glEnd pair;
            // only far-flung particles (z above 160) need lines of their own.
            int widths = 0, begins = 0;
            for (const GlCall& c : gl.calls()) {
                widths += c.name == "LineWidth";
                begins += c.name == "Begin" && c.args[0] == gl::LINES;
            }
            EXPECT_EQ(widths, begins);
            EXPECT_LT(begins, 300);
        }
    }
}

TEST(SceneFrame, UnknownWidthRangeFallsBackToPerParticleLines) {
    GlRecorder gl;
    gl.lineWidthRange[0] = 2.0f;  // an empty range: the query told nothing usable
    gl.lineWidthRange[1] = 1.0f;
    Scene a = makeScene(GEOMETRY_LINES, 5, 20);
    Scene b = makeScene(GEOMETRY_LINES, 5, 20);
    a.setUp(gl.api(), ClientRect{0, 0, 640, 480});
    b.setUp(gl.api(), ClientRect{0, 0, 640, 480});
    b.drawOptions.path = DrawPath::Batched;
    gl.clear();
    a.renderFrame(gl.api());
    const Texts reference = gl.texts();
    gl.clear();
    b.renderFrame(gl.api());
    EXPECT_EQ(gl.texts(), reference);
}

}  // namespace
}  // namespace orveline
