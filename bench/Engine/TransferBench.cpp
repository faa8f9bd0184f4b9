// How close a firmware transfer comes to what the protocol allows: a 64 KiB image is
// sent with the product's timings (a 2 ms pause before each chunk, an acknowledgement
// after each record), and the wall time is set against the protocol floor:
//   chunks x 2 ms + records x the measured acknowledgement round trip.
//
//   bench_transfer                      the in-process virtual bus
//   tools/with-jack.sh bench_transfer   also JACK, against norvik-sim as a process
#include "DeviceMessages.h"
#include "DeviceProtocol.h"
#include "UpdateEngine.h"
#include "VirtualKeyboard.h"

#include "Midi/MidiComm.h"
#include "Notification/NotificationCenter.h"
#include "Platform/Midi/VirtualMidiBus.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono;
using Engine = LUpdateEngineInterface;

namespace {

struct Image
{
    NorvikSim::Bytes bytes;
    size_t records = 0;
    size_t chunks = 0;
};

// Records of 1 to 256 data bytes up to 64 KiB.
Image MakeImage()
{
    Image image;
    std::mt19937 random(64);
    while (image.bytes.size() < 65536)
    {
        const size_t room = 65536 - image.bytes.size();
        if (room < 3)
            break;
        const size_t length = std::min<size_t>(1 + random() % 256, room - 2);
        image.bytes.push_back(static_cast<uint8_t>(length >> 8));
        image.bytes.push_back(static_cast<uint8_t>(length));
        for (size_t i = 0; i < length; ++i)
            image.bytes.push_back(static_cast<uint8_t>(random()));
        ++image.records;
        image.chunks +=
            (length + 2 + DeviceProtocol::MaxChunkImageBytes - 1) / DeviceProtocol::MaxChunkImageBytes;
    }
    return image;
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Receives what the keyboard sends on its update ports.
class AckCounter : public KV::LNotificationClient
{
public:
    KVRESULT Receive(const KV::RCPtr<KV::LNotificationDistributor>&,
                     const KV::RCPtr<KV::LNotification>& n) override
    {
        if (auto* data = dynamic_cast<const KV::LMidiCaptureNotificationData*>(n->GetData().Get()))
            if (data->GetCount() == 3 && data->GetByte(1) == DeviceProtocol::StatusAcknowledge)
                mAck.Set();
        return S_OK;
    }
    KV::TrafficLight mAck;
};

// The median time from sending the session start to its acknowledgement.
double MeasureRoundTripMs()
{
    auto midi = KV::LMidiCommInterface::Create();
    KV::RCPtr<AckCounter> counter(new AckCounter());
    counter->RegisterNotification(midi, KV::NID_MIDI_DATA_CAPTURED);
    KV::RCPtr<KV::LMidiCapturePort> capture;
    KV::RCPtr<KV::LMidiRenderPort> render;
    midi->OpenCapturePort(KV::String(u"VORazuro Updater"), capture);
    midi->OpenRenderPort(KV::String(u"VORazuro Updater"), render);
    std::vector<double> samples;
    for (int i = 0; i < 21 && capture && render; ++i)
    {
        counter->mAck.Reset();
        const auto start = steady_clock::now();
        midi->Send(KV::RCPtr<KV::LRefCountedObject>(render), DeviceMessages::MakeEnterUpdateModeMessage());
        if (counter->mAck.Wait(2000) != KV::WAIT_OBJECT_0)
            continue;
        samples.push_back(duration<double, std::milli>(steady_clock::now() - start).count());
    }
    counter->UnregisterAllNotifications();
    if (samples.empty())
        return 0;
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return samples[samples.size() / 2];
}

bool WaitForState(Engine& engine, int32_t state, seconds within)
{
    const auto until = steady_clock::now() + within;
    while (steady_clock::now() < until)
    {
        engine.RescanSelectedDevice();
        if (engine.GetDeviceState() == state)
            return true;
        std::this_thread::sleep_for(200ms);
    }
    return false;
}

// Runs the transfer; powerCycle switches the keyboard off and on.
bool Measure(const char* bus, const Image& image, const std::string& imagePath,
             const std::function<void()>& powerCycle)
{
    auto engine = LUpdateEngine::Create();
    engine->Initialize(KV::String());
    Engine::DeviceDefinition definition;
    definition.mNormalInputPortName = definition.mNormalOutputPortName = u"Norvik";
    definition.mUpdateInputPortName = definition.mUpdateOutputPortName = u"VORazuro Updater";
    KV::Array<Engine::DeviceDefinition> definitions;
    definitions.AddItem(definition);
    engine->SetDeviceDefinitions(definitions);
    engine->SetFirmwareFile(KV::String(imagePath.c_str()));
    engine->ScanForDevices();
    if (engine->EnterUpdateMode() != 9)
    {
        std::fprintf(stderr, "%s: the keyboard was not switched (state %d)\n", bus, engine->GetDeviceState());
        return false;
    }
    powerCycle();
    if (!WaitForState(*engine, Engine::DeviceStateReadyForUpdate, 10s))
    {
        std::fprintf(stderr, "%s: the keyboard did not come back in its update mode\n", bus);
        return false;
    }
    const double roundTripMs = MeasureRoundTripMs();

    const double cpuBefore = CpuSeconds();
    const auto start = steady_clock::now();
    engine->StartUpdate();
    engine->WaitForUpdateCompletion(KV::INFINITE_WAIT);
    const double wall = duration<double>(steady_clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuBefore;
    const bool ok = engine->GetUpdateResult(false) == Engine::UpdateResultSucceeded;

    const double floor = image.chunks * 0.002 + image.records * roundTripMs / 1000.0;
    std::printf("%-8s %s  %zu bytes, %zu records, %zu chunks\n", bus, ok ? "sent" : "FAILED",
                image.bytes.size(), image.records, image.chunks);
    std::printf("         wall %.3f s   floor %.3f s (chunks x 2 ms %.3f s + records x round trip %.3f ms)   "
                "wall/floor %.3f\n",
                wall, floor, image.chunks * 0.002, roundTripMs, wall / floor);
    std::printf("         CPU %.3f s (%.1f %% of the wall time, this process%s)\n", cpu, 100.0 * cpu / wall,
                std::strcmp(bus, "virtual") == 0 ? ", keyboard included" : "");
    // Drain what the engine posted, as the window thread would.
    KV::LNotificationCenterManager::GetInstance()->ProcessAllQueues(false);
    return ok;
}

} // namespace

int main()
{
    const Image image = MakeImage();
    const auto folder = std::filesystem::temp_directory_path() / ("kv-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string imagePath = (folder / "image.led").string();
    std::ofstream(imagePath) << NorvikSim::FormatImageText(image.bytes);
    bool ok = true;

    {
        auto bus = std::make_shared<KV::Platform::VirtualMidiBus>();
        KV::LMidiCommInterface::UseDriver(bus);
        auto settings = enginetest::VirtualKeyboard::QuickSettings();
        settings.ackDelay = milliseconds(0);
        settings.expectedImage = image.bytes;
        enginetest::VirtualKeyboard keyboard(bus, settings);
        keyboard.PowerOn();
        ok &= Measure("virtual", image, imagePath, [&] { keyboard.PowerCycle(); });
        KV::LMidiCommInterface::UseDriver(nullptr);
    }

    if (std::getenv("JACK_DEFAULT_SERVER"))
    {
        int input[2];
        if (pipe(input) != 0)
            return 1;
        const pid_t sim = fork();
        if (sim == 0)
        {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            dup2(input[0], STDIN_FILENO);
            close(input[1]);
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, STDOUT_FILENO);
            execl(NORVIK_SIM_PATH, NORVIK_SIM_PATH, "--expect", imagePath.c_str(), "--ack-delay", "0",
                  "--off-time", "300", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(input[0]);
        std::this_thread::sleep_for(1500ms);
        ok &= Measure("jack", image, imagePath, [&] {
            const char power[] = "power\n";
            (void)!write(input[1], power, sizeof power - 1);
        });
        const char quit[] = "quit\n";
        (void)!write(input[1], quit, sizeof quit - 1);
        close(input[1]);
        waitpid(sim, nullptr, 0);
    }
    else
        std::printf("jack     (run under tools/with-jack.sh to measure JACK as well)\n");

    std::filesystem::remove_all(folder);
    return ok ? 0 : 1;
}
