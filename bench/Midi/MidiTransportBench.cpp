// The MIDI transport: the latency from a message reaching a capture port to its
// delivery to a client, and the system-exclusive bytes per second through the
// transport in both directions. On the in-process virtual bus always; on JACK when run
// under tools/with-jack.sh (the JACK cases are skipped otherwise):
//
//   tools/with-jack.sh build/release/bench/Midi/MidiBench

#include "Midi/MidiComm.h"
#include "Platform/Midi/VirtualMidiBus.h"
#include "Storage/Array.h"

#include <RtMidi.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

using namespace KV;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

// Many JACK cycles; a message that takes longer was dropped (JACK drops the events of
// a cycle that a client misses on a loaded machine). Drops are counted, not timed.
constexpr auto kDeliveryWait = std::chrono::milliseconds(300);

Bytes Sysex(size_t length)
{
    Bytes bytes(length, 0x11);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

Array<signed char> ToArray(const Bytes& bytes)
{
    Array<signed char> array;
    array.SetCount(static_cast<uint32_t>(bytes.size()));
    std::memcpy(array.GetData(), bytes.data(), bytes.size());
    return array;
}

// Counts the captured messages it is sent and notes when the last one came.
class DeliveryProbe : public LNotificationClient
{
public:
    static RCPtr<DeliveryProbe> Create(const RCPtr<LMidiCommInterface>& service)
    {
        RCPtr<DeliveryProbe> probe(new DeliveryProbe());
        probe->RegisterNotification(service, NID_MIDI_DATA_CAPTURED);
        return probe;
    }

    KVRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) override
    {
        lastAt.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
        delivered.fetch_add(1, std::memory_order_release);
        return S_OK;
    }

    // Waits, spinning, until `count` messages have been delivered in all, or until
    // none has come for a while. Whether all came.
    bool WaitFor(int64_t count) const
    {
        int64_t seen = delivered.load(std::memory_order_acquire);
        Clock::time_point deadline = Clock::now() + kDeliveryWait;
        while (seen < count)
        {
            if (Clock::now() > deadline)
                return false;
            std::this_thread::yield();
            if (const int64_t now = delivered.load(std::memory_order_acquire); now != seen)
            {
                seen = now;
                deadline = Clock::now() + kDeliveryWait;
            }
        }
        return true;
    }

    Clock::time_point LastAt() const { return Clock::time_point(Clock::duration(lastAt.load())); }

    std::atomic<int64_t> delivered{0};
    std::atomic<Clock::rep> lastAt{0};
};

// Where the messages come from and go to: the test's side of the bus or of JACK.
class Keyboard
{
public:
    virtual ~Keyboard() = default;
    virtual void Play(const Bytes& message) = 0;
};

class VirtualKeyboard : public Keyboard
{
public:
    VirtualKeyboard()
    {
        mSource = mBus->AddSource("Bench Keys");
        mBus->AddSink("Bench Keys Input", nullptr);
    }
    void Play(const Bytes& message) override { mBus->Inject(mSource, message); }
    std::shared_ptr<Platform::IMidiDriver> Driver() const { return mBus; }

private:
    std::shared_ptr<Platform::VirtualMidiBus> mBus = std::make_shared<Platform::VirtualMidiBus>();
    Platform::VirtualDeviceId mSource = 0;
};

class JackKeyboard : public Keyboard
{
public:
    JackKeyboard()
        : mToHost(RtMidi::UNIX_JACK, "Bench Keys"), mFromHost(RtMidi::UNIX_JACK, "Bench Keys Input")
    {
        mToHost.openVirtualPort("to host");
        mFromHost.openVirtualPort("from host");
    }
    void Play(const Bytes& message) override { mToHost.sendMessage(message.data(), message.size()); }

private:
    RtMidiOut mToHost;
    RtMidiIn mFromHost;
};

enum class Bus
{
    Virtual,
    Jack
};

// A service with both ports open on the chosen bus, and a probe registered with it.
struct Rig
{
    std::unique_ptr<Keyboard> keyboard;
    RCPtr<LMidiCommInterface> service;
    RCPtr<DeliveryProbe> probe;
    RCPtr<LMidiCapturePort> capture;
    RCPtr<LMidiRenderPort> render;

    // Empty, with the reason in `error`, when the bus is not there.
    static std::unique_ptr<Rig> Make(Bus bus, std::string& error)
    {
        auto rig = std::make_unique<Rig>();
        if (bus == Bus::Virtual)
        {
            auto keyboard = std::make_unique<VirtualKeyboard>();
            rig->service = LMidiCommInterface::Create(keyboard->Driver());
            rig->keyboard = std::move(keyboard);
        }
        else
        {
            const char* api = std::getenv("KV_MIDI_API");
            if (!api || std::strcmp(api, "jack") != 0)
            {
                error = "no JACK server: run under tools/with-jack.sh";
                return nullptr;
            }
            rig->keyboard = std::make_unique<JackKeyboard>();
            rig->service = LMidiCommInterface::Create();
        }
        rig->probe = DeliveryProbe::Create(rig->service);
        if (rig->service->OpenCapturePort(u"bench keys", rig->capture) != S_OK ||
            rig->service->OpenRenderPort(u"bench keys input", rig->render) != S_OK)
        {
            error = "the bench's ports were not found";
            return nullptr;
        }
        return rig;
    }
};

// From the keyboard playing a message to a client having it, one message at a time.
void BM_CaptureToDeliveryLatency(benchmark::State& state, Bus bus, size_t length)
{
    std::string error;
    const auto rig = Rig::Make(bus, error);
    if (!rig)
    {
        state.SkipWithError(error.c_str());
        return;
    }
    const Bytes message = length == 3 ? Bytes{0x90, 0x3C, 0x7F} : Sysex(length);
    int64_t drops = 0;
    for (auto _ : state)
    {
        Clock::time_point played;
        int64_t before;
        do
        {
            before = rig->probe->delivered.load();
            played = Clock::now();
            rig->keyboard->Play(message);
        } while (!rig->probe->WaitFor(before + 1) && ++drops < 100);
        state.SetIterationTime(std::chrono::duration<double>(rig->probe->LastAt() - played).count());
    }
    state.counters["drops"] = static_cast<double>(drops);
}
BENCHMARK_CAPTURE(BM_CaptureToDeliveryLatency, VirtualNoteOn, Bus::Virtual, 3)->UseManualTime();
BENCHMARK_CAPTURE(BM_CaptureToDeliveryLatency, VirtualSysex300, Bus::Virtual, 300)->UseManualTime();
BENCHMARK_CAPTURE(BM_CaptureToDeliveryLatency, JackNoteOn, Bus::Jack, 3)->UseManualTime();
BENCHMARK_CAPTURE(BM_CaptureToDeliveryLatency, JackSysex300, Bus::Jack, 300)->UseManualTime();

// System-exclusive messages captured and delivered, in bursts of 16.
void BM_CaptureSysexThroughput(benchmark::State& state, Bus bus)
{
    constexpr int kBurst = 16;
    std::string error;
    const auto rig = Rig::Make(bus, error);
    if (!rig)
    {
        state.SkipWithError(error.c_str());
        return;
    }
    const Bytes message = Sysex(static_cast<size_t>(state.range(0)));
    int64_t expected = 0;
    for (auto _ : state)
    {
        for (int i = 0; i < kBurst; ++i)
            rig->keyboard->Play(message);
        expected += kBurst;
        if (!rig->probe->WaitFor(expected))
            expected = rig->probe->delivered.load(); // some were dropped
    }
    const int64_t delivered = rig->probe->delivered.load();
    state.SetBytesProcessed(delivered * state.range(0));
    state.SetItemsProcessed(delivered);
    state.counters["drops"] = static_cast<double>(state.iterations() * kBurst - delivered);
}
BENCHMARK_CAPTURE(BM_CaptureSysexThroughput, Virtual, Bus::Virtual)->Arg(64)->Arg(1024)->UseRealTime();
BENCHMARK_CAPTURE(BM_CaptureSysexThroughput, Jack, Bus::Jack)->Arg(64)->Arg(1024)->UseRealTime();

// System-exclusive messages sent, each waited for until the driver is done with it:
// 11 bytes is a chunk of the firmware update.
void BM_SendSysexThroughput(benchmark::State& state, Bus bus)
{
    std::string error;
    const auto rig = Rig::Make(bus, error);
    if (!rig)
    {
        state.SkipWithError(error.c_str());
        return;
    }
    const Array<signed char> message = ToArray(Sysex(static_cast<size_t>(state.range(0))));
    for (auto _ : state)
    {
        if (rig->service->Send(rig->render, message) != static_cast<int32_t>(state.range(0)))
        {
            state.SkipWithError("a send failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_SendSysexThroughput, Virtual, Bus::Virtual)->Arg(11)->Arg(1024)->UseRealTime();
BENCHMARK_CAPTURE(BM_SendSysexThroughput, Jack, Bus::Jack)->Arg(11)->Arg(1024)->UseRealTime();

} // namespace
