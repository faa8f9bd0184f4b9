#pragma once
// The simulated keyboard in-process: its protocol class played on the virtual MIDI bus,
// so that the engine's tests run the whole device protocol without a MIDI system.
//
// The protocol class is single-threaded; every call into it (the host's messages on
// the host's sending thread, the pump that does what has become due) takes one lock.

#include "KeyboardProtocol.h"
#include "Platform/Midi/VirtualMidiBus.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace enginetest {

class VirtualKeyboard final : public NorvikSim::IKeyboardLink
{
public:
    // Short delays, so that tests do not sit through the real keyboard's.
    static NorvikSim::KeyboardSettings QuickSettings();

    VirtualKeyboard(std::shared_ptr<KV::Platform::VirtualMidiBus> bus, NorvikSim::KeyboardSettings settings,
                    std::string normalName = "Norvik ZR61 MIDI");
    ~VirtualKeyboard() override;

    void PowerOn();
    void PowerCycle();
    // Runs the keyboard until it is in the mode (true) or the time is up (false).
    bool WaitForMode(NorvikSim::KeyboardMode mode,
                     std::chrono::milliseconds within = std::chrono::seconds(10));

    // Waits until the last transfer has that outcome (true) or the time is up (false).
    bool WaitForOutcome(NorvikSim::TransferOutcome outcome,
                        std::chrono::milliseconds within = std::chrono::seconds(10));

    NorvikSim::KeyboardMode Mode();
    NorvikSim::Bytes ReceivedImage();
    NorvikSim::TransferOutcome Outcome();
    // Every message the host sent, in order.
    std::vector<NorvikSim::Bytes> FromHost();
    // How often the host opened the keyboard's present ports (its output, its input); once the keyboard
    // closed them, the counts they had then.
    std::pair<KV::Platform::VirtualDeviceStats, KV::Platform::VirtualDeviceStats> PortStats();
    std::vector<NorvikSim::KeyboardEvent> Events();

private:
    void OpenPorts(NorvikSim::PortSet ports) override;
    void ClosePorts() override;
    void Send(std::span<const std::uint8_t> message) override;
    void Report(const NorvikSim::KeyboardEvent& event) override;
    void Pump();

    std::shared_ptr<KV::Platform::VirtualMidiBus> mBus;
    std::string mNormalName;
    std::recursive_mutex mLock;
    std::condition_variable_any mWake;
    std::unique_ptr<NorvikSim::KeyboardProtocol> mKeyboard;
    std::optional<KV::Platform::VirtualDeviceId> mSource, mSink;
    // The counts of the last port set, kept when the keyboard closes it (installing closes the
    // update ports as soon as the image is in, which can be before a test reads them).
    std::pair<KV::Platform::VirtualDeviceStats, KV::Platform::VirtualDeviceStats> mClosedStats;
    std::vector<NorvikSim::Bytes> mFromHost;
    std::vector<NorvikSim::KeyboardEvent> mEvents;
    bool mStop = false;
    std::thread mPump;
};

} // namespace enginetest
