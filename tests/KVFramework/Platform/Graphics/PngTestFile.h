#pragma once
// PNG files made by the tests themselves, in any colour type, bit depth and interlace,
// from rows of raw samples as the PNG format stores them.

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

struct PngTestImage
{
    using Rows = std::vector<std::vector<uint8_t>>;

    PngTestImage(uint32_t width_, uint32_t height_, int colorType_, int bitDepth_, Rows rows_,
                 bool interlaced_ = false, std::vector<png_color> palette_ = {},
                 std::vector<uint8_t> paletteAlpha_ = {})
        : width(width_), height(height_), colorType(colorType_), bitDepth(bitDepth_), rows(std::move(rows_)),
          interlaced(interlaced_), palette(std::move(palette_)), paletteAlpha(std::move(paletteAlpha_))
    {
    }

    uint32_t width;
    uint32_t height;
    int colorType;
    int bitDepth;
    Rows rows; // packed samples, 16-bit ones big-endian
    bool interlaced;
    std::vector<png_color> palette;    // colour type PNG_COLOR_TYPE_PALETTE
    std::vector<uint8_t> paletteAlpha; // a transparency chunk for a palette, when not empty
};

namespace PngTestDetail {

inline void Append(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

inline void Flush(png_structp) {}

inline bool Write(png_structp png, png_infop info, const PngTestImage& image, std::vector<uint8_t>* out,
                  std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, out, Append, Flush);
    png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colorType,
                 image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!image.palette.empty())
        png_set_PLTE(png, info, image.palette.data(), static_cast<int>(image.palette.size()));
    if (!image.paletteAlpha.empty())
        png_set_tRNS(png, info, image.paletteAlpha.data(), static_cast<int>(image.paletteAlpha.size()),
                     nullptr);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    return true;
}

} // namespace PngTestDetail

inline std::vector<uint8_t> EncodePng(const PngTestImage& image)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> out;
    std::vector<png_bytep> rows;
    for (const auto& row : image.rows)
        rows.push_back(const_cast<png_bytep>(row.data()));
    const bool written = PngTestDetail::Write(png, info, image, &out, rows);
    png_destroy_write_struct(&png, &info);
    if (!written)
        throw std::runtime_error("libpng could not write the test image");
    return out;
}

// Writes the bytes to a file as they are.
inline void WriteBytesToFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
