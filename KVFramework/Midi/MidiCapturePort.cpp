#include "Midi/MidiComm.h"

#include "Midi/MidiSysexAssembler.h"
#include "Platform/Midi/MidiDriver.h"

#include <array>

namespace KV {

using Platform::MidiResult;

struct LMidiCapturePort::Input
{
    struct Buffer
    {
        Platform::MidiBuffer header;
        std::array<uint8_t, kBufferSize> data{};
        bool prepared = false; // on the device, from its preparation until it is unprepared
    };

    explicit Input(const String& portName) : assembler(portName)
    {
        for (Buffer& buffer : buffers)
        {
            buffer.header.data = buffer.data.data();
            buffer.header.length = kBufferSize;
            buffer.header.user = reinterpret_cast<uintptr_t>(&buffer);
        }
    }

    std::array<Buffer, kBufferCount> buffers;
    MidiSysexAssembler assembler;
};

RCPtr<LMidiCapturePort> LMidiCapturePort::Create(const String& name,
                                                 std::unique_ptr<Platform::IMidiInDevice> device,
                                                 const RCPtr<LMidiComm>& owner)
{
    if (name.IsEmpty() || !device || !owner)
        return nullptr;
    RCPtr<LMidiCapturePort> port(new LMidiCapturePort(name, std::move(device), owner));
    for (Input::Buffer& buffer : port->mInput->buffers)
    {
        buffer.prepared = port->mDevice->PrepareBuffer(buffer.header) == MidiResult::Ok;
        port->RequeueBuffer(buffer.header);
    }
    return port;
}

LMidiCapturePort::LMidiCapturePort(const String& name, std::unique_ptr<Platform::IMidiInDevice> device,
                                   const RCPtr<LMidiComm>& owner)
    : mName(name), mDevice(std::move(device)), mOwner(owner), mInput(std::make_unique<Input>(name))
{
}

LMidiCapturePort::~LMidiCapturePort()
{
    if (!mDevice)
        return;
    mClosing.store(true, std::memory_order_release); // no buffer is lent again
    mDevice->Stop();
    mDevice->Reset(); // every buffer comes back
    for (Input::Buffer& buffer : mInput->buffers)
    {
        if (buffer.prepared)
            mDevice->UnprepareBuffer(buffer.header);
        buffer.prepared = false;
    }
    mDevice->Close(); // no callback of this device starts afterwards
    mDevice.reset();
}

bool LMidiCapturePort::MatchesName(const String& text) const
{
    return MidiPortNameContains(mName, text);
}

bool LMidiCapturePort::IsGone() const
{
    return !mDevice || mDevice->IsGone();
}

KVRESULT LMidiCapturePort::ReleaseInternalReferences()
{
    mOwner->UnlistReleasedPort(*this);
    return LRefCountedObject::ReleaseInternalReferences();
}

void LMidiCapturePort::OnShortMessage(uint32_t message, uint32_t timestamp)
{
    const auto status = static_cast<uint8_t>(message);
    // Channel messages keep their data bytes; system messages their status byte only.
    uint32_t count = 1;
    if ((status >= 0x80 && status <= 0xBF) || (status >= 0xE0 && status <= 0xEF))
        count = 3;
    else if (status >= 0xC0 && status <= 0xDF)
        count = 2;
    const uint8_t bytes[3] = {status, static_cast<uint8_t>(message >> 8),
                              static_cast<uint8_t>(message >> 16)};
    const RCPtr<LMidiCaptureNotificationData> captured = LMidiCaptureNotificationData::Create(mName);
    captured->SetTimestamp(timestamp);
    captured->AppendBytes(bytes, count);
    mOwner->QueueCaptured(captured);
}

void LMidiCapturePort::OnSysexData(const uint8_t* bytes, uint32_t count, bool complete)
{
    if (const RCPtr<LMidiCaptureNotificationData> message =
            mInput->assembler.AddChunk(bytes, count, complete))
        mOwner->QueueCaptured(message);
}

MidiResult LMidiCapturePort::RequeueBuffer(Platform::MidiBuffer& header)
{
    if (mClosing.load(std::memory_order_acquire) || !mDevice)
        return MidiResult::HandleBusy;
    Input::Buffer* record = nullptr;
    for (Input::Buffer& buffer : mInput->buffers)
        if (reinterpret_cast<uintptr_t>(&buffer) == header.user && &buffer.header == &header)
            record = &buffer;
    if (!record || !record->prepared)
        return MidiResult::Error;
    header.flags &= ~Platform::MIDI_BUFFER_DONE;
    header.bytesRecorded = 0;
    if (const MidiResult prepared = mDevice->PrepareBuffer(header); prepared != MidiResult::Ok)
        return prepared;
    return mDevice->AddBuffer(header);
}

} // namespace KV
