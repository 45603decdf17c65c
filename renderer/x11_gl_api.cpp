// The OpenGL table on Linux: libGL's and libGLU's own entry points.
#include <GL/gl.h>
#include <GL/glu.h>

#include "gl_api.h"

namespace orveline {
namespace {

GlApi makeTable() {
    GlApi t{};
    t.Viewport = glViewport;
    t.MatrixMode = glMatrixMode;
    t.LoadIdentity = glLoadIdentity;
    t.Translatef = glTranslatef;
    t.PushMatrix = glPushMatrix;
    t.PopMatrix = glPopMatrix;
    t.ClearColor = glClearColor;
    t.Clear = glClear;
    t.BlendFunc = glBlendFunc;
    t.Enable = glEnable;
    t.Disable = glDisable;
    t.Scissor = glScissor;
    t.Hint = glHint;
    t.BindTexture = glBindTexture;
    t.TexEnvf = glTexEnvf;
    t.TexParameteri = glTexParameteri;
    t.TexImage2D = glTexImage2D;
    t.NewList = glNewList;
    t.EndList = glEndList;
    t.CallList = glCallList;
    t.Begin = glBegin;
    t.End = glEnd;
    t.TexCoord2f = glTexCoord2f;
    t.Vertex3f = glVertex3f;
    t.Vertex3fv = glVertex3fv;
    t.Color3f = glColor3f;
    t.Color3fv = glColor3fv;
    t.Color4f = glColor4f;
    t.PointSize = glPointSize;
    t.LineWidth = glLineWidth;
    t.Flush = glFlush;
    t.Finish = glFinish;
    t.GetFloatv = glGetFloatv;
    t.PixelStorei = glPixelStorei;
    t.ReadBuffer = glReadBuffer;
    t.ReadPixels = glReadPixels;
    t.Perspective = gluPerspective;
    return t;
}

}  // namespace

const GlApi& systemGlApi() {
    static const GlApi table = makeTable();
    return table;
}

}  // namespace orveline
