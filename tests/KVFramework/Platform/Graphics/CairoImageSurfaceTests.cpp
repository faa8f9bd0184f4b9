#include "Platform/Graphics/CairoImageSurface.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace KV;
using KV::Platform::GetCairoSurface;

namespace {

uint32_t SurfaceWord(cairo_surface_t* surface, int x, int y)
{
    cairo_surface_flush(surface);
    const uint8_t* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    uint32_t word;
    std::memcpy(&word, row + 4 * x, sizeof word);
    return word;
}

void SetPixel(BitmapImage& image, int32_t x, int32_t y, uint8_t b, uint8_t g, uint8_t r, uint8_t a)
{
    uint8_t* pixel = image.PixelAt(x, y);
    pixel[0] = b;
    pixel[1] = g;
    pixel[2] = r;
    pixel[3] = a;
}

} // namespace

TEST(CairoImageSurface, EveryChannelAndAlphaPairIsPremultipliedWithRounding)
{
    const std::unique_ptr<BitmapImage> image = BitmapImage::Create(256, 256);
    ASSERT_TRUE(image);
    for (int c = 0; c < 256; ++c)
        for (int a = 0; a < 256; ++a)
            SetPixel(*image, c, a, uint8_t(c), uint8_t(255 - c), uint8_t(c), uint8_t(a));

    cairo_surface_t* surface = GetCairoSurface(*image);
    ASSERT_TRUE(surface);
    EXPECT_EQ(cairo_image_surface_get_format(surface), CAIRO_FORMAT_ARGB32);
    for (int c = 0; c < 256; ++c)
        for (int a = 0; a < 256; ++a)
        {
            const auto times = [a](int channel) {
                return static_cast<uint32_t>(std::lround(channel * a / 255.0));
            };
            const uint32_t expected = uint32_t(a) << 24 | times(c) << 16 | times(255 - c) << 8 | times(c);
            ASSERT_EQ(SurfaceWord(surface, c, a), expected) << "channel " << c << " alpha " << a;
        }
    // The straight pixels themselves are untouched.
    EXPECT_EQ(image->GetARGB(200, 128), 0x80C837C8u);
}

TEST(CairoImageSurface, IsKeptUntilThePixelsChangeAndThenMadeAgain)
{
    const std::unique_ptr<BitmapImage> image = BitmapImage::Create(2, 1);
    ASSERT_TRUE(image);
    SetPixel(*image, 0, 0, 50, 100, 200, 128);
    cairo_surface_t* first = GetCairoSurface(*image);
    ASSERT_TRUE(first);
    EXPECT_EQ(GetCairoSurface(*image), first);
    EXPECT_EQ(SurfaceWord(first, 0, 0), 0x80643219u);

    image->Fill(0xFF102030);
    cairo_surface_t* second = GetCairoSurface(*image);
    ASSERT_TRUE(second);
    EXPECT_EQ(SurfaceWord(second, 1, 0), 0xFF102030u);
}
