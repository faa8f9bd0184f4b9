#include "Midi/MidiComm.h"

#include "Platform/Midi/MidiDriver.h"

#include <algorithm>
#include <atomic>

namespace KV {

using Platform::MidiResult;

// One buffer of a long message: the header lent to the driver and its own copy of the
// bytes, so that the caller's array is free again whatever the driver does.
struct LMidiRenderPort::Outgoing
{
    Platform::MidiBuffer header;
    std::vector<uint8_t> bytes;
    bool prepared = false;         // on the device, for the bytes' present storage
    std::atomic<bool> lent{false}; // held by the driver, from the send to the hand-back
};

namespace {

// Whether the bytes are one whole system-exclusive message: F0, data bytes and real-time
// bytes (which may go between), F7. Anything else the driver's stream would drop
// silently or in part.
bool IsWholeSysex(const signed char* data, uint32_t count)
{
    if (count < 2 || count > LMidiCommInterface::kMaxLongMessage || static_cast<uint8_t>(data[0]) != 0xF0 ||
        static_cast<uint8_t>(data[count - 1]) != 0xF7)
        return false;
    for (uint32_t i = 1; i + 1 < count; ++i)
    {
        const auto b = static_cast<uint8_t>(data[i]);
        if (b >= 0x80 && b < 0xF8)
            return false;
    }
    return true;
}

} // namespace

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
    for (std::unique_ptr<Outgoing>& outgoing : mOutgoing)
        outgoing = std::make_unique<Outgoing>();
}

LMidiRenderPort::~LMidiRenderPort()
{
    if (mDevice)
    {
        mDevice->Close(); // from here on the driver touches none of our buffers
        mDevice.reset();
    }
}

bool LMidiRenderPort::MatchesName(const String& text) const
{
    return MidiPortNameContains(mName, text);
}

bool LMidiRenderPort::IsGone() const
{
    return !mDevice || mDevice->IsGone();
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
    if (!IsWholeSysex(data, count))
        return E_INVALIDARG;
    // In as many buffers as the driver needs; it joins them into one message.
    for (uint32_t offset = 0; offset < count;)
    {
        const uint32_t piece = std::min(count - offset, Platform::MIDI_MAX_BUFFER_LENGTH);
        if (!SendLong(data + offset, piece, completionWait))
            return E_FAIL;
        offset += piece;
    }
    return static_cast<int32_t>(count);
}

LMidiRenderPort::Outgoing* LMidiRenderPort::FindFreeBuffer()
{
    for (std::unique_ptr<Outgoing>& outgoing : mOutgoing)
        if (!outgoing->lent.load(std::memory_order_acquire))
            return outgoing.get();
    return nullptr;
}

LMidiRenderPort::Outgoing* LMidiRenderPort::TakeFreeBuffer(Milliseconds completionWait)
{
    for (;;)
    {
        // Reset first, then look: a hand-back after the look sets the light again.
        mHandedBack.Reset();
        if (Outgoing* free = FindFreeBuffer())
            return free;
        if (mHandedBack.Wait(completionWait) != WAIT_OBJECT_0)
        {
            // The driver has kept every buffer too long: this message fails, and
            // resetting the output hands them all back for the next one.
            mDevice->Reset();
            return nullptr;
        }
    }
}

bool LMidiRenderPort::SendLong(const signed char* bytes, uint32_t count, Milliseconds completionWait)
{
    Outgoing* outgoing = TakeFreeBuffer(completionWait);
    if (!outgoing)
        return false;
    Platform::MidiBuffer& header = outgoing->header;
    if (outgoing->bytes.capacity() < count && outgoing->prepared)
    {
        // The bytes move to new storage: the device forgets the old.
        mDevice->UnprepareBuffer(header);
        outgoing->prepared = false;
    }
    const auto* first = reinterpret_cast<const uint8_t*>(bytes);
    outgoing->bytes.assign(first, first + count);
    header.data = outgoing->bytes.data();
    header.length = count;
    header.bytesRecorded = count;
    if (!outgoing->prepared)
    {
        if (mDevice->PrepareBuffer(header) != MidiResult::Ok)
            return false;
        outgoing->prepared = true;
    }
    outgoing->lent.store(true, std::memory_order_release);
    if (mDevice->SendLong(header) == MidiResult::Ok)
        return true;
    outgoing->lent.store(false, std::memory_order_release); // refused: the buffer stays ours
    return false;
}

void LMidiRenderPort::OnDone(const Platform::MidiBuffer& buffer)
{
    for (std::unique_ptr<Outgoing>& outgoing : mOutgoing)
    {
        if (&outgoing->header == &buffer)
        {
            outgoing->lent.store(false, std::memory_order_release);
            mHandedBack.Set();
            return;
        }
    }
}

} // namespace KV
