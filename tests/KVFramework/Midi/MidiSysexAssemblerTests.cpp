// The joining of system-exclusive chunks, chunk by chunk, including damaged input.

#include "Midi/MidiSysexAssembler.h"

#include "MidiTransportTestSupport.h"

namespace KV::MidiTest {
namespace {

struct Chunk
{
    Bytes bytes;
    bool complete;
};

// The chunks a message of this length arrives in: full ones, then a short or F7-ended one.
std::vector<Chunk> Chunks(const Bytes& message, size_t size = 256)
{
    std::vector<Chunk> chunks;
    for (size_t at = 0; at < message.size(); at += size)
    {
        const size_t end = std::min(message.size(), at + size);
        const Bytes piece = Slice(message, at, end);
        chunks.push_back({piece, piece.size() < size || piece.back() == 0xF7});
    }
    return chunks;
}

// The bytes of the chunks, one after the other.
Bytes Concat(const std::vector<Chunk>& chunks)
{
    Bytes all;
    for (const Chunk& chunk : chunks)
        all.insert(all.end(), chunk.bytes.begin(), chunk.bytes.end());
    return all;
}

std::vector<Chunk> Join(std::initializer_list<std::vector<Chunk>> parts)
{
    std::vector<Chunk> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(MidiSysexAssembler, JoinsChunksAndRecoversFromDamagedInput)
{
    constexpr uint32_t kLimit = 600;
    const Bytes s300 = Sysex(300), s512 = Sysex(512), s1300 = Sysex(1300), reply = {0xF0, 0x40, 0xF7};
    const Bytes full = Slice(Sysex(400), 0, 256); // an unfinished beginning
    Bytes headless = Sysex(300);
    headless.front() = 0x10;
    struct Case
    {
        const char* what;
        std::vector<Chunk> chunks;
        std::vector<Bytes> messages;
    };
    const std::vector<Case> cases = {
        {"one short chunk", Chunks(reply), {reply}},
        {"a full and a short chunk", Chunks(s300), {s300}},
        {"two full chunks, the last ending in F7", Chunks(s512), {s512}},
        {"a stray complete chunk", {{{0x01, 0x02, 0xF7}, true}}, {}},
        {"a full chunk without F0 still begins a message", Chunks(headless), {headless}},
        {"F0 drops the unfinished message before it", Join({{{full, false}}, Chunks(reply)}), {reply}},
        {"F0 in a full chunk drops it too", Join({{{full, false}}, Chunks(s300)}), {s300}},
        {"an empty chunk changes nothing",
         {{full, false}, {{}, true}, {{0x01, 0xF7}, true}},
         {Concat({{full, false}, {{0x01, 0xF7}, true}})}},
        {"past the limit the message and all its rest are dropped",
         Join({Chunks(s1300), Chunks(reply)}),
         {reply}},
        {"a new message ends the skipping of an oversized one",
         Join({{Chunks(s1300)[0], Chunks(s1300)[1], Chunks(s1300)[2]}, Chunks(reply)}),
         {reply}},
        {"exactly at the limit", Chunks(Sysex(kLimit)), {Sysex(kLimit)}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        MidiSysexAssembler assembler(u"USB Keys", kLimit);
        std::vector<Bytes> messages;
        for (const Chunk& chunk : c.chunks)
        {
            const auto message = assembler.AddChunk(
                chunk.bytes.data(), static_cast<uint32_t>(chunk.bytes.size()), chunk.complete);
            if (!message)
                continue;
            EXPECT_TRUE(message->GetPortName().EqualsText(u"USB Keys"));
            EXPECT_EQ(message->GetTimestamp(), 0u);
            Bytes bytes;
            for (uint32_t i = 0; i < message->GetCount(); ++i)
                bytes.push_back(message->GetByte(i));
            messages.push_back(bytes);
        }
        EXPECT_EQ(messages, c.messages);
    }
}

} // namespace
} // namespace KV::MidiTest
