// The renderer core's OpenGL table on Windows: opengl32 and glu32, called directly (both are
// __stdcall there, which the build spells ORVELINE_GLAPI for the core).
#include <windows.h>
// windows.h first: the GL headers need its calling-convention macros.
#include <GL/gl.h>
#include <GL/glu.h>

#include "gl_api.h"

namespace orveline {

namespace {

GlApi makeSystemGlApi() {
    GlApi api{};
    api.Viewport = glViewport;
    api.MatrixMode = glMatrixMode;
    api.LoadIdentity = glLoadIdentity;
    api.Translatef = glTranslatef;
    api.PushMatrix = glPushMatrix;
    api.PopMatrix = glPopMatrix;
    api.ClearColor = glClearColor;
    api.Clear = glClear;
    api.BlendFunc = glBlendFunc;
    api.Enable = glEnable;
    api.Disable = glDisable;
    api.Scissor = glScissor;
    api.Hint = glHint;
    api.BindTexture = glBindTexture;
    api.TexEnvf = glTexEnvf;
    api.TexParameteri = glTexParameteri;
    api.TexImage2D = glTexImage2D;
    api.NewList = glNewList;
    api.EndList = glEndList;
    api.CallList = glCallList;
    api.Begin = glBegin;
    api.End = glEnd;
    api.TexCoord2f = glTexCoord2f;
    api.Vertex3f = glVertex3f;
    api.Vertex3fv = glVertex3fv;
    api.Color3f = glColor3f;
    api.Color3fv = glColor3fv;
    api.Color4f = glColor4f;
    api.PointSize = glPointSize;
    api.LineWidth = glLineWidth;
    api.Flush = glFlush;
    api.Finish = glFinish;
    api.GetFloatv = glGetFloatv;
    api.PixelStorei = glPixelStorei;
    api.ReadBuffer = glReadBuffer;
    api.ReadPixels = glReadPixels;
    api.Perspective = gluPerspective;
    return api;
}

}  // namespace

const GlApi& systemGlApi() {
    static const GlApi api = makeSystemGlApi();
    return api;
}

}  // namespace orveline
