#pragma once
// A small MIDI host on the private JACK server (the framework's own JACK client,
// whose two ports are registered before it is active and never unregistered):
// finds the keyboard's ports by a piece of their names, sends messages and
// collects what comes back.

#include "FirmwareImage.h"
#include "Platform/Midi/JackMidiClient.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace NorvikSimTest {

class TestMidiHost
{
public:
    TestMidiHost()
    {
        std::string error;
        mClient =
            KV::Platform::JackMidiClient::Open("kv-test-host",
                                               {{"from keyboard", KV::Platform::JackPortDirection::Input},
                                                {"to keyboard", KV::Platform::JackPortDirection::Output}},
                                               error);
        if (!mClient)
            throw std::runtime_error("test MIDI host: " + error);
    }

    ~TestMidiHost() { Disconnect(); }

    // How many of the other clients' ports (inputs and outputs) contain the piece.
    std::size_t CountPorts(const std::string& piece)
    {
        return FindPorts(KV::Platform::JackPortDirection::Input, piece).size() +
               FindPorts(KV::Platform::JackPortDirection::Output, piece).size();
    }

    bool WaitForPortCount(const std::string& piece, std::size_t count, std::chrono::milliseconds timeout)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (CountPorts(piece) != count)
        {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    // Connects to the first input and output port whose names contain the piece (and
    // not the excluded one), once both exist and the server accepts both connections:
    // the keyboard's ports are listed from the moment it registers them, a little
    // before its client is active, and the server refuses to connect a port of a
    // client that is not active yet.
    bool Connect(const std::string& piece, const std::string& excluded = {},
                 std::chrono::milliseconds timeout = std::chrono::seconds(20))
    {
        using KV::Platform::JackPortDirection;
        Disconnect();
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;)
        {
            const auto sources = FindPorts(JackPortDirection::Input, piece, excluded);
            const auto destinations = FindPorts(JackPortDirection::Output, piece, excluded);
            if (!sources.empty() && !destinations.empty())
            {
                std::string error;
                mInput = mClient->TakePort(JackPortDirection::Input, nullptr, error);
                mOutput = mClient->TakePort(JackPortDirection::Output, nullptr, error);
                if (mInput && mOutput && mClient->Connect(*mInput, sources.front()) &&
                    mClient->Connect(*mOutput, destinations.front()))
                    return true;
                Disconnect();
            }
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    void Disconnect()
    {
        if (mInput)
            mInput->Close();
        if (mOutput)
            mOutput->Close();
        mInput.reset();
        mOutput.reset();
    }

    // Queued for the next cycles once the connections are in effect.
    void Send(std::span<const std::uint8_t> message)
    {
        if (mOutput)
            mOutput->Send(message.data(), message.size());
    }

    // Sends a message that may safely be repeated (identity request, enter-update-mode,
    // session start) until an answer comes: a message the keyboard's program has not
    // yet begun to read may be lost on a loaded machine.
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

    // The next message from the keyboard; clock and active-sensing bytes are skipped.
    std::optional<NorvikSim::Bytes> Receive(std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::vector<std::uint8_t> bytes;
        std::uint32_t when = 0;
        while (std::chrono::steady_clock::now() < deadline)
        {
            if (mInput && mInput->Receive(bytes, when))
            {
                if (bytes.size() == 1 && (bytes[0] == 0xF8 || bytes[0] == 0xFE))
                    continue;
                return NorvikSim::Bytes(bytes.begin(), bytes.end());
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return std::nullopt;
    }

private:
    // Other clients' ports that ours in `direction` would connect to, whose names
    // contain the piece and not the excluded one (case-insensitively).
    std::vector<std::string> FindPorts(KV::Platform::JackPortDirection direction, const std::string& piece,
                                       const std::string& excluded = {}) const
    {
        const auto lower = [](std::string text) {
            std::transform(text.begin(), text.end(), text.begin(),
                           [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
            return text;
        };
        std::vector<std::string> found;
        for (const std::string& port : mClient->ListPeers(direction))
        {
            const std::string name = lower(port);
            if (name.find(lower(piece)) != std::string::npos &&
                (excluded.empty() || name.find(lower(excluded)) == std::string::npos))
                found.push_back(port);
        }
        return found;
    }

    std::shared_ptr<KV::Platform::JackMidiClient> mClient;
    std::shared_ptr<KV::Platform::JackMidiPort> mInput;
    std::shared_ptr<KV::Platform::JackMidiPort> mOutput;
};

} // namespace NorvikSimTest
