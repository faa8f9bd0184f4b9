// The RtMidi backend against a real JACK server (tools/with-jack.sh starts a
// private one with the dummy backend). The other side is a "device" made of two
// RtMidi ports that the test opens itself.

#include "Platform/Midi/MidiDriverFactory.h"

#include "MidiTestHost.h"

#include <RtMidi.h>

namespace KV::Platform {
namespace {

using Bytes = std::vector<uint8_t>;
using MidiTest::InEvent;
using MidiTest::InputHost;
using MidiTest::Sysex;

// The device's side: its own JACK client and ports.
class Peer
{
public:
    Peer() : mOut(RtMidi::UNIX_JACK, "Test Keys"), mIn(RtMidi::UNIX_JACK, "Test Keys Input")
    {
        mOut.openVirtualPort("out");
        mIn.ignoreTypes(false, false, false);
        mIn.setCallback(&Peer::OnInput, this);
        mIn.openVirtualPort("in");
    }

    void Send(const Bytes& message) { mOut.sendMessage(message.data(), message.size()); }

    // The messages so far, once there are `count` of them or `wait` has passed.
    std::vector<Bytes> Received(size_t count, std::chrono::milliseconds wait)
    {
        std::unique_lock lock(mMutex);
        mChanged.wait_for(lock, wait, [&] { return mReceived.size() >= count; });
        return mReceived;
    }

private:
    static void OnInput(double, std::vector<unsigned char>* message, void* user)
    {
        auto* self = static_cast<Peer*>(user);
        {
            std::lock_guard lock(self->mMutex);
            self->mReceived.emplace_back(message->begin(), message->end());
        }
        self->mChanged.notify_all();
    }

    RtMidiOut mOut;
    RtMidiIn mIn;
    std::mutex mMutex;
    std::condition_variable mChanged;
    std::vector<Bytes> mReceived;
};

// The first listed name that contains `piece`, or empty.
std::string Find(const std::vector<std::string>& names, const std::string& piece)
{
    for (const std::string& name : names)
        if (name.find(piece) != std::string::npos)
            return name;
    return {};
}

// JACK drops the MIDI events of a cycle that a client misses, which happens on a
// machine loaded with other work. Each exchange is therefore tried again until it
// has come through; the checks below accept whole messages missing, never a
// message damaged, cut wrongly or reordered.
constexpr int ROUNDS = 8;
constexpr auto ROUND_WAIT = std::chrono::milliseconds(3000);

template <class Condition>
bool WaitUntil(std::mutex& mutex, std::condition_variable& changed, Condition condition)
{
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, ROUND_WAIT, condition);
}

TEST(RtMidiJack, ExchangesShortAndSystemExclusiveMessagesBothWays)
{
    std::string error;
    const auto driver = CreateMidiDriver(error);
    ASSERT_TRUE(driver) << error;
    EXPECT_EQ(driver->ApiName(), "JACK");

    Peer peer;
    const std::string inputName = Find(driver->ListInputs(), "Test Keys:out");
    const std::string outputName = Find(driver->ListOutputs(), "Test Keys Input:in");
    ASSERT_FALSE(inputName.empty());
    ASSERT_FALSE(outputName.empty());
    for (const std::string& name : driver->ListInputs())
        EXPECT_EQ(name.find("Norvik"), std::string::npos) << name;

    // Device to host: a short message, then system exclusive in the host's 256-byte buffers.
    InputHost host;
    ASSERT_EQ(host.Open(*driver, inputName), MidiResult::Ok);
    EXPECT_EQ(host.Device().Name(), inputName);
    const Bytes noteOn = {0x90, 0x3C, 0x7F};
    const Bytes s300 = Sysex(300);
    const InEvent expectedNote{MidiInKind::Data, noteOn, 0};
    const InEvent head{MidiInKind::LongData, Bytes(s300.begin(), s300.begin() + 256), 0};
    const InEvent tail{MidiInKind::LongData, Bytes(s300.begin() + 256, s300.end()), 0};
    bool notes = false, sysex = false;
    for (int round = 0; round < ROUNDS && !(notes && sysex); ++round)
    {
        const size_t before = host.Events().size();
        peer.Send(noteOn);
        peer.Send(s300);
        auto events = host.Events(before + 3, ROUND_WAIT);
        for (size_t i = 0; i < events.size(); ++i)
        {
            events[i].timestampMs = 0;
            if (events[i].kind == MidiInKind::Data)
            {
                EXPECT_EQ(events[i], expectedNote);
                notes = true;
                continue;
            }
            ASSERT_EQ(events[i], head) << "event " << i;
            if (i + 1 == events.size())
                break; // its second buffer may still be on its way
            EXPECT_EQ(events[++i], tail) << "event " << i;
            sysex = true;
        }
    }
    EXPECT_TRUE(notes && sysex) << "nothing came through in " << ROUNDS << " tries";

    // Host to device: a system-exclusive message given in two buffers leaves whole.
    const auto outputs = driver->ListOutputs();
    const auto id =
        static_cast<uint32_t>(std::find(outputs.begin(), outputs.end(), outputName) - outputs.begin());
    std::mutex mutex;
    std::condition_variable changed;
    int done = 0;
    std::unique_ptr<IMidiOutDevice> out;
    ASSERT_EQ(driver->OpenOutput(
                  id,
                  [&](IMidiOutDevice&, MidiBuffer&) {
                      std::lock_guard lock(mutex);
                      ++done;
                      changed.notify_all();
                  },
                  out),
              MidiResult::Ok);
    Bytes s600 = Sysex(600);
    const Bytes noteOff = {0x80, 0x3C, 0x7F};
    MidiBuffer first{s600.data(), 400}, second{s600.data() + 400, 200};
    ASSERT_EQ(out->PrepareBuffer(first), MidiResult::Ok);
    ASSERT_EQ(out->PrepareBuffer(second), MidiResult::Ok);
    bool long600 = false, shortOff = false;
    for (int round = 0; round < ROUNDS && !(long600 && shortOff); ++round)
    {
        ASSERT_EQ(out->SendLong(first), MidiResult::Ok);
        ASSERT_EQ(out->SendLong(second), MidiResult::Ok);
        ASSERT_EQ(out->SendShort(0x7F3C80), MidiResult::Ok);
        ASSERT_TRUE(WaitUntil(mutex, changed, [&] { return done == 2 * (round + 1); }))
            << "the buffers did not come back";
        for (const Bytes& message : peer.Received(2 * (round + 1), ROUND_WAIT))
        {
            EXPECT_TRUE(message == s600 || message == noteOff) << message.size() << " bytes";
            long600 = long600 || message == s600;
            shortOff = shortOff || message == noteOff;
        }
    }
    EXPECT_TRUE(long600 && shortOff) << "nothing came through in " << ROUNDS << " tries";
    EXPECT_EQ(out->UnprepareBuffer(first), MidiResult::Ok);
    EXPECT_EQ(out->UnprepareBuffer(second), MidiResult::Ok);
    EXPECT_EQ(out->Close(), MidiResult::Ok);
}

TEST(RtMidiJack, DeviceGoneSinceTheListingIsRefused)
{
    std::string error;
    const auto driver = CreateMidiDriver(error);
    ASSERT_TRUE(driver) << error;
    uint32_t id = 0;
    {
        Peer peer;
        const auto names = driver->ListInputs();
        const std::string name = Find(names, "Test Keys:out");
        ASSERT_FALSE(name.empty());
        id = static_cast<uint32_t>(std::find(names.begin(), names.end(), name) - names.begin());
    }
    std::unique_ptr<IMidiInDevice> device;
    EXPECT_EQ(driver->OpenInput(id, nullptr, device), MidiResult::BadDeviceId);
    EXPECT_EQ(device, nullptr);
}

} // namespace
} // namespace KV::Platform
