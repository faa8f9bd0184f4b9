#pragma once
// Read access to a picture in memory, as it is handed to a window: premultiplied
// 0xAARRGGBB words in native byte order, rows of `stride` bytes.

#include <cstdint>

namespace KV::Platform {

struct SurfacePixels
{
    const uint8_t* data = nullptr;
    int32_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;
};

} // namespace KV::Platform
