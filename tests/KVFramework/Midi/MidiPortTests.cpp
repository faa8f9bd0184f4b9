// Ports found by name, their lifetime, and sending, on the virtual bus.

#include "MidiTransportTestSupport.h"

#include <cstdlib>

namespace KV::MidiTest {
namespace {

using Platform::VirtualDeviceId;
using Platform::VirtualMidiFaults;

// Capture and render ports take the same roads; each test runs for both.
enum class Kind
{
    Capture,
    Render
};

struct AnyPort
{
    RCPtr<LRefCountedObject> object;
    String name;
};

KVRESULT Open(LMidiCommInterface& service, Kind kind, const String& text, AnyPort& out)
{
    out = {};
    if (kind == Kind::Capture)
    {
        RCPtr<LMidiCapturePort> port;
        const KVRESULT result = service.OpenCapturePort(text, port);
        if (port)
            out = {port, port->GetName()};
        return result;
    }
    RCPtr<LMidiRenderPort> port;
    const KVRESULT result = service.OpenRenderPort(text, port);
    if (port)
        out = {port, port->GetName()};
    return result;
}

VirtualDeviceId AddDevice(Platform::VirtualMidiBus& bus, Kind kind, const std::string& name)
{
    return kind == Kind::Capture ? bus.AddSource(name) : bus.AddSink(name, nullptr);
}

class MidiPorts : public VirtualBusTest, public ::testing::WithParamInterface<Kind>
{
};

TEST_P(MidiPorts, AreFoundByAPieceOfTheirNames)
{
    struct Request
    {
        const char16_t* text;
        KVRESULT result;
        const char16_t* name = nullptr; // the opened port's name
        int sameAs = -1;                // the port is the one of this earlier request
    };
    struct Case
    {
        const char* what;
        std::vector<std::string> devices;
        std::vector<Request> requests;
        std::vector<uint32_t> opens; // per device, at the end
        int refusing = -1;           // a device that refuses to open
    };
    const std::vector<Case> cases = {
        {"the first device that matches; asked again, the same port",
         {"Port A", "USB Keys 2", "usb keys"},
         {{u"KEYS", S_OK, u"USB Keys 2"}, {u"keys", S_OK, u"USB Keys 2", 0}},
         {0, 1, 0}},
        {"of two open ports that match, the one opened last",
         {"Keys One", "Keys Two"},
         {{u"one", S_OK, u"Keys One"}, {u"two", S_OK, u"Keys Two"}, {u"KEYS", S_OK, u"Keys Two", 1}},
         {1, 1}},
        {"no device name contains the text", {"Port A"}, {{u"keys", E_FAIL}}, {0}},
        {"a first match that refuses to open; later ones are not tried",
         {"Keys A", "Keys B"},
         {{u"keys", E_FAIL}},
         {0, 0},
         0},
        {"an empty text is refused, even beside a nameless device",
         {"", "Keys"},
         {{u"", E_INVALIDARG}},
         {0, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        auto bus = std::make_shared<Platform::VirtualMidiBus>();
        const RCPtr<LMidiCommInterface> comm = LMidiCommInterface::Create(bus, kShortCompletionWait);
        std::vector<VirtualDeviceId> ids;
        for (const std::string& name : c.devices)
            ids.push_back(AddDevice(*bus, GetParam(), name));
        if (c.refusing >= 0)
            bus->SetFaults(ids[static_cast<size_t>(c.refusing)], VirtualMidiFaults{.refuseOpen = true});
        std::vector<AnyPort> ports(c.requests.size());
        for (size_t i = 0; i < c.requests.size(); ++i)
        {
            const Request& r = c.requests[i];
            EXPECT_EQ(Open(*comm, GetParam(), r.text, ports[i]), r.result) << "request " << i;
            EXPECT_EQ(bool(ports[i].object), r.name != nullptr) << "request " << i;
            if (r.name)
            {
                EXPECT_TRUE(ports[i].name.EqualsText(r.name)) << "request " << i;
            }
            if (r.sameAs >= 0)
            {
                EXPECT_EQ(ports[i].object.Get(), ports[static_cast<size_t>(r.sameAs)].object.Get());
            }
        }
        for (size_t d = 0; d < ids.size(); ++d)
            EXPECT_EQ(bus->Stats(ids[d]).opens, c.opens[d]) << "device " << d;
    }
}

TEST_P(MidiPorts, CloseWithTheLastOutsideReferenceAndOpenAgain)
{
    const VirtualDeviceId keys = AddDevice(*bus, GetParam(), "USB Keys");
    AnyPort port;
    ASSERT_EQ(Open(*service, GetParam(), u"keys", port), S_OK);
    // The port keeps its service alive, and the service its ports' list.
    service = nullptr;
    EXPECT_EQ(bus->Stats(keys).openNow, 1u);
    port = {};
    EXPECT_EQ(bus->Stats(keys).openNow, 0u);
    EXPECT_EQ(bus->Stats(keys).closes, 1u);

    service = LMidiCommInterface::Create(bus, kShortCompletionWait);
    AnyPort first, again;
    ASSERT_EQ(Open(*service, GetParam(), u"keys", first), S_OK);
    first = {};
    ASSERT_EQ(Open(*service, GetParam(), u"keys", again), S_OK);
    EXPECT_EQ(bus->Stats(keys).opens, 3u);
    EXPECT_EQ(bus->Stats(keys).openNow, 1u);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, MidiPorts, ::testing::Values(Kind::Capture, Kind::Render),
                         [](const auto& param) {
                             return param.param == Kind::Capture ? "Capture" : "Render";
                         });

TEST(MidiPortDevice, IsTheClientThatANameShows)
{
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"Norvik ZR:Norvik ZR MIDI 1 24:0", u"24"}, // ALSA: the client number
        {u"Norvik ZR:Norvik ZR MIDI 1 28:0", u"28"}, // the same kind of device again
        {u"norvik-sim:Norvik ZR in", u"norvik-sim"}, // JACK: the client
        {u"Norvik ZR61 MIDI", u"Norvik ZR61 MIDI"},  // no client in the name
        {u"Norvik 2:0b", u"Norvik 2"},               // no ALSA address after all
        {u":port", u":port"},
        // A bridge with every ALSA device in one client: the device starts the port's name.
        {u"a2j:Norvik ZR [24] (capture): Norvik ZR MIDI 1", u"a2j:Norvik ZR [24]"},
        {u"a2j:Norvik ZR [24] (playback): Norvik ZR MIDI 1", u"a2j:Norvik ZR [24]"},
        {u"a2j:Norvik ZR [28] (capture): Norvik ZR MIDI 1", u"a2j:Norvik ZR [28]"},
        // The JACK server's own ALSA ports, by their aliases.
        {u"alsa_pcm:Norvik-ZR/midi_capture_1", u"Norvik-ZR"},
        {u"alsa_pcm:Norvik-ZR/midi_playback_1", u"Norvik-ZR"},
        {u"Norvik-ZR:midi/capture_1", u"Norvik-ZR"},
        // Input and output as two clients: the client without its direction word.
        {u"Norvik ZR (capture):out", u"Norvik ZR"},
        {u"Norvik ZR (playback):in", u"Norvik ZR"},
        {u"Norvik ZR 2 out:MIDI", u"Norvik ZR 2"},
        {u"Norvik ZR 2 in:MIDI", u"Norvik ZR 2"},
        {u"Norvik-ZR_Input:port", u"Norvik-ZR"},
        {u"Norvik ZR Main:out", u"Norvik ZR Main"}, // no direction word
        {u"out:port", u"out"},                      // nothing left without it
    };
    for (const auto& [name, device] : cases)
        EXPECT_EQ(std::u16string(GetMidiPortDevice(String(name)).View()), std::u16string(device))
            << String(name).ToNarrow().GetText();
}

class MidiDevicePorts : public VirtualBusTest
{
protected:
    // Opens the pair for "Norvik" and answers the names of its two ports.
    std::pair<std::string, std::string> Open(KVRESULT expected = S_OK)
    {
        RCPtr<LMidiCapturePort> capture;
        RCPtr<LMidiRenderPort> render;
        EXPECT_EQ(service->OpenDevicePorts(u"Norvik", u"Norvik", capture, render), expected);
        EXPECT_EQ(capture == nullptr, render == nullptr);
        if (!capture || !render)
            return {};
        return {capture->GetName().ToNarrow().GetText(), render->GetName().ToNarrow().GetText()};
    }
};

TEST_F(MidiDevicePorts, AreTheInputAndOutputOfOneDevice)
{
    // Listed crosswise: the first input and the first output belong to different devices.
    bus->AddSource("Norvik ZR61:out");
    bus->AddSink("Norvik Sound Module:in", nullptr);
    bus->AddSource("Norvik Sound Module:out");
    bus->AddSink("Norvik ZR61:in", nullptr);
    EXPECT_EQ(Open(), std::make_pair(std::string("Norvik ZR61:out"), std::string("Norvik ZR61:in")));
}

TEST_F(MidiDevicePorts, ALoneInputAndOutputGoTogetherButSeveralUnpairedOnesDoNot)
{
    // Names that tell no device in common.
    bus->AddSource("Norvik Left:MIDI");
    bus->AddSink("Norvik Right:MIDI", nullptr);
    EXPECT_EQ(Open(), std::make_pair(std::string("Norvik Left:MIDI"), std::string("Norvik Right:MIDI")));
    bus->AddSource("Norvik Top:MIDI");
    bus->AddSink("Norvik Bottom:MIDI", nullptr);
    Open(E_FAIL);
}

// Two keyboards in each of the port layouts of real set-ups, listed so that the first
// input and the first output belong to different keyboards: the pair is one keyboard's.
TEST_F(MidiDevicePorts, AreOneKeyboardsInEveryLayoutOfTwo)
{
    struct Layout
    {
        const char* what;
        std::vector<std::string> inputs, outputs; // as listed: inputs are the keyboards' outputs
    };
    const Layout layouts[] = {
        {"a client per keyboard", {"Norvik ZR:out", "Norvik ZR 2:out"}, {"Norvik ZR 2:in", "Norvik ZR:in"}},
        {"a client per direction",
         {"Norvik ZR (capture):out", "Norvik ZR 2 (capture):out"},
         {"Norvik ZR 2 (playback):in", "Norvik ZR (playback):in"}},
        {"one bridge client",
         {"a2j:Norvik ZR [24] (capture): Norvik ZR MIDI 1",
          "a2j:Norvik ZR 2 [25] (capture): Norvik ZR 2 MIDI 1"},
         {"a2j:Norvik ZR 2 [25] (playback): Norvik ZR 2 MIDI 1",
          "a2j:Norvik ZR [24] (playback): Norvik ZR MIDI 1"}},
        {"the server's ALSA ports, by alias",
         {"Norvik-ZR:midi/capture_1", "Norvik-ZR-2:midi/capture_1"},
         {"Norvik-ZR-2:midi/playback_1", "Norvik-ZR:midi/playback_1"}},
    };
    for (const Layout& layout : layouts)
    {
        SCOPED_TRACE(layout.what);
        const auto fresh = std::make_shared<Platform::VirtualMidiBus>();
        for (const std::string& name : layout.inputs)
            fresh->AddSource(name);
        for (const std::string& name : layout.outputs)
            fresh->AddSink(name, nullptr);
        const RCPtr<LMidiCommInterface> own = LMidiCommInterface::Create(fresh, kShortCompletionWait);
        RCPtr<LMidiCapturePort> capture;
        RCPtr<LMidiRenderPort> render;
        ASSERT_EQ(own->OpenDevicePorts(u"Norvik", u"Norvik", capture, render), S_OK);
        const std::string in = capture->GetName().ToNarrow().GetText();
        const std::string out = render->GetName().ToNarrow().GetText();
        const auto second = [](const std::string& name) {
            return name.find("ZR 2") != std::string::npos || name.find("ZR-2") != std::string::npos;
        };
        EXPECT_EQ(second(in), second(out)) << in << " with " << out;
    }
}

TEST(MidiPortName, MatchesTheTextWithDashesForSpaces)
{
    EXPECT_TRUE(MidiPortNameContains(u"VORazuro-Updater:midi/capture_1", u"VORazuro Updater"));
    EXPECT_TRUE(MidiPortNameContains(u"vorazuro updater:out", u"VORazuro Updater"));
    EXPECT_FALSE(MidiPortNameContains(u"VORazuro_Updater:out", u"VORazuro Updater"));
    EXPECT_FALSE(MidiPortNameContains(u"Norvik-ZR:out", u"ZR-Norvik"));
}

TEST_F(MidiDevicePorts, FailWholeAndAreHandedOutAgainWhileHeld)
{
    const VirtualDeviceId keys = bus->AddSource("Norvik ZR61:out");
    bus->AddSink("Norvik ZR61:in", nullptr);
    bus->SetFaults(bus->AddSink("Norvik ZR49:in", nullptr), VirtualMidiFaults{.refuseOpen = true});
    const VirtualDeviceId refused = bus->AddSource("Norvik ZR49:out");
    RCPtr<LMidiCapturePort> capture;
    RCPtr<LMidiRenderPort> render;
    // The output cannot be opened: the input is closed again.
    EXPECT_EQ(service->OpenDevicePorts(u"ZR49", u"ZR49", capture, render), E_FAIL);
    EXPECT_EQ(capture, nullptr);
    EXPECT_EQ(bus->Stats(refused).opens, 1u);
    EXPECT_EQ(bus->Stats(refused).openNow, 0u);
    EXPECT_EQ(service->OpenDevicePorts(u"", u"Norvik", capture, render), E_INVALIDARG);
    EXPECT_EQ(service->OpenDevicePorts(u"Nothing", u"Nothing", capture, render), E_FAIL);

    ASSERT_EQ(service->OpenDevicePorts(u"ZR61", u"ZR61", capture, render), S_OK);
    RCPtr<LMidiCapturePort> again;
    RCPtr<LMidiRenderPort> renderAgain;
    ASSERT_EQ(service->OpenDevicePorts(u"norvik", u"norvik", again, renderAgain), S_OK);
    EXPECT_EQ(again, capture);
    EXPECT_EQ(renderAgain, render);
    EXPECT_EQ(bus->Stats(keys).opens, 1u);
}

TEST_F(MidiDevicePorts, ThatWentAreNotHandedOutWhenADeviceOfTheirNameComesBack)
{
    // A keyboard that restarts: its ports go and come back under the same names while
    // a holder keeps the ports it had.
    const RCPtr<CaptureRecorder> recorder = CaptureRecorder::Create(service);
    const VirtualDeviceId oldOut = bus->AddSource("Norvik ZR:out");
    const VirtualDeviceId oldIn = bus->AddSink("Norvik ZR:in", nullptr);
    RCPtr<LMidiCapturePort> capture;
    RCPtr<LMidiRenderPort> render;
    ASSERT_EQ(service->OpenDevicePorts(u"Norvik", u"Norvik", capture, render), S_OK);
    bus->Unplug(bus->AddSource("Another:out"));
    EXPECT_FALSE(capture->IsGone() || render->IsGone()) << "another device went";
    bus->Unplug(oldOut);
    bus->Unplug(oldIn);
    EXPECT_TRUE(capture->IsGone() && render->IsGone());

    std::vector<std::vector<uint8_t>> heard;
    const VirtualDeviceId newOut = bus->AddSource("Norvik ZR:out");
    const VirtualDeviceId newIn =
        bus->AddSink("Norvik ZR:in", [&](const std::vector<uint8_t>& message) { heard.push_back(message); });
    RCPtr<LMidiCapturePort> captureAgain;
    RCPtr<LMidiRenderPort> renderAgain;
    ASSERT_EQ(service->OpenDevicePorts(u"Norvik", u"Norvik", captureAgain, renderAgain), S_OK);
    EXPECT_NE(captureAgain, capture);
    EXPECT_NE(renderAgain, render);
    EXPECT_EQ(bus->Stats(newOut).openNow, 1u);
    EXPECT_EQ(bus->Stats(newIn).openNow, 1u);
    // Asked by a piece of the name, too: the port that went is still listed (it is
    // held), but only the working one is handed out.
    RCPtr<LMidiCapturePort> byText;
    RCPtr<LMidiRenderPort> renderByText;
    ASSERT_EQ(service->OpenCapturePort(u"zr:out", byText), S_OK);
    ASSERT_EQ(service->OpenRenderPort(u"zr:in", renderByText), S_OK);
    EXPECT_EQ(byText, captureAgain);
    EXPECT_EQ(renderByText, renderAgain);

    // Both ways work with the device that came back.
    const Bytes request = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    EXPECT_EQ(service->Send(renderAgain, ToArray(request)), 6);
    EXPECT_EQ(heard, std::vector<std::vector<uint8_t>>{request});
    bus->Inject(newOut, {0xF0, 0x40, 0xF7});
    const std::vector<Captured> captured = recorder->WaitFor(1);
    ASSERT_EQ(captured.size(), 1u);
    EXPECT_EQ(captured[0].bytes, (Bytes{0xF0, 0x40, 0xF7}));
}

using MidiCapturePorts = VirtualBusTest;

TEST_F(MidiCapturePorts, ThatCannotStartAreClosedOnceAndNotHandedOut)
{
    const VirtualDeviceId keys = bus->AddSource("USB Keys");
    bus->SetFaults(keys, VirtualMidiFaults{.refuseStart = true});
    RCPtr<LMidiCapturePort> port;
    EXPECT_EQ(service->OpenCapturePort(u"keys", port), E_FAIL);
    EXPECT_FALSE(port);
    const auto stats = bus->Stats(keys);
    EXPECT_EQ(stats.opens, 1u);
    EXPECT_EQ(stats.closes, 1u);
    EXPECT_EQ(stats.openNow, 0u);

    bus->SetFaults(keys, {});
    EXPECT_EQ(service->OpenCapturePort(u"keys", port), S_OK);
    EXPECT_EQ(bus->Stats(keys).opens, 2u);
}

// Tests of the services' users (the update engine's) put the whole process on a bus.
TEST_F(MidiCapturePorts, ServicesMadeForTheProcessUseTheDriverInstalledForIt)
{
    bus->AddSource("USB Keys");
    LMidiCommInterface::UseDriver(bus);
    RCPtr<LMidiCapturePort> port;
    EXPECT_EQ(LMidiCommInterface::Create()->OpenCapturePort(u"keys", port), S_OK);
    port = nullptr;

    // Back on the system's MIDI, here made unreachable.
    const char* saved = std::getenv("KV_MIDI_API");
    const std::string api = saved ? saved : "";
    setenv("KV_MIDI_API", "none", 1);
    LMidiCommInterface::UseDriver(nullptr);
    EXPECT_EQ(LMidiCommInterface::Create()->OpenCapturePort(u"keys", port), E_FAIL);
    if (saved)
        setenv("KV_MIDI_API", api.c_str(), 1);
    else
        unsetenv("KV_MIDI_API");
}

// ---- sending ----

class MidiSend : public VirtualBusTest
{
protected:
    void SetUp() override
    {
        keys = bus->AddSink("USB Keys", [this](const Bytes& message) {
            std::lock_guard lock(mutex);
            received.push_back(message);
        });
        ASSERT_EQ(service->OpenRenderPort(u"keys", port), S_OK);
    }

    std::vector<Bytes> Received()
    {
        std::lock_guard lock(mutex);
        return std::exchange(received, {});
    }

    VirtualDeviceId keys = 0;
    RCPtr<LMidiRenderPort> port;
    std::mutex mutex;
    std::vector<Bytes> received;
};

TEST_F(MidiSend, ShortMessagesByStatusAndWholeSystemExclusiveMessagesLong)
{
    struct Case
    {
        const char* what;
        Bytes bytes;
        int32_t result;
        std::vector<Bytes> received; // every message that left the device, in order
    };
    const Bytes big = Sysex(70000);
    const Bytes atTheCap = Sysex(LMidiCommInterface::kMaxLongMessage);
    const std::vector<Case> cases = {
        {"identity request", {0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7}, 6, {{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7}}},
        {"empty system exclusive", {0xF0, 0xF7}, 2, {{0xF0, 0xF7}}},
        {"note-on", {0x90, 0x3C, 0x7F}, 3, {{0x90, 0x3C, 0x7F}}},
        {"program change", {0xC0, 0x05}, 2, {{0xC0, 0x05}}},
        {"timing clock", {0xF8}, 1, {{0xF8}}},
        {"only the first message of several", {0x90, 0x3C, 0x7F, 0x90, 0x3D, 0x7F}, 3, {{0x90, 0x3C, 0x7F}}},
        {"real-time byte inside goes out on its own",
         {0xF0, 0x01, 0xF8, 0x02, 0xF7},
         5,
         {{0xF8}, {0xF0, 0x01, 0x02, 0xF7}}},
        {"longer than one driver buffer, whole", big, 70000, {big}},
        {"as long as a message may be", atTheCap, static_cast<int32_t>(atTheCap.size()), {atTheCap}},
        // Refused whole: none of these leaves the device in part.
        {"data bytes first", {0x01, 0x02, 0x03}, E_INVALIDARG, {}},
        {"F7 first", {0xF7, 0x01}, E_INVALIDARG, {}},
        {"no F7", {0xF0, 0x01, 0x02}, E_INVALIDARG, {}},
        {"doubled F7", {0xF0, 0x01, 0xF7, 0xF7}, E_INVALIDARG, {}},
        {"stray F7 inside", {0xF0, 0x01, 0xF7, 0x02, 0xF7}, E_INVALIDARG, {}},
        {"two messages", {0xF0, 0x01, 0xF7, 0xF0, 0x02, 0xF7}, E_INVALIDARG, {}},
        {"a status byte inside", {0xF0, 0x01, 0x90, 0x3C, 0x7F, 0xF7}, E_INVALIDARG, {}},
        {"past the cap", Sysex(LMidiCommInterface::kMaxLongMessage + 1), E_INVALIDARG, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(service->Send(port, ToArray(c.bytes)), c.result);
        EXPECT_EQ(Received(), c.received);
    }
}

TEST_F(MidiSend, RefusesWhatIsNoRenderPortOrNoBytes)
{
    bus->AddSource("USB Keys In");
    RCPtr<LMidiCapturePort> capture;
    ASSERT_EQ(service->OpenCapturePort(u"keys in", capture), S_OK);
    const Array<signed char> noteOn = ToArray({0x90, 0x3C, 0x7F});
    struct Case
    {
        const char* what;
        RCPtr<LRefCountedObject> port;
        const Array<signed char>* bytes;
    };
    const Array<signed char> empty;
    const std::vector<Case> cases = {
        {"null port", nullptr, &noteOn},
        {"capture port", capture, &noteOn},
        {"some other object", RCPtr<LRefCountedObject>(LMidiCaptureNotificationData::Create(u"x")), &noteOn},
        {"no bytes", port, &empty},
    };
    for (const Case& c : cases)
        EXPECT_EQ(service->Send(c.port, *c.bytes), E_INVALIDARG) << c.what;
    EXPECT_TRUE(Received().empty());
}

TEST_F(MidiSend, BuffersHeldByTheDriverFailASendOnlyWhenAllAreHeldAndBlockNoLaterOne)
{
    const Array<signed char> request = ToArray({0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7});
    bus->SetFaults(keys, VirtualMidiFaults{.withholdCompletion = true});
    // The driver takes one message per buffer of the port without handing any back; the
    // send after that waits, resets the output (every buffer comes back) and fails. Twice,
    // so that a buffer the transport gave up is never still with the driver (the
    // sanitizer build would see it).
    int sent = 0;
    while (service->Send(port, request) == 6)
        ++sent;
    EXPECT_GE(sent, 1);
    EXPECT_LT(sent, 64);
    EXPECT_EQ(Received().size(), static_cast<size_t>(sent));
    EXPECT_EQ(service->Send(port, request), 6); // the reset gave the buffers back
    bus->SetFaults(keys, {});
    EXPECT_EQ(service->Send(port, request), 6);
    EXPECT_EQ(service->Send(port, ToArray({0x90, 0x3C, 0x7F})), 3);
    EXPECT_EQ(Received().size(), 3u);
}

TEST_F(MidiSend, ManyLongMessagesInARowArriveWholeAndInOrder)
{
    std::vector<Bytes> expected;
    for (uint8_t i = 0; i < 200; ++i)
    {
        expected.push_back(Sysex(3 + i % 40, i));
        ASSERT_EQ(service->Send(port, ToArray(expected.back())),
                  static_cast<int32_t>(expected.back().size()));
    }
    EXPECT_EQ(Received(), expected);
}

TEST_F(MidiSend, FailsOnAnUnpluggedDevice)
{
    bus->Unplug(keys);
    EXPECT_EQ(service->Send(port, ToArray({0xF0, 0x01, 0xF7})), E_FAIL);
    EXPECT_EQ(service->Send(port, ToArray({0x90, 0x3C, 0x7F})), E_FAIL);
}

} // namespace
} // namespace KV::MidiTest
