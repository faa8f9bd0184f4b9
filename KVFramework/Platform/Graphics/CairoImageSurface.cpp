// Premultiplied Cairo surfaces made on demand from straight BGRA images.
//  [x] ARGB32 copy with alpha multiplied in   [x] kept until the pixels change
//  [ ] sharing the pixels without a copy (straight pixels cannot be drawn as they are)

#include "Platform/Graphics/CairoImageSurface.h"

#include <cairo.h>

namespace KV::Platform {

namespace {

class CairoSurfaceOfImage : public BitmapImage::DerivedSurface
{
public:
    explicit CairoSurfaceOfImage(cairo_surface_t* surface) noexcept : mSurface(surface) {}
    ~CairoSurfaceOfImage() override { cairo_surface_destroy(mSurface); }
    CairoSurfaceOfImage(const CairoSurfaceOfImage&) = delete;
    CairoSurfaceOfImage& operator=(const CairoSurfaceOfImage&) = delete;

    cairo_surface_t* Get() const noexcept { return mSurface; }

private:
    cairo_surface_t* mSurface;
};

// channel * alpha / 255, rounded to nearest, exact for every pair of bytes.
uint8_t Premultiply(uint8_t channel, uint8_t alpha)
{
    const uint32_t product = static_cast<uint32_t>(channel) * alpha + 128;
    return static_cast<uint8_t>((product + (product >> 8)) >> 8);
}

cairo_surface_t* MakePremultipliedSurface(const BitmapImage& image)
{
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.GetWidth(), image.GetHeight());
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    uint8_t* target = cairo_image_surface_get_data(surface);
    const int targetStride = cairo_image_surface_get_stride(surface);
    for (int32_t y = 0; y < image.GetHeight(); ++y)
    {
        const uint8_t* source = image.PixelAt(0, y);
        // ARGB32 is a native-endian 32-bit 0xAARRGGBB word per pixel, like the image's.
        auto* row = reinterpret_cast<uint32_t*>(target + static_cast<ptrdiff_t>(y) * targetStride);
        for (int32_t x = 0; x < image.GetWidth(); ++x, source += BitmapImage::kBytesPerPixel)
        {
            const uint8_t alpha = source[3];
            row[x] = static_cast<uint32_t>(alpha) << 24 |
                     static_cast<uint32_t>(Premultiply(source[2], alpha)) << 16 |
                     static_cast<uint32_t>(Premultiply(source[1], alpha)) << 8 |
                     Premultiply(source[0], alpha);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

} // namespace

cairo_surface_t* GetCairoSurface(const BitmapImage& image)
{
    if (auto* kept = dynamic_cast<CairoSurfaceOfImage*>(image.GetDerivedSurface()))
        return kept->Get();
    cairo_surface_t* surface = MakePremultipliedSurface(image);
    if (!surface)
        return nullptr;
    image.SetDerivedSurface(std::make_unique<CairoSurfaceOfImage>(surface));
    return surface;
}

} // namespace KV::Platform
