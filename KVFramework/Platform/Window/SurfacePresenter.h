#pragma once
// SurfacePresenter: puts areas of a picture drawn in memory onto a window. A window that
// can show such pictures hands out its presenter (NativeWindow::GetSurfacePresenter); the
// renderer that drew the picture knows only this interface, the window nothing of how the
// picture was drawn.

#include "Graphics/Geometry.h"
#include "Platform/Graphics/SurfacePixels.h"

#include <span>

namespace KV::Platform {

class SurfacePresenter
{
public:
    SurfacePresenter() = default;
    SurfacePresenter(const SurfacePresenter&) = delete;
    SurfacePresenter& operator=(const SurfacePresenter&) = delete;
    virtual ~SurfacePresenter() = default;

    // Copies each area of the picture to the same place in the window, in the order given;
    // the parts of an area outside the picture or the window are left out.
    virtual void Present(const SurfacePixels& picture, std::span<const RectT<int32_t>> areas) = 0;
};

} // namespace KV::Platform
