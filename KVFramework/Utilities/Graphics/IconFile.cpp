#include "Graphics/IconFile.h"

#include <cstring>

namespace KV {

namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kEntrySize = 16;
constexpr uint16_t kIconType = 1; // 2 would be a cursor file
constexpr uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint16_t Read16(const uint8_t* at)
{
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

uint32_t Read32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

// A side of 0 in the directory stands for 256, which a byte cannot hold.
int32_t Side(uint8_t stored)
{
    return stored == 0 ? 256 : stored;
}

} // namespace

std::vector<IconPicture> ReadIconPictures(std::span<const uint8_t> bytes)
{
    std::vector<IconPicture> pictures;
    if (bytes.size() < kHeaderSize || Read16(bytes.data()) != 0 || Read16(bytes.data() + 2) != kIconType)
        return pictures;
    const size_t count = Read16(bytes.data() + 4);
    if (bytes.size() < kHeaderSize + count * kEntrySize)
        return pictures;
    for (size_t i = 0; i < count; ++i)
    {
        const uint8_t* entry = bytes.data() + kHeaderSize + i * kEntrySize;
        const uint64_t size = Read32(entry + 8);
        const uint64_t offset = Read32(entry + 12);
        if (size < sizeof kPngSignature || offset + size > bytes.size())
            continue;
        const std::span<const uint8_t> picture =
            bytes.subspan(static_cast<size_t>(offset), static_cast<size_t>(size));
        if (std::memcmp(picture.data(), kPngSignature, sizeof kPngSignature) != 0)
            continue;
        pictures.push_back({Side(entry[0]), Side(entry[1]), picture});
    }
    return pictures;
}

} // namespace KV
