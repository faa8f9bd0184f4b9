#pragma once
// PainterSurface: a picture in memory that a Painter draws on and that is copied to a
// window or onto another surface: 32-bit premultiplied ARGB pixels, native-endian
// 0xAARRGGBB words, rows of GetStride() bytes.

#include "Graphics/Geometry.h"
#include "Platform/Graphics/SurfacePixels.h"

#include <cstdint>
#include <memory>

typedef struct _cairo_surface cairo_surface_t;

namespace KV::Platform {

class PainterSurface
{
public:
    // A transparent black surface; a side below 1 counts as 1. Null when the memory cannot
    // be had or the size is beyond what an image may have (BitmapImage::kMaxSide,
    // kMaxPixels).
    static std::unique_ptr<PainterSurface> Create(int32_t width, int32_t height);

    PainterSurface(const PainterSurface&) = delete;
    PainterSurface& operator=(const PainterSurface&) = delete;
    ~PainterSurface();

    SizeT<int32_t> GetSize() const noexcept { return {mWidth, mHeight}; }
    // The pixels as they are after every drawing so far.
    SurfacePixels GetPixels() const;
    // 0xAARRGGBB (premultiplied) of a pixel; 0 outside the surface.
    uint32_t GetPixel(int32_t x, int32_t y) const;

    cairo_surface_t* GetCairoSurface() const noexcept { return mSurface; }

private:
    PainterSurface(cairo_surface_t* surface, int32_t width, int32_t height) noexcept
        : mSurface(surface), mWidth(width), mHeight(height)
    {
    }

    cairo_surface_t* mSurface;
    int32_t mWidth;
    int32_t mHeight;
};

} // namespace KV::Platform
