#include "EngineTestSupport.h"
#include "FirmwareImageFile.h"

#include <gtest/gtest.h>

using namespace enginetest;

TEST(FirmwareImage, FilesAsATable)
{
    struct Row
    {
        const char* name;
        std::string content;
        KVRESULT expected;
        std::vector<uint8_t> bytes;
    };
    const Row rows[] = {
        {"one record", "0003AABBCC", S_OK, {0x00, 0x03, 0xAA, 0xBB, 0xCC}},
        {"lower case", "0003aabbcc", S_OK, {0x00, 0x03, 0xAA, 0xBB, 0xCC}},
        {"two records", "0001FF0000", S_OK, {0x00, 0x01, 0xFF, 0x00, 0x00}},
        {"odd length", "0003AABBC", E_FAIL, {}},
        {"not hex", "0003AABBXC", E_FAIL, {}},
        {"line break", "0003AABBCC\n", E_FAIL, {}},
        {"empty", "", E_FAIL, {}},
        {"record runs past the end", "0004AABBCC", E_FAIL, {}},
        {"dangling length byte", "0003AABBCC00", E_FAIL, {}},
    };
    TempFolder folder;
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        const std::string path = folder.Write("image.led", row.content);
        DeviceMessages::Bytes image;
        EXPECT_EQ(FirmwareImageFile::LoadImage(KV::String(path.c_str()), image), row.expected);
        if (row.expected == S_OK)
        {
            const auto bytes = DeviceMessages::AsUnsigned(image);
            EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), row.bytes);
        }
    }
}

TEST(FirmwareImage, UnusablePaths)
{
    TempFolder folder;
    DeviceMessages::Bytes image;
    for (std::string path : {std::string("image.led"), folder.path.string() + "/", folder.path.string(),
                             folder.path.string() + "/missing.led"})
    {
        SCOPED_TRACE(path);
        EXPECT_EQ(FirmwareImageFile::LoadImage(KV::String(path.c_str()), image), E_FAIL);
    }
}
