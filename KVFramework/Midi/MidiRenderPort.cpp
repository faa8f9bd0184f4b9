#include "Midi/MidiComm.h"

#include "Platform/Midi/MidiDriver.h"

#include <algorithm>

namespace KV {

using Platform::MidiResult;

// One buffer of a long message: the header lent to the driver and its own copy of the
// bytes, so that the caller's array is free again whatever the driver does.
struct LMidiRenderPort::Outgoing
{
    Platform::MidiBuffer header;
    std::vector<uint8_t> bytes;
};

RCPtr<LMidiRenderPort> LMidiRenderPort::Create(const String& name,
                                               std::unique_ptr<Platform::IMidiOutDevice> device,
                                               const RCPtr<LMidiComm>& owner)
{
    if (name.IsEmpty() || !device || !owner)
        return nullptr;
    return RCPtr<LMidiRenderPort>(new LMidiRenderPort(name, std::move(device), owner));
}

LMidiRenderPort::LMidiRenderPort(const String& name, std::unique_ptr<Platform::IMidiOutDevice> device,
                                 const RCPtr<LMidiComm>& owner)
    : mName(name), mDevice(std::move(device)), mOwner(owner)
{
    mCompletion.Set();
}

LMidiRenderPort::~LMidiRenderPort()
{
    if (mDevice)
    {
        mDevice->Close(); // from here on the driver touches none of our buffers
        mDevice.reset();
    }
    mAbandoned.clear();
}

bool LMidiRenderPort::MatchesName(const String& text) const
{
    return MidiPortNameContains(mName, text);
}

KVRESULT LMidiRenderPort::ReleaseInternalReferences()
{
    mOwner->UnlistReleasedPort(*this);
    return LRefCountedObject::ReleaseInternalReferences();
}

int32_t LMidiRenderPort::Send(const IArray<signed char>& bytes, Milliseconds completionWait)
{
    std::lock_guard sending(mSending);
    const uint32_t count = bytes.GetCount();
    const signed char* data = bytes.GetDataConst();
    const auto first = static_cast<uint8_t>(data[0]);
    if (first >= 0x80 && first != 0xF0 && first != 0xF7)
    {
        // A channel, system-common or real-time message: its first three bytes at most.
        uint32_t word = 0;
        for (uint32_t i = 0; i < std::min<uint32_t>(count, 3); ++i)
            word |= static_cast<uint32_t>(static_cast<uint8_t>(data[i])) << (8 * i);
        return mDevice->SendShort(word) == MidiResult::Ok ? GetMidiMessageLength(data) : E_FAIL;
    }
    // Anything else goes out as a long message, in as many buffers as the driver needs.
    for (uint32_t offset = 0; offset < count;)
    {
        const uint32_t piece = std::min(count - offset, Platform::MIDI_MAX_BUFFER_LENGTH);
        if (!SendLong(data + offset, piece, completionWait))
            return E_FAIL;
        offset += piece;
    }
    return static_cast<int32_t>(count);
}

bool LMidiRenderPort::SendLong(const signed char* bytes, uint32_t count, Milliseconds completionWait)
{
    auto outgoing = std::make_unique<Outgoing>();
    const auto* first = reinterpret_cast<const uint8_t*>(bytes);
    outgoing->bytes.assign(first, first + count);
    Platform::MidiBuffer& header = outgoing->header;
    header.data = outgoing->bytes.data();
    header.length = count;
    header.bytesRecorded = count;
    if (mDevice->PrepareBuffer(header) != MidiResult::Ok)
        return false;

    mCompletion.Reset();
    mInFlight.store(&header, std::memory_order_release);
    bool sent = mDevice->SendLong(header) == MidiResult::Ok;
    // The buffer's hand-back has been seen: the driver will not touch it again.
    bool handedBack = !sent;
    if (sent)
    {
        handedBack = mCompletion.Wait(completionWait) == WAIT_OBJECT_0;
        if (!handedBack)
        {
            // Not finished in time: the output is reset, which hands the buffer back now,
            // so that it is not freed while the driver still holds it.
            sent = false;
            mDevice->Reset();
            handedBack = mCompletion.Wait(completionWait) == WAIT_OBJECT_0;
        }
    }
    mInFlight.store(nullptr, std::memory_order_release);
    if (mDevice->UnprepareBuffer(header) != MidiResult::Ok || !handedBack)
        mAbandoned.push_back(std::move(outgoing));
    mCompletion.Set();
    return sent;
}

void LMidiRenderPort::OnDone(const Platform::MidiBuffer& buffer)
{
    if (mInFlight.load(std::memory_order_acquire) == &buffer)
        mCompletion.Set();
}

} // namespace KV
