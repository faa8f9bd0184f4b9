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

#include <csignal>
#include <string>
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

} // namespace
