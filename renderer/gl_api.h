// The OpenGL 1.1 calls of the renderer core, as a table of function pointers. The core draws only
// through this table, so tests can record a frame without a context and each platform points it
// at its own library: x11_gl_api.cpp fills it from libGL/libGLU on Linux, a win32_* file from
// opengl32/glu32 on Windows (its functions are __stdcall: the build defines ORVELINE_GLAPI for
// the core and everything that fills or fakes this table).
#pragma once

#include <cstdint>

#ifndef ORVELINE_GLAPI
#define ORVELINE_GLAPI
#endif

namespace orveline {

// The OpenGL scalar types, spelled out so that no system header is needed here.
using GLenum = unsigned int;
using GLboolean = unsigned char;
using GLbitfield = unsigned int;
using GLint = int;
using GLsizei = int;
using GLuint = unsigned int;
using GLfloat = float;
using GLclampf = float;
using GLdouble = double;

namespace gl {
constexpr GLenum POINTS = 0x0000;
constexpr GLenum LINES = 0x0001;
constexpr GLenum TRIANGLE_STRIP = 0x0005;
constexpr GLenum QUADS = 0x0007;
constexpr GLenum MODELVIEW = 0x1700;
constexpr GLenum PROJECTION = 0x1701;
constexpr GLbitfield COLOR_BUFFER_BIT = 0x00004000;
constexpr GLenum BLEND = 0x0BE2;
constexpr GLenum ONE = 1;
constexpr GLenum SRC_ALPHA = 0x0302;
constexpr GLenum ONE_MINUS_SRC_ALPHA = 0x0303;
constexpr GLenum TEXTURE_2D = 0x0DE1;
constexpr GLenum TEXTURE_ENV = 0x2300;
constexpr GLenum TEXTURE_ENV_MODE = 0x2200;
constexpr GLenum MODULATE = 0x2100;
constexpr GLenum TEXTURE_MAG_FILTER = 0x2800;
constexpr GLenum TEXTURE_MIN_FILTER = 0x2801;
constexpr GLenum LINEAR = 0x2601;
constexpr GLenum LUMINANCE = 0x1909;
constexpr GLenum UNSIGNED_BYTE = 0x1401;
constexpr GLenum COMPILE = 0x1300;
constexpr GLenum POINT_SMOOTH = 0x0B10;
constexpr GLenum POINT_SMOOTH_HINT = 0x0C51;
constexpr GLenum LINE_SMOOTH = 0x0B20;
constexpr GLenum LINE_SMOOTH_HINT = 0x0C52;
constexpr GLenum NICEST = 0x1102;
constexpr GLenum LINE_WIDTH_RANGE = 0x0B22;  // the smooth-line range
constexpr GLenum POINT_SIZE_RANGE = 0x0B12;  // the smooth-point range
constexpr GLenum RGB = 0x1907;
constexpr GLenum BACK = 0x0405;
constexpr GLenum PACK_ALIGNMENT = 0x0D05;
constexpr GLenum SCISSOR_TEST = 0x0C11;
}  // namespace gl

struct GlApi {
    void(ORVELINE_GLAPI* Viewport)(GLint x, GLint y, GLsizei width, GLsizei height);
    void(ORVELINE_GLAPI* MatrixMode)(GLenum mode);
    void(ORVELINE_GLAPI* LoadIdentity)();
    void(ORVELINE_GLAPI* Translatef)(GLfloat x, GLfloat y, GLfloat z);
    void(ORVELINE_GLAPI* PushMatrix)();
    void(ORVELINE_GLAPI* PopMatrix)();
    void(ORVELINE_GLAPI* ClearColor)(GLclampf r, GLclampf g, GLclampf b, GLclampf a);
    void(ORVELINE_GLAPI* Clear)(GLbitfield mask);
    void(ORVELINE_GLAPI* BlendFunc)(GLenum sfactor, GLenum dfactor);
    void(ORVELINE_GLAPI* Enable)(GLenum cap);
    void(ORVELINE_GLAPI* Disable)(GLenum cap);
    void(ORVELINE_GLAPI* Scissor)(GLint x, GLint y, GLsizei width, GLsizei height);
    void(ORVELINE_GLAPI* Hint)(GLenum target, GLenum mode);
    void(ORVELINE_GLAPI* BindTexture)(GLenum target, GLuint texture);
    void(ORVELINE_GLAPI* TexEnvf)(GLenum target, GLenum pname, GLfloat param);
    void(ORVELINE_GLAPI* TexParameteri)(GLenum target, GLenum pname, GLint param);
    void(ORVELINE_GLAPI* TexImage2D)(GLenum target, GLint level, GLint components, GLsizei width,
                                     GLsizei height, GLint border, GLenum format, GLenum type,
                                     const void* pixels);
    void(ORVELINE_GLAPI* NewList)(GLuint list, GLenum mode);
    void(ORVELINE_GLAPI* EndList)();
    void(ORVELINE_GLAPI* CallList)(GLuint list);
    void(ORVELINE_GLAPI* Begin)(GLenum mode);
    void(ORVELINE_GLAPI* End)();
    void(ORVELINE_GLAPI* TexCoord2f)(GLfloat s, GLfloat t);
    void(ORVELINE_GLAPI* Vertex3f)(GLfloat x, GLfloat y, GLfloat z);
    void(ORVELINE_GLAPI* Vertex3fv)(const GLfloat* v);
    void(ORVELINE_GLAPI* Color3f)(GLfloat r, GLfloat g, GLfloat b);
    void(ORVELINE_GLAPI* Color3fv)(const GLfloat* v);
    void(ORVELINE_GLAPI* Color4f)(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
    void(ORVELINE_GLAPI* PointSize)(GLfloat size);
    void(ORVELINE_GLAPI* LineWidth)(GLfloat width);
    void(ORVELINE_GLAPI* Flush)();
    void(ORVELINE_GLAPI* Finish)();
    void(ORVELINE_GLAPI* GetFloatv)(GLenum pname, GLfloat* params);
    void(ORVELINE_GLAPI* PixelStorei)(GLenum pname, GLint param);
    void(ORVELINE_GLAPI* ReadBuffer)(GLenum mode);
    void(ORVELINE_GLAPI* ReadPixels)(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                                     GLenum type, void* pixels);
    // From the utility library.
    void(ORVELINE_GLAPI* Perspective)(GLdouble fovy, GLdouble aspect, GLdouble zNear,
                                      GLdouble zFar);
};

// The table of the platform's OpenGL library; each platform's *_gl_api.cpp defines it.
const GlApi& systemGlApi();

}  // namespace orveline
