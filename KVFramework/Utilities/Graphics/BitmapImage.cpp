#include "Graphics/BitmapImage.h"

#include <cstring>
#include <new>

namespace KV {

std::unique_ptr<BitmapImage> BitmapImage::Create(int32_t width, int32_t height)
{
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide ||
        int64_t{width} * height > kMaxPixels)
        return nullptr;
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * kBytesPerPixel;
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[bytes]());
    if (!pixels)
        return nullptr;
    return std::unique_ptr<BitmapImage>(new BitmapImage(width, height, std::move(pixels)));
}

uint32_t BitmapImage::GetARGB(int32_t x, int32_t y) const noexcept
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight)
        return 0;
    const uint8_t* pixel = PixelAt(x, y);
    return static_cast<uint32_t>(pixel[3]) << 24 | static_cast<uint32_t>(pixel[2]) << 16 |
           static_cast<uint32_t>(pixel[1]) << 8 | pixel[0];
}

void BitmapImage::Fill(uint32_t argb) noexcept
{
    const uint8_t bytes[kBytesPerPixel] = {static_cast<uint8_t>(argb), static_cast<uint8_t>(argb >> 8),
                                           static_cast<uint8_t>(argb >> 16),
                                           static_cast<uint8_t>(argb >> 24)};
    uint8_t* pixel = mPixels.get();
    const size_t count = static_cast<size_t>(mWidth) * static_cast<size_t>(mHeight);
    for (size_t i = 0; i < count; ++i, pixel += kBytesPerPixel)
        std::memcpy(pixel, bytes, kBytesPerPixel);
    PixelsChanged();
}

std::unique_ptr<BitmapImage> BitmapImage::CopyArea(const RectT<int32_t>& area) const
{
    RectT<int32_t> inside;
    if (!RectT<int32_t>::Intersect(inside, area, GetBounds()) || !(inside == area))
        return nullptr;
    std::unique_ptr<BitmapImage> copy = Create(area.width, area.height);
    if (!copy)
        return nullptr;
    const size_t rowBytes = static_cast<size_t>(area.width) * kBytesPerPixel;
    for (int32_t row = 0; row < area.height; ++row)
        std::memcpy(copy->PixelAt(0, row), PixelAt(area.x, area.y + row), rowBytes);
    return copy;
}

} // namespace KV
