#pragma once
// LBitmapData: the pixels of a bitmap's area, locked while the object lives.
//
// The pixels are the image's own (straight BGRA, see BitmapImage), addressed in place:
// nothing is copied. A lock for writing tells the image, when it ends, that its pixels
// changed, so that surfaces derived from them are made again.

#include "Graphics/Bitmap.h"
#include "Graphics/PixelBuffer.h"

#include <cstdint>

namespace KV {

enum class BitmapLockMode : int32_t
{
    Read = 1,
    Write = 2,
    ReadWrite = 3,
};

class LBitmapData : public IPixelBuffer<int32_t>
{
public:
    // What a lock hands out: the locked area's size, the bytes per row, and the first
    // pixel. A bitmap without image, or an area that holds no pixel of it, locks as
    // 0 x 0 with no address.
    struct LockRecord
    {
        int32_t width = 0;
        int32_t height = 0;
        int32_t stride = 0;
        uint8_t* firstRow = nullptr;
    };

    // Locks the bitmap's area, clamped to its image. A delegate buffer is not supported:
    // giving one throws a domain error.
    LBitmapData(const RCPtr<LBitmap>& bitmap, BitmapLockMode mode,
                const RCPtr<IPixelBuffer<int32_t>>& delegate = nullptr);

    int32_t GetWidth() const override { return mRecord.width; }
    int32_t GetHeight() const override { return mRecord.height; }
    int32_t GetStride() const override { return mRecord.stride; }
    using IPixelBuffer<int32_t>::GetPixelAddress;
    // first row + y * stride + 4 * x, unchecked; null when nothing is locked.
    uint8_t* GetPixelAddress(int32_t x, int32_t y) override;

    const LockRecord& GetLockRecord() const noexcept { return mRecord; }
    const RCPtr<LBitmap>& GetBitmap() const noexcept { return mBitmap; }

protected:
    // Unlocks.
    ~LBitmapData() override;

private:
    RCPtr<LBitmap> mBitmap;
    BitmapLockMode mMode;
    LockRecord mRecord;
};

} // namespace KV
