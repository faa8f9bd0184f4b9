#include "Graphics/IconFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KV;

namespace {

const std::vector<uint8_t> kPng = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 'x'};
const std::vector<uint8_t> kBitmap = {40, 0, 0, 0, 16, 0, 0, 0, 32, 0, 0, 0};

struct Entry
{
    uint8_t side;
    std::vector<uint8_t> picture;
    uint32_t extraSize = 0; // announced beyond the picture's bytes
};

void Put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::vector<uint8_t> IconFile(const std::vector<Entry>& entries, uint16_t type = 1)
{
    std::vector<uint8_t> file;
    Put16(file, 0);
    Put16(file, type);
    Put16(file, static_cast<uint32_t>(entries.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
    for (const Entry& entry : entries)
    {
        file.insert(file.end(), {entry.side, entry.side, 0, 0});
        Put16(file, 1);
        Put16(file, 32);
        Put32(file, static_cast<uint32_t>(entry.picture.size()) + entry.extraSize);
        Put32(file, offset);
        offset += static_cast<uint32_t>(entry.picture.size());
    }
    for (const Entry& entry : entries)
        file.insert(file.end(), entry.picture.begin(), entry.picture.end());
    return file;
}

std::string Sizes(const std::vector<IconPicture>& pictures)
{
    std::string sizes;
    for (const IconPicture& picture : pictures)
        sizes += std::to_string(picture.width) + "x" + std::to_string(picture.height) + "/" +
                 std::to_string(picture.png.size()) + " ";
    return sizes;
}

} // namespace

TEST(IconFile, OffersThePngPicturesThatLieInsideTheFile)
{
    struct Row
    {
        const char* name;
        std::vector<uint8_t> file;
        std::string sizes;
    };
    std::vector<uint8_t> cutShort = IconFile({{16, kPng}, {32, kPng}});
    cutShort.resize(cutShort.size() - 1);
    std::vector<uint8_t> cutDirectory = IconFile({{16, kPng}, {32, kPng}});
    cutDirectory.resize(6 + 16);
    const Row rows[] = {
        {"sizes in order, 0 standing for 256", IconFile({{48, kPng}, {0, kPng}, {16, kPng}}),
         "48x48/9 256x256/9 16x16/9 "},
        {"an uncompressed picture is skipped", IconFile({{16, kBitmap}, {32, kPng}}), "32x32/9 "},
        {"a picture reaching past the end is left out", cutShort, "16x16/9 "},
        {"a size announced beyond the end", IconFile({{16, kPng, 1}}), ""},
        {"a directory longer than the file", cutDirectory, ""},
        {"a cursor file", IconFile({{16, kPng}}, 2), ""},
        {"no pictures", IconFile({}), ""},
        {"too short for a header", {0, 0, 1, 0}, ""},
        {"nothing", {}, ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Sizes(ReadIconPictures(row.file)), row.sizes) << row.name;
}
