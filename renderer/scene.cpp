#include "scene.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace orveline {

void makeLightTexture(unsigned char (&image)[kLightTextureSize * kLightTextureSize]) {
    for (int i = 0; i < kLightTextureSize; ++i) {
        for (int j = 0; j < kLightTextureSize; ++j) {
            const float u = static_cast<float>(i - 32) * 0.03125f;
            const float v = static_cast<float>(j - 32) * 0.03125f;
            float t = 1.0f - static_cast<float>(std::sqrt(static_cast<double>(u * u + v * v)));
            if (t < 0.0f) t = 0.0f;
            if (t > 1.0f) t = 1.0f;
            image[i * kLightTextureSize + j] = static_cast<unsigned char>(t * 255.0f);
        }
    }
}

void Scene::seed(std::uint32_t value) {
    random.seed(value);
    for (int i = 0; i < 5; ++i) random.next();
}

void Scene::setUp(const GlApi& gl, const ClientRect& client) {
    assert(!isSetUp_ && "the scene is set up once");
    isSetUp_ = true;
    resize(gl, client);
    gl.ClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    gl.Clear(gl::COLOR_BUFFER_BIT);
    setupStyle(gl);
    const int count = settings.windCount > 0 ? settings.windCount : 0;
    fields_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) fields_.emplace_back(settings, random);
    gl.Flush();

    if (settings.geometry == GEOMETRY_LINES) {
        GLfloat range[2] = {1.0f, 0.0f};  // stays empty (unknown) if the query fails
        gl.GetFloatv(gl::LINE_WIDTH_RANGE, range);
        drawOptions.lineWidths.min = range[0];
        drawOptions.lineWidths.max = range[1];
    }
}

void Scene::resize(const GlApi& gl, const ClientRect& client) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    gl.Viewport(client.left, client.top, width, height);
    gl.MatrixMode(gl::PROJECTION);
    gl.LoadIdentity();
    // A zero-height client would divide by zero; such a window shows nothing anyway.
    const double aspect =
        height != 0 ? static_cast<double>(width) / static_cast<double>(height) : 1.0;
    gl.Perspective(90.0, aspect, 1.0, 10000.0);
    // At the quad's depth the view reaches 15 up and 15 * aspect across; 40 covers up to 40:15,
    // and wider views need the quad as wide as they are (17, like its height, keeps a margin).
    dimHalfWidth_ = std::max(40.0f, static_cast<float>(17.0 * aspect));
    gl.Translatef(0.0f, 0.0f, -15.0f);
    gl.MatrixMode(gl::MODELVIEW);
    gl.LoadIdentity();
}

void Scene::setupStyle(const GlApi& gl) {
    const bool lights = settings.geometry == GEOMETRY_LIGHTS;
    gl.BlendFunc(lights ? gl::ONE : gl::SRC_ALPHA, gl::ONE);
    gl.Enable(gl::BLEND);
    if (lights) {
        unsigned char image[kLightTextureSize * kLightTextureSize];
        makeLightTexture(image);
        gl.Enable(gl::TEXTURE_2D);
        gl.BindTexture(gl::TEXTURE_2D, LIGHT_TEXTURE);
        gl.TexEnvf(gl::TEXTURE_ENV, gl::TEXTURE_ENV_MODE, static_cast<GLfloat>(gl::MODULATE));
        gl.TexParameteri(gl::TEXTURE_2D, gl::TEXTURE_MAG_FILTER, static_cast<GLint>(gl::LINEAR));
        gl.TexParameteri(gl::TEXTURE_2D, gl::TEXTURE_MIN_FILTER, static_cast<GLint>(gl::LINEAR));
        gl.TexImage2D(gl::TEXTURE_2D, 0, 1, kLightTextureSize, kLightTextureSize, 0, gl::LUMINANCE,
                      gl::UNSIGNED_BYTE, image);
        const float h = static_cast<float>(settings.particleSize) * 0.02f;
        gl.NewList(LIGHT_LIST, gl::COMPILE);
        gl.BindTexture(gl::TEXTURE_2D, LIGHT_TEXTURE);
        gl.Begin(gl::TRIANGLE_STRIP);
        gl.TexCoord2f(0.0f, 0.0f);
        gl.Vertex3f(-h, -h, 0.0f);
        gl.TexCoord2f(1.0f, 0.0f);
        gl.Vertex3f(h, -h, 0.0f);
        gl.TexCoord2f(0.0f, 1.0f);
        gl.Vertex3f(-h, h, 0.0f);
        gl.TexCoord2f(1.0f, 1.0f);
        gl.Vertex3f(h, h, 0.0f);
        gl.End();
        gl.EndList();
    } else if (settings.geometry == GEOMETRY_POINTS) {
        gl.Enable(gl::POINT_SMOOTH);
        gl.Hint(gl::POINT_SMOOTH_HINT, gl::NICEST);
    } else if (settings.geometry == GEOMETRY_LINES) {
        gl.Enable(gl::LINE_SMOOTH);
        gl.Hint(gl::LINE_SMOOTH_HINT, gl::NICEST);
    }
}

void Scene::renderFrame(const GlApi& gl, SimulationProbe* probe) {
    gl.LoadIdentity();
    if (settings.blur == 0) {
        gl.Clear(gl::COLOR_BUFFER_BIT);
    } else {
        gl.BlendFunc(gl::SRC_ALPHA, gl::ONE_MINUS_SRC_ALPHA);
        gl.Color4f(0.0f, 0.0f, 0.0f, 0.5f - static_cast<float>(settings.blur) * 0.0049f);
        gl.Begin(gl::QUADS);
        gl.Vertex3f(-dimHalfWidth_, -17.0f, 0.0f);
        gl.Vertex3f(dimHalfWidth_, -17.0f, 0.0f);
        gl.Vertex3f(dimHalfWidth_, 17.0f, 0.0f);
        gl.Vertex3f(-dimHalfWidth_, 17.0f, 0.0f);
        gl.End();
        gl.BlendFunc(settings.geometry == GEOMETRY_LIGHTS ? gl::ONE : gl::SRC_ALPHA, gl::ONE);
    }
    for (WindField& field : fields_) {
        if (probe == nullptr) {
            field.update(settings, derived, random, gl, drawOptions);
            continue;
        }
        probe->simulationStarted();
        field.simulate(settings, derived, random);
        probe->simulationFinished();
        field.draw(settings, derived, gl, drawOptions);
    }
    gl.Flush();
}

void Scene::drawFrame(const GlApi& gl, FramePresenter& presenter) {
    renderFrame(gl);
    presenter.present();
}

void Scene::release() {
    isSetUp_ = false;
    fields_.clear();
    fields_.shrink_to_fit();
}

}  // namespace orveline
