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
        for (uint32_t& picture : mPictures)
            if (picture != 0)
                glDeleteTextures(1, &picture);
    }
    mFramebuffer = 0;
    mPictures = {0, 0};
    mCurrentPicture = 0;
}

uint32_t LGLRenderContextInfo::MakePicture()
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, mFramebufferSize.width, mFramebufferSize.height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    return texture;
}

bool LGLRenderContextInfo::AttachPicture(uint32_t texture)
{
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return false;
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    return true;
}

void LGLRenderContextInfo::ClearPicture()
{
    // A new picture starts transparent, whatever the clip.
    GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (scissor)
        glEnable(GL_SCISSOR_TEST);
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
        mContextSerial = Platform::GLContext::GetCurrentSerial();
        mFramebufferSize = size;
        mPictures[0] = MakePicture();
        mCurrentPicture = 0;
        if (!AttachPicture(mPictures[0]))
        {
            DeleteFramebuffer();
            GL::DrainErrors();
            return false;
        }
        ClearPicture();
        return true;
    }
    return AttachPicture(mPictures[static_cast<size_t>(mCurrentPicture)]);
}

uint32_t LGLRenderContextInfo::SwapPictures()
{
    if (mFramebuffer == 0 || Platform::GLContext::GetCurrentSerial() != mContextSerial)
        return 0;
    const int32_t other = 1 - mCurrentPicture;
    if (mPictures[static_cast<size_t>(other)] == 0)
        mPictures[static_cast<size_t>(other)] = MakePicture();
    if (!AttachPicture(mPictures[static_cast<size_t>(other)]))
    {
        AttachPicture(mPictures[static_cast<size_t>(mCurrentPicture)]);
        return 0;
    }
    ClearPicture();
    const uint32_t previous = mPictures[static_cast<size_t>(mCurrentPicture)];
    mCurrentPicture = other;
    return previous;
}

uint32_t LGLRenderContextInfo::GetPicture() const noexcept
{
    return Platform::GLContext::GetCurrentSerial() == mContextSerial
               ? mPictures[static_cast<size_t>(mCurrentPicture)]
               : 0;
}

} // namespace KV
