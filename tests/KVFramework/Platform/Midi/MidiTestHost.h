#pragma once
// A small owner of open devices for the driver tests: it lends input buffers the
// way the MIDI transport does (three of 256 bytes, each lent again from the
// callback that returns it) and records every callback for the test to inspect.

#include "Platform/Midi/MidiDriver.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>

namespace KV::Platform::MidiTest {

inline constexpr auto WAIT = std::chrono::seconds(20);

struct InEvent
{
    MidiInKind kind;
    std::vector<uint8_t> bytes; // short: the packed bytes, lowest first (3); long: the bytes recorded
    uint32_t timestampMs = 0;
};

inline bool operator==(const InEvent& a, const InEvent& b)
{
    return a.kind == b.kind && a.bytes == b.bytes && a.timestampMs == b.timestampMs;
}

inline std::ostream& operator<<(std::ostream& out, const InEvent& e)
{
    out << (e.kind == MidiInKind::Data       ? "Data"
            : e.kind == MidiInKind::LongData ? "LongData"
                                             : "LongError")
        << " " << e.bytes.size() << " bytes";
    if (!e.bytes.empty())
        out << " first " << int(e.bytes.front()) << " last " << int(e.bytes.back());
    return out << " at " << e.timestampMs;
}

inline std::vector<uint8_t> Unpack(uint32_t word)
{
    return {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word >> 16)};
}

class InputHost
{
public:
    static constexpr size_t BUFFERS = 3;
    static constexpr uint32_t BUFFER_LENGTH = 256;

    ~InputHost() { Close(); }

    // Opens the input called `name` in the driver's listing and starts it.
    MidiResult Open(IMidiDriver& driver, const std::string& name, bool start = true)
    {
        const auto names = driver.ListInputs();
        const auto it = std::find(names.begin(), names.end(), name);
        if (it == names.end())
            return MidiResult::BadDeviceId;
        const auto id = static_cast<uint32_t>(it - names.begin());
        const MidiResult r = driver.OpenInput(
            id, [this](IMidiInDevice& device, const MidiInMessage& message) { OnInput(device, message); },
            mDevice);
        if (r != MidiResult::Ok)
            return r;
        for (size_t i = 0; i < BUFFERS; ++i)
        {
            mBuffers[i].data = mStorage[i].data();
            mBuffers[i].length = BUFFER_LENGTH;
            EXPECT_EQ(mDevice->PrepareBuffer(mBuffers[i]), MidiResult::Ok);
            EXPECT_EQ(mDevice->AddBuffer(mBuffers[i]), MidiResult::Ok);
        }
        return start ? mDevice->Start() : MidiResult::Ok;
    }

    void Close()
    {
        if (!mDevice)
            return;
        mClosing = true;
        mDevice->Stop();
        mDevice->Reset();
        for (auto& buffer : mBuffers)
            mDevice->UnprepareBuffer(buffer);
        mDevice->Close();
        mDevice.reset();
    }

    IMidiInDevice& Device() { return *mDevice; }

    // The first `count` events, waiting for them up to WAIT; fails the test when
    // fewer arrive.
    std::vector<InEvent> WaitFor(size_t count)
    {
        std::unique_lock lock(mMutex);
        const bool arrived = mChanged.wait_for(lock, WAIT, [&] { return mEvents.size() >= count; });
        EXPECT_TRUE(arrived) << "only " << mEvents.size() << " of " << count << " callbacks arrived";
        return mEvents;
    }

    // The events so far, once there are `count` of them or `wait` has passed.
    std::vector<InEvent> Events(size_t count = 0, std::chrono::milliseconds wait = {})
    {
        std::unique_lock lock(mMutex);
        mChanged.wait_for(lock, wait, [&] { return mEvents.size() >= count; });
        return mEvents;
    }

    // Set to false to keep returned buffers instead of lending them again.
    std::atomic<bool> requeue{true};
    std::function<void(IMidiInDevice&, const MidiInMessage&)> extra; // runs first in each callback

private:
    void OnInput(IMidiInDevice& device, const MidiInMessage& message)
    {
        if (extra)
            extra(device, message);
        InEvent event{message.kind, {}, message.timestampMs};
        if (message.kind == MidiInKind::Data)
            event.bytes = Unpack(message.shortMessage);
        else
            event.bytes.assign(message.buffer->data, message.buffer->data + message.buffer->bytesRecorded);
        if (message.kind != MidiInKind::Data && requeue && !mClosing)
        {
            message.buffer->flags &= ~MIDI_BUFFER_DONE;
            message.buffer->bytesRecorded = 0;
            device.AddBuffer(*message.buffer);
        }
        {
            std::lock_guard lock(mMutex);
            mEvents.push_back(std::move(event));
        }
        mChanged.notify_all();
    }

    std::unique_ptr<IMidiInDevice> mDevice;
    std::array<std::array<uint8_t, BUFFER_LENGTH>, BUFFERS> mStorage{};
    std::array<MidiBuffer, BUFFERS> mBuffers{};
    std::atomic<bool> mClosing{false};
    std::mutex mMutex;
    std::condition_variable mChanged;
    std::vector<InEvent> mEvents;
};

// A system-exclusive message of `length` bytes: F0, a counting body, F7.
inline std::vector<uint8_t> Sysex(size_t length)
{
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(i % 0x7F);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

} // namespace KV::Platform::MidiTest
