#pragma once
// One MIDI message captured from an input port: a short message of one to three
// bytes, or a whole system-exclusive message from F0 to F7. It travels as the data of
// the "NID_MIDI_DATA_CAPTURED" notification that the MIDI service sends.
//
// Messages are made on the MIDI callback thread and usually released on the delivery
// thread, at a high rate: their memory comes from one locked, process-wide pool, and
// up to four bytes are kept inside the object.

#include "ObjectBase/RCPtr.h"
#include "Storage/ArrayBuffer.h"
#include "Storage/ReuseAllocator.h"
#include "Storage/StringT.h"

#include <cstdint>

namespace KV {

// The notification by which the MIDI service hands out each captured message.
inline constexpr const char16_t* NID_MIDI_DATA_CAPTURED = u"NID_MIDI_DATA_CAPTURED";

class LMidiCaptureNotificationData : public virtual LRefCountedObject,
                                     public ReusePooled<LMidiCaptureNotificationData, 4, true>
{
public:
    using Bytes = ArrayBufferM<signed char, 4, 1, 0, 1, 8>;

    // No bytes, time stamp 0.
    static RCPtr<LMidiCaptureNotificationData> Create(const String& portName);

    // Grows the message by count bytes copied from source. Throws when memory runs out.
    void AppendBytes(const void* source, uint32_t count);

    const Bytes& GetBytes() const noexcept { return mBytes; }
    uint32_t GetCount() const noexcept { return mBytes.GetCount(); }
    // The byte at index as the unsigned value it carries on the wire.
    uint8_t GetByte(uint32_t index) const noexcept
    {
        return static_cast<uint8_t>(mBytes.GetDataConst()[index]);
    }

    // The device name of the capture port that received the message.
    const String& GetPortName() const noexcept { return mPortName; }

    // Milliseconds since the input was started, for a short message; 0 for system
    // exclusive.
    uint32_t GetTimestamp() const noexcept { return mTimestamp; }
    void SetTimestamp(uint32_t milliseconds) noexcept { mTimestamp = milliseconds; }

protected:
    explicit LMidiCaptureNotificationData(const String& portName) : mPortName(portName) {}
    ~LMidiCaptureNotificationData() override = default;

private:
    Bytes mBytes;
    String mPortName;
    uint32_t mTimestamp = 0;
};

} // namespace KV
