#pragma once
// The other side of the JACK tests: a "device" that is a JACK client of its own in
// the test's process, with an output port "out" and an input port "in".

#include "Platform/Midi/JackMidiClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace KV::Platform::MidiTest {

class JackTestPeer
{
public:
    explicit JackTestPeer(const std::string& name)
    {
        std::string error;
        mClient = JackMidiClient::Open(
            name, {{"out", JackPortDirection::Output}, {"in", JackPortDirection::Input}}, error);
        if (!mClient)
            throw std::runtime_error(error);
        mOut = mClient->TakePort(JackPortDirection::Output, nullptr, error);
        mIn = mClient->TakePort(JackPortDirection::Input, nullptr, error);
        if (!mOut || !mIn)
            throw std::runtime_error(error);
    }

    JackMidiClient& Client() { return *mClient; }
    const std::string& OutName() const { return mOut->FullName(); }
    const std::string& InName() const { return mIn->FullName(); }

    // Connects the peer's output to a port of another client; the first message
    // sent afterwards then arrives.
    bool ConnectOut(const std::string& destination) { return mClient->Connect(*mOut, destination); }

    void Send(const std::vector<uint8_t>& message)
    {
        ASSERT_TRUE(mOut->Send(message.data(), message.size())) << message.size() << " bytes";
    }

    // The messages received so far, once there are `count` of them or `wait` has passed.
    std::vector<std::vector<uint8_t>> Received(size_t count,
                                               std::chrono::milliseconds wait = std::chrono::seconds(20))
    {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        std::vector<uint8_t> bytes;
        uint32_t stamp = 0;
        while (mReceived.size() < count && std::chrono::steady_clock::now() < deadline)
        {
            if (mIn->Receive(bytes, stamp))
                mReceived.push_back(bytes);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return mReceived;
    }

private:
    std::shared_ptr<JackMidiClient> mClient;
    std::shared_ptr<JackMidiPort> mOut, mIn;
    std::vector<std::vector<uint8_t>> mReceived;
};

} // namespace KV::Platform::MidiTest
