// The transport on the system's MIDI: a private JACK server (tools/with-jack.sh starts
// one, synchronous, with the dummy backend, and chooses the JACK backend). On it every
// message must arrive: a missing one fails with its count. The keyboard's side is a
// JACK client of the test's own.

#include "MidiTransportTestSupport.h"

#include "Platform/Midi/JackTestPeer.h"
#include "SimProcess.h"

#include <csignal>

namespace KV::MidiTest {
namespace {

using Platform::MidiTest::JackTestPeer;

TEST(MidiTransportJack, FindsPortsByAPieceOfTheirNamesAndExchangesSystemExclusiveBothWays)
{
    const RCPtr<LMidiCommInterface> service = LMidiCommInterface::Create();
    const RCPtr<CaptureRecorder> recorder = CaptureRecorder::Create(service);
    JackTestPeer keyboard("Transport Peer");

    RCPtr<LMidiCapturePort> capture;
    RCPtr<LMidiRenderPort> render;
    ASSERT_EQ(service->OpenCapturePort(u"PEER:OU", capture), S_OK);
    ASSERT_EQ(service->OpenRenderPort(u"peer:in", render), S_OK);
    const std::string captureName = capture->GetName().ToNarrow().GetText();
    EXPECT_EQ(captureName, keyboard.OutName());
    EXPECT_EQ(std::string(render->GetName().ToNarrow().GetText()), keyboard.InName());

    // Host to keyboard: the first message after opening arrives too.
    constexpr size_t kRounds = 20;
    const Bytes s600 = Sysex(600), request = {0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7};
    for (size_t round = 0; round < kRounds; ++round)
    {
        ASSERT_EQ(service->Send(render, ToArray(s600)), 600);
        ASSERT_EQ(service->Send(render, ToArray(request)), 6);
    }
    const auto heard = keyboard.Received(2 * kRounds);
    ASSERT_EQ(heard.size(), 2 * kRounds) << 2 * kRounds - heard.size() << " messages missing";
    for (size_t i = 0; i < heard.size(); ++i)
        EXPECT_EQ(heard[i], i % 2 == 0 ? s600 : request) << "message " << i;

    // Keyboard to host: a message longer than the transport's buffers, and a short reply.
    const Bytes s300 = Sysex(300), reply = {0xF0, 0x40, 0xF7};
    for (size_t round = 0; round < kRounds; ++round)
    {
        keyboard.Send(s300);
        keyboard.Send(reply);
    }
    const std::vector<Captured> all = recorder->Received(2 * kRounds, kWait);
    ASSERT_EQ(all.size(), 2 * kRounds) << 2 * kRounds - all.size() << " messages missing";
    for (size_t i = 0; i < all.size(); ++i)
    {
        EXPECT_EQ(all[i].bytes, i % 2 == 0 ? s300 : reply) << all[i];
        EXPECT_EQ(all[i].port, captureName);
    }
}

// Two simulated keyboards in each port layout that real JACK set-ups show: each
// keyboard's input and output are found as one pair, by the text the updater looks for,
// and its identity reply to a request sent on the pair's output comes back on the
// pair's input.
TEST(MidiTransportJack, PairsEachKeyboardsPortsInEveryLayout)
{
    const Bytes request = {0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7};
    for (const char* layout : {"client", "split", "a2j", "seq"})
    {
        SCOPED_TRACE(layout);
        NorvikSimTest::SimProcess sim({"--two-keyboards", "--jack-layout", layout});
        ASSERT_TRUE(sim.WaitForLine("#2 on: normal mode")) << sim.Output();
        {
            // Closed before the keyboards go.
            const RCPtr<LMidiCommInterface> service = LMidiCommInterface::Create();
            const RCPtr<CaptureRecorder> recorder = CaptureRecorder::Create(service);
            size_t replies = 0;
            for (const char16_t* keyboard : {u"Norvik ZR", u"Norvik ZR 2"})
            {
                RCPtr<LMidiCapturePort> capture;
                RCPtr<LMidiRenderPort> render;
                ASSERT_EQ(service->OpenDevicePorts(keyboard, keyboard, capture, render), S_OK)
                    << sim.Output();
                const std::string captureName = capture->GetName().ToNarrow().GetText();
                ASSERT_EQ(service->Send(render, ToArray(request)), 6);
                const std::vector<Captured> heard = recorder->Received(++replies, kWait);
                ASSERT_EQ(heard.size(), replies) << "no identity reply through " << captureName << " and "
                                                 << render->GetName().ToNarrow().GetText() << "\n"
                                                 << sim.Output();
                EXPECT_EQ(heard.back().port, captureName);
                EXPECT_EQ(Slice(heard.back().bytes, 0, 2), (Bytes{0xF0, 0x7E}));
            }
        }
        sim.Signal(SIGTERM);
        sim.WaitForExit();
    }
}

} // namespace
} // namespace KV::MidiTest
