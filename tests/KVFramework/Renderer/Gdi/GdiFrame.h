#pragma once
// A frame of the GDI+ renderer on an offscreen context of a small size, and ways to look
// at the pixels it drew: one character per pixel of a chosen colour.

#include "Renderer/Gdi/GDIRenderer.h"
#include "TestBitmaps.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace KV::Testing {

inline constexpr uint32_t kRed = 0xFFFF0000u;
inline constexpr uint32_t kBlue = 0xFF0000FFu;
inline constexpr uint32_t kWhite = 0xFFFFFFFFu;

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

// Opaque and different at every position of a bitmap up to 256 x 256.
inline uint32_t CoordinateColor(int32_t x, int32_t y)
{
    return 0xFF000000u | static_cast<uint32_t>(x) << 16 | static_cast<uint32_t>(y) << 8 | 0x40;
}

} // namespace KV::Testing
