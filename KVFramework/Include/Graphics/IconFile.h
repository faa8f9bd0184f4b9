#pragma once
// The pictures of an icon file: the format in which a program carries its icon, one
// picture per size behind a directory of them. Only pictures stored as PNG images are
// offered; the older uncompressed form is skipped.

#include <cstdint>
#include <span>
#include <vector>

namespace KV {

struct IconPicture
{
    int32_t width = 0;
    int32_t height = 0;
    std::span<const uint8_t> png; // the picture's bytes, within the file's
};

// The PNG pictures of the icon file, in the file's order; empty for bytes that are no
// icon file. An entry whose bytes reach past the end of the file is left out.
std::vector<IconPicture> ReadIconPictures(std::span<const uint8_t> bytes);

} // namespace KV
