#include "Platform/Midi/VirtualMidiBus.h"

#include "MidiTestHost.h"

#include <thread>

namespace KV::Platform {
namespace {

using MidiTest::InEvent;
using MidiTest::InputHost;
using MidiTest::Sysex;
using Bytes = std::vector<uint8_t>;

Bytes Slice(const Bytes& bytes, size_t from, size_t to)
{
    return Bytes(bytes.begin() + from, bytes.begin() + to);
}

struct Injection
{
    Bytes bytes;
    bool longError = false;
    std::optional<uint32_t> timestampMs = 0u;
};

TEST(VirtualMidiBus, DeliversShortMessagesAndSystemExclusiveInLentBuffers)
{
    const Bytes s300 = Sysex(300), s256 = Sysex(256), s512 = Sysex(512);
    struct Case
    {
        const char* what;
        std::vector<Injection> injected;
        std::vector<InEvent> delivered;
    };
    const std::vector<Case> cases = {
        {"note-on keeps its time stamp",
         {{{0x90, 0x3C, 0x7F}, false, 1234u}},
         {{MidiInKind::Data, {0x90, 0x3C, 0x7F}, 1234}}},
        {"program change", {{{0xC0, 0x05}}}, {{MidiInKind::Data, {0xC0, 0x05, 0}, 0}}},
        {"active sensing", {{{0xFE}}}, {{MidiInKind::Data, {0xFE, 0, 0}, 0}}},
        {"system common with data", {{{0xF1, 0x23}}}, {{MidiInKind::Data, {0xF1, 0x23, 0}, 0}}},
        {"300 bytes as 256 + 44",
         {{s300}},
         {{MidiInKind::LongData, Slice(s300, 0, 256), 0}, {MidiInKind::LongData, Slice(s300, 256, 300), 0}}},
        {"256 bytes in one buffer", {{s256}}, {{MidiInKind::LongData, s256, 0}}},
        {"512 bytes in two buffers",
         {{s512}},
         {{MidiInKind::LongData, Slice(s512, 0, 256), 0}, {MidiInKind::LongData, Slice(s512, 256, 512), 0}}},
        {"stray chunk", {{{0x01, 0x02, 0xF7}}}, {{MidiInKind::LongData, {0x01, 0x02, 0xF7}, 0}}},
        {"long error between two chunks",
         {{Slice(s300, 0, 256)}, {{0xF0, 0x01, 0x02}, true}, {Slice(s300, 256, 300)}},
         {{MidiInKind::LongData, Slice(s300, 0, 256), 0},
          {MidiInKind::LongError, {0xF0, 0x01, 0x02}, 0},
          {MidiInKind::LongData, Slice(s300, 256, 300), 0}}},
        {"order kept across kinds",
         {{s300}, {{0x80, 0x3C, 0}, false, 5u}},
         {{MidiInKind::LongData, Slice(s300, 0, 256), 0},
          {MidiInKind::LongData, Slice(s300, 256, 300), 0},
          {MidiInKind::Data, {0x80, 0x3C, 0}, 5}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        VirtualMidiBus bus;
        const VirtualDeviceId keys = bus.AddSource("USB Keys");
        InputHost host;
        ASSERT_EQ(host.Open(bus, "USB Keys"), MidiResult::Ok);
        for (const Injection& i : c.injected)
            EXPECT_EQ(i.longError ? bus.InjectLongError(keys, i.bytes)
                                  : bus.Inject(keys, i.bytes, i.timestampMs),
                      1u);
        EXPECT_EQ(host.WaitFor(c.delivered.size()), c.delivered);
    }
}

TEST(VirtualMidiBus, TimeStampCountsFromStart)
{
    VirtualMidiBus bus;
    const VirtualDeviceId keys = bus.AddSource("keys");
    InputHost host;
    ASSERT_EQ(host.Open(bus, "keys"), MidiResult::Ok);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    bus.Inject(keys, {0x90, 0x3C, 0x7F});
    EXPECT_GE(host.WaitFor(1).at(0).timestampMs, 30u);
}

// System-exclusive data that finds no lent buffer waits for one, and what came
// after it waits behind it: nothing is lost or reordered.
TEST(VirtualMidiBus, InputWaitsForBuffersInOrder)
{
    VirtualMidiBus bus;
    const VirtualDeviceId keys = bus.AddSource("keys");
    ASSERT_EQ(bus.ListInputs().size(), 1u);
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<InEvent> events;
    std::unique_ptr<IMidiInDevice> device;
    ASSERT_EQ(bus.OpenInput(
                  0,
                  [&](IMidiInDevice&, const MidiInMessage& m) {
                      std::lock_guard lock(mutex);
                      if (m.kind == MidiInKind::Data)
                          events.push_back({m.kind, MidiTest::Unpack(m.shortMessage), m.timestampMs});
                      else
                          events.push_back(
                              {m.kind, Bytes(m.buffer->data, m.buffer->data + m.buffer->bytesRecorded), 0});
                      changed.notify_all();
                  },
                  device),
              MidiResult::Ok);
    std::array<uint8_t, 16> storage{};
    MidiBuffer buffer{storage.data(), 16};
    ASSERT_EQ(device->PrepareBuffer(buffer), MidiResult::Ok);
    ASSERT_EQ(device->Start(), MidiResult::Ok);
    const Bytes s40 = Sysex(40);
    bus.Inject(keys, s40);
    bus.Inject(keys, {0x90, 0x3C, 0x7F}, 9u);

    auto waitFor = [&](size_t n) {
        std::unique_lock lock(mutex);
        EXPECT_TRUE(changed.wait_for(lock, MidiTest::WAIT, [&] { return events.size() >= n; }));
        return events;
    };
    for (size_t lent = 1; lent <= 2; ++lent)
    {
        ASSERT_EQ(device->AddBuffer(buffer), MidiResult::Ok);
        ASSERT_EQ(waitFor(lent).size(), lent);
        EXPECT_EQ(buffer.flags & (MIDI_BUFFER_DONE | MIDI_BUFFER_QUEUED), MIDI_BUFFER_DONE);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::lock_guard lock(mutex);
        EXPECT_EQ(events.size(), lent) << "input overtook the system-exclusive message waiting for a buffer";
    }
    ASSERT_EQ(device->AddBuffer(buffer), MidiResult::Ok);
    const auto all = waitFor(4);
    const std::vector<InEvent> expected = {{MidiInKind::LongData, Slice(s40, 0, 16), 0},
                                           {MidiInKind::LongData, Slice(s40, 16, 32), 0},
                                           {MidiInKind::LongData, Slice(s40, 32, 40), 0},
                                           {MidiInKind::Data, {0x90, 0x3C, 0x7F}, 9}};
    EXPECT_EQ(all, expected);
}

TEST(VirtualMidiBus, BufferRules)
{
    VirtualMidiBus bus;
    bus.AddSource("keys");
    InputHost host;
    ASSERT_EQ(host.Open(bus, "keys", false), MidiResult::Ok);
    IMidiInDevice& device = host.Device();

    std::array<uint8_t, 8> storage{};
    MidiBuffer good{storage.data(), 8};
    MidiBuffer noData{nullptr, 8};
    MidiBuffer empty{storage.data(), 0};
    MidiBuffer tooLong{storage.data(), MIDI_MAX_BUFFER_LENGTH + 1};
    EXPECT_EQ(device.PrepareBuffer(noData), MidiResult::InvalidParam);
    EXPECT_EQ(device.PrepareBuffer(empty), MidiResult::InvalidParam);
    EXPECT_EQ(device.PrepareBuffer(tooLong), MidiResult::InvalidParam);
    EXPECT_EQ(device.AddBuffer(good), MidiResult::Unprepared);

    ASSERT_EQ(device.PrepareBuffer(good), MidiResult::Ok);
    EXPECT_EQ(device.PrepareBuffer(good), MidiResult::Ok) << "preparing again changes nothing";
    ASSERT_EQ(device.AddBuffer(good), MidiResult::Ok);
    EXPECT_EQ(device.AddBuffer(good), MidiResult::StillPlaying);
    EXPECT_EQ(device.UnprepareBuffer(good), MidiResult::StillPlaying);

    // Reset hands back all four held buffers (the host's three and ours), empty.
    host.requeue = false;
    ASSERT_EQ(device.Reset(), MidiResult::Ok);
    const auto events = host.WaitFor(4);
    for (const InEvent& e : events)
        EXPECT_EQ(e, (InEvent{MidiInKind::LongData, {}, 0}));
    EXPECT_EQ(good.flags & (MIDI_BUFFER_DONE | MIDI_BUFFER_QUEUED), MIDI_BUFFER_DONE);
    EXPECT_EQ(device.UnprepareBuffer(good), MidiResult::Ok);
    EXPECT_EQ(good.flags & MIDI_BUFFER_PREPARED, 0u);
    EXPECT_EQ(device.AddBuffer(good), MidiResult::Unprepared);

    host.Close();
    std::unique_ptr<IMidiOutDevice> none;
    EXPECT_EQ(bus.ListOutputs().size(), 0u);
    EXPECT_EQ(bus.OpenOutput(0, nullptr, none), MidiResult::BadDeviceId);
}

TEST(VirtualMidiBus, ClosedDeviceRefusesEverything)
{
    VirtualMidiBus bus;
    bus.AddSource("keys");
    bus.AddSink("keys", nullptr);
    std::unique_ptr<IMidiInDevice> in;
    std::unique_ptr<IMidiOutDevice> out;
    bus.ListInputs();
    bus.ListOutputs();
    ASSERT_EQ(bus.OpenInput(0, nullptr, in), MidiResult::Ok);
    ASSERT_EQ(bus.OpenOutput(0, nullptr, out), MidiResult::Ok);
    EXPECT_EQ(in->Close(), MidiResult::Ok);
    EXPECT_EQ(in->Close(), MidiResult::Ok);
    EXPECT_EQ(out->Close(), MidiResult::Ok);
    std::array<uint8_t, 4> storage{};
    MidiBuffer buffer{storage.data(), 4};
    for (MidiResult r : {in->PrepareBuffer(buffer), in->AddBuffer(buffer), in->UnprepareBuffer(buffer),
                         in->Start(), in->Stop(), in->Reset(), out->PrepareBuffer(buffer),
                         out->SendLong(buffer), out->SendShort(0x90), out->Reset()})
        EXPECT_EQ(r, MidiResult::InvalidHandle);
}

TEST(VirtualMidiBus, DevicesAppearDisappearAndRefuseByFault)
{
    VirtualMidiBus bus;
    const VirtualDeviceId a = bus.AddSource("Port A");
    const VirtualDeviceId b = bus.AddSource("USB Keys 2");
    EXPECT_EQ(bus.ListInputs(), (std::vector<std::string>{"Port A", "USB Keys 2"}));
    bus.Unplug(a);
    std::unique_ptr<IMidiInDevice> device;
    EXPECT_EQ(bus.OpenInput(0, nullptr, device), MidiResult::BadDeviceId) << "gone since the listing";
    EXPECT_EQ(bus.OpenInput(2, nullptr, device), MidiResult::BadDeviceId);
    EXPECT_EQ(bus.ListInputs(), (std::vector<std::string>{"USB Keys 2"}));
    const VirtualDeviceId again = bus.AddSource("Port A");
    EXPECT_EQ(bus.ListInputs(), (std::vector<std::string>{"USB Keys 2", "Port A"}));

    bus.SetFaults(b, {.refuseOpen = true});
    EXPECT_EQ(bus.OpenInput(0, nullptr, device), MidiResult::Allocated);
    EXPECT_EQ(device, nullptr);
    bus.SetFaults(b, {.refuseStart = true});
    ASSERT_EQ(bus.OpenInput(0, nullptr, device), MidiResult::Ok);
    EXPECT_EQ(device->Name(), "USB Keys 2");
    EXPECT_EQ(device->Start(), MidiResult::Error);
    EXPECT_EQ(bus.Inject(b, {0x90, 1, 2}), 0u) << "an input that did not start receives nothing";
    device.reset();
    EXPECT_EQ(bus.Stats(b).opens, 1u);
    EXPECT_EQ(bus.Stats(b).closes, 1u);
    EXPECT_EQ(bus.Stats(b).openNow, 0u);

    InputHost host;
    ASSERT_EQ(host.Open(bus, "Port A"), MidiResult::Ok);
    bus.Unplug(again);
    EXPECT_EQ(bus.Inject(again, {0x90, 1, 2}), 0u) << "an unplugged source falls silent";
}

struct Sent
{
    std::mutex mutex;
    std::vector<Bytes> messages;
    VirtualMidiBus::SinkHandler Handler()
    {
        return [this](const Bytes& m) {
            std::lock_guard lock(mutex);
            messages.push_back(m);
        };
    }
    std::vector<Bytes> Take()
    {
        std::lock_guard lock(mutex);
        return std::exchange(messages, {});
    }
};

// Completions of one output, waited for.
struct Completions
{
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<MidiBuffer*> done;
    MidiOutCallback Callback()
    {
        return [this](IMidiOutDevice&, MidiBuffer& buffer) {
            std::lock_guard lock(mutex);
            done.push_back(&buffer);
            changed.notify_all();
        };
    }
    std::vector<MidiBuffer*> WaitFor(size_t n)
    {
        std::unique_lock lock(mutex);
        EXPECT_TRUE(changed.wait_for(lock, MidiTest::WAIT, [&] { return done.size() >= n; }));
        return done;
    }
};

TEST(VirtualMidiBus, SendsShortMessagesByStatus)
{
    VirtualMidiBus bus;
    Sent sent;
    bus.AddSink("keys", sent.Handler());
    bus.ListOutputs();
    std::unique_ptr<IMidiOutDevice> out;
    ASSERT_EQ(bus.OpenOutput(0, nullptr, out), MidiResult::Ok);
    const struct
    {
        uint32_t word;
        MidiResult result;
        Bytes sent;
    } cases[] = {
        {0x7F3C90, MidiResult::Ok, {0x90, 0x3C, 0x7F}},
        {0x7705C0, MidiResult::Ok, {0xC0, 0x05}},
        {0x0201F2, MidiResult::Ok, {0xF2, 0x01, 0x02}},
        {0x0010F1, MidiResult::Ok, {0xF1, 0x10}},
        {0x0000F8, MidiResult::Ok, {0xF8}},
        {0x00F6, MidiResult::Ok, {0xF6}},
        {0x0000F0, MidiResult::InvalidParam, {}},
        {0x0000F7, MidiResult::InvalidParam, {}},
        {0x00003C, MidiResult::InvalidParam, {}},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(out->SendShort(c.word), c.result) << std::hex << c.word;
        const auto messages = sent.Take();
        EXPECT_EQ(messages, c.sent.empty() ? std::vector<Bytes>{} : std::vector<Bytes>{c.sent})
            << std::hex << c.word;
    }
}

TEST(VirtualMidiBus, SendsLongMessagesWholeAndHandsBuffersBack)
{
    VirtualMidiBus bus;
    Sent sent;
    bus.AddSink("keys", sent.Handler());
    bus.ListOutputs();
    Completions completions;
    std::unique_ptr<IMidiOutDevice> out;
    ASSERT_EQ(bus.OpenOutput(0, completions.Callback(), out), MidiResult::Ok);

    Bytes identity = {0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7};
    Bytes head = {0xF0, 0x01, 0x02}, tail = {0x03, 0xF7};
    MidiBuffer b1{identity.data(), 6}, b2{head.data(), 3}, b3{tail.data(), 2};
    EXPECT_EQ(out->SendLong(b1), MidiResult::Unprepared);
    for (MidiBuffer* b : {&b1, &b2, &b3})
        ASSERT_EQ(out->PrepareBuffer(*b), MidiResult::Ok);
    ASSERT_EQ(out->SendLong(b1), MidiResult::Ok);
    ASSERT_EQ(out->SendLong(b2), MidiResult::Ok);
    EXPECT_EQ(sent.Take(), (std::vector<Bytes>{identity})) << "an unfinished message is held back";
    ASSERT_EQ(out->SendLong(b3), MidiResult::Ok);
    EXPECT_EQ(sent.Take(), (std::vector<Bytes>{{0xF0, 0x01, 0x02, 0x03, 0xF7}}));
    EXPECT_EQ(completions.WaitFor(3), (std::vector<MidiBuffer*>{&b1, &b2, &b3}));
    for (MidiBuffer* b : {&b1, &b2, &b3})
    {
        EXPECT_EQ(b->flags & (MIDI_BUFFER_DONE | MIDI_BUFFER_QUEUED), MIDI_BUFFER_DONE);
        EXPECT_EQ(out->UnprepareBuffer(*b), MidiResult::Ok);
    }
}

TEST(VirtualMidiBus, WithheldCompletionComesBackWithReset)
{
    VirtualMidiBus bus;
    Sent sent;
    const VirtualDeviceId keys = bus.AddSink("keys", sent.Handler());
    bus.SetFaults(keys, {.withholdCompletion = true});
    bus.ListOutputs();
    Completions completions;
    std::unique_ptr<IMidiOutDevice> out;
    ASSERT_EQ(bus.OpenOutput(0, completions.Callback(), out), MidiResult::Ok);
    Bytes bytes = {0xF0, 0x01, 0xF7};
    MidiBuffer buffer{bytes.data(), 3};
    ASSERT_EQ(out->PrepareBuffer(buffer), MidiResult::Ok);
    ASSERT_EQ(out->SendLong(buffer), MidiResult::Ok);
    EXPECT_EQ(sent.Take().size(), 1u);
    EXPECT_EQ(out->UnprepareBuffer(buffer), MidiResult::StillPlaying);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    {
        std::lock_guard lock(completions.mutex);
        EXPECT_TRUE(completions.done.empty());
    }
    ASSERT_EQ(out->Reset(), MidiResult::Ok);
    EXPECT_EQ(completions.WaitFor(1), (std::vector<MidiBuffer*>{&buffer}));
    EXPECT_EQ(out->UnprepareBuffer(buffer), MidiResult::Ok);
}

TEST(VirtualMidiBus, UnpluggedSinkRefusesToSend)
{
    VirtualMidiBus bus;
    Sent sent;
    const VirtualDeviceId keys = bus.AddSink("keys", sent.Handler());
    bus.ListOutputs();
    std::unique_ptr<IMidiOutDevice> out;
    ASSERT_EQ(bus.OpenOutput(0, nullptr, out), MidiResult::Ok);
    bus.Unplug(keys);
    Bytes bytes = {0xF0, 0x01, 0xF7};
    MidiBuffer buffer{bytes.data(), 3};
    ASSERT_EQ(out->PrepareBuffer(buffer), MidiResult::Ok);
    EXPECT_EQ(out->SendLong(buffer), MidiResult::NoDriver);
    EXPECT_EQ(buffer.flags & MIDI_BUFFER_QUEUED, 0u);
    EXPECT_EQ(out->UnprepareBuffer(buffer), MidiResult::Ok);
    EXPECT_EQ(out->SendShort(0x7F3C90), MidiResult::NoDriver);
    EXPECT_TRUE(sent.Take().empty());
}

// A sink whose handler answers at once, as a simulated device does.
TEST(VirtualMidiBus, SinkHandlerMayReplyThroughASource)
{
    VirtualMidiBus bus;
    const VirtualDeviceId source = bus.AddSource("keys");
    bus.AddSink("keys", [&](const Bytes& m) { bus.Inject(source, {0xF0, 0x7E, m.at(1), 0xF7}); });
    InputHost host;
    ASSERT_EQ(host.Open(bus, "keys"), MidiResult::Ok);
    bus.ListOutputs();
    std::unique_ptr<IMidiOutDevice> out;
    ASSERT_EQ(bus.OpenOutput(0, nullptr, out), MidiResult::Ok);
    Bytes request = {0xF0, 0x42, 0xF7};
    MidiBuffer buffer{request.data(), 3};
    ASSERT_EQ(out->PrepareBuffer(buffer), MidiResult::Ok);
    ASSERT_EQ(out->SendLong(buffer), MidiResult::Ok);
    EXPECT_EQ(host.WaitFor(1).at(0), (InEvent{MidiInKind::LongData, {0xF0, 0x7E, 0x42, 0xF7}, 0}));
}

// After Close returns no callback of the device starts, even while input pours in.
TEST(VirtualMidiBus, NoCallbackAfterClose)
{
    for (int round = 0; round < 20; ++round)
    {
        VirtualMidiBus bus;
        const VirtualDeviceId keys = bus.AddSource("keys");
        std::atomic<bool> closed{false};
        std::atomic<int> late{0};
        std::atomic<int> delivered{0};
        InputHost host;
        host.extra = [&](IMidiInDevice&, const MidiInMessage&) {
            if (closed)
                ++late;
            ++delivered;
        };
        ASSERT_EQ(host.Open(bus, "keys"), MidiResult::Ok);
        std::atomic<bool> stop{false};
        std::thread feeder([&] {
            while (!stop)
                bus.Inject(keys, {0x90, 0x3C, 0x7F});
        });
        while (delivered < 50)
            std::this_thread::yield();
        host.Device().Close();
        closed = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        stop = true;
        feeder.join();
        EXPECT_EQ(late.load(), 0);
    }
}

TEST(VirtualMidiBus, DeviceMayCloseItselfFromItsCallbackAndOutliveTheBus)
{
    auto bus = std::make_unique<VirtualMidiBus>();
    const VirtualDeviceId keys = bus->AddSource("keys");
    InputHost host;
    std::atomic<int> calls{0};
    host.extra = [&](IMidiInDevice& device, const MidiInMessage&) {
        ++calls;
        device.Close();
    };
    ASSERT_EQ(host.Open(*bus, "keys"), MidiResult::Ok);
    bus->Inject(keys, {0x90, 0x3C, 0x7F});
    bus->Inject(keys, {0x90, 0x3D, 0x7F});
    host.WaitFor(1);
    bus.reset();
    EXPECT_EQ(host.Device().Start(), MidiResult::InvalidHandle);
    EXPECT_EQ(calls.load(), 1);
}

// Two devices fed from two threads: callbacks never overlap, and each device's
// messages arrive in the order they were sent.
TEST(VirtualMidiBus, CallbacksAreSerialisedAndOrdered)
{
    constexpr uint32_t COUNT = 10000;
    VirtualMidiBus bus;
    const VirtualDeviceId sources[2] = {bus.AddSource("a"), bus.AddSource("b")};
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    InputHost hosts[2];
    for (InputHost& host : hosts)
        host.extra = [&](IMidiInDevice&, const MidiInMessage&) {
            if (inside.fetch_add(1) != 0)
                ++overlaps;
            std::this_thread::yield();
            inside.fetch_sub(1);
        };
    ASSERT_EQ(hosts[0].Open(bus, "a"), MidiResult::Ok);
    ASSERT_EQ(hosts[1].Open(bus, "b"), MidiResult::Ok);

    auto feed = [&](VirtualDeviceId source) {
        for (uint32_t i = 0; i < COUNT; ++i)
        {
            if (i % 10 == 9)
                bus.Inject(source, {0xF0, static_cast<uint8_t>(i & 0x7F),
                                    static_cast<uint8_t>((i >> 7) & 0x7F), 0xF7});
            else
                bus.Inject(source,
                           {0x90, static_cast<uint8_t>(i & 0x7F), static_cast<uint8_t>((i >> 7) & 0x7F)});
        }
    };
    std::thread a(feed, sources[0]), b(feed, sources[1]);
    a.join();
    b.join();
    for (InputHost& host : hosts)
    {
        const auto events = host.WaitFor(COUNT);
        ASSERT_EQ(events.size(), COUNT);
        for (uint32_t i = 0; i < COUNT; ++i)
        {
            const Bytes& e = events[i].bytes;
            ASSERT_EQ(static_cast<uint32_t>(e.at(1) | e.at(2) << 7), i);
            ASSERT_EQ(events[i].kind, i % 10 == 9 ? MidiInKind::LongData : MidiInKind::Data);
        }
    }
    EXPECT_EQ(overlaps.load(), 0);
}

} // namespace
} // namespace KV::Platform
