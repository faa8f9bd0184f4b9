#pragma once
// Pictures in the formats skins and users hand over (PNG, JPEG, GIF, BMP) into the
// framework's straight BGRA pixels, decoded by the platform's image library.

#include "Graphics/BitmapImage.h"

#include <cstdint>
#include <memory>
#include <span>

namespace KV::Platform {

// Decodes a whole picture held in memory: PNG (every colour type and bit depth, palette
// and transparency chunks, interlaced or not; 16-bit channels come down to 8 bits), JPEG
// (baseline and progressive, grey and colour), GIF (its first picture, its transparent
// colour clear) and BMP. No colour management: gamma and colour-space chunks are
// ignored, so a pixel comes out as the file stores it, and its alpha is never
// multiplied into its colour.
// Null on failure, with the reason in status: UnknownImageFormat for bytes of another
// format or a damaged picture (also a PNG far too short for the size it announces),
// InvalidParameter for a size beyond BitmapImage::kMaxSide or kMaxPixels (refused from
// the header, before anything is allocated for it), OutOfMemory.
std::unique_ptr<BitmapImage> DecodeImage(std::span<const uint8_t> bytes, ImageStatus& status);

} // namespace KV::Platform
