#pragma once
// ResizeType: how a picture or a skin part fills a rectangle of another size than its own.

#include <cstdint>

namespace KV {

enum class ResizeType : int32_t
{
    Stretch = 0,
    Tile = 1,
    Center = 2,
};

} // namespace KV
