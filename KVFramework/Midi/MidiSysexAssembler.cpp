#include "Midi/MidiSysexAssembler.h"

namespace KV {

namespace {

constexpr uint8_t kSysexStart = 0xF0;

} // namespace

void MidiSysexAssembler::Clear()
{
    mPending.Reset();
    mDiscarding = false;
}

void MidiSysexAssembler::Extend(const uint8_t* bytes, uint32_t count)
{
    if (mDiscarding)
        return;
    if (!mPending)
        mPending = LMidiCaptureNotificationData::Create(mPortName);
    if (count > mMaxBytes - mPending->GetCount())
    {
        mPending.Reset();
        mDiscarding = true;
        return;
    }
    mPending->AppendBytes(bytes, count);
}

RCPtr<LMidiCaptureNotificationData> MidiSysexAssembler::AddChunk(const uint8_t* bytes, uint32_t count,
                                                                 bool complete)
{
    if (count == 0)
        return nullptr;
    if (bytes[0] == kSysexStart)
        Clear(); // a new message: whatever was unfinished will never end now
    else if (complete && !IsPending())
        return nullptr; // the stray end of something never begun
    // A full chunk that does not start with F0 still starts a message when nothing is
    // pending: input is not judged beyond these rules, and the size limit bounds it.
    try
    {
        Extend(bytes, count);
    }
    catch (...)
    {
        Clear();
        throw;
    }
    if (!complete)
        return nullptr;
    mDiscarding = false;
    return std::move(mPending);
}

} // namespace KV
