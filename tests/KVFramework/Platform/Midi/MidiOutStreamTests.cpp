#include "Platform/Midi/MidiOutStream.h"

#include <gtest/gtest.h>

namespace KV::Platform {
namespace {

using Bytes = std::vector<uint8_t>;

struct StreamCase
{
    const char* what;
    std::vector<Bytes> feeds; // one Feed call each
    std::vector<Bytes> sent;
};

std::vector<Bytes> FeedAll(const std::vector<Bytes>& feeds, MidiOutStream& stream)
{
    std::vector<Bytes> sent;
    for (const Bytes& feed : feeds)
        stream.Feed(feed.data(), feed.size(), [&](const Bytes& message) { sent.push_back(message); });
    return sent;
}

TEST(MidiOutStream, CutsBuffersIntoWholeMessages)
{
    const std::vector<StreamCase> cases = {
        {"note-on", {{0x90, 0x3C, 0x7F}}, {{0x90, 0x3C, 0x7F}}},
        {"running status", {{0x90, 0x3C, 0x7F, 0x3D, 0x40}}, {{0x90, 0x3C, 0x7F}, {0x90, 0x3D, 0x40}}},
        {"two system-exclusive messages",
         {{0xF0, 1, 0xF7, 0xF0, 2, 0xF7}},
         {{0xF0, 1, 0xF7}, {0xF0, 2, 0xF7}}},
        {"system exclusive over two buffers", {{0xF0, 1, 2}, {3, 0xF7}}, {{0xF0, 1, 2, 3, 0xF7}}},
        {"short message over two buffers", {{0x90}, {0x3C, 0x7F}}, {{0x90, 0x3C, 0x7F}}},
        {"real-time inside system exclusive", {{0xF0, 1, 0xF8, 2, 0xF7}}, {{0xF8}, {0xF0, 1, 2, 0xF7}}},
        {"status ends unterminated system exclusive", {{0xF0, 1, 0x90, 0x3C, 0x7F}}, {{0x90, 0x3C, 0x7F}}},
        {"F0 restarts system exclusive", {{0xF0, 1, 0xF0, 2, 0xF7}}, {{0xF0, 2, 0xF7}}},
        {"stray data and F7", {{1, 2, 0xF7}}, {}},
        {"system common lengths",
         {{0xF1, 0x10, 0xF6, 0xF2, 1, 2, 0xF3, 4}},
         {{0xF1, 0x10}, {0xF6}, {0xF2, 1, 2}, {0xF3, 4}}},
        {"no running status after system common", {{0xF1, 0x10, 0x11}}, {{0xF1, 0x10}}},
        {"program change", {{0xC0, 5, 6}}, {{0xC0, 5}, {0xC0, 6}}},
    };
    for (const StreamCase& c : cases)
    {
        MidiOutStream stream;
        EXPECT_EQ(FeedAll(c.feeds, stream), c.sent) << c.what;
    }
}

TEST(MidiOutStream, DropsOversizedSystemExclusiveAndRecovers)
{
    MidiOutStream stream;
    Bytes huge(MidiOutStream::MAX_SYSEX_LENGTH + 10, 0x11);
    huge.front() = 0xF0;
    huge.back() = 0xF7;
    EXPECT_EQ(FeedAll({huge, {0x90, 0x3C, 0x7F}}, stream), (std::vector<Bytes>{{0x90, 0x3C, 0x7F}}));
}

TEST(MidiOutStream, ResetForgetsUnfinishedMessage)
{
    MidiOutStream stream;
    FeedAll({{0xF0, 1, 2}}, stream);
    stream.Reset();
    EXPECT_EQ(FeedAll({{3, 0xF7, 0xF0, 4, 0xF7}}, stream), (std::vector<Bytes>{{0xF0, 4, 0xF7}}));
}

} // namespace
} // namespace KV::Platform
