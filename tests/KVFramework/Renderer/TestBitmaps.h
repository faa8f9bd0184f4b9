#pragma once
// Colours and bitmaps of known pixels for the renderers' pixel tests.

#include "Graphics/Bitmap.h"
#include "Graphics/Color.h"

#include <cstdint>
#include <functional>

namespace KV::Testing {

inline ColorT Color(uint32_t argb)
{
    ColorT color;
    return color.FromARGB(argb);
}

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

} // namespace KV::Testing
