#pragma once
// A frame of the GDI+ renderer on an offscreen context of a small size, and ways to look
// at the pixels it drew: one character per pixel of a chosen colour.

#include "Graphics/Bitmap.h"
#include "Renderer/Gdi/GDIRenderer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace KV::Testing {

inline constexpr uint32_t kRed = 0xFFFF0000u;
inline constexpr uint32_t kBlue = 0xFF0000FFu;
inline constexpr uint32_t kWhite = 0xFFFFFFFFu;

inline ColorT Color(uint32_t argb)
{
    ColorT color;
    return color.FromARGB(argb);
}

class GdiFrame : public ::testing::Test
{
protected:
    void Start(int32_t width, int32_t height, int32_t screenDpi = 96)
    {
        mRenderer = LGDIRenderer::Create(screenDpi);
        ASSERT_EQ(S_OK, mRenderer->InitRenderContextInfo({0, 0, width, height}, nullptr, true, mContext));
        mRenderer->RenderStart(mContext);
    }
    void TearDown() override
    {
        if (mRenderer && mRenderer->GetContextDepth() > 0)
            mRenderer->RenderFinish(mContext);
    }

    LGDIRenderContextInfo& Gdi() const { return static_cast<LGDIRenderContextInfo&>(*mContext); }
    uint32_t Pixel(int32_t x, int32_t y) const
    {
        return Gdi().GetCurrentSurface()->GetImage()->GetPixel(x, y);
    }

    // One row of text per pixel row: '#' where the pixel is the colour, '.' elsewhere.
    std::vector<std::string> Picture(uint32_t argb) const
    {
        const SizeT<int32_t> size = Gdi().GetCurrentSurface()->GetSize();
        std::vector<std::string> rows;
        for (int32_t y = 0; y < size.height; ++y)
        {
            std::string row;
            for (int32_t x = 0; x < size.width; ++x)
                row += Pixel(x, y) == argb ? '#' : '.';
            rows.push_back(row);
        }
        return rows;
    }

    RCPtr<LGDIRenderer> mRenderer;
    RCPtr<LRenderContextInfo> mContext;
};

// A bitmap whose pixels the function gives (straight 0xAARRGGBB).
inline RCPtr<LBitmap> MakeBitmap(int32_t width, int32_t height,
                                 const std::function<uint32_t(int32_t, int32_t)>& pixel)
{
    RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap({width, height}, Color(0));
    BitmapImage* image = bitmap->GetGdiplusBitmap();
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
        {
            const uint32_t argb = pixel(x, y);
            uint8_t* bytes = image->PixelAt(x, y);
            bytes[0] = argb & 0xFF;
            bytes[1] = (argb >> 8) & 0xFF;
            bytes[2] = (argb >> 16) & 0xFF;
            bytes[3] = argb >> 24;
        }
    image->PixelsChanged();
    return bitmap;
}

// Opaque and different at every position of a bitmap up to 256 x 256.
inline uint32_t CoordinateColor(int32_t x, int32_t y)
{
    return 0xFF000000u | static_cast<uint32_t>(x) << 16 | static_cast<uint32_t>(y) << 8 | 0x40;
}

} // namespace KV::Testing
