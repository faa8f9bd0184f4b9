#include "Platform/Graphics/PngDecoder.h"

#include "PngTestFile.h"

#include <gtest/gtest.h>

#include <cstring>

#include <zlib.h>

using namespace KV;
using KV::Platform::DecodePng;

namespace {

std::vector<uint8_t> PixelBytes(const BitmapImage& image)
{
    const uint8_t* first = image.GetPixels();
    return {first, first + static_cast<size_t>(image.GetStride()) * image.GetHeight()};
}

PngTestImage ThreeByThreeInterlaced()
{
    PngTestImage::Rows rows(3, std::vector<uint8_t>(12));
    for (uint8_t y = 0; y < 3; ++y)
        for (uint8_t x = 0; x < 3; ++x)
        {
            uint8_t* rgba = &rows[y][4 * x];
            rgba[0] = uint8_t(10 * x);
            rgba[1] = uint8_t(10 * y);
            rgba[2] = uint8_t(x + y);
            rgba[3] = 200;
        }
    return {3, 3, PNG_COLOR_TYPE_RGB_ALPHA, 8, rows, true};
}

std::vector<uint8_t> ThreeByThreeBgra()
{
    std::vector<uint8_t> bgra;
    for (uint8_t y = 0; y < 3; ++y)
        for (uint8_t x = 0; x < 3; ++x)
            bgra.insert(bgra.end(), {uint8_t(x + y), uint8_t(10 * y), uint8_t(10 * x), 200});
    return bgra;
}

} // namespace

TEST(PngDecoder, EveryKindOfImageComesOutAsStraightBgra)
{
    const struct
    {
        const char* what;
        PngTestImage png;
        std::vector<uint8_t> bgra;
    } cases[] = {
        // A colour under zero alpha survives: nothing is premultiplied.
        {"RGBA, half and zero alpha",
         {2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {{200, 100, 50, 128, 10, 20, 30, 0}}},
         {50, 100, 200, 128, 30, 20, 10, 0}},
        {"RGB gets an opaque alpha", {1, 1, PNG_COLOR_TYPE_RGB, 8, {{1, 2, 3}}}, {3, 2, 1, 255}},
        {"grey of one bit", {2, 1, PNG_COLOR_TYPE_GRAY, 1, {{0x80}}}, {255, 255, 255, 255, 0, 0, 0, 255}},
        {"palette with transparency",
         {2, 1, PNG_COLOR_TYPE_PALETTE, 8, {{0, 1}}, false, {{255, 0, 0}, {0, 0, 255}}, {128}},
         {0, 0, 255, 128, 255, 0, 0, 255}},
        {"grey and alpha of 16 bits, scaled",
         {1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 16, {{0x80, 0x80, 0x40, 0x40}}},
         {128, 128, 128, 64}},
        {"interlaced", ThreeByThreeInterlaced(), ThreeByThreeBgra()},
    };
    for (const auto& c : cases)
    {
        ImageStatus status = ImageStatus::InvalidParameter;
        const std::unique_ptr<BitmapImage> image = DecodePng(EncodePng(c.png), status);
        ASSERT_TRUE(image) << c.what;
        EXPECT_EQ(status, ImageStatus::Ok) << c.what;
        EXPECT_EQ(image->GetWidth(), static_cast<int32_t>(c.png.width)) << c.what;
        EXPECT_EQ(image->GetHeight(), static_cast<int32_t>(c.png.height)) << c.what;
        EXPECT_EQ(PixelBytes(*image), c.bgra) << c.what;
    }
}

TEST(PngDecoder, DamagedForeignAndOversizedInputGivesNoImageAndTheReason)
{
    const std::vector<uint8_t> good =
        EncodePng({4, 4, PNG_COLOR_TYPE_RGB, 8, PngTestImage::Rows(4, std::vector<uint8_t>(12, 7))});
    const std::vector<uint8_t> truncated(good.begin(),
                                         good.begin() + static_cast<ptrdiff_t>(good.size() / 2));
    std::vector<uint8_t> badHeaderCrc = good;
    badHeaderCrc[29] ^= 0xFF; // inside the header chunk's checksum
    const std::string text = "GIF89a, not the image you wanted";
    // The same few bytes announcing 30000 x 1000 pixels: refused before they are allocated.
    std::vector<uint8_t> bomb = good;
    for (const auto& [offset, value] : {std::pair<size_t, int>{16, 30000}, {20, 1000}})
    {
        bomb[offset + 2] = static_cast<uint8_t>(value >> 8);
        bomb[offset + 3] = static_cast<uint8_t>(value & 0xFF);
    }
    const uLong headerCrc = crc32(0, &bomb[12], 17); // chunk type and data
    for (int i = 0; i < 4; ++i)
        bomb[29 + i] = static_cast<uint8_t>(headerCrc >> (24 - 8 * i));
    const PngTestImage tooMany{8192, 8192, PNG_COLOR_TYPE_GRAY, 1,
                               PngTestImage::Rows(8192, std::vector<uint8_t>(1024, 0))};
    const PngTestImage tooWide{BitmapImage::kMaxSide + 1,
                               1,
                               PNG_COLOR_TYPE_GRAY,
                               1,
                               {std::vector<uint8_t>((BitmapImage::kMaxSide + 8) / 8, 0)}};

    const struct
    {
        const char* what;
        std::vector<uint8_t> bytes;
        ImageStatus status;
    } cases[] = {
        {"nothing", {}, ImageStatus::UnknownImageFormat},
        {"text", {text.begin(), text.end()}, ImageStatus::UnknownImageFormat},
        {"cut in half", truncated, ImageStatus::UnknownImageFormat},
        {"damaged header", badHeaderCrc, ImageStatus::UnknownImageFormat},
        {"wider than allowed", EncodePng(tooWide), ImageStatus::InvalidParameter},
        {"more pixels than allowed", EncodePng(tooMany), ImageStatus::InvalidParameter},
        {"far more rows than bytes", bomb, ImageStatus::UnknownImageFormat},
    };
    for (const auto& c : cases)
    {
        ImageStatus status = ImageStatus::Ok;
        EXPECT_FALSE(DecodePng(c.bytes, status)) << c.what;
        EXPECT_EQ(status, c.status) << c.what;
    }
}
