#include "Platform/Instance/HandOverMessage.h"

#include <gtest/gtest.h>

#include <string>

using namespace KV::Platform;
using State = HandOverReader::State;

namespace {

std::string Header(uint32_t tag, uint32_t length)
{
    std::string bytes;
    for (uint32_t value : {tag, length})
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>((value >> shift) & 0xFF);
    return bytes;
}

State FeedAll(HandOverReader& reader, const std::string& bytes, size_t piece)
{
    for (size_t at = 0; at < bytes.size(); at += piece)
        reader.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    return reader.GetState();
}

TEST(HandOverMessage, EncodedTextIsReadBackInAnyPieces)
{
    const std::string text =
        "/opt/updater/FirmwareUpdater -ALWAYS_UPDATE -FIRMWARE_IMAGE_NAME=\xC3\xA9t\xC3\xA9.led";
    std::string message;
    ASSERT_TRUE(EncodeHandOver(text, message));
    EXPECT_EQ(message.substr(0, 8), Header(1125, static_cast<uint32_t>(text.size())));
    for (size_t piece : {message.size(), size_t(1), size_t(3), size_t(9)})
    {
        HandOverReader reader;
        EXPECT_EQ(FeedAll(reader, message + "trailing bytes are ignored", piece), State::Complete) << piece;
        EXPECT_EQ(reader.GetText(), text);
    }
}

TEST(HandOverMessage, DecidesAsSoonAsItCan)
{
    struct Case
    {
        const char* what;
        std::string bytes;
        State state;
    };
    const std::string limit(kMaxHandOverTextBytes, 'a');
    const Case cases[] = {
        {"empty text", Header(1125, 0), State::Complete},
        {"text at the limit", Header(1125, kMaxHandOverTextBytes) + limit, State::Complete},
        {"header cut short", Header(1125, 4).substr(0, 7), State::NeedMore},
        {"text cut short", Header(1125, 4) + "abc", State::NeedMore},
        {"another tag", Header(1126, 3) + "abc", State::Rejected},
        {"a length over the limit, refused unread", Header(1125, kMaxHandOverTextBytes + 1), State::Rejected},
        {"a huge length", Header(1125, 0xFFFFFFFF), State::Rejected},
        {"a lone continuation byte", Header(1125, 3) + "a\x80z", State::Rejected},
        {"an overlong form", Header(1125, 2) + "\xC0\xAF", State::Rejected},
        {"an encoded surrogate", Header(1125, 3) + "\xED\xA0\x80", State::Rejected},
        {"a sequence cut at the end", Header(1125, 2) + "a\xE2", State::Rejected},
        {"a zero byte", Header(1125, 3) + std::string("a\0b", 3), State::Rejected},
    };
    for (const Case& c : cases)
    {
        HandOverReader reader;
        EXPECT_EQ(FeedAll(reader, c.bytes, c.bytes.size() + 1), c.state) << c.what;
    }
    std::string message;
    EXPECT_FALSE(EncodeHandOver(std::string(kMaxHandOverTextBytes + 1, 'a'), message));
}

} // namespace
