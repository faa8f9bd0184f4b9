#pragma once
// PNG images into the framework's straight BGRA pixels.

#include "Graphics/BitmapImage.h"

#include <cstdint>
#include <memory>
#include <span>

namespace KV::Platform {

// Decodes a whole PNG file held in memory: every colour type and bit depth, palette
// and transparency chunks, interlaced or not; 16-bit channels are scaled to 8 bits.
// No colour management: gamma and colour-space chunks are ignored, so a pixel comes
// out as the file stores it, and its alpha is never multiplied into its colour.
// Null on failure, with the reason in status: UnknownImageFormat for bytes that are no
// PNG or a damaged one (also one far too short for the size it announces),
// InvalidParameter for a size beyond BitmapImage::kMaxSide or kMaxPixels, OutOfMemory.
std::unique_ptr<BitmapImage> DecodePng(std::span<const uint8_t> bytes, ImageStatus& status);

} // namespace KV::Platform
