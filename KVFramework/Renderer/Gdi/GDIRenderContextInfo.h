#pragma once
// LGDIRenderContextInfo: the render context of the GDI+ renderer. A frame is drawn into
// the current of two offscreen surfaces; when it ends, exactly the dirty rectangles are
// copied to the window (through its presenter). The other surface lets an offscreen
// picture be moved without being redrawn (LGDIRenderer::PresentOffscreen).

#include "Renderer/Gdi/GDIRendererOffscreenSurface.h"
#include "Renderer/RenderContextInfo.h"

namespace KV {

class LGDIRenderContextInfo : public LRenderContextInfo
{
public:
    // Both surfaces are made at the viewport's size.
    static RCPtr<LGDIRenderContextInfo> Create(const RectT<int32_t>& viewport, NativeWindowHandle window,
                                               bool offscreen);

    // 4096 x 4096, whatever the window.
    SizeT<int32_t> GetMaxSurfaceSize() const override;

    // The current surface's painter; null when the surface could not be made.
    Platform::Painter* GetGraphics() const noexcept { return mCurrentSurface->GetGraphics(); }
    const RCPtr<LGDIRendererOffscreenSurface>& GetCurrentSurface() const noexcept { return mCurrentSurface; }
    const RCPtr<LGDIRendererOffscreenSurface>& GetOtherSurface() const noexcept { return mOtherSurface; }

    // The start of a frame: both surfaces are made anew when their size is not the
    // viewport's or when the whole viewport is the one dirty rectangle (a full repaint
    // starts on fresh surfaces); otherwise they are kept with their pictures.
    void BeginFrame();
    // The end of a frame: a window's context copies its dirty rectangles, from the last to
    // the first, to the same places of the window; an offscreen context copies nothing.
    // The dirty region is left as it is.
    void EndFrame();
    void SwapSurfaces() noexcept;

protected:
    LGDIRenderContextInfo(const RectT<int32_t>& viewport, NativeWindowHandle window, bool offscreen);
    ~LGDIRenderContextInfo() override = default;

private:
    RCPtr<LGDIRendererOffscreenSurface> mCurrentSurface;
    RCPtr<LGDIRendererOffscreenSurface> mOtherSurface;
};

} // namespace KV
