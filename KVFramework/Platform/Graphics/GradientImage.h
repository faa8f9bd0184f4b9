#pragma once
// Gradient pictures: drawn by the painter, kept as an image's straight pixels.

#include "Graphics/BitmapImage.h"
#include "Graphics/Geometry.h"

#include <cstdint>
#include <memory>

namespace KV::Platform {

// A width x height image filled with a linear gradient from startArgb at `from` to
// endArgb at `to` (pixel coordinates of the image; straight 0xAARRGGBB colours), each
// end's colour continuing beyond it. Null when the size is not one an image may have or
// the memory cannot be had.
std::unique_ptr<BitmapImage> PaintLinearGradient(int32_t width, int32_t height, const PointT<double>& from,
                                                 const PointT<double>& to, uint32_t startArgb,
                                                 uint32_t endArgb);

} // namespace KV::Platform
