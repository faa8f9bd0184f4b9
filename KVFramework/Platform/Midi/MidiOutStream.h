#pragma once
// Cuts the byte stream of long output buffers into single MIDI messages, because
// the libraries under the driver send one whole message at a time. A
// system-exclusive message is held back until its F7 arrives, possibly in a later
// buffer, so that it always leaves whole.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace KV::Platform {

// The number of bytes of the message that a status byte begins: 1 to 3 for
// channel, system-common and real-time status bytes; 0 for F0, F7 and data bytes.
uint32_t MidiShortMessageLength(uint8_t status);

class MidiOutStream
{
public:
    using Sink = std::function<void(const std::vector<uint8_t>& message)>;

    // A system-exclusive message longer than this is dropped: nothing bounds an
    // unterminated one otherwise.
    static constexpr size_t MAX_SYSEX_LENGTH = 1u << 20;

    // Gives every message completed by these bytes to the sink, in order.
    // Real-time bytes inside a system-exclusive message go out on their own; any
    // other status byte ends an unterminated one, which is dropped; data bytes
    // follow running status and are dropped without one; a stray F7 is dropped.
    void Feed(const uint8_t* bytes, size_t count, const Sink& sink);

    // Forgets an unfinished message.
    void Reset();

private:
    std::vector<uint8_t> mPending; // the message being gathered
    bool mInSysex = false;
    uint32_t mExpected = 0; // length of the short message being gathered, 0 when none
    uint8_t mRunningStatus = 0;
};

} // namespace KV::Platform
