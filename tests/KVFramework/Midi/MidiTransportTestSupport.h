#pragma once
// What the transport tests share: byte arrays, a service on a virtual bus, and a client
// that records every captured message it is sent.

#include "Midi/MidiComm.h"
#include "Platform/Midi/VirtualMidiBus.h"
#include "Storage/Array.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace KV::MidiTest {

using Bytes = std::vector<uint8_t>;

// Generous for a loaded machine under a sanitizer; only failing tests wait it out.
inline constexpr auto kWait = std::chrono::seconds(20);
// The completion wait of the services under test, short so that time-outs are quick.
inline constexpr Milliseconds kShortCompletionWait = 200;

inline Array<signed char> ToArray(const Bytes& bytes)
{
    Array<signed char> array;
    array.SetCount(static_cast<uint32_t>(bytes.size()));
    for (size_t i = 0; i < bytes.size(); ++i)
        *array.GetAt(static_cast<uint32_t>(i)) = static_cast<signed char>(bytes[i]);
    return array;
}

// A system-exclusive message of `length` bytes: F0, a counting body, F7.
inline Bytes Sysex(size_t length, uint8_t seed = 0)
{
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>((i + seed) % 0x7F);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

inline Bytes Slice(const Bytes& bytes, size_t from, size_t to)
{
    return Bytes(bytes.begin() + static_cast<ptrdiff_t>(from), bytes.begin() + static_cast<ptrdiff_t>(to));
}

struct Captured
{
    Bytes bytes;
    std::string port;
    uint32_t timestamp = 0;

    bool operator==(const Captured&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Captured& c)
{
    out << c.bytes.size() << " bytes from \"" << c.port << "\" at " << c.timestamp;
    if (!c.bytes.empty())
        out << ", first " << int(c.bytes.front()) << " last " << int(c.bytes.back());
    return out;
}

// Registers with a service for captured messages and records them. It fails the test
// when it is entered while still running or sent a message by another distributor.
class CaptureRecorder : public LNotificationClient
{
public:
    static RCPtr<CaptureRecorder> Create(const RCPtr<LMidiCommInterface>& service)
    {
        RCPtr<CaptureRecorder> recorder(new CaptureRecorder(service.Get()));
        EXPECT_NE(recorder->RegisterNotification(service, NID_MIDI_DATA_CAPTURED), nullptr);
        return recorder;
    }

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override
    {
        if (mInside.exchange(true))
            mReentered = true;
        const auto data = RCPtr<LMidiCaptureNotificationData>::DynamicCastFrom(notification->GetData());
        if (sender.Get() != mService || !data ||
            notification->GetId() != InternNotificationId(NID_MIDI_DATA_CAPTURED))
            mStrange = true;
        if (data)
        {
            Captured captured;
            for (uint32_t i = 0; i < data->GetCount(); ++i)
                captured.bytes.push_back(data->GetByte(i));
            captured.port = data->GetPortName().ToNarrow().GetText();
            captured.timestamp = data->GetTimestamp();
            if (onMessage)
                onMessage(captured);
            {
                std::lock_guard lock(mMutex);
                mMessages.push_back(std::move(captured));
            }
            mChanged.notify_all();
        }
        mInside = false;
        return S_OK;
    }

    // The messages so far, once there are at least `count` or the wait is over.
    std::vector<Captured> Received(size_t count, std::chrono::milliseconds wait)
    {
        std::unique_lock lock(mMutex);
        mChanged.wait_for(lock, wait, [&] { return mMessages.size() >= count; });
        return mMessages;
    }

    // The same, failing the test when fewer than `count` arrive.
    std::vector<Captured> WaitFor(size_t count)
    {
        std::vector<Captured> messages = Received(count, kWait);
        EXPECT_GE(messages.size(), count) << "too few messages arrived";
        return messages;
    }

    bool Reentered() const { return mReentered; }
    bool SawStrangeNotification() const { return mStrange; }

    // Runs on the delivery thread for each message, before it is recorded.
    std::function<void(const Captured&)> onMessage;

private:
    explicit CaptureRecorder(const LMidiCommInterface* service) : mService(service) {}

    const LNotificationDistributor* const mService;
    std::atomic<bool> mInside{false};
    std::atomic<bool> mReentered{false};
    std::atomic<bool> mStrange{false};
    std::mutex mMutex;
    std::condition_variable mChanged;
    std::vector<Captured> mMessages;
};

// A service on a fresh virtual bus.
class VirtualBusTest : public ::testing::Test
{
protected:
    std::shared_ptr<Platform::VirtualMidiBus> bus = std::make_shared<Platform::VirtualMidiBus>();
    RCPtr<LMidiCommInterface> service = LMidiCommInterface::Create(bus, kShortCompletionWait);
};

} // namespace KV::MidiTest
