#include "JackKeyboardLink.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <thread>

namespace NorvikSim {

namespace {

using KV::Platform::JackMidiClient;
using KV::Platform::JackMidiPort;
using KV::Platform::JackPortDirection;
using PortSpec = JackMidiClient::PortSpec;

// A JACK server busy with other clients now and then refuses a new one; a real
// keyboard's ports would appear a moment later in that case, so try again.
constexpr int OpenAttempts = 5;
constexpr std::chrono::milliseconds OpenRetryPause{200};
// Long enough for the last answer to leave before the ports go, as a real keyboard
// finishes sending before it reboots.
constexpr std::chrono::milliseconds OutputDrainTime{200};

std::shared_ptr<JackMidiClient> OpenClient(const std::string& name, const std::vector<PortSpec>& ports)
{
    std::string error;
    for (int attempt = 1;; ++attempt)
    {
        if (auto client = JackMidiClient::Open(name, ports, error))
            return client;
        if (attempt == OpenAttempts)
            throw std::runtime_error(error);
        std::this_thread::sleep_for(OpenRetryPause);
    }
}

std::shared_ptr<JackMidiPort> Take(JackMidiClient& client, JackPortDirection direction,
                                   KV::Platform::JackInputListener* listener, const std::string& name)
{
    std::string error;
    auto port = client.TakePort(direction, listener, error, name);
    if (!port)
        throw std::runtime_error(error);
    return port;
}

// The input first: nothing more is received once the keyboard goes off. A client
// closes with its last port.
void CloseBoth(std::shared_ptr<JackMidiPort> input, std::shared_ptr<JackMidiPort> output)
{
    if (input)
        input->Close();
    if (output)
        output->Close(OutputDrainTime);
}

// The server's ALSA ports write a device's name with '-' for what a port name may not hold.
std::string AliasName(std::string name)
{
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '/' && c != '_' && c != ':' && c != '(' &&
            c != ')')
            c = '-';
    return name;
}

// The one client that holds the ports of every keyboard of the process, as a bridge
// or the server itself holds every ALSA device's. It is opened anew with the ports of
// the keyboards that are on whenever one comes or goes.
class SharedJackClient
{
public:
    static SharedJackClient& For(JackLayout layout)
    {
        static auto* const bridge = new SharedJackClient("a2j", JackLayout::Bridge);
        // Not "system": that name is the server's own, and a client that asks for it waits.
        static auto* const server = new SharedJackClient("system-midi", JackLayout::Server);
        return layout == JackLayout::Bridge ? *bridge : *server;
    }

    void Open(JackKeyboardLink& link, std::size_t keyboard, const std::string& name)
    {
        std::lock_guard lock(mMutex);
        Leave(link);
        // A device that comes back is a new ALSA client with a new number, and the
        // server numbers its ALSA ports on.
        mMembers.push_back({&link, keyboard, name, mNextClientNumber++, mNextCapture++, mNextPlayback++});
        std::sort(mMembers.begin(), mMembers.end(),
                  [](const Member& a, const Member& b) { return a.keyboard < b.keyboard; });
        Reopen();
    }

    void Close(JackKeyboardLink& link)
    {
        std::lock_guard lock(mMutex);
        if (Leave(link))
            Reopen();
    }

private:
    struct Member
    {
        JackKeyboardLink* link;
        std::size_t keyboard;
        std::string name;
        unsigned clientNumber, capture, playback;
    };

    SharedJackClient(std::string clientName, JackLayout layout)
        : mClientName(std::move(clientName)), mLayout(layout)
    {
    }

    // Takes the keyboard's ports away; the client goes once every port has.
    bool Leave(JackKeyboardLink& link)
    {
        const auto before = mMembers.size();
        std::erase_if(mMembers, [&](const Member& m) { return m.link == &link; });
        link.Detach();
        return mMembers.size() != before;
    }

    // The keyboard's output (what the host captures) and its input.
    PortSpec Capture(const Member& m) const
    {
        if (mLayout == JackLayout::Bridge)
            return {Bridged(m, "capture"), JackPortDirection::Output};
        return {"midi_capture_" + std::to_string(m.capture),
                JackPortDirection::Output,
                {AliasName("alsa_pcm:" + m.name + "/midi_capture_1"), AliasName(m.name + ":midi/capture_1")}};
    }

    PortSpec Playback(const Member& m) const
    {
        if (mLayout == JackLayout::Bridge)
            return {Bridged(m, "playback"), JackPortDirection::Input};
        return {
            "midi_playback_" + std::to_string(m.playback),
            JackPortDirection::Input,
            {AliasName("alsa_pcm:" + m.name + "/midi_playback_1"), AliasName(m.name + ":midi/playback_1")}};
    }

    static std::string Bridged(const Member& m, const char* direction)
    {
        return m.name + " [" + std::to_string(m.clientNumber) + "] (" + direction + "): " + m.name +
               " MIDI 1";
    }

    void Reopen()
    {
        for (const Member& m : mMembers)
            m.link->Detach();
        mClient.reset(); // closes once the detached ports are closed
        if (mMembers.empty())
            return;
        // Every keyboard's output port comes first, then their input ports in the
        // opposite order: a bridge lists its devices' ports as the ALSA sequencer
        // announces them, and nothing puts the two directions in one order.
        std::vector<PortSpec> specs;
        for (const Member& m : mMembers)
            specs.push_back(Capture(m));
        for (auto m = mMembers.rbegin(); m != mMembers.rend(); ++m)
            specs.push_back(Playback(*m));
        mClient = OpenClient(mClientName, specs);
        for (const Member& m : mMembers)
            m.link->Attach(Take(*mClient, JackPortDirection::Input, m.link->Listener(), Playback(m).name),
                           Take(*mClient, JackPortDirection::Output, nullptr, Capture(m).name));
    }

    const std::string mClientName;
    const JackLayout mLayout;
    std::mutex mMutex;
    std::vector<Member> mMembers; // the keyboards that are on, in their order
    std::shared_ptr<JackMidiClient> mClient;
    unsigned mNextClientNumber = 24, mNextCapture = 1, mNextPlayback = 1;
};

} // namespace

JackKeyboardLink::JackKeyboardLink(std::size_t keyboard, std::string nameSuffix, JackLayout layout,
                                   IncomingQueue& queue, Reporter reporter)
    : SystemKeyboardLink(keyboard, std::move(nameSuffix), queue, std::move(reporter)), mLayout(layout)
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
    const std::string name = PortBaseName(ports);
    {
        std::lock_guard lock(mMutex);
        mPortsGeneration = NextGeneration();
    }
    switch (mLayout)
    {
    case JackLayout::Client:
    {
        const auto client =
            OpenClient(name, {{"in", JackPortDirection::Input}, {"out", JackPortDirection::Output}});
        Attach(Take(*client, JackPortDirection::Input, this, "in"),
               Take(*client, JackPortDirection::Output, nullptr, "out"));
        break;
    }
    case JackLayout::Split:
    {
        const auto playback = OpenClient(name + " (playback)", {{"in", JackPortDirection::Input}});
        const auto capture = OpenClient(name + " (capture)", {{"out", JackPortDirection::Output}});
        Attach(Take(*playback, JackPortDirection::Input, this, "in"),
               Take(*capture, JackPortDirection::Output, nullptr, "out"));
        break;
    }
    case JackLayout::Bridge:
    case JackLayout::Server:
        SharedJackClient::For(mLayout).Open(*this, mKeyboard, name);
        break;
    }
}

void JackKeyboardLink::ClosePorts()
{
    if (mLayout == JackLayout::Bridge || mLayout == JackLayout::Server)
        SharedJackClient::For(mLayout).Close(*this);
    else
        Detach();
}

void JackKeyboardLink::Attach(std::shared_ptr<JackMidiPort> input, std::shared_ptr<JackMidiPort> output)
{
    std::lock_guard lock(mMutex);
    mInput = std::move(input);
    mOutput = std::move(output);
}

void JackKeyboardLink::Detach()
{
    std::shared_ptr<JackMidiPort> input, output;
    {
        std::lock_guard lock(mMutex);
        input = std::move(mInput);
        output = std::move(mOutput);
    }
    CloseBoth(std::move(input), std::move(output));
}

void JackKeyboardLink::Send(std::span<const std::uint8_t> message)
{
    std::shared_ptr<JackMidiPort> output;
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
