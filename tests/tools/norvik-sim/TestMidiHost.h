#pragma once
// A small MIDI host on the system's MIDI (RtMidi, the backend chosen by
// KV_MIDI_API): finds the keyboard's ports by a piece of their names, sends
// messages and collects what comes back.

#include "FirmwareImage.h"

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace NorvikSimTest {

class TestMidiHost
{
public:
    TestMidiHost()
    {
        const char* api = std::getenv("KV_MIDI_API");
        mApi = api && std::string(api) == "alsa" ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK;
        mInput = std::make_unique<RtMidiIn>(mApi, "kv-test-host in");
        mInput->ignoreTypes(false, true, true);
        mInput->setCallback(&TestMidiHost::OnInput, this);
        mOutput = std::make_unique<RtMidiOut>(mApi, "kv-test-host out");
    }

    ~TestMidiHost()
    {
        mInput.reset(); // no callback runs after this
        // RtMidi's JACK output frees its message rings before it closes its client, so
        // a cycle of its process callback that began before the port closed could still
        // read them (it crashed the test now and then under load). The callback does
        // nothing once the port is closed: close it first and let such a cycle end.
        mOutput->closePort();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        mOutput.reset();
    }

    // How many ports (inputs and outputs) contain the piece.
    std::size_t CountPorts(const std::string& piece)
    {
        return FindPorts(*mInput, piece).size() + FindPorts(*mOutput, piece).size();
    }

    bool WaitForPortCount(const std::string& piece, std::size_t count, std::chrono::milliseconds timeout)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (CountPorts(piece) != count)
        {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    // Opens the first input and output port whose names contain the piece (and not
    // the excluded one), once both exist. On JACK the keyboard must be on by then (it
    // has said so): its ports are listed from the moment it registers them, a little
    // before its client is active, and the server refuses to connect a port of a
    // client that is not active yet. RtMidi does not report that refusal, so a host
    // that connected in that moment would never hear the keyboard (or never reach
    // it), however often it asked.
    bool Connect(const std::string& piece, const std::string& excluded = {},
                 std::chrono::milliseconds timeout = std::chrono::seconds(20))
    {
        Disconnect();
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;)
        {
            const auto inputs = FindPorts(*mInput, piece, excluded);
            const auto outputs = FindPorts(*mOutput, piece, excluded);
            if (!inputs.empty() && !outputs.empty())
            {
                try
                {
                    mInput->openPort(inputs.front(), "from keyboard");
                    mOutput->openPort(outputs.front(), "to keyboard");
                    return true;
                }
                catch (const RtMidiError&)
                {
                    // A busy server may refuse a client for a moment, or the
                    // ports went away between the listing and the opening.
                    mInput->closePort();
                    mOutput->closePort();
                }
            }
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    void Disconnect()
    {
        mInput->closePort();
        mOutput->closePort();
        std::lock_guard lock(mMutex);
        mReceived.clear();
    }

    void Send(std::span<const std::uint8_t> message) { mOutput->sendMessage(message.data(), message.size()); }

    // Sends a message that may safely be repeated (identity request, enter-update-mode,
    // session start) until an answer comes. A server under load can take a few
    // cycles before a new connection carries data, so the first message after a
    // Connect may be lost; once an answer has come, the ports are live both ways.
    std::optional<NorvikSim::Bytes> Ask(std::span<const std::uint8_t> message)
    {
        for (int attempt = 0; attempt < 10; ++attempt)
        {
            Send(message);
            if (auto reply = Receive(std::chrono::seconds(3)))
                return reply;
        }
        return std::nullopt;
    }

    std::optional<NorvikSim::Bytes> Receive(std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        std::unique_lock lock(mMutex);
        if (!mArrived.wait_for(lock, timeout, [this] { return !mReceived.empty(); }))
            return std::nullopt;
        NorvikSim::Bytes message = std::move(mReceived.front());
        mReceived.pop_front();
        return message;
    }

private:
    template <typename Midi>
    static std::vector<unsigned> FindPorts(Midi& midi, const std::string& piece,
                                           const std::string& excluded = {})
    {
        const auto lower = [](std::string text) {
            std::transform(text.begin(), text.end(), text.begin(),
                           [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
            return text;
        };
        std::vector<unsigned> found;
        for (unsigned i = 0; i < midi.getPortCount(); ++i)
        {
            const std::string name = lower(midi.getPortName(i));
            if (name.find(lower(piece)) != std::string::npos &&
                (excluded.empty() || name.find(lower(excluded)) == std::string::npos))
                found.push_back(i);
        }
        return found;
    }

    static void OnInput(double, std::vector<unsigned char>* message, void* self)
    {
        auto* host = static_cast<TestMidiHost*>(self);
        {
            std::lock_guard lock(host->mMutex);
            host->mReceived.emplace_back(message->begin(), message->end());
        }
        host->mArrived.notify_all();
    }

    RtMidi::Api mApi;
    std::unique_ptr<RtMidiIn> mInput;
    std::unique_ptr<RtMidiOut> mOutput;
    std::mutex mMutex;
    std::condition_variable mArrived;
    std::deque<NorvikSim::Bytes> mReceived;
};

} // namespace NorvikSimTest
