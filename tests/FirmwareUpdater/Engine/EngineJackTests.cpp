// One engine against the simulated keyboard as a separate process on a private JACK
// server (tools/with-jack.sh), through the system's MIDI as the updater uses it. The
// keyboard restarts while the engine lives on, as it does on the window's road (the
// power cycle into update mode, and the reboot after the transfer): every probe after
// a restart must reach the keyboard's new ports.
#include "DeviceProtocol.h"
#include "SimProcess.h"
#include "SmallFirmwareImage.h"
#include "UpdateEngine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using NorvikSimTest::SimProcess;
using namespace std::chrono_literals;
using Engine = LUpdateEngineInterface;

namespace {

// The simulated keyboard, switched off at the end: a keyboard killed instead would hold
// up the synchronous server's next clients.
struct Keyboard
{
    SimProcess sim;

    explicit Keyboard(const std::vector<std::string>& arguments) : sim(arguments) {}
    ~Keyboard()
    {
        sim.Signal(SIGTERM);
        sim.WaitForExit(10s);
    }
};

// An engine looking for the keyboard as the updater does.
KV::RCPtr<LUpdateEngine> MakeEngine(const std::string& imagePath)
{
    KV::RCPtr<LUpdateEngine> engine = LUpdateEngine::Create();
    EXPECT_EQ(engine->Initialize(u""), S_OK);
    Engine::DeviceDefinition definition;
    definition.mNormalInputPortName = KV::String(std::string(DeviceProtocol::NormalModePortName).c_str());
    definition.mNormalOutputPortName = definition.mNormalInputPortName;
    definition.mUpdateInputPortName = KV::String(std::string(DeviceProtocol::UpdateModePortName).c_str());
    definition.mUpdateOutputPortName = definition.mUpdateInputPortName;
    KV::Array<Engine::DeviceDefinition> definitions;
    definitions.AddItem(definition);
    EXPECT_EQ(engine->SetDeviceDefinitions(definitions), S_OK);
    if (!imagePath.empty())
        engine->SetFirmwareFile(KV::String(imagePath.c_str()));
    return engine;
}

// How many of the keyboard's event lines hold the piece.
size_t CountLines(SimProcess& sim, const std::string& piece)
{
    const std::string output = sim.Output();
    size_t count = 0;
    for (size_t at = output.find(piece); at != std::string::npos; at = output.find(piece, at + 1))
        ++count;
    return count;
}

// Waits until the engine is in the state; the limit only guards against a hang.
bool WaitForState(LUpdateEngine& engine, int32_t state)
{
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (engine.GetDeviceState() != state && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    return engine.GetDeviceState() == state;
}

std::string SelectedVersion(LUpdateEngine& engine)
{
    KV::String text;
    if (KV_FAILED(engine.GetDeviceFirmwareVersionText(text)))
        return "none";
    return text.ToNarrow().GetText();
}

TEST(EngineOnJack, AKeyboardThatRestartedIsReadAgainByTheSameEngine)
{
    Keyboard keyboard({"--off-time", "50"});
    SimProcess& sim = keyboard.sim;
    ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();
    const KV::RCPtr<LUpdateEngine> engine = MakeEngine({});

    ASSERT_EQ(engine->ScanForDevices(), S_OK);
    ASSERT_EQ(engine->GetDeviceState(), Engine::DeviceStateNormalFirmware) << sim.Output();
    EXPECT_EQ(SelectedVersion(*engine), "1.0.0.5");

    // Switched off and on: its ports go and come back under the same names.
    sim.Command("power");
    ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();
    ASSERT_EQ(engine->RescanSelectedDevice(), S_OK);
    EXPECT_EQ(engine->GetDeviceState(), Engine::DeviceStateNormalFirmware)
        << "the rescan after the restart was not answered\n"
        << sim.Output();
    EXPECT_EQ(SelectedVersion(*engine), "1.0.0.5");

    sim.Command("power");
    ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();
    ASSERT_EQ(engine->ScanForDevices(), S_OK);
    EXPECT_EQ(engine->GetDeviceState(), Engine::DeviceStateNormalFirmware)
        << "the scan after the restart found no keyboard\n"
        << sim.Output();
    EXPECT_EQ(SelectedVersion(*engine), "1.0.0.5");
}

// The window's road in one engine: found in normal mode, switched into update mode,
// power-cycled, found in update mode, the transfer, and the keyboard back in its normal
// mode with the new firmware, which the rescan after the success reads.
TEST(EngineOnJack, TheWholeUpdateRoadEndsWithTheNewVersionRead)
{
    const SmallFirmwareImage image("kv-engine-jack");
    Keyboard keyboard({"--expect", image.path, "--off-time", "50", "--install-time", "50"});
    SimProcess& sim = keyboard.sim;
    ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();
    const KV::RCPtr<LUpdateEngine> engine = MakeEngine(image.path);

    ASSERT_EQ(engine->ScanForDevices(), S_OK);
    ASSERT_EQ(engine->GetDeviceState(), Engine::DeviceStateNormalFirmware) << sim.Output();
    ASSERT_TRUE(engine->IsUpdateNeeded());
    ASSERT_TRUE(KV_SUCCEEDED(engine->EnterUpdateMode())) << sim.Output();
    ASSERT_EQ(engine->GetDeviceState(), Engine::DeviceStateEnteringUpdateMode);

    sim.Command("power");
    ASSERT_TRUE(sim.WaitForLine("on: update mode")) << sim.Output();
    ASSERT_EQ(engine->RescanSelectedDevice(), S_OK);
    ASSERT_EQ(engine->GetDeviceState(), Engine::DeviceStateReadyForUpdate) << sim.Output();

    ASSERT_EQ(engine->StartUpdate(), S_OK);
    ASSERT_EQ(engine->WaitForUpdateCompletion(120000), S_OK);
    ASSERT_EQ(engine->GetUpdateResult(false), Engine::UpdateResultSucceeded) << sim.Output();
    ASSERT_TRUE(sim.WaitForLine("on: normal mode, firmware 1.0.0.6")) << sim.Output();

    ASSERT_EQ(engine->RescanSelectedDevice(), S_OK);
    EXPECT_EQ(engine->GetDeviceState(), Engine::DeviceStateNormalFirmware)
        << "the keyboard back with its new firmware was not answered\n"
        << sim.Output();
    EXPECT_EQ(SelectedVersion(*engine), "1.0.0.6");
    EXPECT_FALSE(engine->IsUpdateNeeded());
}

// Two keyboards at once are told apart, and neither is switched: the image could not be
// sent to the one switched with certainty. One of them left in its update mode by an
// earlier run is a keyboard too (it once got the image meant for the one switched).
TEST(EngineOnJack, SeveralKeyboardsAreFoundAndNoneIsSwitched)
{
    struct Row
    {
        const char* what;
        bool firstInUpdateMode;
    };
    for (const Row& row : {Row{"both in normal mode", false}, Row{"one left in its update mode", true}})
    {
        SCOPED_TRACE(row.what);
        Keyboard first({"--off-time", "50"});
        ASSERT_TRUE(first.sim.WaitForLine("on: normal mode")) << first.sim.Output();
        if (row.firstInUpdateMode)
        {
            const KV::RCPtr<LUpdateEngine> earlier = MakeEngine({});
            ASSERT_EQ(earlier->ScanForDevices(), S_OK);
            ASSERT_TRUE(KV_SUCCEEDED(earlier->EnterUpdateMode())) << first.sim.Output();
            first.sim.Command("power");
            ASSERT_TRUE(first.sim.WaitForLine("on: update mode")) << first.sim.Output();
        }
        Keyboard second({"--name-suffix", " B"});
        ASSERT_TRUE(second.sim.WaitForLine("on: normal mode")) << second.sim.Output();
        const size_t switchesBefore = CountLines(first.sim, "enter: accepted");

        const KV::RCPtr<LUpdateEngine> engine = MakeEngine({});
        ASSERT_EQ(engine->ScanForDevices(), S_OK);
        EXPECT_EQ(engine->GetDeviceState(), Engine::DeviceStateNoneSelected)
            << first.sim.Output() << second.sim.Output();
        EXPECT_EQ(engine->GetFoundDeviceCount(), 2u);
        EXPECT_EQ(engine->EnterUpdateMode(), E_FAIL);
        EXPECT_EQ(engine->StartUpdate(), E_FAIL);
        EXPECT_EQ(CountLines(first.sim, "enter: accepted"), switchesBefore);
        EXPECT_EQ(CountLines(second.sim, "enter: accepted"), 0u);
    }
}

// The keyboard switched is the one that gets the image: when another keyboard shows up
// while it is off, the updater cannot tell which one it switched and sends nothing.
TEST(EngineOnJack, AnotherKeyboardDuringThePowerCycleStopsTheUpdate)
{
    const SmallFirmwareImage image("kv-engine-jack-two");
    Keyboard switched({"--expect", image.path, "--off-time", "50"});
    ASSERT_TRUE(switched.sim.WaitForLine("on: normal mode")) << switched.sim.Output();
    const KV::RCPtr<LUpdateEngine> engine = MakeEngine(image.path);
    ASSERT_EQ(engine->ScanForDevices(), S_OK);
    ASSERT_EQ(engine->GetDeviceState(), Engine::DeviceStateNormalFirmware);
    ASSERT_TRUE(KV_SUCCEEDED(engine->EnterUpdateMode())) << switched.sim.Output();

    Keyboard other({"--name-suffix", " B", "--expect", image.path});
    ASSERT_TRUE(other.sim.WaitForLine("on: normal mode")) << other.sim.Output();
    switched.sim.Command("power");
    ASSERT_TRUE(switched.sim.WaitForLine("on: update mode")) << switched.sim.Output();

    ASSERT_EQ(engine->RescanSelectedDevice(), S_OK);
    EXPECT_EQ(engine->GetDeviceState(), Engine::DeviceStateNoneSelected);
    EXPECT_EQ(engine->GetPowerCycleFinding(), Engine::PowerCycleFinding::CannotTell);
    EXPECT_EQ(engine->StartUpdate(), E_FAIL);
    EXPECT_EQ(CountLines(switched.sim, "session: start"), 0u) << switched.sim.Output();
    EXPECT_EQ(CountLines(other.sim, "session: start"), 0u) << other.sim.Output();
    EXPECT_EQ(CountLines(other.sim, "enter: accepted"), 0u) << other.sim.Output();
}

// What the look for the keyboard after its switch finds, before and after the power cycle.
TEST(EngineOnJack, TheLookAfterTheSwitchTellsWhatItFound)
{
    struct Row
    {
        const char* what;
        std::vector<std::string> options;
        bool powerCycle;
        const char* waitFor; // the keyboard's line after the power cycle
        Engine::PowerCycleFinding finding;
        int32_t state;
    };
    const Row rows[] = {
        {"not switched off yet",
         {},
         false,
         "",
         Engine::PowerCycleFinding::NotSwitchedOffYet,
         Engine::DeviceStateEnteringUpdateMode},
        {"still off",
         {"--off-time", "600000"},
         true,
         "off: ",
         Engine::PowerCycleFinding::StillOff,
         Engine::DeviceStateEnteringUpdateMode},
        {"back in normal mode",
         {"--off-time", "50", "--return-normal"},
         true,
         "on: normal mode",
         Engine::PowerCycleFinding::BackInNormalMode,
         Engine::DeviceStateNormalFirmware},
        {"in update mode",
         {"--off-time", "50"},
         true,
         "on: update mode",
         Engine::PowerCycleFinding::None,
         Engine::DeviceStateReadyForUpdate},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        Keyboard keyboard(row.options);
        SimProcess& sim = keyboard.sim;
        ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();
        const KV::RCPtr<LUpdateEngine> engine = MakeEngine({});
        ASSERT_EQ(engine->ScanForDevices(), S_OK);
        ASSERT_TRUE(KV_SUCCEEDED(engine->EnterUpdateMode())) << sim.Output();
        if (row.powerCycle)
        {
            sim.Command("power");
            ASSERT_TRUE(sim.WaitForLine(row.waitFor)) << sim.Output();
        }
        ASSERT_EQ(engine->RescanSelectedDevice(), S_OK);
        EXPECT_EQ(engine->GetPowerCycleFinding(), row.finding) << sim.Output();
        EXPECT_EQ(engine->GetDeviceState(), row.state) << sim.Output();
    }
}

// Keyboards that come and go are noticed without being asked for: one plugged in is
// found; one that restarted is read again on its new ports, so that its switch reaches it.
TEST(EngineOnJack, KeyboardsThatComeAndGoAreNoticed)
{
    const KV::RCPtr<LUpdateEngine> engine = MakeEngine({});
    ASSERT_EQ(engine->ScanForDevices(), S_OK);
    ASSERT_EQ(engine->GetDeviceState(), Engine::DeviceStateNoDevice);
    engine->WatchDeviceList(true);

    Keyboard keyboard({"--off-time", "50"});
    SimProcess& sim = keyboard.sim;
    ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();
    ASSERT_TRUE(WaitForState(*engine, Engine::DeviceStateNormalFirmware)) << sim.Output();
    EXPECT_EQ(SelectedVersion(*engine), "1.0.0.5");

    sim.Command("power");
    ASSERT_TRUE(sim.WaitForLine("on: normal mode")) << sim.Output();
    ASSERT_TRUE(sim.WaitForLine("identity:")) << "the restarted keyboard was not read again\n"
                                              << sim.Output();
    ASSERT_TRUE(WaitForState(*engine, Engine::DeviceStateNormalFirmware)) << sim.Output();
    EXPECT_TRUE(KV_SUCCEEDED(engine->EnterUpdateMode())) << sim.Output();
    EXPECT_TRUE(sim.WaitForLine("enter: accepted")) << sim.Output();
}

} // namespace
