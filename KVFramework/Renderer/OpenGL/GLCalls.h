#pragma once
// The OpenGL and GLU headers of the OpenGL renderer, and the small helpers its classes
// share. OpenGL objects (lists, textures) are made and deleted only while the renderer's
// context is current: each remembers the serial of the context it was made in.

#include "Platform/Window/GLContext.h"

// Framebuffer objects are called by name (Mesa's library exports them).
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cstdint>

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
