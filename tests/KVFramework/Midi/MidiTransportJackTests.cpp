// The transport on the system's MIDI: a private JACK server (tools/with-jack.sh starts
// one, synchronous, with the dummy backend, and chooses the JACK backend). On it every
// message must arrive: a missing one fails with its count. The keyboard's side is a
// JACK client of the test's own.

#include "MidiTransportTestSupport.h"

#include "Platform/Midi/JackTestPeer.h"

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

} // namespace
} // namespace KV::MidiTest
