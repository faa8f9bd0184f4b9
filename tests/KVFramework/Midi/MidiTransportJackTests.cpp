// The transport on the system's MIDI: a private JACK server (tools/with-jack.sh starts
// one with the dummy backend and chooses the JACK backend). The keyboard's side is a
// pair of virtual ports that the test opens itself with RtMidi.

#include "MidiTransportTestSupport.h"

#include <RtMidi.h>

namespace KV::MidiTest {
namespace {

// JACK drops the events of a cycle that a client misses, which happens on a loaded
// machine: each exchange is tried again until it has come through. Whole messages may
// go missing; none may arrive damaged.
constexpr int kRounds = 8;
constexpr auto kRoundWait = std::chrono::milliseconds(3000);

class KeyboardPorts
{
public:
    KeyboardPorts()
        : mToHost(RtMidi::UNIX_JACK, "Transport Peer"), mFromHost(RtMidi::UNIX_JACK, "Transport Peer Input")
    {
        mToHost.openVirtualPort("to host");
        mFromHost.ignoreTypes(false, false, false);
        mFromHost.setCallback(&KeyboardPorts::OnMessage, this);
        mFromHost.openVirtualPort("from host");
    }

    void Play(const Bytes& message) { mToHost.sendMessage(message.data(), message.size()); }

    // What the host sent so far, once there are `count` messages or the round is over.
    std::vector<Bytes> Heard(size_t count)
    {
        std::unique_lock lock(mMutex);
        mChanged.wait_for(lock, kRoundWait, [&] { return mHeard.size() >= count; });
        return mHeard;
    }

private:
    static void OnMessage(double, std::vector<unsigned char>* message, void* self)
    {
        auto* ports = static_cast<KeyboardPorts*>(self);
        {
            std::lock_guard lock(ports->mMutex);
            ports->mHeard.emplace_back(message->begin(), message->end());
        }
        ports->mChanged.notify_all();
    }

    RtMidiOut mToHost;
    RtMidiIn mFromHost;
    std::mutex mMutex;
    std::condition_variable mChanged;
    std::vector<Bytes> mHeard;
};

TEST(MidiTransportJack, FindsPortsByAPieceOfTheirNamesAndExchangesSystemExclusiveBothWays)
{
    const RCPtr<LMidiCommInterface> service = LMidiCommInterface::Create();
    const RCPtr<CaptureRecorder> recorder = CaptureRecorder::Create(service);
    KeyboardPorts keyboard;

    RCPtr<LMidiCapturePort> capture;
    RCPtr<LMidiRenderPort> render;
    ASSERT_EQ(service->OpenCapturePort(u"PEER:TO HOST", capture), S_OK);
    ASSERT_EQ(service->OpenRenderPort(u"peer input:from", render), S_OK);
    const std::string captureName = capture->GetName().ToNarrow().GetText();
    EXPECT_NE(captureName.find("Transport Peer:to host"), std::string::npos) << captureName;
    EXPECT_NE(std::string(render->GetName().ToNarrow().GetText()).find("Transport Peer Input:from host"),
              std::string::npos);

    // Keyboard to host: a message longer than the transport's buffers, and a short reply.
    const Bytes s300 = Sysex(300), reply = {0xF0, 0x40, 0xF7};
    bool longCame = false, replyCame = false;
    size_t seen = 0;
    for (int round = 0; round < kRounds && !(longCame && replyCame); ++round)
    {
        keyboard.Play(s300);
        keyboard.Play(reply);
        const std::vector<Captured> all = recorder->Received(seen + 2, kRoundWait);
        for (; seen < all.size(); ++seen)
        {
            const Captured& c = all[seen];
            EXPECT_TRUE(c.bytes == s300 || c.bytes == reply) << c;
            EXPECT_EQ(c.port, captureName);
            longCame = longCame || c.bytes == s300;
            replyCame = replyCame || c.bytes == reply;
        }
    }
    EXPECT_TRUE(longCame && replyCame) << "nothing came through in " << kRounds << " tries";

    // Host to keyboard: each send returns once the driver is done with it.
    const Bytes s600 = Sysex(600), request = {0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7};
    bool longWent = false, requestWent = false;
    for (int round = 0; round < kRounds && !(longWent && requestWent); ++round)
    {
        ASSERT_EQ(service->Send(render, ToArray(s600)), 600);
        ASSERT_EQ(service->Send(render, ToArray(request)), 6);
        for (const Bytes& message : keyboard.Heard(2 * static_cast<size_t>(round + 1)))
        {
            EXPECT_TRUE(message == s600 || message == request) << message.size() << " bytes";
            longWent = longWent || message == s600;
            requestWent = requestWent || message == request;
        }
    }
    EXPECT_TRUE(longWent && requestWent) << "nothing came through in " << kRounds << " tries";
}

} // namespace
} // namespace KV::MidiTest
