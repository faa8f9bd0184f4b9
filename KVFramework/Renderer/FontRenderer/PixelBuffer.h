#pragma once
// LPixelBuffer<T>: an image of T-sized pixels in one buffer (the glyph renderer's byte
// images: glyph bitmaps and font atlases). Rows are stride bytes apart; a buffer made
// without pixels is zero-filled and its rows padded to 16 bytes.

#include "Graphics/PixelBuffer.h"
#include "KVResult.h"
#include "ObjectBase/RCPtr.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace KV {

template <class T> class LPixelBuffer : public IPixelBuffer<int32_t>
{
public:
    // pixels: height x stride bytes to copy, or null for a zero-filled buffer (a stride of
    // 0 then becomes the row padded to 16 bytes). Negative sizes count as 0.
    static RCPtr<LPixelBuffer> Create(int32_t width, int32_t height, int32_t stride, const T* pixels)
    {
        width = std::max(width, 0);
        height = std::max(height, 0);
        stride = std::max(stride, 0);
        if (!pixels && stride == 0)
            stride = (width * static_cast<int32_t>(sizeof(T)) + 15) & ~15;
        RCPtr<LPixelBuffer> buffer(new LPixelBuffer(width, height, stride));
        if (pixels)
            std::memcpy(buffer->mBytes.data(), pixels, buffer->mBytes.size());
        return buffer;
    }

    int32_t GetWidth() const override { return mWidth; }
    int32_t GetHeight() const override { return mHeight; }
    int32_t GetStride() const override { return mStride; }
    using IPixelBuffer<int32_t>::GetPixelAddress;
    // The pixel's first byte; null when that byte lies outside the buffer.
    uint8_t* GetPixelAddress(int32_t x, int32_t y) override
    {
        const int64_t offset = int64_t{x} * static_cast<int64_t>(sizeof(T)) + int64_t{y} * mStride;
        if (x < 0 || y < 0 || offset >= static_cast<int64_t>(mBytes.size()))
            return nullptr;
        return mBytes.data() + offset;
    }
    // The buffer becomes h rows; new rows are zero-filled. S_OK, or E_FAIL for a negative h.
    KVRESULT SetHeight(int32_t height)
    {
        if (height < 0)
            return E_FAIL;
        mBytes.resize(static_cast<size_t>(height) * static_cast<size_t>(mStride), 0);
        mHeight = height;
        return S_OK;
    }
    const uint8_t* GetBytes() const noexcept { return mBytes.data(); }

protected:
    ~LPixelBuffer() override = default;

private:
    LPixelBuffer(int32_t width, int32_t height, int32_t stride)
        : mWidth(width), mHeight(height), mStride(stride),
          mBytes(static_cast<size_t>(height) * static_cast<size_t>(stride), 0)
    {
    }

    int32_t mWidth;
    int32_t mHeight;
    int32_t mStride;
    std::vector<uint8_t> mBytes;
};

} // namespace KV
