// Capture and delivery on the virtual bus: what the keyboard sends reaches the
// service's clients as whole messages, in order, one at a time.

#include "MidiTransportTestSupport.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace KV::MidiTest {
namespace {

using Platform::VirtualDeviceId;

struct Injection
{
    Bytes bytes;
    bool longError = false;
    std::optional<uint32_t> timestampMs = 0u;
};

class MidiCapture : public VirtualBusTest
{
protected:
    RCPtr<CaptureRecorder> recorder = CaptureRecorder::Create(service);

    void TearDown() override
    {
        EXPECT_FALSE(recorder->Reentered());
        EXPECT_FALSE(recorder->SawStrangeNotification());
    }
};

TEST_F(MidiCapture, DeliversShortMessagesAndWholeSystemExclusiveMessages)
{
    const Bytes s300 = Sysex(300), s256 = Sysex(256), s512 = Sysex(512), huge = Sysex(70000);
    const Bytes reply = {0xF0, 0x40, 0xF7};
    // Each case ends with this, so that nothing else can still be on its way.
    const Bytes marker = {0xFE};
    const Captured delivered{marker, "USB Keys", 0};
    struct Case
    {
        const char* what;
        std::vector<Injection> injected;
        std::vector<Captured> delivered;
    };
    const std::vector<Case> cases = {
        {"note-on with its time stamp",
         {{{0x90, 0x3C, 0x7F}, false, 1234u}},
         {{{0x90, 0x3C, 0x7F}, "USB Keys", 1234}}},
        {"program change", {{{0xC0, 0x05}}}, {{{0xC0, 0x05}, "USB Keys", 0}}},
        {"real-time byte", {{{0xF8}}}, {{{0xF8}, "USB Keys", 0}}},
        {"system common keeps its status only", {{{0xF1, 0x23}}}, {{{0xF1}, "USB Keys", 0}}},
        {"300 bytes in chunks of 256 and 44", {{s300}}, {{s300, "USB Keys", 0}}},
        {"256 bytes ending in F7 in one full chunk", {{s256}}, {{s256, "USB Keys", 0}}},
        {"512 bytes ending in F7 in two full chunks", {{s512}}, {{s512, "USB Keys", 0}}},
        {"a stray end without a beginning", {{{0x01, 0x02, 0xF7}}}, {}},
        {"a damaged chunk inside a message is left out of it",
         {{Slice(s300, 0, 256)}, {{0x10, 0x11}, true}, {Slice(s300, 256, 300)}},
         {{s300, "USB Keys", 0}}},
        {"a new message drops an unfinished one", {{Slice(s300, 0, 256)}, {reply}}, {{reply, "USB Keys", 0}}},
        {"a message past the size limit is dropped whole", {{huge}, {reply}}, {{reply, "USB Keys", 0}}},
        {"short messages between system-exclusive ones keep their place",
         {{reply}, {{0x80, 0x3C, 0x00}, false, 7u}, {s300}},
         {{reply, "USB Keys", 0}, {{0x80, 0x3C, 0x00}, "USB Keys", 7}, {s300, "USB Keys", 0}}},
    };
    const VirtualDeviceId keys = bus->AddSource("USB Keys");
    RCPtr<LMidiCapturePort> port;
    ASSERT_EQ(service->OpenCapturePort(u"keys", port), S_OK);
    size_t seen = 0;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        for (const Injection& i : c.injected)
            ASSERT_EQ(i.longError ? bus->InjectLongError(keys, i.bytes)
                                  : bus->Inject(keys, i.bytes, i.timestampMs),
                      1u);
        ASSERT_EQ(bus->Inject(keys, marker, 0u), 1u);
        std::vector<Captured> expected = c.delivered;
        expected.push_back(delivered);
        const std::vector<Captured> all = recorder->WaitFor(seen + expected.size());
        EXPECT_EQ(std::vector<Captured>(all.begin() + static_cast<ptrdiff_t>(seen), all.end()), expected);
        seen = all.size();
    }
}

TEST_F(MidiCapture, MessagesCarryTheNameOfThePortThatReceivedThem)
{
    const VirtualDeviceId a = bus->AddSource("Keys A");
    const VirtualDeviceId b = bus->AddSource("Keys B");
    RCPtr<LMidiCapturePort> portA, portB;
    ASSERT_EQ(service->OpenCapturePort(u"keys a", portA), S_OK);
    ASSERT_EQ(service->OpenCapturePort(u"keys b", portB), S_OK);
    const Bytes s300 = Sysex(300);
    bus->Inject(a, {0x90, 0x3C, 0x7F}, 1u);
    recorder->WaitFor(1);
    bus->Inject(b, s300);
    recorder->WaitFor(2);
    bus->Inject(a, {0xF0, 0x01, 0xF7});
    EXPECT_EQ(recorder->WaitFor(3), (std::vector<Captured>{{{0x90, 0x3C, 0x7F}, "Keys A", 1},
                                                           {s300, "Keys B", 0},
                                                           {{0xF0, 0x01, 0xF7}, "Keys A", 0}}));
}

// Two sources play at once; the recorder fails the test should it ever be entered
// twice. The sequence number rides in the data bytes.
TEST_F(MidiCapture, KeepsTheOrderOfTenThousandMessagesAndDeliversOneAtATime)
{
    constexpr uint32_t kCount = 10000;
    const VirtualDeviceId a = bus->AddSource("Keys A");
    const VirtualDeviceId b = bus->AddSource("Keys B");
    RCPtr<LMidiCapturePort> portA, portB;
    ASSERT_EQ(service->OpenCapturePort(u"keys a", portA), S_OK);
    ASSERT_EQ(service->OpenCapturePort(u"keys b", portB), S_OK);
    std::atomic<uint32_t> nextA{0}, nextB{0};
    std::atomic<bool> outOfOrder{false};
    recorder->onMessage = [&](const Captured& c) {
        const uint32_t number = (uint32_t{c.bytes[1]} << 7) | c.bytes[2];
        std::atomic<uint32_t>& next = c.port == "Keys A" ? nextA : nextB;
        if (number != next.load())
            outOfOrder = true;
        next = number + 1;
    };
    auto play = [&](VirtualDeviceId source, bool withSysex) {
        for (uint32_t i = 0; i < kCount / 2; ++i)
        {
            const auto hi = static_cast<uint8_t>(i >> 7), lo = static_cast<uint8_t>(i & 0x7F);
            if (withSysex && i % 5 == 0)
                bus->Inject(source, {0xF0, hi, lo, 0xF7});
            else
                bus->Inject(source, {0x90, hi, lo});
        }
    };
    std::thread playerA(play, a, false);
    std::thread playerB(play, b, true);
    playerA.join();
    playerB.join();
    EXPECT_EQ(recorder->WaitFor(kCount).size(), kCount);
    EXPECT_FALSE(outOfOrder);
    EXPECT_EQ(nextA.load(), kCount / 2);
    EXPECT_EQ(nextB.load(), kCount / 2);
}

TEST_F(MidiCapture, PortsCanBeReleasedWhileInputStreamsIn)
{
    const VirtualDeviceId keys = bus->AddSource("USB Keys");
    std::atomic<bool> playing{true};
    std::thread player([&] {
        for (uint8_t i = 0; playing; i = static_cast<uint8_t>((i + 1) & 0x7F))
        {
            bus->Inject(keys, {0x90, i, 0x7F});
            bus->Inject(keys, Sysex(300, i));
        }
    });
    for (int round = 0; round < 50; ++round)
    {
        RCPtr<LMidiCapturePort> port;
        ASSERT_EQ(service->OpenCapturePort(u"keys", port), S_OK);
        std::this_thread::yield();
    }
    playing = false;
    player.join();
    EXPECT_EQ(bus->Stats(keys).openNow, 0u);
    for (const Captured& c : recorder->Received(0, {}))
        EXPECT_TRUE(c.bytes.size() == 3 || c.bytes.size() == 300) << c;
}

// Counts the service's news of changed devices, on its delivery thread.
class DevicesChangedCounter : public LNotificationClient
{
public:
    KVRESULT Receive(const RCPtr<LNotificationDistributor>&,
                     const RCPtr<LNotification>& notification) override
    {
        if (notification->GetId() == InternNotificationId(NID_MIDI_DEVICES_CHANGED))
        {
            std::lock_guard lock(mutex);
            ++count;
        }
        changed.notify_all();
        return S_OK;
    }

    // Whether at least `atLeast` have come, waiting for them against hangs only.
    bool Reached(int atLeast)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kWait, [&] { return count >= atLeast; });
    }

    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
};

// A client learns that devices came or went, so that it can look for its keyboard
// again; a capture client hears nothing of it.
TEST_F(MidiCapture, ClientsHearThatDevicesCameAndWent)
{
    const RCPtr<DevicesChangedCounter> counter(new DevicesChangedCounter);
    ASSERT_NE(counter->RegisterNotification(service, NID_MIDI_DEVICES_CHANGED), nullptr);
    const VirtualDeviceId keys = bus->AddSource("USB Keys");
    ASSERT_TRUE(counter->Reached(1)) << "a device came";
    const int afterPlug = [&] {
        std::lock_guard lock(counter->mutex);
        return counter->count;
    }();
    bus->Unplug(keys);
    EXPECT_TRUE(counter->Reached(afterPlug + 1)) << "a device went";
    counter->UnregisterNotification(service, NID_MIDI_DEVICES_CHANGED);
}

} // namespace
} // namespace KV::MidiTest
