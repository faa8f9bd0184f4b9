#include "DeviceMessages.h"
#include "DeviceProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace DeviceMessages;

namespace {

std::vector<uint8_t> IdentityReply(size_t size, std::array<uint8_t, 4> version = {1, 0, 0, 5})
{
    std::vector<uint8_t> reply(size, 0x00);
    reply[0] = 0xF0;
    reply[1] = 0x7E;
    reply[2] = 0x10;
    reply[3] = 0x06;
    reply[4] = 0x02;
    for (size_t i = 0; i < 4 && 11 + i < size; ++i)
        reply[11 + i] = version[i];
    reply[size - 1] = 0xF7;
    return reply;
}

std::string Narrow(const KV::String& text)
{
    return std::string(KV::NarrowString(text).GetText());
}

} // namespace

TEST(DeviceMessages, ClassifiesReplies)
{
    struct Row
    {
        std::vector<uint8_t> bytes;
        bool identity;
        int32_t status;
    };
    const Row rows[] = {
        {IdentityReply(37), true, -9},         {IdentityReply(36), false, -9},
        {IdentityReply(38), false, -9},        {{0xF0, 0x15, 0xF7}, false, 0x15},
        {{0xF0, 0x1A, 0xF7}, false, 0x1A},     {{0xF0, 0x20, 0xF7}, false, 0x20},
        {{0xF0, 0x40, 0xF7}, false, 0x40},     {{0xF0, 0x41, 0xF7}, false, -9},
        {{0xF0, 0x40, 0x00, 0xF7}, false, -9}, {{0xF0, 0x40}, false, -9},
        {{0x90, 0x40, 0xF7}, false, -9},       {{}, false, -9},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.bytes.size());
        EXPECT_EQ(IsIdentityReply(row.bytes), row.identity);
        EXPECT_EQ(ClassifyDeviceReply(row.bytes), row.status);
    }
}

TEST(DeviceMessages, VersionPartsAreWrittenInDecimal)
{
    struct Row
    {
        std::array<uint8_t, 4> bytes;
        const char* text;
    };
    for (const Row& row :
         {Row{{1, 2, 3, 4}, "1.2.3.4"}, Row{{1, 0, 10, 0}, "1.0.10.0"}, Row{{127, 0, 0, 99}, "127.0.0.99"}})
    {
        LUpdateEngineInterface::VersionInfo version;
        ASSERT_TRUE(ParseIdentityVersion(IdentityReply(37, row.bytes), version));
        EXPECT_EQ(Narrow(version.mText), row.text);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(version.mNumbers[i], row.bytes[i]);
    }
    LUpdateEngineInterface::VersionInfo untouched;
    EXPECT_FALSE(ParseIdentityVersion(IdentityReply(36), untouched));
    EXPECT_TRUE(untouched.mText.IsEmpty());
}

TEST(DeviceMessages, ChunksAreUpperCaseHex)
{
    Bytes bytes;
    for (int8_t b : {int8_t(0x00), int8_t(0x0A), int8_t(0xFF)})
        bytes.AddItem(b);
    EncodeChunkAsHex(bytes);
    ASSERT_EQ(bytes.GetCount(), 6u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.GetData()), 6), "000AFF");

    Bytes empty;
    EncodeChunkAsHex(empty);
    EXPECT_EQ(empty.GetCount(), 0u);
}

TEST(DeviceMessages, EnterUpdateModeMessageIsFramedDataBytes)
{
    const Bytes message = MakeEnterUpdateModeMessage();
    const auto bytes = AsUnsigned(message);
    ASSERT_EQ(bytes.size(), 9u);
    EXPECT_EQ(bytes[0], 0xF0);
    EXPECT_EQ(bytes[1], 0x7D);
    EXPECT_EQ(bytes[8], 0xF7);
    for (size_t i = 1; i < 8; ++i)
        EXPECT_LT(bytes[i], 0x80);
}
