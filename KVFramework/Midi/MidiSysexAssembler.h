#pragma once
// Joins the chunks in which system-exclusive input arrives into whole messages.
//
// The driver hands input over in buffers of a fixed size. A chunk is complete when it
// filled less than its buffer or ends with F7; every full chunk that does not end
// with F7 extends the message being assembled, and the next complete chunk finishes
// it. A complete chunk that starts with F0 is a message of its own; any other
// complete chunk arriving while nothing is being assembled is a stray and dropped.
//
// Damaged input must not cost a later, good message:
// - a chunk that starts with F0 while a message is being assembled begins a new
//   message, and the unfinished one is dropped (a device reply right behind a broken
//   message would otherwise be glued to it and lost);
// - a chunk of 0 bytes (buffers handed back unfilled) changes nothing;
// - a message that grows past the size limit is dropped, together with the rest of
//   its chunks up to its end, so that an endless stream cannot eat the memory.

#include "Midi/MidiCaptureNotificationData.h"

#include <cstdint>

namespace KV {

class MidiSysexAssembler
{
public:
    // Far beyond any reply the updater waits for, small enough to be harmless.
    static constexpr uint32_t kDefaultMaxBytes = 65536;

    explicit MidiSysexAssembler(const String& portName, uint32_t maxBytes = kDefaultMaxBytes)
        : mPortName(portName), mMaxBytes(maxBytes)
    {
    }

    // One chunk of system-exclusive input. Returns the message it finishes, or null.
    // Throws when memory runs out; the chunk is then lost and assembly starts afresh.
    RCPtr<LMidiCaptureNotificationData> AddChunk(const uint8_t* bytes, uint32_t count, bool complete);

    // Forgets the message being assembled.
    void Clear();

    bool IsPending() const noexcept { return mPending || mDiscarding; }

private:
    // Appends to the pending message, or drops it when it would grow past the limit.
    void Extend(const uint8_t* bytes, uint32_t count);

    const String mPortName;
    const uint32_t mMaxBytes;
    RCPtr<LMidiCaptureNotificationData> mPending; // the message being assembled
    bool mDiscarding = false;                     // the rest of an oversized message is being skipped
};

} // namespace KV
