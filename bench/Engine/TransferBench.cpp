// How close a firmware transfer comes to what the protocol allows: a 64 KiB image is
// sent with the product's timings (a 2 ms pause before each chunk, an acknowledgement
// awaited after each record but the last), and the wall time is set against the
// protocol floor:
//   chunks x 2 ms + the (records - 1) acknowledgement waits of that very transfer,
// each from the return of the send of a record's last chunk to the arrival of the
// acknowledgement. Pauses and waits never overlap, so wall/floor is 1 or more; what
// lies above 1 is the transfer's own cost.
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
#include <mutex>
#include <atomic>
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

int64_t NowNs()
{
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

// The engine, with the moment its last chunk went out recorded.
class StreamedEngine final : public LUpdateEngine
{
public:
    StreamedEngine() : LUpdateEngine(Timings()) {}
    using LUpdateEngine::GetMidi;

    KVRESULT SendSysEx(const DeviceMessages::Bytes& payload,
                       const KV::RCPtr<KV::LMidiRenderPort>& port) override
    {
        const KVRESULT result = LUpdateEngine::SendSysEx(payload, port);
        mLastChunkSentNs.store(NowNs());
        return result;
    }

    std::atomic<int64_t> mLastChunkSentNs{0};
};

// Times the acknowledgements inside the transfer's stream: from the send of the chunk
// before each to its arrival, on the engine's own service and delivery thread.
class AckWaits : public KV::LNotificationClient
{
public:
    AckWaits(StreamedEngine& engine, size_t count) : mEngine(engine), mCount(count) {}

    KVRESULT Receive(const KV::RCPtr<KV::LNotificationDistributor>&,
                     const KV::RCPtr<KV::LNotification>& n) override
    {
        const int64_t arrived = NowNs();
        auto* data = dynamic_cast<const KV::LMidiCaptureNotificationData*>(n->GetData().Get());
        if (!data || data->GetCount() != 3 || data->GetByte(1) != DeviceProtocol::StatusAcknowledge)
            return S_OK;
        // The session start's acknowledgement comes before any chunk.
        const int64_t sent = mEngine.mLastChunkSentNs.exchange(0);
        std::lock_guard lock(mLock);
        if (sent != 0 && mWaitsMs.size() < mCount)
            mWaitsMs.push_back((arrived - sent) / 1e6);
        return S_OK;
    }

    std::vector<double> Waits()
    {
        std::lock_guard lock(mLock);
        return mWaitsMs;
    }

private:
    StreamedEngine& mEngine;
    const size_t mCount;
    std::mutex mLock;
    std::vector<double> mWaitsMs;
};

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
    KV::RCPtr<StreamedEngine> engine(new StreamedEngine());
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
    KV::RCPtr<AckWaits> waits(new AckWaits(*engine, image.records - 1));
    waits->RegisterNotification(engine->GetMidi(), KV::NID_MIDI_DATA_CAPTURED);
    engine->mLastChunkSentNs.store(0);

    const double cpuBefore = CpuSeconds();
    const auto start = steady_clock::now();
    engine->StartUpdate();
    engine->WaitForUpdateCompletion(KV::INFINITE_WAIT);
    const double wall = duration<double>(steady_clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuBefore;
    bool ok = engine->GetUpdateResult(false) == Engine::UpdateResultSucceeded;
    waits->UnregisterAllNotifications();
    std::vector<double> ackWaits = waits->Waits();
    if (ackWaits.size() != image.records - 1)
    {
        std::fprintf(stderr, "%s: %zu acknowledgement waits timed, not %zu\n", bus, ackWaits.size(),
                     image.records - 1);
        ok = false;
    }
    double waited = 0;
    for (double ms : ackWaits)
        waited += ms / 1000.0;
    std::nth_element(ackWaits.begin(), ackWaits.begin() + ackWaits.size() / 2, ackWaits.end());
    const double medianMs = ackWaits.empty() ? 0 : ackWaits[ackWaits.size() / 2];

    const double floor = image.chunks * 0.002 + waited;
    std::printf("%-8s %s  %zu bytes, %zu records, %zu chunks\n", bus, ok ? "sent" : "FAILED",
                image.bytes.size(), image.records, image.chunks);
    std::printf(
        "         wall %.3f s   floor %.3f s (chunks x 2 ms %.3f s + %zu acknowledgement waits %.3f s, "
        "median %.3f ms)   wall/floor %.3f\n",
        wall, floor, image.chunks * 0.002, ackWaits.size(), waited, medianMs, wall / floor);
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
