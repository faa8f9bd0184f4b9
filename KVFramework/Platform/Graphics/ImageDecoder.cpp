// Picture decoding on SDL_image, into straight BGRA.
//  [x] PNG, JPEG, BMP   [ ] GIF (refused: the library's decoder is unsafe on damaged data)
//  [x] sizes refused from the header, before decoding
//  [ ] TIFF, WebP and the other formats the library knows (skins name none; each is one
//      more decoder that outside files reach)
//  [ ] gamma and colour spaces (ignored on purpose: pixels stay as the file stores them)
//
// The library allocates the whole picture as soon as it has read the header, so the
// size a header announces is checked here first: a few hostile bytes must not make the
// program allocate gigabytes. The format is told from the first bytes, and only that
// format's decoder is run.

#include "Platform/Graphics/ImageDecoder.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace KV::Platform {

namespace {

struct Announced
{
    const char* type = nullptr; // the library's name of the format
    uint64_t width = 0;
    uint64_t height = 0;
    bool damaged = false; // the header itself says the file cannot be whole
    // For a GIF: where the first picture's data ends (0: the bytes are decoded whole).
    size_t firstPictureEnd = 0;
};

uint32_t BigEndian32(const uint8_t* p)
{
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

uint32_t BigEndian16(const uint8_t* p)
{
    return uint32_t{p[0]} << 8 | p[1];
}

uint32_t LittleEndian16(const uint8_t* p)
{
    return uint32_t{p[1]} << 8 | p[0];
}

uint32_t LittleEndian32(const uint8_t* p)
{
    return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

bool StartsWith(std::span<const uint8_t> bytes, std::string_view head)
{
    return bytes.size() >= head.size() && std::memcmp(bytes.data(), head.data(), head.size()) == 0;
}

std::optional<Announced> PngHeader(std::span<const uint8_t> bytes)
{
    // Signature, then the header chunk: length, "IHDR", width, height, depth, colour type.
    if (!StartsWith(bytes, "\x89PNG\r\n\x1a\n") || bytes.size() < 33 ||
        std::memcmp(bytes.data() + 12, "IHDR", 4) != 0)
        return std::nullopt;
    Announced announced{"PNG", BigEndian32(bytes.data() + 16), BigEndian32(bytes.data() + 20)};
    const uint32_t depth = bytes[24];
    uint32_t channels = 1;
    switch (bytes[25])
    {
    case 2:
        channels = 3;
        break;
    case 4:
        channels = 2;
        break;
    case 6:
        channels = 4;
        break;
    default:
        break;
    }
    // Deflate packs at most 1032 bytes into one: a file too short to hold the rows it
    // announces is damaged, and is refused before the picture is allocated.
    constexpr uint64_t kMaxDeflateRatio = 1032;
    const uint64_t rowBytes = (announced.width * channels * depth + 7) / 8;
    announced.damaged = announced.height * (rowBytes + 1) > bytes.size() * kMaxDeflateRatio;
    return announced;
}

// Skips a run of GIF data sub-blocks (each a length byte and that many bytes, up to a
// length of 0); the offset after it, or the end of the bytes.
size_t SkipGifSubBlocks(std::span<const uint8_t> bytes, size_t at)
{
    while (at < bytes.size() && bytes[at] != 0)
        at += size_t{bytes[at]} + 1;
    return std::min(at + 1, bytes.size());
}

std::optional<Announced> GifHeader(std::span<const uint8_t> bytes)
{
    if (!StartsWith(bytes, "GIF87a") && !StartsWith(bytes, "GIF89a"))
        return std::nullopt;
    Announced announced{"GIF"};
    announced.damaged = true;
    // The first picture's own size (which may exceed the screen's), after the colour
    // table and any extension blocks.
    size_t at = 13;
    if (bytes.size() < at)
        return announced;
    if (bytes[10] & 0x80)
        at += 3 * (size_t{2} << (bytes[10] & 7));
    while (at + 2 <= bytes.size() && bytes[at] == 0x21) // extensions come before it
        at = SkipGifSubBlocks(bytes, at + 2);
    if (at + 10 > bytes.size() || bytes[at] != 0x2C) // the picture's descriptor
        return announced;
    announced.width = LittleEndian16(&bytes[at + 5]);
    announced.height = LittleEndian16(&bytes[at + 7]);
    const uint8_t packed = bytes[at + 9];
    at += 10;
    if (packed & 0x80)
        at += 3 * (size_t{2} << (packed & 7));
    // The library looks past a picture it cannot start to read (one without rows or
    // columns, or with a code size beyond 12 bits) for the next byte that could begin a
    // picture, even in the middle of the first one's data, and reads one of any size
    // there. Such pictures are refused here; a readable one is handed over alone, closed
    // by the trailer, so that nothing after it is looked at.
    // A code size below 2 exists in no GIF (a two-colour picture starts at 2), and the
    // library's decoder frees memory it never allocated on one.
    constexpr uint8_t kMinCodeSize = 2;
    constexpr uint8_t kMaxCodeSize = 12;
    if (announced.width == 0 || announced.height == 0 || at >= bytes.size() || bytes[at] < kMinCodeSize ||
        bytes[at] > kMaxCodeSize)
        return announced;
    at = SkipGifSubBlocks(bytes, at + 1);
    announced.firstPictureEnd = std::min(at, bytes.size());
    // GIF pictures are not handed to the library at all: its decoder frees memory it never
    // allocated on damaged picture data, which no check of the header can rule out.
    return announced;
}

std::optional<Announced> BmpHeader(std::span<const uint8_t> bytes)
{
    if (!StartsWith(bytes, "BM") || bytes.size() < 26)
        return std::nullopt;
    const uint32_t headerSize = LittleEndian32(&bytes[14]);
    if (headerSize == 12) // the oldest header: 16-bit sides
        return Announced{"BMP", LittleEndian16(&bytes[18]), LittleEndian16(&bytes[20])};
    const auto width = static_cast<int32_t>(LittleEndian32(&bytes[18]));
    const auto height = static_cast<int32_t>(LittleEndian32(&bytes[22])); // negative: top down
    const auto magnitude = [](int32_t side) {
        return side < 0 ? uint64_t{0} - int64_t{side} : uint64_t(side);
    };
    return Announced{"BMP", magnitude(width), magnitude(height)};
}

std::optional<Announced> JpegHeader(std::span<const uint8_t> bytes)
{
    if (!StartsWith(bytes, "\xFF\xD8\xFF"))
        return std::nullopt;
    // The markers up to the first frame header, which holds the size, read as the
    // library reads them; bytes between markers are refused rather than skipped.
    size_t at = 2;
    while (at + 2 <= bytes.size() && bytes[at] == 0xFF)
    {
        const uint8_t marker = bytes[at + 1];
        if (marker == 0xFF)
        {
            ++at; // fill byte
            continue;
        }
        // Restart and temporary markers stand alone.
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
        {
            at += 2;
            continue;
        }
        if (at + 4 > bytes.size())
            break;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame)
        {
            if (at + 9 > bytes.size())
                break;
            return Announced{"JPG", BigEndian16(&bytes[at + 7]), BigEndian16(&bytes[at + 5])};
        }
        at += 2 + BigEndian16(&bytes[at + 2]);
    }
    return Announced{"JPG", 0, 0, true};
}

std::optional<Announced> ReadHeader(std::span<const uint8_t> bytes)
{
    for (const auto header : {PngHeader, JpegHeader, GifHeader, BmpHeader})
        if (std::optional<Announced> announced = header(bytes))
            return announced;
    return std::nullopt;
}

struct SurfaceFree
{
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFree>;

} // namespace

std::unique_ptr<BitmapImage> DecodeImage(std::span<const uint8_t> bytes, ImageStatus& status)
{
    status = ImageStatus::UnknownImageFormat;
    const std::optional<Announced> announced = ReadHeader(bytes);
    if (!announced || announced->damaged || bytes.size() > static_cast<size_t>(INT32_MAX))
        return nullptr;
    if (announced->width > static_cast<uint64_t>(BitmapImage::kMaxSide) ||
        announced->height > static_cast<uint64_t>(BitmapImage::kMaxSide) ||
        announced->width * announced->height > static_cast<uint64_t>(BitmapImage::kMaxPixels))
    {
        status = ImageStatus::InvalidParameter;
        return nullptr;
    }

    std::vector<uint8_t> firstPicture;
    if (announced->firstPictureEnd != 0)
    {
        firstPicture.assign(bytes.begin(),
                            bytes.begin() + static_cast<ptrdiff_t>(announced->firstPictureEnd));
        firstPicture.push_back(0x3B); // the trailer
        bytes = firstPicture;
    }
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!stream)
    {
        status = ImageStatus::OutOfMemory;
        return nullptr;
    }
    const SurfacePtr decoded(IMG_LoadTyped_RW(stream, 1, announced->type));
    if (!decoded)
        return nullptr;
    // Straight ARGB words, which are blue, green, red, alpha in memory here; a colour key
    // becomes transparency on the way.
    const SurfacePtr argb(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!argb)
    {
        status = ImageStatus::OutOfMemory;
        return nullptr;
    }
    std::unique_ptr<BitmapImage> image = BitmapImage::Create(argb->w, argb->h);
    if (!image)
    {
        status = argb->w > BitmapImage::kMaxSide || argb->h > BitmapImage::kMaxSide ||
                         int64_t{argb->w} * argb->h > BitmapImage::kMaxPixels
                     ? ImageStatus::InvalidParameter
                     : ImageStatus::OutOfMemory;
        return nullptr;
    }
    if (SDL_LockSurface(argb.get()) != 0)
        return nullptr;
    for (int32_t y = 0; y < argb->h; ++y)
        std::memcpy(image->PixelAt(0, y),
                    static_cast<const uint8_t*>(argb->pixels) + ptrdiff_t{y} * argb->pitch,
                    static_cast<size_t>(image->GetStride()));
    SDL_UnlockSurface(argb.get());
    image->PixelsChanged();
    status = ImageStatus::Ok;
    return image;
}

} // namespace KV::Platform
