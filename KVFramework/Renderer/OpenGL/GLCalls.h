#pragma once
// The OpenGL and GLU headers of the OpenGL renderer, and the small helpers its classes
// share. OpenGL objects (lists, textures) are made and deleted only while the renderer's
// context is current: each remembers the serial of the context it was made in.
//
// The program does not link the OpenGL and GLU libraries: they are loaded when an
// OpenGL renderer is made or a polygon is tessellated (GL::LoadFunctions), so that an
// application drawing with another renderer never loads them. Every call below goes
// through a table of the functions found in them; the names are the libraries' own.

#include "Platform/Window/GLContext.h"

// Framebuffer objects are called by name (Mesa's library exports them).
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cstdint>
#include <string>

// The functions the renderer calls, of the OpenGL library and of the GLU library.
#define KV_GL_FUNCTIONS(X)                                                                                   \
    X(glAlphaFunc)                                                                                           \
    X(glBegin)                                                                                               \
    X(glBindFramebuffer)                                                                                     \
    X(glBindTexture)                                                                                         \
    X(glBlendFunc)                                                                                           \
    X(glBlitFramebuffer)                                                                                     \
    X(glCallList)                                                                                            \
    X(glCheckFramebufferStatus)                                                                              \
    X(glClear)                                                                                               \
    X(glClearColor)                                                                                          \
    X(glColor4f)                                                                                             \
    X(glDeleteFramebuffers)                                                                                  \
    X(glDeleteLists)                                                                                         \
    X(glDeleteTextures)                                                                                      \
    X(glDisable)                                                                                             \
    X(glDisableClientState)                                                                                  \
    X(glDrawArrays)                                                                                          \
    X(glDrawBuffer)                                                                                          \
    X(glEnable)                                                                                              \
    X(glEnableClientState)                                                                                   \
    X(glEnd)                                                                                                 \
    X(glEndList)                                                                                             \
    X(glFlush)                                                                                               \
    X(glFramebufferTexture2D)                                                                                \
    X(glGenFramebuffers)                                                                                     \
    X(glGenLists)                                                                                            \
    X(glGenTextures)                                                                                         \
    X(glGetError)                                                                                            \
    X(glGetIntegerv)                                                                                         \
    X(glGetTexLevelParameteriv)                                                                              \
    X(glHint)                                                                                                \
    X(glIsEnabled)                                                                                           \
    X(glIsList)                                                                                              \
    X(glIsTexture)                                                                                           \
    X(glLineWidth)                                                                                           \
    X(glLoadIdentity)                                                                                        \
    X(glMatrixMode)                                                                                          \
    X(glNewList)                                                                                             \
    X(glOrtho)                                                                                               \
    X(glPixelStorei)                                                                                         \
    X(glPopMatrix)                                                                                           \
    X(glPushMatrix)                                                                                          \
    X(glReadBuffer)                                                                                          \
    X(glReadPixels)                                                                                          \
    X(glScalef)                                                                                              \
    X(glScissor)                                                                                             \
    X(glShadeModel)                                                                                          \
    X(glTexCoord2f)                                                                                          \
    X(glTexEnvi)                                                                                             \
    X(glTexImage2D)                                                                                          \
    X(glTexParameteri)                                                                                       \
    X(glTexSubImage2D)                                                                                       \
    X(glTranslated)                                                                                          \
    X(glTranslatef)                                                                                          \
    X(glVertex2d)                                                                                            \
    X(glVertex2f)                                                                                            \
    X(glVertex3dv)                                                                                           \
    X(glVertexPointer)                                                                                       \
    X(glViewport)

#define KV_GLU_FUNCTIONS(X)                                                                                  \
    X(gluBuild2DMipmaps)                                                                                     \
    X(gluNewTess)                                                                                            \
    X(gluScaleImage)                                                                                         \
    X(gluTessBeginContour)                                                                                   \
    X(gluTessBeginPolygon)                                                                                   \
    X(gluTessCallback)                                                                                       \
    X(gluTessEndContour)                                                                                     \
    X(gluTessEndPolygon)                                                                                     \
    X(gluTessNormal)                                                                                         \
    X(gluTessProperty)                                                                                       \
    X(gluTessVertex)

namespace KV::GL {

struct Functions
{
#define KV_GL_FUNCTION_POINTER(name) decltype(&::name) name = nullptr;
    KV_GL_FUNCTIONS(KV_GL_FUNCTION_POINTER)
    KV_GLU_FUNCTIONS(KV_GL_FUNCTION_POINTER)
#undef KV_GL_FUNCTION_POINTER
};

// Filled by LoadFunctions; all null before.
extern Functions gFunctions;

// Loads the OpenGL and GLU libraries of the system and finds every function of the
// table, once per process. False, with the reason in error, when a library or a
// function cannot be had; the table is then left empty and nothing may be called.
bool LoadFunctions(std::string& error);

} // namespace KV::GL

// The calls of the renderer's code go to the table. The file that fills the table sees
// the plain names.
#ifndef KV_GL_TABLE_ITSELF
#define glAlphaFunc ::KV::GL::gFunctions.glAlphaFunc
#define glBegin ::KV::GL::gFunctions.glBegin
#define glBindFramebuffer ::KV::GL::gFunctions.glBindFramebuffer
#define glBindTexture ::KV::GL::gFunctions.glBindTexture
#define glBlendFunc ::KV::GL::gFunctions.glBlendFunc
#define glBlitFramebuffer ::KV::GL::gFunctions.glBlitFramebuffer
#define glCallList ::KV::GL::gFunctions.glCallList
#define glCheckFramebufferStatus ::KV::GL::gFunctions.glCheckFramebufferStatus
#define glClear ::KV::GL::gFunctions.glClear
#define glClearColor ::KV::GL::gFunctions.glClearColor
#define glColor4f ::KV::GL::gFunctions.glColor4f
#define glDeleteFramebuffers ::KV::GL::gFunctions.glDeleteFramebuffers
#define glDeleteLists ::KV::GL::gFunctions.glDeleteLists
#define glDeleteTextures ::KV::GL::gFunctions.glDeleteTextures
#define glDisable ::KV::GL::gFunctions.glDisable
#define glDisableClientState ::KV::GL::gFunctions.glDisableClientState
#define glDrawArrays ::KV::GL::gFunctions.glDrawArrays
#define glDrawBuffer ::KV::GL::gFunctions.glDrawBuffer
#define glEnable ::KV::GL::gFunctions.glEnable
#define glEnableClientState ::KV::GL::gFunctions.glEnableClientState
#define glEnd ::KV::GL::gFunctions.glEnd
#define glEndList ::KV::GL::gFunctions.glEndList
#define glFlush ::KV::GL::gFunctions.glFlush
#define glFramebufferTexture2D ::KV::GL::gFunctions.glFramebufferTexture2D
#define glGenFramebuffers ::KV::GL::gFunctions.glGenFramebuffers
#define glGenLists ::KV::GL::gFunctions.glGenLists
#define glGenTextures ::KV::GL::gFunctions.glGenTextures
#define glGetError ::KV::GL::gFunctions.glGetError
#define glGetIntegerv ::KV::GL::gFunctions.glGetIntegerv
#define glGetTexLevelParameteriv ::KV::GL::gFunctions.glGetTexLevelParameteriv
#define glHint ::KV::GL::gFunctions.glHint
#define glIsEnabled ::KV::GL::gFunctions.glIsEnabled
#define glIsList ::KV::GL::gFunctions.glIsList
#define glIsTexture ::KV::GL::gFunctions.glIsTexture
#define glLineWidth ::KV::GL::gFunctions.glLineWidth
#define glLoadIdentity ::KV::GL::gFunctions.glLoadIdentity
#define glMatrixMode ::KV::GL::gFunctions.glMatrixMode
#define glNewList ::KV::GL::gFunctions.glNewList
#define glOrtho ::KV::GL::gFunctions.glOrtho
#define glPixelStorei ::KV::GL::gFunctions.glPixelStorei
#define glPopMatrix ::KV::GL::gFunctions.glPopMatrix
#define glPushMatrix ::KV::GL::gFunctions.glPushMatrix
#define glReadBuffer ::KV::GL::gFunctions.glReadBuffer
#define glReadPixels ::KV::GL::gFunctions.glReadPixels
#define glScalef ::KV::GL::gFunctions.glScalef
#define glScissor ::KV::GL::gFunctions.glScissor
#define glShadeModel ::KV::GL::gFunctions.glShadeModel
#define glTexCoord2f ::KV::GL::gFunctions.glTexCoord2f
#define glTexEnvi ::KV::GL::gFunctions.glTexEnvi
#define glTexImage2D ::KV::GL::gFunctions.glTexImage2D
#define glTexParameteri ::KV::GL::gFunctions.glTexParameteri
#define glTexSubImage2D ::KV::GL::gFunctions.glTexSubImage2D
#define glTranslated ::KV::GL::gFunctions.glTranslated
#define glTranslatef ::KV::GL::gFunctions.glTranslatef
#define glVertex2d ::KV::GL::gFunctions.glVertex2d
#define glVertex2f ::KV::GL::gFunctions.glVertex2f
#define glVertex3dv ::KV::GL::gFunctions.glVertex3dv
#define glVertexPointer ::KV::GL::gFunctions.glVertexPointer
#define glViewport ::KV::GL::gFunctions.glViewport
#define gluBuild2DMipmaps ::KV::GL::gFunctions.gluBuild2DMipmaps
#define gluNewTess ::KV::GL::gFunctions.gluNewTess
#define gluScaleImage ::KV::GL::gFunctions.gluScaleImage
#define gluTessBeginContour ::KV::GL::gFunctions.gluTessBeginContour
#define gluTessBeginPolygon ::KV::GL::gFunctions.gluTessBeginPolygon
#define gluTessCallback ::KV::GL::gFunctions.gluTessCallback
#define gluTessEndContour ::KV::GL::gFunctions.gluTessEndContour
#define gluTessEndPolygon ::KV::GL::gFunctions.gluTessEndPolygon
#define gluTessNormal ::KV::GL::gFunctions.gluTessNormal
#define gluTessProperty ::KV::GL::gFunctions.gluTessProperty
#define gluTessVertex ::KV::GL::gFunctions.gluTessVertex
#endif

namespace KV::GL {

// Takes every pending error off the queue: drawing-time errors are not acted on.
inline void DrainErrors()
{
    for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i)
    {
    }
}

// True while a context made through Platform::GLContext is current on this thread.
inline bool HasCurrentContext()
{
    return Platform::GLContext::GetCurrentSerial() != 0;
}

} // namespace KV::GL
