#pragma once
// LGDIRendererOffscreenSurface: a picture in memory the size of a render context's
// viewport, with the painter that draws on it. A surface that could not be made has no
// image and no painter; drawing on it does nothing.

#include "Graphics/Geometry.h"
#include "KVTypes.h"
#include "ObjectBase/RCPtr.h"
#include "Platform/Graphics/Painter.h"
#include "Platform/Graphics/PainterSurface.h"

#include <memory>

namespace KV {

class LGDIRendererOffscreenSurface : public virtual LRefCountedObject
{
public:
    static RCPtr<LGDIRendererOffscreenSurface> Create(const SizeT<int32_t>& size, NativeWindowHandle window);

    // Replaces image and painter by new ones of that size (a side below 1 counts as 1);
    // the new pixels are transparent black.
    void Resize(const SizeT<int32_t>& size);
    // 0 x 0 without an image.
    SizeT<int32_t> GetSize() const;
    Platform::PainterSurface* GetImage() const noexcept { return mImage.get(); }
    Platform::Painter* GetGraphics() const noexcept { return mGraphics.get(); }
    NativeWindowHandle GetWindow() const noexcept { return mWindow; }

    // Draws the source area of this surface with its top left at the position, through
    // the target's origin and clip. E_FAIL without an image or target.
    KVRESULT DrawTo(Platform::Painter* target, const PointT<int32_t>& position,
                    const RectT<int32_t>& sourceArea) const;

protected:
    ~LGDIRendererOffscreenSurface() override = default;

private:
    explicit LGDIRendererOffscreenSurface(NativeWindowHandle window) noexcept : mWindow(window) {}

    NativeWindowHandle mWindow;
    std::unique_ptr<Platform::PainterSurface> mImage;
    std::unique_ptr<Platform::Painter> mGraphics; // draws on mImage: declared after it
};

} // namespace KV
