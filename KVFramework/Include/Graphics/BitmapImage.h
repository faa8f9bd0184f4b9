#pragma once
// BitmapImage: the pixels that a bitmap owns.
//
// Pixels are 32 bits, stored straight (not premultiplied by alpha) in the byte order
// blue, green, red, alpha, rows of width * 4 bytes one after the other: exactly what a
// 0xAARRGGBB value is in memory on a little-endian machine. Straight pixels survive
// recolouring and reading back without the rounding loss that premultiplied ones
// suffer at low alpha.
//
// Drawing wants another form of the same pixels (a premultiplied surface of the
// drawing library). The image keeps one such derived surface for whoever makes it and
// drops it as soon as its pixels change, so a stale copy is never drawn.

#include "Graphics/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace KV {

// The outcome of the last pixel operation on an image; kept, never thrown.
enum class ImageStatus : int32_t
{
    Ok = 0,
    InvalidParameter = 2,
    OutOfMemory = 3,
    FileNotFound = 10,
    UnknownImageFormat = 13,
};

class BitmapImage
{
public:
    static constexpr int32_t kBytesPerPixel = 4;
    // The largest width and height an image may have (what the drawing library accepts),
    // and the most pixels (128 MiB of them): far more than any skin needs, and a bound on
    // what a small damaged or hostile file can make the program allocate.
    static constexpr int32_t kMaxSide = 32767;
    static constexpr int64_t kMaxPixels = int64_t{1} << 25;

    // A surface derived from the pixels, owned by the image.
    class DerivedSurface
    {
    public:
        virtual ~DerivedSurface() = default;
    };

    // A transparent black image; null when a side is not in 1..kMaxSide, the image has
    // more than kMaxPixels, or the memory cannot be had.
    static std::unique_ptr<BitmapImage> Create(int32_t width, int32_t height);

    BitmapImage(const BitmapImage&) = delete;
    BitmapImage& operator=(const BitmapImage&) = delete;

    int32_t GetWidth() const noexcept { return mWidth; }
    int32_t GetHeight() const noexcept { return mHeight; }
    int32_t GetStride() const noexcept { return mWidth * kBytesPerPixel; }
    RectT<int32_t> GetBounds() const noexcept { return {0, 0, mWidth, mHeight}; }

    uint8_t* GetPixels() noexcept { return mPixels.get(); }
    const uint8_t* GetPixels() const noexcept { return mPixels.get(); }
    // The first byte of the pixel; no bounds check.
    uint8_t* PixelAt(int32_t x, int32_t y) noexcept
    {
        return mPixels.get() + static_cast<ptrdiff_t>(y) * GetStride() +
               static_cast<ptrdiff_t>(x) * kBytesPerPixel;
    }
    const uint8_t* PixelAt(int32_t x, int32_t y) const noexcept
    {
        return const_cast<BitmapImage*>(this)->PixelAt(x, y);
    }

    // 0xAARRGGBB of the pixel; 0 (transparent black) outside the image.
    uint32_t GetARGB(int32_t x, int32_t y) const noexcept;
    // Every pixel set to 0xAARRGGBB.
    void Fill(uint32_t argb) noexcept;
    // A new image holding a copy of the area; null when the area does not lie wholly
    // inside this image, is empty, or the memory cannot be had.
    std::unique_ptr<BitmapImage> CopyArea(const RectT<int32_t>& area) const;

    ImageStatus GetLastStatus() const noexcept { return mLastStatus; }
    void SetLastStatus(ImageStatus status) noexcept { mLastStatus = status; }

    // Must be called after the pixels were written: drops the derived surface.
    void PixelsChanged() noexcept { mDerivedSurface.reset(); }
    DerivedSurface* GetDerivedSurface() const noexcept { return mDerivedSurface.get(); }
    // Allowed on a const image: the surface is a cache, not part of its value.
    void SetDerivedSurface(std::unique_ptr<DerivedSurface> surface) const noexcept
    {
        mDerivedSurface = std::move(surface);
    }

private:
    BitmapImage(int32_t width, int32_t height, std::unique_ptr<uint8_t[]> pixels) noexcept
        : mWidth(width), mHeight(height), mPixels(std::move(pixels))
    {
    }

    int32_t mWidth;
    int32_t mHeight;
    std::unique_ptr<uint8_t[]> mPixels;
    ImageStatus mLastStatus = ImageStatus::Ok;
    mutable std::unique_ptr<DerivedSurface> mDerivedSurface;
};

} // namespace KV
