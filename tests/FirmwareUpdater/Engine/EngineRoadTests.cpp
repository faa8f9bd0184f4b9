// The engine's road on the in-process virtual MIDI bus, against the simulated keyboard:
// the scan, the switch into update mode, and the transfer with its faults.
#include "DeviceProtocol.h"
#include "EngineTestSupport.h"
#include "UpdateEngine.h"
#include "VirtualKeyboard.h"

#include "Midi/MidiComm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

using namespace enginetest;
using namespace std::chrono_literals;
using Engine = LUpdateEngineInterface;
using NorvikSim::KeyboardMode;

namespace {

LUpdateEngine::Timings QuickTimings()
{
    LUpdateEngine::Timings timings;
    timings.identityWait = 1500;
    timings.enterUpdateModeWait = 1500;
    timings.acknowledgeWait = 1500;
    timings.chunkPause = 0;
    return timings;
}

// An image of records with the given data lengths; record i's data bytes count up from i.
NorvikSim::Bytes MakeImage(std::initializer_list<uint32_t> lengths)
{
    NorvikSim::Bytes image;
    uint8_t record = 0;
    for (uint32_t length : lengths)
    {
        image.push_back(static_cast<uint8_t>(length >> 8));
        image.push_back(static_cast<uint8_t>(length));
        for (uint32_t i = 0; i < length; ++i)
            image.push_back(static_cast<uint8_t>(record + i));
        ++record;
    }
    return image;
}

struct Road
{
    PostedLogScope posted;
    TempFolder folder;
    std::shared_ptr<KV::Platform::VirtualMidiBus> bus = std::make_shared<KV::Platform::VirtualMidiBus>();
    KV::RCPtr<LUpdateEngine> engine;

    explicit Road(const LUpdateEngine::Timings& timings = QuickTimings())
    {
        KV::LMidiCommInterface::UseDriver(bus, 2000);
        NewEngine(timings);
    }

    // A fresh engine on the same bus, as a second run of the updater would make.
    void NewEngine(const LUpdateEngine::Timings& timings = QuickTimings())
    {
        engine = LUpdateEngine::Create(timings);
        engine->EnableNotifications(true);
        EXPECT_EQ(engine->Initialize(KV::String()), S_OK);
        Engine::DeviceDefinition definition;
        definition.mNormalInputPortName = definition.mNormalOutputPortName = u"Norvik";
        definition.mUpdateInputPortName = definition.mUpdateOutputPortName = u"VORazuro Updater";
        KV::Array<Engine::DeviceDefinition> definitions;
        definitions.AddItem(definition);
        engine->SetDeviceDefinitions(definitions);
    }
    ~Road()
    {
        engine.Reset();
        KV::LMidiCommInterface::UseDriver(nullptr);
    }

    void UseImage(const NorvikSim::Bytes& image)
    {
        const std::string path = folder.Write("image.led", NorvikSim::FormatImageText(image));
        ASSERT_EQ(engine->SetFirmwareFile(KV::String(path.c_str())), S_OK);
    }

    // Scan (normal mode), switch, power-cycle, rescan: ready for the transfer.
    void BringToUpdateMode(VirtualKeyboard& keyboard)
    {
        ASSERT_EQ(engine->ScanForDevices(), S_OK);
        ASSERT_EQ(engine->GetDeviceState(), Engine::DeviceStateNormalFirmware);
        ASSERT_EQ(engine->EnterUpdateMode(), 9);
        ASSERT_EQ(engine->GetDeviceState(), Engine::DeviceStateEnteringUpdateMode);
        keyboard.PowerCycle();
        ASSERT_TRUE(keyboard.WaitForMode(KeyboardMode::Update));
        ASSERT_EQ(engine->RescanSelectedDevice(), S_OK);
        ASSERT_EQ(engine->GetDeviceState(), Engine::DeviceStateReadyForUpdate);
    }

    void RunUpdate()
    {
        ASSERT_EQ(engine->StartUpdate(), S_OK);
        ASSERT_EQ(engine->WaitForUpdateCompletion(60000), S_OK);
    }

    int32_t Reason()
    {
        int32_t reason = -1;
        engine->GetCannotUpdateReason(reason);
        return reason;
    }

    static int Count(const std::vector<std::string>& entries, const std::string& what)
    {
        return static_cast<int>(std::count(entries.begin(), entries.end(), what));
    }
};

// Firmware chunks the host sent: messages that are neither of the nine-byte ones.
std::vector<NorvikSim::Bytes> Chunks(const std::vector<NorvikSim::Bytes>& fromHost)
{
    std::vector<NorvikSim::Bytes> chunks;
    for (const auto& message : fromHost)
        if (message.size() != 9 && message.size() != 6)
            chunks.push_back(message);
    return chunks;
}

} // namespace

TEST(EngineScan, KeyboardsAsATable)
{
    struct Row
    {
        const char* what;
        int keyboards;
        std::string name;
        std::array<uint8_t, 4> version;
        bool silent;
        int32_t state;
        const char* versionText;
        bool updateNeeded;
    };
    const Row rows[] = {
        {"no keyboard", 0, "", {}, false, Engine::DeviceStateNoDevice, "N/A", false},
        {"older firmware",
         1,
         "Norvik ZR61 MIDI",
         {1, 0, 0, 5},
         false,
         Engine::DeviceStateNormalFirmware,
         "1.0.0.5",
         true},
        {"same firmware",
         1,
         "Norvik ZR61 MIDI",
         {1, 0, 0, 6},
         false,
         Engine::DeviceStateNormalFirmware,
         "1.0.0.6",
         false},
        {"newer firmware",
         1,
         "Norvik ZR61 MIDI",
         {1, 0, 1, 0},
         false,
         Engine::DeviceStateNormalFirmware,
         "1.0.1.0",
         false},
        {"silent keyboard",
         1,
         "Norvik ZR61 MIDI",
         {1, 0, 0, 5},
         true,
         Engine::DeviceStateNoDevice,
         "N/A",
         false},
        {"name in capitals",
         1,
         "NORVIK zr49",
         {1, 0, 0, 5},
         false,
         Engine::DeviceStateNormalFirmware,
         "1.0.0.5",
         true},
        {"two keyboards: neither is taken",
         2,
         "Norvik ZR61 MIDI",
         {1, 0, 0, 5},
         false,
         Engine::DeviceStateNoneSelected,
         "N/A",
         false},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        Road road;
        road.UseImage(MakeImage({3}));
        road.posted.log->Take();
        std::vector<std::unique_ptr<VirtualKeyboard>> keyboards;
        for (int i = 0; i < row.keyboards; ++i)
        {
            auto settings = VirtualKeyboard::QuickSettings();
            settings.version = NorvikSim::FirmwareVersion{row.version};
            settings.faults.noIdentityReply = row.silent;
            keyboards.push_back(
                std::make_unique<VirtualKeyboard>(road.bus, settings, row.name + (i ? " #2" : "")));
            keyboards.back()->PowerOn();
        }
        EXPECT_EQ(road.engine->ScanForDevices(), S_OK);
        EXPECT_EQ(road.engine->GetDeviceState(), row.state);
        KV::String text;
        road.engine->GetDeviceFirmwareVersionText(text);
        EXPECT_EQ(std::string(KV::NarrowString(text).GetText()), row.versionText);
        EXPECT_EQ(road.engine->IsUpdateNeeded(), row.updateNeeded);
        const auto posted = road.posted.log->Take();
        if (row.state == Engine::DeviceStateNormalFirmware)
            EXPECT_EQ(posted, std::vector<std::string>{"state 5<-3"});
        else if (row.state == Engine::DeviceStateNoneSelected)
            EXPECT_EQ(posted, std::vector<std::string>{"state 3<-1"});
        else
            EXPECT_TRUE(posted.empty());
        if (row.silent) // a keyboard whose normal ports do not answer is not tried by its update names
        {
            EXPECT_EQ(keyboards[0]->FromHost().size(), 1u);
        }
    }
}

TEST(EngineScan, KeyboardFoundInUpdateMode)
{
    Road road;
    road.UseImage(MakeImage({3}));
    VirtualKeyboard keyboard(road.bus, VirtualKeyboard::QuickSettings());
    keyboard.PowerOn();
    road.engine->ScanForDevices();
    road.engine->EnterUpdateMode();
    keyboard.PowerCycle();
    ASSERT_TRUE(keyboard.WaitForMode(KeyboardMode::Update));

    road.NewEngine(); // a new engine finds it in its update mode
    road.UseImage(MakeImage({3}));
    EXPECT_EQ(road.engine->ScanForDevices(), S_OK);
    EXPECT_EQ(road.engine->GetDeviceState(), Engine::DeviceStateReadyForUpdate);
    KV::String text;
    road.engine->GetDeviceFirmwareVersionText(text);
    EXPECT_EQ(std::string(KV::NarrowString(text).GetText()), "Unknown");
    EXPECT_TRUE(road.engine->IsUpdateNeeded());
}

TEST(EngineScan, LateIdentityReplyDoesNotChangeTheNextProbe)
{
    Road road;
    road.UseImage(MakeImage({3}));
    // Each reply comes after its query gave up, but while the next query, started at
    // once, still waits: only a reply taken for a query that did not ask for it could
    // make the keyboard found.
    auto settings = VirtualKeyboard::QuickSettings();
    settings.faults.identityReplyDelay = std::chrono::milliseconds(QuickTimings().identityWait * 3 / 2);
    VirtualKeyboard keyboard(road.bus, settings);
    keyboard.PowerOn();
    for (int scan = 1; scan <= 2; ++scan)
    {
        SCOPED_TRACE(scan);
        EXPECT_EQ(road.engine->ScanForDevices(), S_OK);
        EXPECT_EQ(road.engine->GetDeviceState(), Engine::DeviceStateNoDevice)
            << "the late reply to an earlier query was taken as the answer";
    }
}

TEST(EngineScan, KeyboardThatLostOneRequestIsFoundAgain)
{
    // A keyboard that loses its first identity request and answers every later one at
    // once: its next reply may be taken for the late answer of the lost one, but only
    // that one; the scan after finds it.
    LUpdateEngine::Timings timings = QuickTimings();
    timings.identityWait = 500;
    Road road(timings);
    const auto source = road.bus->AddSource("Norvik Lossy");
    std::atomic<int> requests{0};
    std::mutex repliesLock;
    std::vector<std::thread> replies;
    road.bus->AddSink("Norvik Lossy", [&, bus = road.bus.get()](const std::vector<uint8_t>& message) {
        if (!std::ranges::equal(message, DeviceProtocol::IdentityRequest) || requests++ == 0)
            return;
        std::vector<uint8_t> reply(DeviceProtocol::IdentityReplySize, 0x00);
        reply[0] = DeviceProtocol::SysExStart;
        reply[1] = 0x7E;
        reply[3] = 0x06;
        reply[4] = DeviceProtocol::IdentityReplySubId;
        reply[DeviceProtocol::IdentityReplyVersionIndex] = 1;
        reply.back() = DeviceProtocol::SysExEnd;
        std::lock_guard lock(repliesLock);
        replies.emplace_back([bus, source, reply] { bus->Inject(source, reply); });
    });
    int scans = 0;
    while (scans < 3 && road.engine->GetDeviceState() != Engine::DeviceStateNormalFirmware)
    {
        ++scans;
        road.engine->ScanForDevices();
    }
    EXPECT_EQ(road.engine->GetDeviceState(), Engine::DeviceStateNormalFirmware);
    EXPECT_GE(scans, 2) << "the lost request was answered";
    std::lock_guard lock(repliesLock);
    for (std::thread& reply : replies)
        reply.join();
}

TEST(EngineScan, TheInputAndOutputOfOneKeyboardAreTakenTogether)
{
    Road road;
    road.UseImage(MakeImage({3}));
    // A device that only receives, listed first among the outputs, and a second keyboard.
    std::vector<std::vector<uint8_t>> toModule;
    road.bus->AddSink("Norvik Sound Module", [&](const std::vector<uint8_t>& m) { toModule.push_back(m); });
    auto settings = VirtualKeyboard::QuickSettings();
    VirtualKeyboard first(road.bus, settings, "Norvik ZR61 MIDI");
    settings.version = NorvikSim::FirmwareVersion{{1, 0, 0, 4}};
    VirtualKeyboard second(road.bus, settings, "Norvik ZR49 MIDI");
    first.PowerOn();
    second.PowerOn();

    // Both are found, each asked once on its own ports; none is chosen by itself.
    EXPECT_EQ(road.engine->ScanForDevices(), S_OK);
    EXPECT_EQ(road.engine->GetDeviceState(), Engine::DeviceStateNoneSelected);
    EXPECT_EQ(first.FromHost().size(), 1u);
    EXPECT_EQ(second.FromHost().size(), 1u);
    // One chosen is switched alone.
    ASSERT_EQ(road.engine->SelectDevice(1), S_OK);
    EXPECT_EQ(road.engine->GetDeviceState(), Engine::DeviceStateNormalFirmware);
    KV::String text;
    road.engine->GetDeviceFirmwareVersionText(text);
    EXPECT_EQ(std::string(KV::NarrowString(text).GetText()), "1.0.0.4");
    EXPECT_EQ(road.engine->EnterUpdateMode(), 9);
    EXPECT_EQ(second.FromHost().size(), 2u); // the identity request and the switch
    EXPECT_EQ(first.FromHost().size(), 1u);
    EXPECT_TRUE(toModule.empty());
}

// A keyboard at rest holds no port of ours (an open port keeps the process's MIDI client
// busy with the server's cycles); the switch opens the same keyboard's ports again, and
// the transfer runs on the ports that the rescan found in update mode.
TEST(EngineScan, AKeyboardAtRestHoldsNoPortAndTheTransferRunsOnTheRescansPorts)
{
    const NorvikSim::Bytes image = MakeImage({20, 20});
    Road road;
    road.UseImage(image);
    auto settings = VirtualKeyboard::QuickSettings();
    settings.expectedImage = image;
    settings.installTime = 10s; // its update ports stay while they are counted
    VirtualKeyboard keyboard(road.bus, settings);
    keyboard.PowerOn();

    ASSERT_EQ(road.engine->ScanForDevices(), S_OK);
    auto [input, output] = keyboard.PortStats();
    EXPECT_EQ(input.openNow, 0u);
    ASSERT_EQ(road.engine->EnterUpdateMode(), 9);
    std::tie(input, output) = keyboard.PortStats();
    EXPECT_EQ(input.opens, 2u); // the identity request's, then the switch's
    EXPECT_EQ(output.opens, 2u);

    keyboard.PowerCycle();
    ASSERT_TRUE(keyboard.WaitForMode(KeyboardMode::Update));
    ASSERT_EQ(road.engine->RescanSelectedDevice(), S_OK);
    road.RunUpdate();
    EXPECT_EQ(road.engine->GetUpdateResult(false), Engine::UpdateResultSucceeded);
    std::tie(input, output) = keyboard.PortStats();
    EXPECT_EQ(input.opens, 1u); // the transfer on the ports of the rescan
    EXPECT_EQ(output.opens, 1u);
    EXPECT_EQ(input.openNow, 1u);
    EXPECT_TRUE(keyboard.WaitForOutcome(NorvikSim::TransferOutcome::Matched));
}

TEST(EngineTransfer, ImageArrivesWholeInChunksOfAtMostElevenBytes)
{
    const NorvikSim::Bytes image = MakeImage({0, 9, 10, 11, 300});
    Road road;
    road.UseImage(image);
    auto settings = VirtualKeyboard::QuickSettings();
    settings.expectedImage = image;
    VirtualKeyboard keyboard(road.bus, settings);
    keyboard.PowerOn();
    road.BringToUpdateMode(keyboard);
    road.posted.log->Take();

    road.RunUpdate();
    EXPECT_EQ(road.engine->GetUpdateResult(false), Engine::UpdateResultSucceeded);
    EXPECT_EQ(road.engine->GetDeviceState(), Engine::DeviceStateUpdating);
    EXPECT_EQ(keyboard.ReceivedImage(), image);
    for (const auto& chunk : Chunks(keyboard.FromHost()))
        EXPECT_LE(chunk.size(), 2 + 2 * DeviceProtocol::MaxChunkImageBytes);

    const auto posted = road.posted.log->Take();
    EXPECT_EQ(Road::Count(posted, "completed 1"), 1);
    EXPECT_EQ(Road::Count(posted, "completed 0"), 0);
    EXPECT_EQ(posted.back(), "completed 1");
    EXPECT_EQ(Road::Count(posted, "progress 1"), 1);
    EXPECT_TRUE(keyboard.WaitForOutcome(NorvikSim::TransferOutcome::Matched));
}

TEST(EngineTransfer, FaultsAndTheirOutcomes)
{
    using Failure = Engine::TransferFailure;
    struct Row
    {
        const char* what;
        std::function<void(NorvikSim::KeyboardSettings&)> fault;
        int32_t result;
        int32_t state;
        int32_t reason;
        int chunksOfRecord3Sent; // -1: do not check
        Failure failure;
    };
    using Kind = NorvikSim::AckFault::Kind;
    const Row rows[] = {
        {"no acknowledgement at record 2", [](auto& s) { s.faults.ackFaults[2] = {Kind::Missing}; },
         Engine::UpdateResultFailed, Engine::DeviceStateCannotUpdate, Engine::ReasonDeviceUnreachable, 0,
         Failure::RecordNotAcknowledged},
        {"acknowledgement after the first chunk only",
         [](auto& s) { s.faults.ackFaults[2] = {Kind::AfterFirstChunk}; }, Engine::UpdateResultFailed,
         Engine::DeviceStateCannotUpdate, Engine::ReasonDeviceUnreachable, 0, Failure::RecordNotAcknowledged},
        {"malformed acknowledgement", [](auto& s) { s.faults.ackFaults[1] = {Kind::MalformedLong}; },
         Engine::UpdateResultFailed, Engine::DeviceStateCannotUpdate, Engine::ReasonDeviceUnreachable, -1,
         Failure::RecordNotAcknowledged},
        {"cancel request during record 1 of 3", [](auto& s) { s.faults.cancelAtRecord = 1; },
         Engine::UpdateResultCancelled, Engine::DeviceStateReadyForUpdate, -1, 0,
         Failure::CancelledByKeyboard},
        {"cancel request during record 2 of 3", [](auto& s) { s.faults.cancelAtRecord = 2; },
         Engine::UpdateResultCancelled, Engine::DeviceStateReadyForUpdate, -1, 0,
         Failure::CancelledByKeyboard},
        {"cancel request during the last record", [](auto& s) { s.faults.cancelAtRecord = 3; },
         Engine::UpdateResultCancelled, Engine::DeviceStateReadyForUpdate, -1, -1,
         Failure::CancelledByKeyboard},
        {"no acknowledgement of the session start", [](auto& s) { s.faults.noSessionAck = true; },
         Engine::UpdateResultFailed, Engine::DeviceStateCannotUpdate, Engine::ReasonNone, 0,
         Failure::SessionNotAcknowledged},
        {"acknowledgement F0 1A F7", [](auto& s) { s.ackStatus = 0x1A; }, Engine::UpdateResultSucceeded,
         Engine::DeviceStateUpdating, -1, -1, Failure::None},
    };
    const NorvikSim::Bytes image = MakeImage({20, 20, 20}); // three records of 22 bytes: two chunks each
    // The keyboard's answers to a chunk (an acknowledgement too early, a cancel request)
    // arrive within the pause before the next chunk, as on a real cable.
    LUpdateEngine::Timings timings = QuickTimings();
    timings.chunkPause = 20;
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        Road road(timings);
        road.UseImage(image);
        auto settings = VirtualKeyboard::QuickSettings();
        row.fault(settings);
        VirtualKeyboard keyboard(road.bus, settings);
        keyboard.PowerOn();
        road.BringToUpdateMode(keyboard);
        road.posted.log->Take();

        road.RunUpdate();
        EXPECT_EQ(road.engine->GetUpdateResult(false), row.result);
        EXPECT_EQ(road.engine->GetDeviceState(), row.state);
        EXPECT_EQ(road.engine->GetTransferFailure(), row.failure);
        if (row.reason >= 0)
        {
            EXPECT_EQ(road.Reason(), row.reason);
        }
        if (row.chunksOfRecord3Sent == 0)
        {
            EXPECT_LT(Chunks(keyboard.FromHost()).size(), 5u);
        }
        const auto posted = road.posted.log->Take();
        const bool success = row.result == Engine::UpdateResultSucceeded;
        EXPECT_EQ(Road::Count(posted, "completed 1"), success ? 1 : 0);
        EXPECT_EQ(Road::Count(posted, "completed 0"), success ? 0 : 1);
    }
}

TEST(EngineTransfer, UnreadableImageSendsNothing)
{
    Road road;
    road.UseImage(MakeImage({3}));
    VirtualKeyboard keyboard(road.bus, VirtualKeyboard::QuickSettings());
    keyboard.PowerOn();
    road.BringToUpdateMode(keyboard);
    road.folder.Write("image.led", "0004AABBCC"); // the record runs past the end
    const size_t sentBefore = keyboard.FromHost().size();
    road.RunUpdate();
    EXPECT_EQ(road.engine->GetUpdateResult(false), Engine::UpdateResultFailed);
    EXPECT_EQ(road.Reason(), Engine::ReasonImageUnreadable);
    EXPECT_EQ(keyboard.FromHost().size(), sentBefore);
}

TEST(EngineTransfer, EnterUpdateModeFailures)
{
    {
        SCOPED_TRACE("no answer to the switch");
        Road road;
        road.UseImage(MakeImage({3}));
        auto settings = VirtualKeyboard::QuickSettings();
        settings.faults.noEnterReply = true;
        VirtualKeyboard keyboard(road.bus, settings);
        keyboard.PowerOn();
        road.engine->ScanForDevices();
        EXPECT_EQ(road.engine->EnterUpdateMode(), E_FAIL);
        EXPECT_EQ(road.engine->GetDeviceState(), Engine::DeviceStateCannotUpdate);
        EXPECT_EQ(road.Reason(), Engine::ReasonDeviceUnreachable);
    }
    {
        SCOPED_TRACE("keyboard gone before the switch");
        Road road;
        road.UseImage(MakeImage({3}));
        auto keyboard = std::make_unique<VirtualKeyboard>(road.bus, VirtualKeyboard::QuickSettings());
        keyboard->PowerOn();
        road.engine->ScanForDevices();
        keyboard.reset();
        EXPECT_EQ(road.engine->EnterUpdateMode(), E_FAIL);
        EXPECT_EQ(road.engine->GetDeviceState(), Engine::DeviceStateCannotUpdate);
        EXPECT_EQ(road.Reason(), Engine::ReasonDeviceUnreachable);
    }
    {
        SCOPED_TRACE("already in update mode, and the restart not yet over");
        Road road;
        road.UseImage(MakeImage({3}));
        VirtualKeyboard keyboard(road.bus, VirtualKeyboard::QuickSettings());
        keyboard.PowerOn();
        road.engine->ScanForDevices();
        road.engine->EnterUpdateMode();
        EXPECT_EQ(road.engine->RescanSelectedDevice(), S_OK); // not cycled yet: stays 6
        EXPECT_EQ(road.engine->GetDeviceState(), Engine::DeviceStateEnteringUpdateMode);
        keyboard.PowerCycle();
        keyboard.WaitForMode(KeyboardMode::Update);
        road.engine->RescanSelectedDevice();
        EXPECT_EQ(road.engine->EnterUpdateMode(), S_FALSE);
        EXPECT_EQ(road.engine->RequestCancel(), E_FAIL);
    }
}

TEST(EngineTransfer, PortsVanishingInTheMiddle)
{
    Road road;
    const NorvikSim::Bytes image = MakeImage({20, 20, 20});
    road.UseImage(image);
    auto settings = VirtualKeyboard::QuickSettings();
    settings.faults.vanishAtRecord = 2;
    VirtualKeyboard keyboard(road.bus, settings);
    keyboard.PowerOn();
    road.BringToUpdateMode(keyboard);
    road.RunUpdate();
    EXPECT_EQ(road.engine->GetUpdateResult(false), Engine::UpdateResultFailed);
    EXPECT_EQ(road.engine->GetDeviceState(), Engine::DeviceStateCannotUpdate);
    EXPECT_EQ(road.Reason(), Engine::ReasonDeviceUnreachable);
}

namespace {

// The engine with its MIDI service in reach of the test.
class OpenEngine : public LUpdateEngine
{
public:
    OpenEngine() : LUpdateEngine(QuickTimings()) {}
    using LUpdateEngine::GetMidi;
};

KV::RCPtr<KV::LNotification> Captured(std::vector<uint8_t> bytes)
{
    auto data = KV::LMidiCaptureNotificationData::Create(KV::String(u"Norvik ZR61 MIDI"));
    data->AppendBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return KV::LNotification::Create(KV::NID_MIDI_DATA_CAPTURED, KV::RCPtr<KV::LRefCountedObject>(data));
}

} // namespace

TEST(EngineMessages, RepliesCountOnlyFromTheCurrentServiceAndDuringAnUpdate)
{
    Road road;
    KV::RCPtr<OpenEngine> engine(new OpenEngine());
    engine->Initialize(KV::String());
    auto replaced = engine->GetMidi();
    engine->Initialize(KV::String()); // a new service: replies of the former no longer count
    auto current = engine->GetMidi();
    ASSERT_NE(replaced, current);

    const auto cancel = Captured({0xF0, 0x20, 0xF7});
    engine->OnMidiDataCaptured(current, cancel);
    EXPECT_FALSE(engine->IsCancelRequested()); // no update runs
    engine->SetDeviceState(Engine::DeviceStateUpdating);
    engine->OnMidiDataCaptured(replaced, cancel);
    EXPECT_FALSE(engine->IsCancelRequested()); // from a replaced service
    engine->OnMidiDataCaptured(current, cancel);
    EXPECT_TRUE(engine->IsCancelRequested());
    engine->SetDeviceState(Engine::DeviceStateNoDevice);
}

TEST(EngineMessages, SendSysExFramesThePayloadAsOneWholeMessage)
{
    Road road;
    std::vector<std::vector<uint8_t>> received;
    road.bus->AddSink("Norvik ZR61 MIDI",
                      [&](const std::vector<uint8_t>& message) { received.push_back(message); });
    KV::RCPtr<OpenEngine> engine(new OpenEngine());
    engine->Initialize(KV::String());
    KV::RCPtr<KV::LMidiRenderPort> port;
    ASSERT_EQ(engine->GetMidi()->OpenRenderPort(KV::String(u"norvik"), port), S_OK);
    struct Case
    {
        const char* what;
        std::vector<uint8_t> payload;
        int32_t result;
        std::vector<uint8_t> sent; // empty: nothing leaves
    };
    const Case cases[] = {
        {"empty", {}, 2, {0xF0, 0xF7}},
        {"data", {0x01, 0x02}, 4, {0xF0, 0x01, 0x02, 0xF7}},
        {"already ended: no second F7", {0x01, 0xF7}, 3, {0xF0, 0x01, 0xF7}},
        {"a stray F7 inside", {0x01, 0xF7, 0x02}, E_INVALIDARG, {}},
        {"a status byte inside", {0x90, 0x3C}, E_INVALIDARG, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        DeviceMessages::Bytes payload;
        for (uint8_t b : c.payload)
            payload.AddItem(static_cast<int8_t>(b));
        received.clear();
        EXPECT_EQ(engine->SendSysEx(payload, port), c.result);
        EXPECT_EQ(received, c.sent.empty() ? std::vector<std::vector<uint8_t>>{}
                                           : std::vector<std::vector<uint8_t>>{c.sent});
    }
    EXPECT_EQ(engine->SendSysEx(DeviceMessages::Bytes(), nullptr), E_FAIL);
}
