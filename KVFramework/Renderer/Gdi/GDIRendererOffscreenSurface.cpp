#include "Renderer/Gdi/GDIRendererOffscreenSurface.h"

namespace KV {

RCPtr<LGDIRendererOffscreenSurface> LGDIRendererOffscreenSurface::Create(const SizeT<int32_t>& size,
                                                                         NativeWindowHandle window)
{
    RCPtr<LGDIRendererOffscreenSurface> surface(new LGDIRendererOffscreenSurface(window));
    surface->Resize(size);
    return surface;
}

void LGDIRendererOffscreenSurface::Resize(const SizeT<int32_t>& size)
{
    mGraphics.reset();
    mImage = Platform::PainterSurface::Create(size.width, size.height);
    if (mImage)
        mGraphics = std::make_unique<Platform::Painter>(*mImage);
}

SizeT<int32_t> LGDIRendererOffscreenSurface::GetSize() const
{
    return mImage ? mImage->GetSize() : SizeT<int32_t>{0, 0};
}

KVRESULT LGDIRendererOffscreenSurface::DrawTo(Platform::Painter* target, const PointT<int32_t>& position,
                                              const RectT<int32_t>& sourceArea) const
{
    if (!mImage || !target || !target->IsValid())
        return E_FAIL;
    target->DrawSurface(*mImage, sourceArea,
                        {static_cast<double>(position.x), static_cast<double>(position.y)});
    return S_OK;
}

} // namespace KV
