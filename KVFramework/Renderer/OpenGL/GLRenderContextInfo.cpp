#include "Renderer/OpenGL/GLRenderContextInfo.h"

#include "Platform/Window/NativeWindow.h"
#include "Renderer/OpenGL/GLCalls.h"

#include <algorithm>

namespace KV {

RCPtr<LGLRenderContextInfo> LGLRenderContextInfo::Create(const RectT<int32_t>& viewport,
                                                         NativeWindowHandle window, bool offscreen,
                                                         const SizeT<int32_t>& maxSurface)
{
    RCPtr<LGLRenderContextInfo> context(new LGLRenderContextInfo(viewport, window, offscreen, maxSurface));
    if (!offscreen && window)
    {
        context->mDrawable = window->GetGLDrawable();
        if (!context->mDrawable)
            return nullptr;
    }
    return context;
}

LGLRenderContextInfo::LGLRenderContextInfo(const RectT<int32_t>& viewport, NativeWindowHandle window,
                                           bool offscreen, const SizeT<int32_t>& maxSurface)
    : LRenderContextInfo(viewport, window, offscreen), mMaxSurface(maxSurface)
{
}

LGLRenderContextInfo::~LGLRenderContextInfo()
{
    DeleteFramebuffer();
}

void LGLRenderContextInfo::DeleteFramebuffer()
{
    // Names of a context that is not current (or gone) went, or go, with that context.
    if (mFramebuffer != 0 && Platform::GLContext::GetCurrentSerial() == mContextSerial)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &mFramebuffer);
        glDeleteRenderbuffers(1, &mColorBuffer);
    }
    mFramebuffer = 0;
    mColorBuffer = 0;
}

bool LGLRenderContextInfo::BindFramebuffer()
{
    if (!GL::HasCurrentContext())
        return false;
    // Sizes from data: no larger than the driver can draw on.
    const RectT<int32_t>& viewport = GetViewport();
    const auto side = [](int64_t wanted, int32_t most) {
        return static_cast<int32_t>(std::clamp<int64_t>(wanted, 1, std::max(most, 1)));
    };
    const SizeT<int32_t> size{side(int64_t{viewport.x} + viewport.width, mMaxSurface.width),
                              side(int64_t{viewport.y} + viewport.height, mMaxSurface.height)};
    if (mFramebuffer != 0 &&
        (Platform::GLContext::GetCurrentSerial() != mContextSerial || size != mFramebufferSize))
        DeleteFramebuffer();
    if (mFramebuffer == 0)
    {
        glGenFramebuffers(1, &mFramebuffer);
        glGenRenderbuffers(1, &mColorBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, mColorBuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, size.width, size.height);
        glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, mColorBuffer);
        mContextSerial = Platform::GLContext::GetCurrentSerial();
        mFramebufferSize = size;
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        {
            DeleteFramebuffer();
            GL::DrainErrors();
            return false;
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    return true;
}

} // namespace KV
