// The update processor: the command line's options and the runs they make, on the
// in-process virtual MIDI bus with the simulated keyboard.
#include "DeviceProtocol.h"
#include "EngineTestSupport.h"
#include "UpdateEngine.h"
#include "UpdateProcessor.h"
#include "VirtualKeyboard.h"

#include "Midi/MidiComm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace enginetest;
using namespace std::chrono_literals;
using Engine = LUpdateEngineInterface;
using Outcome = LUpdateProcessor::SilentOutcome;

namespace {

struct ProcessorScene
{
    PostedLogScope posted;
    TempFolder folder;
    std::shared_ptr<KV::Platform::VirtualMidiBus> bus = std::make_shared<KV::Platform::VirtualMidiBus>();
    KV::RCPtr<LUpdateProcessor> processor = LUpdateProcessor::Create();
    LUpdateEngine::Timings timings;

    ProcessorScene()
    {
        KV::LMidiCommInterface::UseDriver(bus, 2000);
        timings.identityWait = timings.enterUpdateModeWait = timings.acknowledgeWait = 1500;
        timings.chunkPause = 0;
        NewProcessor();
        // The default image in the "executable's" folder: one record.
        folder.Write("VORazuro61.led", "0003AABBCC");
    }

    // A processor as a new run of the updater makes it.
    void NewProcessor()
    {
        processor = LUpdateProcessor::Create();
        processor->SetReturnRescans(100, 20);
        processor->SetEngineFactory([this] { return KV::RCPtr<Engine>(LUpdateEngine::Create(timings)); });
        processor->SetExecutableFolder(KV::String(folder.path.c_str()));
    }
    ~ProcessorScene()
    {
        processor.Reset();
        KV::LMidiCommInterface::UseDriver(nullptr);
    }

    KVRESULT Run(const std::string& commandLine)
    {
        return processor->Initialize(KV::String(commandLine.c_str()));
    }
    // A first silent run switches the keyboard; after its power cycle it waits in its
    // update mode for the next run's processor.
    void SwitchAndPowerCycle(VirtualKeyboard& keyboard)
    {
        keyboard.PowerOn();
        Run("-SILENT");
        keyboard.PowerCycle();
        ASSERT_TRUE(keyboard.WaitForMode(NorvikSim::KeyboardMode::Update));
        NewProcessor();
    }
    std::string ImagePath()
    {
        KV::String path;
        processor->GetUpdateEngine()->GetFirmwareFilePath(path);
        return std::string(KV::NarrowString(path).GetText());
    }
};

NorvikSim::KeyboardSettings Keyboard(std::array<uint8_t, 4> version = {1, 0, 0, 5})
{
    auto settings = VirtualKeyboard::QuickSettings();
    settings.version = NorvikSim::FirmwareVersion{version};
    return settings;
}

} // namespace

TEST(UpdateProcessor, FirmwareImagePaths)
{
    struct Row
    {
        std::string options;
        std::string expectedPath;
        int32_t fileState;
    };
    ProcessorScene s;
    const std::string folder = s.folder.path.string();
    s.folder.Write("fw2.led", "0000");
    s.folder.Write("with blank.led", "0000");
    const Row rows[] = {
        {"", folder + "/VORazuro61.led", Engine::FileStateVersionKnown},
        {"-FIRMWARE_IMAGE_NAME=fw2.led", folder + "/fw2.led", Engine::FileStateVersionKnown},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=" + folder + "/fw2.led", folder + "/fw2.led",
         Engine::FileStateVersionKnown},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=\"" + folder + "/with blank.led\"", folder + "/with blank.led",
         Engine::FileStateVersionKnown},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH= -SILENT", folder + "/VORazuro61.led", Engine::FileStateVersionKnown},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=" + folder + "/missing.led", folder + "/missing.led",
         Engine::FileStateMissing},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.options);
        s.NewProcessor();
        EXPECT_EQ(s.Run(row.options), S_OK); // no keyboard: the window opens
        EXPECT_EQ(s.ImagePath(), row.expectedPath);
        EXPECT_EQ(s.processor->GetUpdateEngine()->GetFirmwareFileState(), row.fileState);
        EXPECT_EQ(s.processor->GetSilentOutcome(), Outcome::None);
    }
}

TEST(UpdateProcessor, SilentRuns)
{
    struct Row
    {
        const char* what;
        std::string options;
        std::array<uint8_t, 4> version;
        bool updateMode; // the keyboard already waits in its update mode
        KVRESULT result;
        Outcome outcome;
    };
    const Row rows[] = {
        {"older firmware: switched",
         "-SILENT",
         {1, 0, 0, 5},
         false,
         E_QUIET_EXIT_A020,
         Outcome::SwitchedToUpdateMode},
        {"same firmware, silent if not needed",
         "-SILENT_IF_UPDATE_NOT_NEEDED -SILENT",
         {1, 0, 0, 6},
         false,
         E_QUIET_EXIT_A020,
         Outcome::NoUpdateNeeded},
        {"same firmware, silent: nothing to do",
         "-SILENT",
         {1, 0, 0, 6},
         false,
         E_QUIET_EXIT_A020,
         Outcome::NoUpdateNeeded},
        {"same firmware, always update",
         "-ALWAYS_UPDATE -SILENT",
         {1, 0, 0, 6},
         false,
         E_QUIET_EXIT_A020,
         Outcome::SwitchedToUpdateMode},
        {"update mode: the transfer runs",
         "-silent",
         {1, 0, 0, 5},
         true,
         E_QUIET_EXIT_A020,
         Outcome::Succeeded},
        {"start automatically opens the window",
         "-START_UPDATE_AUTOMATICALLY",
         {1, 0, 0, 5},
         false,
         S_OK,
         Outcome::None},
        {"newer firmware, window", "", {1, 0, 1, 0}, false, S_OK, Outcome::None},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        ProcessorScene s;
        VirtualKeyboard keyboard(s.bus, Keyboard(row.version));
        keyboard.PowerOn();
        if (row.updateMode)
        {
            s.Run("-SILENT"); // a first run switches the keyboard
            keyboard.PowerCycle();
            ASSERT_TRUE(keyboard.WaitForMode(NorvikSim::KeyboardMode::Update));
            s.NewProcessor();
        }
        EXPECT_EQ(s.Run(row.options), row.result);
        EXPECT_EQ(s.processor->GetSilentOutcome(), row.outcome);
    }
}

TEST(UpdateProcessor, SilentWaitRunningOutCancelsAndWaitsForTheWorker)
{
    ProcessorScene s;
    s.folder.Write("VORazuro61.led", "0001AA0001BB0001CC");
    auto settings = Keyboard();
    settings.faults.ackFaults[1] = {NorvikSim::AckFault::Kind::Late, 1000ms};
    VirtualKeyboard keyboard(s.bus, settings);
    keyboard.PowerOn();
    s.Run("-SILENT");
    keyboard.PowerCycle();
    ASSERT_TRUE(keyboard.WaitForMode(NorvikSim::KeyboardMode::Update));

    s.NewProcessor();
    s.processor->SetSilentWait(100);
    EXPECT_EQ(s.Run("-SILENT"), E_QUIET_EXIT_A020);
    EXPECT_EQ(s.processor->GetSilentOutcome(), Outcome::TimedOut);
    // Nothing runs any more when the process would end.
    EXPECT_NE(s.processor->GetUpdateEngine()->GetUpdateResult(false), Engine::UpdateResultRunning);
}

// A run asked to end (a termination signal) starts nothing, and a transfer under way
// stops as a cancel: the keyboard gets no further record.
TEST(UpdateProcessor, StopRequestStartsNothingAndCancelsATransfer)
{
    {
        SCOPED_TRACE("asked before the keyboard was switched");
        ProcessorScene s;
        VirtualKeyboard keyboard(s.bus, Keyboard());
        keyboard.PowerOn();
        s.processor->SetStopRequest([] { return true; });
        EXPECT_EQ(s.Run("-SILENT"), E_QUIET_EXIT_A020);
        EXPECT_EQ(s.processor->GetSilentOutcome(), Outcome::Cancelled);
        EXPECT_TRUE(s.processor->WasStopped());
        EXPECT_EQ(s.processor->GetUpdateEngine()->GetDeviceState(), Engine::DeviceStateNormalFirmware);
    }
    {
        SCOPED_TRACE("asked while record 2 is awaited");
        ProcessorScene s;
        s.folder.Write("VORazuro61.led", "0001AA0001BB0001CC");
        auto settings = Keyboard();
        settings.faults.ackFaults[2] = {NorvikSim::AckFault::Kind::Late, 1000ms};
        VirtualKeyboard keyboard(s.bus, settings);
        s.SwitchAndPowerCycle(keyboard);
        s.processor->SetStopRequest([&s] {
            const KV::RCPtr<Engine>& engine = s.processor->GetUpdateEngine();
            return engine && engine->GetUpdateResult(false) == Engine::UpdateResultRunning;
        });
        EXPECT_EQ(s.Run("-SILENT"), E_QUIET_EXIT_A020);
        EXPECT_EQ(s.processor->GetSilentOutcome(), Outcome::Cancelled);
        EXPECT_TRUE(s.processor->WasStopped());
        EXPECT_EQ(s.processor->GetUpdateEngine()->GetUpdateResult(false), Engine::UpdateResultCancelled);
        EXPECT_LT(keyboard.ReceivedImage().size(), 6u);
    }
}

TEST(UpdateProcessor, AllowDowngradeFlag)
{
    ProcessorScene s;
    EXPECT_EQ(s.Run("-ALWAYS_UPDATE"), S_OK);
    EXPECT_TRUE(s.processor->GetAllowDowngrade());
    EXPECT_EQ(s.processor->SetAllowDowngrade(true), S_FALSE);
    EXPECT_EQ(s.processor->SetAllowDowngrade(false), S_OK);
    // The stored command line survives; the flag changed meanwhile stays in force.
    EXPECT_EQ(s.processor->Reinitialize(), S_OK);
    EXPECT_FALSE(s.processor->GetAllowDowngrade());
}

TEST(UpdateProcessor, EngineThatCannotStartIsThrown)
{
    struct Failing : LUpdateEngine
    {
        Failing() : LUpdateEngine(Timings()) {}
        KVRESULT Initialize(const KV::String&) override { return E_FAIL; }
    };
    ProcessorScene s;
    s.processor->SetEngineFactory([] { return KV::RCPtr<Engine>(new Failing()); });
    try
    {
        s.Run("-SILENT");
        FAIL();
    }
    catch (const KV::FailedResultException& e)
    {
        EXPECT_TRUE(std::string(e.what()).starts_with(
            "Failed Result : KVRESULT = 80004005 : LUpdateProcessor::Initialize : "))
            << e.what();
    }
}

TEST(UpdateProcessor, SilentTransferCountsOnlyWhenTheKeyboardConfirmsIt)
{
    struct Row
    {
        const char* what;
        std::function<void(NorvikSim::KeyboardSettings&)> fault;
        Outcome outcome;
    };
    using NorvikSim::AckFault;
    const Row rows[] = {
        {"the last record acknowledged", [](auto&) {}, Outcome::Succeeded},
        {"the last acknowledgement lost, the keyboard back with the image's version",
         [](auto& k) { k.faults.ackFaults[3] = {AckFault::Kind::Missing}; }, Outcome::Succeeded},
        {"the ports vanish during the last record", [](auto& k) { k.faults.vanishAtRecord = 3; },
         Outcome::Unconfirmed},
        {"the last acknowledgement lost, the keyboard back with another version",
         [](auto& k) {
             k.faults.ackFaults[3] = {AckFault::Kind::Missing};
             k.installedVersion = NorvikSim::FirmwareVersion{{1, 0, 0, 7}};
         },
         Outcome::Unconfirmed},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        ProcessorScene s;
        s.folder.Write("VORazuro61.led", "0001AA0001BB0001CC");
        auto settings = Keyboard();
        row.fault(settings);
        VirtualKeyboard keyboard(s.bus, settings);
        s.SwitchAndPowerCycle(keyboard);
        EXPECT_EQ(s.Run("-SILENT"), E_QUIET_EXIT_A020);
        EXPECT_EQ(s.processor->GetSilentOutcome(), row.outcome);
    }
}

TEST(UpdateProcessor, SilentWaitDrainsTheNotificationQueues)
{
    ProcessorScene s;
    VirtualKeyboard keyboard(s.bus, Keyboard());
    s.SwitchAndPowerCycle(keyboard);
    // An engine that posts, as one does once a window listens.
    s.processor->SetEngineFactory([&s] {
        const KV::RCPtr<LUpdateEngine> engine = LUpdateEngine::Create(s.timings);
        engine->EnableNotifications(true);
        return KV::RCPtr<Engine>(engine);
    });
    s.posted.log->Take();
    EXPECT_EQ(s.Run("-SILENT"), E_QUIET_EXIT_A020);
    // Everything the transfer posted was handled while the run waited.
    EXPECT_EQ(KV::LNotificationCenterManager::GetDefaultCenter()->GetQueuedCount(), 0u);
    const std::vector<std::string> handled = s.posted.log->Take();
    EXPECT_NE(std::find(handled.begin(), handled.end(), "progress 1"), handled.end());
    EXPECT_NE(std::find(handled.begin(), handled.end(), "completed 1"), handled.end());
}

TEST(UpdateProcessor, TransferStartedForTheWindowRunsToItsEnd)
{
    ProcessorScene s;
    VirtualKeyboard keyboard(s.bus, Keyboard());
    s.SwitchAndPowerCycle(keyboard);
    EXPECT_EQ(s.Run("-START_UPDATE_AUTOMATICALLY"), S_OK);
    ASSERT_TRUE(s.processor->FinishStartedUpdate());
    EXPECT_EQ(s.processor->GetSilentOutcome(), Outcome::Succeeded);
    EXPECT_EQ(s.processor->GetUpdateEngine()->GetUpdateResult(false), Engine::UpdateResultSucceeded);
    EXPECT_TRUE(keyboard.WaitForOutcome(NorvikSim::TransferOutcome::Unchecked));

    // Switching alone starts no transfer: the window is still needed.
    ProcessorScene t;
    VirtualKeyboard normal(t.bus, Keyboard());
    normal.PowerOn();
    EXPECT_EQ(t.Run("-START_UPDATE_AUTOMATICALLY"), S_OK);
    EXPECT_FALSE(t.processor->FinishStartedUpdate());
    EXPECT_EQ(t.processor->GetSilentOutcome(), Outcome::None);
}

TEST(UpdateProcessor, UnreadableImageSendsNothingToTheKeyboard)
{
    const std::pair<const char*, std::string> images[] = {
        {"empty", ""},
        {"odd length", "0003AABBC"},
        {"not hexadecimal", "0003AABBXY"},
        {"a record past the end", "0004AABBCC"},
        {"a length cut off", "0001AA00"},
        {"binary", std::string("\x00\x03\xAA\xBB\xCC\xFF", 6)},
    };
    for (const auto& [what, image] : images)
    {
        for (const char* options : {"-SILENT", "-START_UPDATE_AUTOMATICALLY"})
        {
            SCOPED_TRACE(std::string(what) + ", " + options);
            ProcessorScene s;
            s.folder.Write("VORazuro61.led", image);
            VirtualKeyboard keyboard(s.bus, Keyboard());
            keyboard.PowerOn();
            const bool silent = std::string(options) == "-SILENT";
            EXPECT_EQ(s.Run(options), silent ? E_QUIET_EXIT_A020 : S_OK);
            EXPECT_EQ(s.processor->GetSilentOutcome(), silent ? Outcome::ImageUnreadable : Outcome::None);
            EXPECT_TRUE(s.processor->IsImageUnreadable());
            // The identity request went out, and nothing else.
            const std::vector<NorvikSim::Bytes> sent = keyboard.FromHost();
            ASSERT_EQ(sent.size(), 1u);
            EXPECT_TRUE(std::ranges::equal(sent[0], DeviceProtocol::IdentityRequest));
        }
    }
}
