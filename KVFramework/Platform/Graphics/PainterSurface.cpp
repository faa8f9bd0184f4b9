// Drawing surfaces in memory on Cairo image surfaces.
//  [x] premultiplied ARGB32, zeroed   [x] pixel read-back for presenters and tests
//  [ ] other pixel formats (a window takes ARGB32 as it is)

#include "Platform/Graphics/PainterSurface.h"

#include "Graphics/BitmapImage.h"

#include <algorithm>
#include <cairo.h>

namespace KV::Platform {

std::unique_ptr<PainterSurface> PainterSurface::Create(int32_t width, int32_t height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    // The same bounds as for images: a size from outside data never makes the program
    // try to allocate gigabytes.
    if (width > BitmapImage::kMaxSide || height > BitmapImage::kMaxSide ||
        int64_t{width} * height > BitmapImage::kMaxPixels)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::unique_ptr<PainterSurface>(new PainterSurface(surface, width, height));
}

PainterSurface::~PainterSurface()
{
    cairo_surface_destroy(mSurface);
}

SurfacePixels PainterSurface::GetPixels() const
{
    cairo_surface_flush(mSurface);
    return {cairo_image_surface_get_data(mSurface), cairo_image_surface_get_stride(mSurface), mWidth,
            mHeight};
}

uint32_t PainterSurface::GetPixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight)
        return 0;
    const SurfacePixels pixels = GetPixels();
    return reinterpret_cast<const uint32_t*>(pixels.data + static_cast<ptrdiff_t>(y) * pixels.stride)[x];
}

} // namespace KV::Platform
