// The JACK backend against a real JACK server (tools/with-jack.sh starts a private
// one, synchronous, with the dummy backend): on it every message must arrive, so a
// missing one fails with its count. The other side is a client of the test's own.

#include "Platform/Midi/MidiDriverFactory.h"

#include "JackServerProcess.h"
#include "JackTestPeer.h"
#include "MidiTestHost.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <set>

namespace KV::Platform {
namespace {

using Bytes = std::vector<uint8_t>;
using MidiTest::InEvent;
using MidiTest::InputHost;
using MidiTest::JackTestPeer;
using MidiTest::Sysex;
using Test::JackServerProcess;

std::shared_ptr<IMidiDriver> Driver()
{
    std::string error;
    auto driver = CreateMidiDriver(error);
    EXPECT_TRUE(driver) << error;
    return driver;
}

uint32_t IdOf(const std::vector<std::string>& names, const std::string& name)
{
    const auto it = std::find(names.begin(), names.end(), name);
    EXPECT_NE(it, names.end()) << name;
    return static_cast<uint32_t>(it - names.begin());
}

// The client part of a full port name.
std::string ClientOf(const std::string& port)
{
    return port.substr(0, port.find(':'));
}

TEST(JackMidiDriver, ExchangesEveryShortAndSystemExclusiveMessageBothWays)
{
    const auto driver = Driver();
    ASSERT_TRUE(driver);
    EXPECT_EQ(driver->ApiName(), "JACK");
    JackTestPeer peer("Test Keys");
    const auto inputs = driver->ListInputs();
    ASSERT_NE(std::find(inputs.begin(), inputs.end(), peer.OutName()), inputs.end());
    for (const std::string& name : inputs)
        EXPECT_NE(ClientOf(name), "KV MIDI") << "our own ports are not listed: " << name;

    // Device to host: short messages and system exclusive in the host's 256-byte buffers.
    InputHost host;
    ASSERT_EQ(host.Open(*driver, peer.OutName()), MidiResult::Ok);
    EXPECT_EQ(host.Device().Name(), peer.OutName());
    peer.Client().WaitCycles(4, std::chrono::seconds(5)); // the host's connection in effect
    constexpr int ROUNDS = 40;
    const Bytes noteOn = {0x90, 0x3C, 0x7F};
    const Bytes s300 = Sysex(300);
    for (int i = 0; i < ROUNDS; ++i)
    {
        peer.Send(noteOn);
        peer.Send(s300);
    }
    auto events = host.Events(3 * ROUNDS, std::chrono::seconds(20));
    ASSERT_EQ(events.size(), 3u * ROUNDS)
        << 3 * ROUNDS - static_cast<int>(events.size()) << " callbacks missing";
    const InEvent head{MidiInKind::LongData, Bytes(s300.begin(), s300.begin() + 256), 0};
    const InEvent tail{MidiInKind::LongData, Bytes(s300.begin() + 256, s300.end()), 0};
    for (size_t i = 0; i < events.size(); ++i)
    {
        events[i].timestampMs = 0;
        const InEvent& expected = i % 3 == 0   ? InEvent{MidiInKind::Data, noteOn, 0}
                                  : i % 3 == 1 ? head
                                               : tail;
        ASSERT_EQ(events[i], expected) << "event " << i;
    }

    // Host to device: a system-exclusive message given in two buffers leaves whole, and
    // the first message after opening is not lost.
    std::atomic<int> done{0};
    std::unique_ptr<IMidiOutDevice> out;
    ASSERT_EQ(
        driver->OpenOutput(
            IdOf(driver->ListOutputs(), peer.InName()), [&](IMidiOutDevice&, MidiBuffer&) { ++done; }, out),
        MidiResult::Ok);
    Bytes s600 = Sysex(600);
    const Bytes noteOff = {0x80, 0x3C, 0x7F};
    MidiBuffer first{s600.data(), 400}, second{s600.data() + 400, 200};
    ASSERT_EQ(out->PrepareBuffer(first), MidiResult::Ok);
    ASSERT_EQ(out->PrepareBuffer(second), MidiResult::Ok);
    for (int i = 0; i < ROUNDS; ++i)
    {
        ASSERT_EQ(out->SendLong(first), MidiResult::Ok);
        ASSERT_EQ(out->SendLong(second), MidiResult::Ok);
        ASSERT_EQ(out->SendShort(0x7F3C80), MidiResult::Ok);
    }
    const auto received = peer.Received(2 * ROUNDS);
    ASSERT_EQ(received.size(), 2u * ROUNDS)
        << 2 * ROUNDS - static_cast<int>(received.size()) << " messages missing";
    for (size_t i = 0; i < received.size(); ++i)
        EXPECT_EQ(received[i], i % 2 == 0 ? s600 : noteOff) << "message " << i;
    for (int i = 0; i < 100 && done < 2 * ROUNDS; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(done, 2 * ROUNDS) << "buffers handed back";
    EXPECT_EQ(out->UnprepareBuffer(first), MidiResult::Ok);
    EXPECT_EQ(out->UnprepareBuffer(second), MidiResult::Ok);
    EXPECT_EQ(out->Close(), MidiResult::Ok);
}

// Our own ports are told apart by their client's name: a client whose name merely
// begins with ours (the server names a second client of the same name so) is a peer.
TEST(JackMidiDriver, ListsAPeerWhoseClientNameBeginsWithOurs)
{
    const auto driver = Driver();
    ASSERT_TRUE(driver);
    std::string error;
    const auto ours = JackMidiClient::Shared(GetMidiClientIdentity().name, 16, error);
    ASSERT_TRUE(ours) << error;
    JackTestPeer peer(ours->Name());
    ASSERT_NE(ClientOf(peer.OutName()), ours->Name());
    ASSERT_EQ(ClientOf(peer.OutName()).rfind(ours->Name(), 0), 0u) << peer.OutName();
    const auto inputs = driver->ListInputs();
    const auto outputs = driver->ListOutputs();
    EXPECT_NE(std::find(inputs.begin(), inputs.end(), peer.OutName()), inputs.end());
    EXPECT_NE(std::find(outputs.begin(), outputs.end(), peer.InName()), outputs.end());
    for (const auto& names : {inputs, outputs})
        for (const std::string& name : names)
            EXPECT_NE(ClientOf(name), ours->Name()) << "our own ports are not listed: " << name;
}

TEST(JackMidiDriver, EveryPortOfTheProcessIsOnOneClient)
{
    JackTestPeer peer("Test Keys");
    const auto driverA = Driver();
    const auto driverB = Driver();
    ASSERT_TRUE(driverA && driverB);
    std::vector<std::unique_ptr<IMidiOutDevice>> outputs(4);
    std::vector<std::unique_ptr<IMidiInDevice>> inputs(4);
    for (size_t i = 0; i < 4; ++i)
    {
        IMidiDriver& driver = i % 2 ? *driverA : *driverB;
        ASSERT_EQ(driver.OpenOutput(IdOf(driver.ListOutputs(), peer.InName()), nullptr, outputs[i]),
                  MidiResult::Ok);
        ASSERT_EQ(driver.OpenInput(IdOf(driver.ListInputs(), peer.OutName()), nullptr, inputs[i]),
                  MidiResult::Ok);
    }
    // What other clients see of us: ports of one client only.
    std::set<std::string> clients;
    for (const auto direction : {JackPortDirection::Input, JackPortDirection::Output})
        for (const std::string& name : peer.Client().ListPeers(direction))
            if (name.find("KV MIDI") == 0)
                clients.insert(ClientOf(name));
    EXPECT_EQ(clients.size(), 1u);
}

// Ports open and close while the server's callback is busy with them both ways: no
// callback may touch a port being closed, and no input arrives after Close.
TEST(JackMidiDriver, ClosesWhileMessagesFlow)
{
    const auto driver = Driver();
    ASSERT_TRUE(driver);
    JackTestPeer peer("Busy Keys");
    std::atomic<bool> stop{false};
    std::thread player([&] {
        const Bytes s100 = Sysex(100);
        while (!stop)
        {
            peer.Send(s100);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    const Bytes s50 = Sysex(50);
    for (int i = 0; i < 60; ++i)
    {
        std::atomic<bool> closed{false};
        std::atomic<int> late{0};
        InputHost host;
        host.extra = [&](IMidiInDevice&, const MidiInMessage&) { late += closed ? 1 : 0; };
        ASSERT_EQ(host.Open(*driver, peer.OutName()), MidiResult::Ok);
        std::unique_ptr<IMidiOutDevice> out;
        ASSERT_EQ(driver->OpenOutput(IdOf(driver->ListOutputs(), peer.InName()), nullptr, out),
                  MidiResult::Ok);
        Bytes copy = s50;
        MidiBuffer buffer{copy.data(), static_cast<uint32_t>(copy.size())};
        ASSERT_EQ(out->PrepareBuffer(buffer), MidiResult::Ok);
        ASSERT_EQ(out->SendLong(buffer), MidiResult::Ok);
        std::this_thread::sleep_for(std::chrono::milliseconds(i % 7));
        host.Close();
        closed = true;
        out.reset(); // closes with the message perhaps still queued
        EXPECT_EQ(late, 0) << "round " << i;
    }
    stop = true;
    player.join();
}

TEST(JackMidiDriver, DeviceGoneSinceTheListingIsRefused)
{
    const auto driver = Driver();
    ASSERT_TRUE(driver);
    uint32_t id = 0;
    {
        JackTestPeer peer("Test Keys");
        id = IdOf(driver->ListInputs(), peer.OutName());
    }
    std::unique_ptr<IMidiInDevice> device;
    EXPECT_EQ(driver->OpenInput(id, nullptr, device), MidiResult::BadDeviceId);
    EXPECT_EQ(device, nullptr);
}

// A device's client lists its ports before it takes part in the server's cycles, and
// the server refuses connections until it does: opening it then waits for it.
TEST(JackMidiDriver, OpensADeviceWhoseClientIsNotActiveYet)
{
    const auto driver = Driver();
    ASSERT_TRUE(driver);
    std::string error;
    const auto starting =
        JackMidiClient::Open("Starting Keys", {{"in", JackPortDirection::Input}}, error, false);
    ASSERT_TRUE(starting) << error;
    const auto port = starting->TakePort(JackPortDirection::Input, nullptr, error);
    ASSERT_TRUE(port) << error;
    const auto outputs = driver->ListOutputs();
    ASSERT_TRUE(std::find(outputs.begin(), outputs.end(), port->FullName()) != outputs.end());
    std::thread activation([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_TRUE(starting->Activate());
    });
    std::unique_ptr<IMidiOutDevice> out;
    EXPECT_EQ(driver->OpenOutput(IdOf(outputs, port->FullName()), nullptr, out), MidiResult::Ok);
    activation.join();
    if (out)
    {
        ASSERT_EQ(out->SendShort(0x7F3C90), MidiResult::Ok);
        std::vector<uint8_t> bytes;
        uint32_t stamp = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!port->Receive(bytes, stamp) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(bytes, (Bytes{0x90, 0x3C, 0x7F}));
    }
}

// The server writes its notifications into a client's socket without a time-out, and
// a client stops reading them as it begins to close. A device's client (a simulated
// keyboard rebooting) that reads none must not hold up a client with many ports as it
// comes and goes: a client that does not watch the ports is not told of them.
TEST(JackMidiDriver, AClientThatReadsNoNotificationsHoldsUpNoOtherClient)
{
    JackTestPeer keyboard("Test Keys");
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    // Were the keyboard's client told of ports, its notification thread would stop here.
    const auto watch = keyboard.Client().WatchPorts([released] { released.wait(); });
    auto cycle = std::async(std::launch::async, [] {
        for (int round = 0; round < 3; ++round)
        {
            std::string error;
            std::vector<JackMidiClient::PortSpec> ports;
            for (int i = 1; i <= 16; ++i)
            {
                ports.push_back({"in " + std::to_string(i), JackPortDirection::Input});
                ports.push_back({"out " + std::to_string(i), JackPortDirection::Output});
            }
            auto ours = JackMidiClient::Open("Test Many Ports", ports, error);
            if (!ours)
                return error;
        }
        return std::string();
    });
    const bool ended = cycle.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    release.set_value();
    EXPECT_TRUE(ended) << "the server stopped at a client that reads no notifications";
    EXPECT_EQ(cycle.get(), "");
}

// Polls `holds` until it is true or the deadline (against hangs only) has passed.
template <class Test> bool Eventually(Test holds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!holds())
    {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool Lists(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The process's client takes part in the server's cycles only while a device is open:
// an idle one would be woken every cycle. While it does not, keyboards that come and go
// are still told of, and the server is not taken for stalled for want of cycles.
TEST(JackMidiDriver, TakesPartInTheCyclesOnlyWhileADeviceIsOpen)
{
    const auto driver = Driver();
    ASSERT_TRUE(driver);
    std::string error;
    const auto ours = JackMidiClient::Shared(GetMidiClientIdentity().name, 16, error);
    ASSERT_TRUE(ours) << error;
    // The client is kept from the tests before, which may have closed a device a moment ago.
    ASSERT_TRUE(Eventually([&] { return !ours->Active(); })) << "no device open";

    JackTestPeer keyboard("Test Keys");
    std::unique_ptr<IMidiOutDevice> out;
    ASSERT_EQ(driver->OpenOutput(IdOf(driver->ListOutputs(), keyboard.InName()), nullptr, out),
              MidiResult::Ok);
    EXPECT_TRUE(ours->Active());
    ASSERT_EQ(out->SendShort(0x7F3C90), MidiResult::Ok);
    ASSERT_EQ(keyboard.Received(1).size(), 1u) << "the first message after the activation";
    out.reset();
    ASSERT_TRUE(Eventually([&] { return !ours->Active(); })) << "inactive again once no device is open";

    std::atomic<int> changes{0};
    const auto watch = driver->WatchDevices([&] { ++changes; });
    auto other = std::make_unique<JackTestPeer>("Other Keys");
    const std::string otherName = other->OutName();
    EXPECT_TRUE(Eventually([&] { return changes > 0; })) << "a keyboard that came";
    EXPECT_TRUE(Lists(driver->ListInputs(), otherName));
    const int beforeLeaving = changes;
    other.reset();
    EXPECT_TRUE(Eventually([&] { return changes > beforeLeaving; })) << "a keyboard that went";
    EXPECT_FALSE(Lists(driver->ListInputs(), otherName));
    EXPECT_FALSE(ours->Active());

    // Longer than a server that runs no cycles is given.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    EXPECT_TRUE(driver->SystemAvailable());
}

// The server stops and starts again, and the keyboard comes back: the driver hears
// both, lists nothing meanwhile, and then reaches the keyboard on the new server. So
// whether the process's client is active at the stop (a device open) or not.
TEST(JackMidiDriver, ReachesADeviceAgainAfterTheServerRestarted)
{
    for (const bool openAtStop : {true, false})
    {
        SCOPED_TRACE(openAtStop ? "a device open at the stop" : "no device open at the stop");
        // The library holds one server per process: the client of the tests before goes.
        JackMidiClient::LetGoOfShared();
        JackServerProcess server("restart");
        ASSERT_TRUE(server.Start()) << server.Name() << ":\n" << server.Log();
        const auto driver = Driver();
        ASSERT_TRUE(driver);
        std::atomic<int> changes{0};
        const auto watch = driver->WatchDevices([&] { ++changes; });
        ASSERT_TRUE(watch);

        auto peer = std::make_unique<JackTestPeer>("Test Keys");
        const std::string deviceName = peer->InName();
        ASSERT_TRUE(Eventually([&] { return Lists(driver->ListOutputs(), deviceName); }));
        std::unique_ptr<IMidiOutDevice> before;
        ASSERT_EQ(driver->OpenOutput(IdOf(driver->ListOutputs(), deviceName), nullptr, before),
                  MidiResult::Ok);
        EXPECT_TRUE(driver->SystemAvailable());
        if (!openAtStop)
        {
            before.reset();
            std::string error;
            const auto ours = JackMidiClient::Shared(GetMidiClientIdentity().name, 16, error);
            ASSERT_TRUE(ours) << error;
            ASSERT_TRUE(Eventually([&] { return !ours->Active(); }));
        }

        const int beforeStop = changes;
        server.Stop();
        EXPECT_TRUE(Eventually([&] { return !driver->SystemAvailable(); }));
        EXPECT_TRUE(Eventually([&] { return changes > beforeStop; }))
            << "the shutdown is a change of devices";
        EXPECT_TRUE(driver->ListOutputs().empty());
        if (before)
        {
            EXPECT_TRUE(before->IsGone());
        }
        peer.reset();

        const int beforeStart = changes;
        ASSERT_TRUE(server.Start()) << server.Log();
        peer = std::make_unique<JackTestPeer>("Test Keys");
        ASSERT_TRUE(Eventually([&] { return Lists(driver->ListOutputs(), deviceName); }))
            << "the keyboard is listed again once the server is back";
        EXPECT_TRUE(driver->SystemAvailable());
        EXPECT_TRUE(Eventually([&] { return changes > beforeStart; }));
        std::unique_ptr<IMidiOutDevice> after;
        ASSERT_EQ(driver->OpenOutput(IdOf(driver->ListOutputs(), deviceName), nullptr, after),
                  MidiResult::Ok);
        ASSERT_EQ(after->SendShort(0x7F3C90), MidiResult::Ok);
        const auto received = peer->Received(1);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0], (Bytes{0x90, 0x3C, 0x7F}));
        before.reset();
        after.reset();
    }
}

} // namespace
} // namespace KV::Platform
