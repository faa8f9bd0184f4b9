// Gradient pictures: the painter draws premultiplied pixels, which are turned back into
// the image's straight ones.

#include "Platform/Graphics/GradientImage.h"

#include "Platform/Graphics/Painter.h"
#include "Platform/Graphics/PainterSurface.h"

#include <algorithm>

namespace KV::Platform {

namespace {

uint8_t Unpremultiply(uint32_t channel, uint32_t alpha)
{
    return static_cast<uint8_t>(std::min<uint32_t>(255, (channel * 255 + alpha / 2) / alpha));
}

} // namespace

std::unique_ptr<BitmapImage> PaintLinearGradient(int32_t width, int32_t height, const PointT<double>& from,
                                                 const PointT<double>& to, uint32_t startArgb,
                                                 uint32_t endArgb)
{
    std::unique_ptr<BitmapImage> image = BitmapImage::Create(width, height);
    const std::unique_ptr<PainterSurface> surface = image ? PainterSurface::Create(width, height) : nullptr;
    if (!surface)
        return nullptr;
    {
        Painter painter(*surface);
        if (!painter.IsValid())
            return nullptr;
        painter.FillLinearGradient({0, 0, static_cast<double>(width), static_cast<double>(height)}, from, to,
                                   startArgb, endArgb, FillMode::Replace);
    }
    const SurfacePixels pixels = surface->GetPixels();
    for (int32_t y = 0; y < height; ++y)
    {
        const auto* row =
            reinterpret_cast<const uint32_t*>(pixels.data + static_cast<ptrdiff_t>(y) * pixels.stride);
        uint8_t* out = image->PixelAt(0, y);
        for (int32_t x = 0; x < width; ++x, out += BitmapImage::kBytesPerPixel)
        {
            const uint32_t pixel = row[x];
            const uint32_t alpha = pixel >> 24;
            out[3] = static_cast<uint8_t>(alpha);
            if (alpha == 0)
            {
                out[0] = out[1] = out[2] = 0;
                continue;
            }
            out[2] = Unpremultiply((pixel >> 16) & 0xFF, alpha);
            out[1] = Unpremultiply((pixel >> 8) & 0xFF, alpha);
            out[0] = Unpremultiply(pixel & 0xFF, alpha);
        }
    }
    image->PixelsChanged();
    return image;
}

} // namespace KV::Platform
