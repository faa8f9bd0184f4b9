#include "Platform/Graphics/ImageDecoder.h"

#include "PngTestFile.h"
#include "SmallGif.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string_view>

#include <zlib.h>

using namespace KV;
using KV::Platform::DecodeImage;

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

std::vector<uint8_t> Bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

std::vector<uint8_t> RedAndClearGif()
{
    return Bytes(kRedAndClearGif);
}

// The picture's bytes as SDL writes it in one of its formats.
template <class Save> std::vector<uint8_t> Saved(int width, int height, uint32_t argb, Save save)
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(surface, nullptr, argb);
    std::vector<uint8_t> buffer(1 << 16);
    SDL_RWops* stream = SDL_RWFromMem(buffer.data(), static_cast<int>(buffer.size()));
    save(surface, stream);
    buffer.resize(static_cast<size_t>(SDL_RWtell(stream)));
    SDL_RWclose(stream);
    SDL_FreeSurface(surface);
    return buffer;
}

std::vector<uint8_t> Jpeg(int width, int height, uint32_t argb)
{
    return Saved(width, height, argb, [](SDL_Surface* s, SDL_RWops* out) { IMG_SaveJPG_RW(s, out, 0, 100); });
}

std::vector<uint8_t> Bmp(int width, int height, uint32_t argb)
{
    return Saved(width, height, argb, [](SDL_Surface* s, SDL_RWops* out) { SDL_SaveBMP_RW(s, out, 0); });
}

// The bytes with a little- or big-endian 16-bit value written at the offset.
std::vector<uint8_t> With16(std::vector<uint8_t> bytes, size_t offset, uint32_t value, bool bigEndian)
{
    bytes[offset + (bigEndian ? 1 : 0)] = static_cast<uint8_t>(value & 0xFF);
    bytes[offset + (bigEndian ? 0 : 1)] = static_cast<uint8_t>(value >> 8);
    return bytes;
}

// Where a JPEG's frame header begins.
size_t FrameHeader(const std::vector<uint8_t>& jpeg)
{
    size_t at = 2;
    while (at + 4 <= jpeg.size() && !(jpeg[at + 1] == 0xC0 || jpeg[at + 1] == 0xC2))
        at += 2 + (size_t{jpeg[at + 2]} << 8 | jpeg[at + 3]);
    return at;
}

} // namespace

TEST(ImageDecoder, PngOfEveryKindComesOutAsStraightBgra)
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
        const std::unique_ptr<BitmapImage> image = DecodeImage(EncodePng(c.png), status);
        ASSERT_TRUE(image) << c.what;
        EXPECT_EQ(status, ImageStatus::Ok) << c.what;
        EXPECT_EQ(image->GetWidth(), static_cast<int32_t>(c.png.width)) << c.what;
        EXPECT_EQ(image->GetHeight(), static_cast<int32_t>(c.png.height)) << c.what;
        EXPECT_EQ(PixelBytes(*image), c.bgra) << c.what;
    }
}

TEST(ImageDecoder, DamagedForeignAndOversizedInputGivesNoImageAndTheReason)
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
        // The library would look past the first picture it cannot read (code size 70) for
        // another, and find one of 64766 x 8700 pixels in the bytes after it.
        {"GIF whose first picture cannot be read",
         Bytes(std::string_view("GIF89a\x02\x00\x01\x00\x80\x00\x00\xFF\x00\x00\x00\x00\xFF"
                                "\x21\xF9\x04\x01\x00\x00\x01\x00"
                                "\x2C\x00\x00\x04\x40\x02\x00\x10\x00\x00\x46"
                                "\x0A\x2C\x00\x00\x00\x00\xFE\xFC\xFC\x21\x00\x00\x3B",
                                51)),
         ImageStatus::UnknownImageFormat},
        // Code size 0, which no GIF has: the library's decoder freed memory it never
        // allocated on this picture (found by the fuzzer).
        // GIF pictures are refused whole: the library's GIF decoder frees memory it never
        // allocated on damaged data (found by the fuzzer).
        {"a well-formed GIF", RedAndClearGif(), ImageStatus::UnknownImageFormat},
        {"GIF whose first picture has code size 0",
         Bytes(std::string_view("GIF89a\x02\x00\x01\x00\x80\x00\x00\x00\x00\x2A\x00\x00\xFF"
                                "\x21\xF9\x04\x01\x00\x00\x01\x00"
                                "\x2C\x00\x00\x00\x00\x02\x05\x05\x04\x00\x00"
                                "\x04\x33\x33\x33\x33\x00\x3B",
                                45)),
         ImageStatus::UnknownImageFormat},
    };
    for (const auto& c : cases)
    {
        ImageStatus status = ImageStatus::Ok;
        EXPECT_FALSE(DecodeImage(c.bytes, status)) << c.what;
        EXPECT_EQ(status, c.status) << c.what;
    }
}

// Skins may name JPEG and BMP pictures as well.
TEST(ImageDecoder, OtherFormatsComeOutAsStraightBgra)
{
    const struct
    {
        const char* what;
        std::vector<uint8_t> bytes;
        int32_t width;
        int32_t height;
        std::vector<uint32_t> argb; // the first pixels
        int tolerance;              // per channel, for lossy formats
    } cases[] = {
        {"JPEG", Jpeg(16, 8, 0xFF2080C0), 16, 8, {0xFF2080C0, 0xFF2080C0}, 3},
        {"BMP", Bmp(3, 2, 0xFF336699), 3, 2, {0xFF336699, 0xFF336699, 0xFF336699}, 0},
    };
    for (const auto& c : cases)
    {
        ImageStatus status = ImageStatus::InvalidParameter;
        const std::unique_ptr<BitmapImage> image = DecodeImage(c.bytes, status);
        ASSERT_TRUE(image) << c.what;
        EXPECT_EQ(status, ImageStatus::Ok) << c.what;
        EXPECT_EQ(image->GetWidth(), c.width) << c.what;
        EXPECT_EQ(image->GetHeight(), c.height) << c.what;
        for (size_t i = 0; i < c.argb.size(); ++i)
        {
            const uint32_t actual = image->GetARGB(static_cast<int32_t>(i), 0);
            for (int shift = 0; shift < 32; shift += 8)
                EXPECT_NEAR(static_cast<int>((actual >> shift) & 0xFF),
                            static_cast<int>((c.argb[i] >> shift) & 0xFF), c.tolerance)
                    << c.what << " pixel " << i << std::hex << " 0x" << actual;
        }
    }
}

// A header may announce any size; a size beyond the limits is refused from the header,
// before the picture's memory is asked for.
TEST(ImageDecoder, OversizedPicturesOfEveryFormatAreRefusedFromTheirHeader)
{
    const std::vector<uint8_t> jpeg = Jpeg(16, 8, 0xFF000000);
    const size_t frame = FrameHeader(jpeg);
    ASSERT_LT(frame + 9, jpeg.size());
    const struct
    {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"JPEG 65000 wide", With16(jpeg, frame + 7, 65000, true)},
        {"JPEG 40000 x 40000", With16(With16(jpeg, frame + 7, 40000, true), frame + 5, 40000, true)},
        {"BMP 33000 wide", With16(Bmp(3, 2, 0xFF000000), 18, 33000, false)},
    };
    for (const auto& c : cases)
    {
        ImageStatus status = ImageStatus::Ok;
        EXPECT_FALSE(DecodeImage(c.bytes, status)) << c.what;
        EXPECT_EQ(status, ImageStatus::InvalidParameter) << c.what;
    }
}
