#pragma once
// LGLRenderContextInfo: the render context of the OpenGL renderer. Every context draws
// into a framebuffer object of its own at the viewport's size, whose picture is a texture
// kept between frames (and drawn elsewhere by DrawImageAt); a window's context copies it onto the window's
// OpenGL drawable when a frame ends, an offscreen context (or one without a window) only keeps it.

#include "Platform/Window/GLContext.h"
#include "Renderer/RenderContextInfo.h"

#include <array>
#include <memory>
#include <cstdint>

namespace KV {

class LGLRenderContextInfo : public LRenderContextInfo
{
public:
    // Null for a window context whose window has no OpenGL drawable. maxSurface: the
    // largest viewport, as the driver reports it.
    static RCPtr<LGLRenderContextInfo> Create(const RectT<int32_t>& viewport, NativeWindowHandle window,
                                              bool offscreen, const SizeT<int32_t>& maxSurface);

    SizeT<int32_t> GetMaxSurfaceSize() const override { return mMaxSurface; }

    // The window's drawable; null for an offscreen context.
    const Platform::GLDrawable* GetDrawable() const noexcept { return mDrawable.get(); }
    // True when frames are shown on the window when they end.
    bool IsPresented() const noexcept { return mDrawable != nullptr; }
    // Draws into this context's framebuffer from now on (made, or made again at a new
    // viewport size, with a context current). False when none can be made.
    bool BindFramebuffer();

    SizeT<int32_t> GetFramebufferSize() const noexcept { return mFramebufferSize; }
    // The texture that holds the picture (rows from the bottom); 0 before the first frame
    // or outside the context it was made in.
    uint32_t GetPicture() const noexcept;
    // Draws into a second, transparent picture from now on; the texture of the previous
    // one, 0 when there is none.
    uint32_t SwapPictures();
    // Where the clip lies on the surface, as the renderer last set it.
    const RectT<double>& GetScissorArea() const noexcept { return mScissorArea; }
    void SetScissorArea(const RectT<double>& area) noexcept { mScissorArea = area; }

protected:
    LGLRenderContextInfo(const RectT<int32_t>& viewport, NativeWindowHandle window, bool offscreen,
                         const SizeT<int32_t>& maxSurface);
    ~LGLRenderContextInfo() override;

private:
    void DeleteFramebuffer();
    uint32_t MakePicture();
    bool AttachPicture(uint32_t texture);
    static void ClearPicture();

    SizeT<int32_t> mMaxSurface;
    std::shared_ptr<Platform::GLDrawable> mDrawable;
    uint32_t mFramebuffer = 0;
    // Two pictures, so that one can be drawn onto the other (moving an offscreen picture).
    std::array<uint32_t, 2> mPictures{0, 0};
    int32_t mCurrentPicture = 0;
    SizeT<int32_t> mFramebufferSize{};
    uint64_t mContextSerial = 0;
    RectT<double> mScissorArea{};
};

} // namespace KV
