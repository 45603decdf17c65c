// The picture's side of the renderer: settings, random generator, wind fields and the OpenGL
// sequences of set-up, frame and tear-down. Knows nothing of windows; a platform hands it the
// OpenGL table and a way to present the back buffer.
#pragma once

#include <cstdint>
#include <vector>

#include "gl_api.h"
#include "random.h"
#include "renderer_settings.h"
#include "wind_field.h"

namespace orveline {

// The client rectangle of the window, as the platform reports it.
struct ClientRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Shows the back buffer (a buffer swap).
class FramePresenter {
  public:
    virtual void present() = 0;

  protected:
    ~FramePresenter() = default;
};

// Told around each wind field's simulation step, so a benchmark can time it apart from drawing.
class SimulationProbe {
  public:
    virtual void simulationStarted() = 0;
    virtual void simulationFinished() = 0;

  protected:
    ~SimulationProbe() = default;
};

// The light sprite's 64 x 64 one-byte image: bright in the centre, 0 from 32 texels out.
constexpr int kLightTextureSize = 64;
void makeLightTexture(unsigned char (&image)[kLightTextureSize * kLightTextureSize]);

constexpr GLuint LIGHT_TEXTURE = 1;
constexpr GLuint LIGHT_LIST = 1;

class Scene {
  public:
    RendererSettings settings;  // assigned by applySettings before setUp
    RandomGenerator random;
    DerivedValues derived;    // computed on the first update of the process
    DrawOptions drawOptions;  // how points and lines reach OpenGL

    // Seeds the generator (the calendar time in the product) and discards five numbers.
    void seed(std::uint32_t seed);

    // From a current context on: viewport, projection, clear, setupStyle, the wind fields and
    // glFlush. Then asks the implementation for its smooth-line width range, which the batched
    // lines path needs.
    void setUp(const GlApi& gl, const ClientRect& client);
    // Viewport and projection for this rectangle (a resized host, or one monitor's viewport),
    // with the rectangle's own aspect.
    void resize(const GlApi& gl, const ClientRect& client);

    // Blending and the style's OpenGL objects (texture and display list, or smoothing).
    void setupStyle(const GlApi& gl);

    // One frame: dim or clear, update every field, glFlush, then present.
    void drawFrame(const GlApi& gl, FramePresenter& presenter);
    // drawFrame without the present, for a caller that reads the back buffer first.
    void renderFrame(const GlApi& gl, SimulationProbe* probe = nullptr);

    // Destroys the wind fields and releases their array.
    void release();

    bool hasFields() const { return !fields_.empty(); }
    const std::vector<WindField>& fields() const { return fields_; }
    std::vector<WindField>& fields() { return fields_; }

  private:
    std::vector<WindField> fields_;
    bool isSetUp_ = false;
    float dimHalfWidth_ = 40.0f;  // the dimming quad's, wide enough for the view's aspect
};

}  // namespace orveline
