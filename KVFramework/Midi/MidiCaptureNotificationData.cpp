#include "Midi/MidiCaptureNotificationData.h"

#include "ObjectBase/Exception.h"

#include <cstring>

namespace KV {

RCPtr<LMidiCaptureNotificationData> LMidiCaptureNotificationData::Create(const String& portName)
{
    return RCPtr<LMidiCaptureNotificationData>(new LMidiCaptureNotificationData(portName));
}

void LMidiCaptureNotificationData::AppendBytes(const void* source, uint32_t count)
{
    if (count == 0)
        return;
    const uint32_t old = mBytes.GetCount();
    if (count > mBytes.GetMaxCount() - old || mBytes.SetCount(old + count) < 0)
        ThrowBadAlloc();
    std::memcpy(mBytes.GetData() + old, source, count);
}

} // namespace KV
