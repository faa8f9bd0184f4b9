#include "Renderer/Gdi/GDIRenderContextInfo.h"

#include "Platform/Window/NativeWindow.h"
#include "Platform/Window/SurfacePresenter.h"
#include "Storage/ArrayBuffer.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace KV {

namespace {

SizeT<int32_t> SizeOf(const RectT<int32_t>& viewport)
{
    return {viewport.width, viewport.height};
}

} // namespace

RCPtr<LGDIRenderContextInfo> LGDIRenderContextInfo::Create(const RectT<int32_t>& viewport,
                                                           NativeWindowHandle window, bool offscreen)
{
    return RCPtr<LGDIRenderContextInfo>(new LGDIRenderContextInfo(viewport, window, offscreen));
}

LGDIRenderContextInfo::LGDIRenderContextInfo(const RectT<int32_t>& viewport, NativeWindowHandle window,
                                             bool offscreen)
    : LRenderContextInfo(viewport, window, offscreen),
      mCurrentSurface(LGDIRendererOffscreenSurface::Create(SizeOf(viewport), window)),
      mOtherSurface(LGDIRendererOffscreenSurface::Create(SizeOf(viewport), window))
{
}

SizeT<int32_t> LGDIRenderContextInfo::GetMaxSurfaceSize() const
{
    return {4096, 4096};
}

void LGDIRenderContextInfo::SwapSurfaces() noexcept
{
    std::swap(mCurrentSurface, mOtherSurface);
}

void LGDIRenderContextInfo::BeginFrame()
{
    const RectT<int32_t>& viewport = GetViewport();
    const SizeT<int32_t> size = mCurrentSurface->GetSize();
    if (size.width == viewport.width && size.height == viewport.height)
    {
        const RegionNode* only = GetDirtyRegion().GetFirstNode();
        if (!only || only->next)
            return;
        const RegionRect& dirty = only->rect;
        const bool wholeViewport = dirty.left == viewport.x && dirty.top == viewport.y &&
                                   int64_t{dirty.right} - dirty.left == viewport.width &&
                                   int64_t{dirty.bottom} - dirty.top == viewport.height;
        if (!wholeViewport)
            return;
    }
    mCurrentSurface->Resize(SizeOf(viewport));
    mOtherSurface->Resize(SizeOf(viewport));
}

void LGDIRenderContextInfo::EndFrame()
{
    Platform::NativeWindow* window = GetWindow();
    const Platform::PainterSurface* image = mCurrentSurface->GetImage();
    if (IsOffscreen() || !window || !image)
        return;
    Platform::SurfacePresenter* presenter = window->GetSurfacePresenter();
    if (!presenter)
        return;
    ArrayBuffer<RectT<int32_t>> rects;
    GetDirtyRegion().ForEachRect(rects);
    // The region may reach past a surface made smaller since it was filled: only what the
    // picture holds is handed on.
    const SizeT<int32_t> size = image->GetSize();
    const RectT<int32_t> bounds{0, 0, size.width, size.height};
    std::vector<RectT<int32_t>> lastToFirst;
    lastToFirst.reserve(rects.GetCount());
    for (uint32_t i = rects.GetCount(); i-- > 0;)
    {
        RectT<int32_t> area;
        if (RectT<int32_t>::Intersect(area, rects.GetData()[i], bounds))
            lastToFirst.push_back(area);
    }
    if (!lastToFirst.empty())
        presenter->Present(image->GetPixels(), lastToFirst);
}

} // namespace KV
