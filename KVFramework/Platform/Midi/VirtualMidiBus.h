#pragma once
// An in-process MIDI bus for tests: the devices are played by the test itself.
//
// A source is a device that sends to the host: it is listed as an input, and what
// the test injects into it reaches every open, started input of it. A sink is a
// device that receives from the host: it is listed as an output, and its handler
// gets every message the host sends to it, whole, on the sending thread. Devices
// appear when added and disappear when unplugged; an open device of an unplugged
// sink refuses to send (NoDriver) and one of an unplugged source falls silent.
// Faults that real devices and drivers show can be switched on per device.

#include "Platform/Midi/MidiDriver.h"

#include <optional>

namespace KV::Platform {

using VirtualDeviceId = uint64_t;

struct VirtualMidiFaults
{
    bool refuseOpen = false;         // opening answers Allocated
    bool refuseStart = false;        // Start answers Error
    bool withholdCompletion = false; // long buffers stay with the device until Reset or Close
};

// How often a device has been opened and closed, for tests of its users.
struct VirtualDeviceStats
{
    uint32_t openNow = 0;
    uint32_t opens = 0;
    uint32_t closes = 0;
};

class VirtualMidiBus final : public IMidiDriver
{
public:
    // Called on the host's sending thread with one complete message; it may inject
    // replies, add or unplug devices.
    using SinkHandler = std::function<void(const std::vector<uint8_t>& message)>;

    VirtualMidiBus();
    ~VirtualMidiBus() override;

    VirtualDeviceId AddSource(std::string name);
    VirtualDeviceId AddSink(std::string name, SinkHandler handler);
    void Unplug(VirtualDeviceId device);
    void SetFaults(VirtualDeviceId device, const VirtualMidiFaults& faults);
    VirtualDeviceStats Stats(VirtualDeviceId device) const;

    // Sends one message from a source to the host: a short message when it begins
    // with a channel, system-common or real-time status, otherwise system-exclusive
    // data that reaches the host in its lent buffers. The time stamp defaults to the
    // time since the input was started. Answers how many open inputs it reached.
    size_t Inject(VirtualDeviceId source, std::vector<uint8_t> message,
                  std::optional<uint32_t> timestampMs = {});
    // Hands the host a buffer of damaged system-exclusive data.
    size_t InjectLongError(VirtualDeviceId source, std::vector<uint8_t> bytes);

    std::string ApiName() const override { return "virtual"; }
    std::string SystemName() const override { return std::string(); }
    std::vector<std::string> ListInputs() override;
    std::vector<std::string> ListOutputs() override;
    MidiResult OpenInput(uint32_t id, MidiInCallback callback,
                         std::unique_ptr<IMidiInDevice>& device) override;
    MidiResult OpenOutput(uint32_t id, MidiOutCallback callback,
                          std::unique_ptr<IMidiOutDevice>& device) override;
    // Told on the thread that adds or unplugs a device.
    std::shared_ptr<void> WatchDevices(MidiDevicesChangedCallback callback) override;

    struct Impl;

private:
    std::shared_ptr<Impl> mImpl;
};

} // namespace KV::Platform
