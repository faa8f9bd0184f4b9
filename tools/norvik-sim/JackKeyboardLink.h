#pragma once
// The simulated keyboard on a JACK server: like a USB keyboard, it is a JACK client
// with an input and an output port while it is on, named after its mode ("Norvik ZR"
// or "VORazuro Updater"), and no client while it is off. The client and its closing
// are the framework's own (JackMidiClient): no server callback ever touches a port
// being closed.

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
    JackKeyboardLink(std::size_t keyboard, std::string nameSuffix, IncomingQueue& queue, Reporter reporter);
    ~JackKeyboardLink() override;

    // Throws std::runtime_error when the server refuses the client or a port.
    void OpenPorts(PortSet ports) override;
    void ClosePorts() override;
    void Send(std::span<const std::uint8_t> message) override;

private:
    // On the server's thread.
    void InputArrived() noexcept override { mThread.Wake(); }
    // On the callback thread: hands one received message to the main loop.
    bool Pump() override;

    KV::Platform::MidiCallbackThread mThread;
    std::mutex mMutex; // the ports, between the main thread and Pump
    std::shared_ptr<KV::Platform::JackMidiPort> mInput, mOutput;
    std::uint64_t mPortsGeneration = 0;
};

} // namespace NorvikSim
