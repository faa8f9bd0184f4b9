// Feeds arbitrary chunks to the joining of system-exclusive input, cut as the driver
// cuts them: each chunk is a length byte (0xFF for a full 256-byte buffer) and its
// bytes. Besides memory errors it checks what must hold for any input: a message is
// never empty nor longer than the limit, and a complete chunk always ends assembly.

#include "Midi/MidiSysexAssembler.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr uint32_t kBufferSize = 256;
constexpr uint32_t kLimit = 1024; // small, so that the limit is reached often

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    KV::MidiSysexAssembler assembler(u"Fuzz Keys", kLimit);
    size_t at = 0;
    while (at < size)
    {
        const uint32_t wanted = data[at] == 0xFF ? kBufferSize : data[at];
        ++at;
        const auto count = static_cast<uint32_t>(std::min<size_t>(wanted, size - at));
        const uint8_t* chunk = data + at;
        at += count;
        const bool complete = count < kBufferSize || chunk[count - 1] == 0xF7;
        const auto message = assembler.AddChunk(chunk, count, complete);
        if (message)
            Require(message->GetCount() > 0 && message->GetCount() <= kLimit);
        if (complete && count > 0)
            Require(!assembler.IsPending());
    }
    return 0;
}
