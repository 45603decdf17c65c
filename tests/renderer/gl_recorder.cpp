#include "gl_recorder.h"

#include <cstdio>
#include <initializer_list>

namespace orveline {
namespace {

GlRecorder* current = nullptr;

void record(const char* name, std::initializer_list<double> args) {
    current->calls().push_back(GlCall{name, args});
}

void ORVELINE_GLAPI Viewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    record("Viewport", {double(x), double(y), double(w), double(h)});
}
void ORVELINE_GLAPI MatrixMode(GLenum m) {
    record("MatrixMode", {double(m)});
}
void ORVELINE_GLAPI LoadIdentity() {
    record("LoadIdentity", {});
}
void ORVELINE_GLAPI Translatef(GLfloat x, GLfloat y, GLfloat z) {
    record("Translatef", {x, y, z});
}
void ORVELINE_GLAPI PushMatrix() {
    record("PushMatrix", {});
}
void ORVELINE_GLAPI PopMatrix() {
    record("PopMatrix", {});
}
void ORVELINE_GLAPI ClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    record("ClearColor", {r, g, b, a});
}
void ORVELINE_GLAPI Clear(GLbitfield m) {
    record("Clear", {double(m)});
}
void ORVELINE_GLAPI BlendFunc(GLenum s, GLenum d) {
    record("BlendFunc", {double(s), double(d)});
}
void ORVELINE_GLAPI Enable(GLenum c) {
    record("Enable", {double(c)});
}
void ORVELINE_GLAPI Disable(GLenum c) {
    record("Disable", {double(c)});
}
void ORVELINE_GLAPI Scissor(GLint x, GLint y, GLsizei w, GLsizei h) {
    record("Scissor", {double(x), double(y), double(w), double(h)});
}
void ORVELINE_GLAPI Hint(GLenum t, GLenum m) {
    record("Hint", {double(t), double(m)});
}
void ORVELINE_GLAPI BindTexture(GLenum t, GLuint n) {
    record("BindTexture", {double(t), double(n)});
}
void ORVELINE_GLAPI TexEnvf(GLenum t, GLenum p, GLfloat v) {
    record("TexEnvf", {double(t), double(p), v});
}
void ORVELINE_GLAPI TexParameteri(GLenum t, GLenum p, GLint v) {
    record("TexParameteri", {double(t), double(p), double(v)});
}
void ORVELINE_GLAPI TexImage2D(GLenum t, GLint level, GLint comps, GLsizei w, GLsizei h,
                               GLint border, GLenum format, GLenum type, const void* pixels) {
    record("TexImage2D", {double(t), double(level), double(comps), double(w), double(h),
                          double(border), double(format), double(type)});
    const auto* bytes = static_cast<const unsigned char*>(pixels);
    current->lastTexture.assign(bytes, bytes + w * h);
}
void ORVELINE_GLAPI NewList(GLuint l, GLenum m) {
    record("NewList", {double(l), double(m)});
}
void ORVELINE_GLAPI EndList() {
    record("EndList", {});
}
void ORVELINE_GLAPI CallList(GLuint l) {
    record("CallList", {double(l)});
}
void ORVELINE_GLAPI Begin(GLenum m) {
    record("Begin", {double(m)});
}
void ORVELINE_GLAPI End() {
    record("End", {});
}
void ORVELINE_GLAPI TexCoord2f(GLfloat s, GLfloat t) {
    record("TexCoord2f", {s, t});
}
void ORVELINE_GLAPI Vertex3f(GLfloat x, GLfloat y, GLfloat z) {
    record("Vertex3f", {x, y, z});
}
void ORVELINE_GLAPI Vertex3fv(const GLfloat* v) {
    record("Vertex3fv", {v[0], v[1], v[2]});
}
void ORVELINE_GLAPI Color3f(GLfloat r, GLfloat g, GLfloat b) {
    record("Color3f", {r, g, b});
}
void ORVELINE_GLAPI Color3fv(const GLfloat* v) {
    record("Color3fv", {v[0], v[1], v[2]});
}
void ORVELINE_GLAPI Color4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    record("Color4f", {r, g, b, a});
}
void ORVELINE_GLAPI PointSize(GLfloat s) {
    record("PointSize", {s});
}
void ORVELINE_GLAPI LineWidth(GLfloat w) {
    record("LineWidth", {w});
}
void ORVELINE_GLAPI Flush() {
    record("Flush", {});
}
void ORVELINE_GLAPI Finish() {
    record("Finish", {});
}
void ORVELINE_GLAPI GetFloatv(GLenum p, GLfloat* v) {
    record("GetFloatv", {double(p)});
    if (p == gl::LINE_WIDTH_RANGE) {
        v[0] = current->lineWidthRange[0];
        v[1] = current->lineWidthRange[1];
    } else if (p == gl::POINT_SIZE_RANGE) {
        v[0] = current->pointSizeRange[0];
        v[1] = current->pointSizeRange[1];
    }
}
void ORVELINE_GLAPI PixelStorei(GLenum p, GLint v) {
    record("PixelStorei", {double(p), double(v)});
}
void ORVELINE_GLAPI ReadBuffer(GLenum m) {
    record("ReadBuffer", {double(m)});
}
void ORVELINE_GLAPI ReadPixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*) {
    record("ReadPixels", {});
}
void ORVELINE_GLAPI Perspective(GLdouble f, GLdouble a, GLdouble n, GLdouble z) {
    record("Perspective", {f, a, n, z});
}

float clampTo(float v, const float range[2]) {
    return v < range[0] ? range[0] : (v > range[1] ? range[1] : v);
}

}  // namespace

std::string GlCall::text() const {
    std::string s = name + "(";
    char buffer[32];
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%.9g", args[i]);
        if (i > 0) s += ", ";
        s += buffer;
    }
    return s + ")";
}

GlRecorder::GlRecorder() : previous_(current) {
    current = this;
    api_ = GlApi{};
    api_.Viewport = Viewport;
    api_.MatrixMode = MatrixMode;
    api_.LoadIdentity = LoadIdentity;
    api_.Translatef = Translatef;
    api_.PushMatrix = PushMatrix;
    api_.PopMatrix = PopMatrix;
    api_.ClearColor = ClearColor;
    api_.Clear = Clear;
    api_.BlendFunc = BlendFunc;
    api_.Enable = Enable;
    api_.Disable = Disable;
    api_.Scissor = Scissor;
    api_.Hint = Hint;
    api_.BindTexture = BindTexture;
    api_.TexEnvf = TexEnvf;
    api_.TexParameteri = TexParameteri;
    api_.TexImage2D = TexImage2D;
    api_.NewList = NewList;
    api_.EndList = EndList;
    api_.CallList = CallList;
    api_.Begin = Begin;
    api_.End = End;
    api_.TexCoord2f = TexCoord2f;
    api_.Vertex3f = Vertex3f;
    api_.Vertex3fv = Vertex3fv;
    api_.Color3f = Color3f;
    api_.Color3fv = Color3fv;
    api_.Color4f = Color4f;
    api_.PointSize = PointSize;
    api_.LineWidth = LineWidth;
    api_.Flush = Flush;
    api_.Finish = Finish;
    api_.GetFloatv = GetFloatv;
    api_.PixelStorei = PixelStorei;
    api_.ReadBuffer = ReadBuffer;
    api_.ReadPixels = ReadPixels;
    api_.Perspective = Perspective;
}

GlRecorder::~GlRecorder() {
    current = previous_;
}

std::vector<std::string> GlRecorder::texts() const {
    std::vector<std::string> out;
    out.reserve(calls_.size());
    for (const GlCall& c : calls_) out.push_back(c.text());
    return out;
}

std::vector<DrawnPrimitive> interpretPrimitives(const std::vector<GlCall>& calls,
                                                const float lineWidthRange[2],
                                                const float pointSizeRange[2]) {
    std::vector<DrawnPrimitive> out;
    float colour[3] = {1, 1, 1};
    float lineWidth = 1, pointSize = 1;
    bool inside = false;
    GLenum mode = 0;
    std::vector<float> pending;
    for (const GlCall& c : calls) {
        if (c.name == "LineWidth") {
            lineWidth = float(c.args[0]);
        } else if (c.name == "PointSize") {
            pointSize = float(c.args[0]);
        } else if (c.name == "Begin") {
            inside = true;
            mode = GLenum(c.args[0]);
            pending.clear();
        } else if (c.name == "End") {
            inside = false;
        } else if (c.name == "Color3fv" || c.name == "Color3f") {
            for (int i = 0; i < 3; ++i) colour[i] = float(c.args[i]);
        } else if ((c.name == "Vertex3fv" || c.name == "Vertex3f") && inside) {
            pending.insert(pending.end(), colour, colour + 3);
            for (int i = 0; i < 3; ++i) pending.push_back(float(c.args[i]));
            const std::size_t perPrimitive = mode == gl::LINES ? 12 : (mode == gl::POINTS ? 6 : 0);
            if (perPrimitive != 0 && pending.size() == perPrimitive) {
                const float size = mode == gl::LINES ? clampTo(lineWidth, lineWidthRange)
                                                     : clampTo(pointSize, pointSizeRange);
                out.push_back(DrawnPrimitive{mode, size, pending});
                pending.clear();
            }
        }
    }
    return out;
}

}  // namespace orveline
