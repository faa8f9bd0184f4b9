#include "JackKeyboardLink.h"

#include <stdexcept>
#include <thread>

namespace NorvikSim {

namespace {
// A JACK server busy with other clients now and then refuses a new one; a real
// keyboard's ports would appear a moment later in that case, so try again.
constexpr int OpenAttempts = 5;
constexpr std::chrono::milliseconds OpenRetryPause{200};
// Long enough for the last answer to leave before the ports go, as a real keyboard
// finishes sending before it reboots.
constexpr std::chrono::milliseconds OutputDrainTime{200};
} // namespace

JackKeyboardLink::JackKeyboardLink(std::size_t keyboard, std::string nameSuffix, IncomingQueue& queue,
                                   Reporter reporter)
    : SystemKeyboardLink(keyboard, std::move(nameSuffix), queue, std::move(reporter))
{
    mThread.Add(this);
}

JackKeyboardLink::~JackKeyboardLink()
{
    ClosePorts();
    mThread.Remove(this);
}

void JackKeyboardLink::OpenPorts(PortSet ports)
{
    ClosePorts();
    using KV::Platform::JackPortDirection;
    const std::string name = PortBaseName(ports);
    std::string error;
    std::shared_ptr<KV::Platform::JackMidiClient> client;
    for (int attempt = 1; !client; ++attempt)
    {
        client = KV::Platform::JackMidiClient::Open(
            name, {{"in", JackPortDirection::Input}, {"out", JackPortDirection::Output}}, error);
        if (!client && attempt == OpenAttempts)
            throw std::runtime_error(error);
        if (!client)
            std::this_thread::sleep_for(OpenRetryPause);
    }
    std::lock_guard lock(mMutex);
    mPortsGeneration = NextGeneration();
    mInput = client->TakePort(JackPortDirection::Input, this, error);
    mOutput = client->TakePort(JackPortDirection::Output, nullptr, error);
}

void JackKeyboardLink::ClosePorts()
{
    std::shared_ptr<KV::Platform::JackMidiPort> input, output;
    {
        std::lock_guard lock(mMutex);
        input = std::move(mInput);
        output = std::move(mOutput);
    }
    // The input goes first: nothing more is received once the keyboard goes off. The
    // client closes with the last port.
    if (input)
        input->Close();
    if (output)
        output->Close(OutputDrainTime);
}

void JackKeyboardLink::Send(std::span<const std::uint8_t> message)
{
    std::shared_ptr<KV::Platform::JackMidiPort> output;
    {
        std::lock_guard lock(mMutex);
        output = mOutput;
    }
    if (output)
        output->Send(message.data(), message.size());
}

bool JackKeyboardLink::Pump()
{
    Bytes message;
    std::uint32_t arrived = 0;
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(mMutex);
        if (!mInput || !mInput->Receive(message, arrived))
            return false;
        generation = mPortsGeneration;
    }
    Deliver(generation, std::move(message));
    return true;
}

} // namespace NorvikSim
