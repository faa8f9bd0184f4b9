// PNG decoding on libpng, into straight BGRA.
//  [x] grey, grey + alpha, RGB, RGBA, palette   [x] 1 to 16 bits per channel
//  [x] transparency chunk                        [x] interlaced images
//  [ ] gamma and colour spaces (ignored on purpose: pixels stay as the file stores them)

#include "Platform/Graphics/PngDecoder.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace KV::Platform {

namespace {

struct MemoryReader
{
    const uint8_t* data;
    size_t size;
    size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->position)
        png_error(png, "unexpected end of data");
    std::memcpy(out, reader->data + reader->position, count);
    reader->position += count;
}

// libpng reports errors by jumping back to the last setjmp; the library itself is C and
// must never see a C++ exception. Warnings (unknown chunks and the like) do not matter.
void JumpOnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// The two functions that call into libpng below hold no object with a destructor, so
// that the jump back on an error leaves nothing behind.

// Reads the header and asks for 8-bit blue, green, red, alpha whatever the file holds.
// fileRowBytes: the bytes of one row as the file stores it.
bool ReadHeader(png_structp png, png_infop info, size_t& fileRowBytes)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    fileRowBytes = png_get_rowbytes(png, info);
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (bitDepth == 16)
        png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    // Only images without an alpha channel get one, opaque.
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool ReadRows(png_structp png, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    // The chunks after the image data are not read: a damaged trailer costs no pixels.
    png_read_image(png, rows);
    return true;
}

class ReadStruct
{
public:
    ReadStruct()
        : mPng(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnError, IgnoreWarning)),
          mInfo(mPng ? png_create_info_struct(mPng) : nullptr)
    {
    }
    ~ReadStruct() { png_destroy_read_struct(&mPng, mInfo ? &mInfo : nullptr, nullptr); }
    ReadStruct(const ReadStruct&) = delete;
    ReadStruct& operator=(const ReadStruct&) = delete;

    png_structp Png() const noexcept { return mPng; }
    png_infop Info() const noexcept { return mInfo; }

private:
    png_structp mPng;
    png_infop mInfo;
};

} // namespace

std::unique_ptr<BitmapImage> DecodePng(std::span<const uint8_t> bytes, ImageStatus& status)
{
    constexpr size_t kSignatureSize = 8;
    status = ImageStatus::UnknownImageFormat;
    if (bytes.size() < kSignatureSize || png_sig_cmp(bytes.data(), 0, kSignatureSize) != 0)
        return nullptr;

    ReadStruct read;
    if (!read.Png() || !read.Info())
    {
        status = ImageStatus::OutOfMemory;
        return nullptr;
    }
    MemoryReader reader{bytes.data(), bytes.size(), 0};
    png_set_read_fn(read.Png(), &reader, ReadFromMemory);
    size_t fileRowBytes = 0;
    if (!ReadHeader(read.Png(), read.Info(), fileRowBytes))
        return nullptr;

    const png_uint_32 width = png_get_image_width(read.Png(), read.Info());
    const png_uint_32 height = png_get_image_height(read.Png(), read.Info());
    if (width > static_cast<png_uint_32>(BitmapImage::kMaxSide) ||
        height > static_cast<png_uint_32>(BitmapImage::kMaxSide) ||
        uint64_t{width} * height > static_cast<uint64_t>(BitmapImage::kMaxPixels))
    {
        status = ImageStatus::InvalidParameter;
        return nullptr;
    }
    // Deflate packs at most 1032 bytes into one: a file too short to hold the rows it
    // announces is damaged, and is refused before the image is allocated.
    constexpr uint64_t kMaxDeflateRatio = 1032;
    if (uint64_t{height} * (fileRowBytes + 1) > bytes.size() * kMaxDeflateRatio)
        return nullptr;
    if (png_get_rowbytes(read.Png(), read.Info()) != static_cast<size_t>(width) * BitmapImage::kBytesPerPixel)
        return nullptr;

    std::unique_ptr<BitmapImage> image =
        BitmapImage::Create(static_cast<int32_t>(width), static_cast<int32_t>(height));
    if (!image)
    {
        status = ImageStatus::OutOfMemory;
        return nullptr;
    }
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = image->PixelAt(0, static_cast<int32_t>(y));
    if (!ReadRows(read.Png(), rows.data()))
        return nullptr;
    status = ImageStatus::Ok;
    return image;
}

} // namespace KV::Platform
