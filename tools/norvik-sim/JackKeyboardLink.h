#pragma once
// The simulated keyboard on a JACK server: like a USB keyboard, it has an input and an
// output port while it is on, named after its mode ("Norvik ZR" or "VORazuro Updater"),
// and none while it is off. How the ports show follows one of the layouts of real set-ups
// (JackLayout): a client of the keyboard's own (the default), a client per direction, or
// one client for every keyboard of the process (an ALSA-to-JACK bridge, the server's own
// ALSA ports). The clients and their closing are the framework's own (JackMidiClient):
// no server callback ever touches a port being closed.

#include "SimOptions.h"
#include "SystemKeyboardLink.h"

#include "Platform/Midi/JackMidiClient.h"
#include "Platform/Midi/MidiCallbackThread.h"

#include <mutex>

namespace NorvikSim {

class JackKeyboardLink final : public SystemKeyboardLink,
                               private KV::Platform::JackInputListener,
                               private KV::Platform::MidiCallbackTarget
{
public:
    JackKeyboardLink(std::size_t keyboard, std::string nameSuffix, JackLayout layout, IncomingQueue& queue,
                     Reporter reporter);
    ~JackKeyboardLink() override;

    // Throws std::runtime_error when the server refuses the client or a port.
    void OpenPorts(PortSet ports) override;
    void ClosePorts() override;
    void Send(std::span<const std::uint8_t> message) override;

    // The ports the keyboard has now (the shared client hands them over), and taking
    // them away again.
    void Attach(std::shared_ptr<KV::Platform::JackMidiPort> input,
                std::shared_ptr<KV::Platform::JackMidiPort> output);
    void Detach();

    // The listener of the keyboard's input port.
    KV::Platform::JackInputListener* Listener() { return this; }

private:
    // On the server's thread.
    void InputArrived() noexcept override { mThread.Wake(); }
    // On the callback thread: hands one received message to the main loop.
    bool Pump() override;

    const JackLayout mLayout;
    KV::Platform::MidiCallbackThread mThread;
    std::mutex mMutex; // the ports, between the main thread and Pump
    std::shared_ptr<KV::Platform::JackMidiPort> mInput, mOutput;
    std::uint64_t mPortsGeneration = 0;
};

} // namespace NorvikSim
