#include "Platform/Midi/MidiMessageRing.h"

#include <gtest/gtest.h>

#include <thread>

namespace KV::Platform {
namespace {

// A message whose bytes tell its sequence number and check themselves.
std::vector<uint8_t> Message(uint32_t sequence)
{
    std::vector<uint8_t> bytes(4 + sequence % 300);
    for (size_t i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(sequence >> (8 * i));
    for (size_t i = 4; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(sequence + i);
    return bytes;
}

TEST(MidiMessageRing, KeepsOrderAndWholeMessagesAcrossThreadsAndDropsWhatDoesNotFit)
{
    constexpr uint32_t COUNT = 100000;
    MidiMessageRing ring(4096); // small, so that it wraps and overflows often
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (uint32_t s = 0; s < COUNT; ++s)
        {
            const auto bytes = Message(s);
            ring.Push(bytes.data(), static_cast<uint32_t>(bytes.size()), s);
        }
        done = true;
    });

    uint64_t received = 0;
    int64_t last = -1;
    std::vector<uint8_t> bytes;
    uint32_t timestamp = 0;
    for (;;)
    {
        const bool finished = done.load();
        if (ring.Pop(bytes, timestamp))
        {
            ASSERT_GE(bytes.size(), 4u);
            const uint32_t sequence =
                bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
            ASSERT_EQ(timestamp, sequence);
            ASSERT_GT(static_cast<int64_t>(sequence), last);
            ASSERT_EQ(bytes, Message(sequence));
            last = sequence;
            ++received;
        }
        else if (finished)
        {
            break;
        }
    }
    producer.join();
    EXPECT_EQ(received + ring.Dropped(), COUNT);
    EXPECT_GT(received, 0u);
}

TEST(MidiMessageRing, RefusesMessageLargerThanItself)
{
    MidiMessageRing ring(64);
    const std::vector<uint8_t> big(57, 1);
    const std::vector<uint8_t> fits(56, 2);
    EXPECT_FALSE(ring.Push(big.data(), 57, 0));
    EXPECT_TRUE(ring.Push(fits.data(), 56, 7));
    std::vector<uint8_t> out;
    uint32_t timestamp = 0;
    ASSERT_TRUE(ring.Pop(out, timestamp));
    EXPECT_EQ(out, fits);
    EXPECT_EQ(timestamp, 7u);
    EXPECT_EQ(ring.Dropped(), 1u);
}

} // namespace
} // namespace KV::Platform
