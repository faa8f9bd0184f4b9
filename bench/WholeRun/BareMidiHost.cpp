// bare-midi-host: the updater's silent run reduced to plain RtMidi calls, as the
// yardstick of the whole-run benchmark (whole-run.sh). It does what the updater does
// on the wire and nothing else:
//   keyboard in normal mode:  identity request, enter-update-mode message, exit 2;
//   keyboard in update mode:  session start, then every record in chunks with the
//                             same pause, an acknowledgement after each record but
//                             the last, exit 0;
//   no keyboard:              exit 6.
//
//   bare-midi-host IMAGE     (KV_MIDI_API=alsa|jack, JACK when unset)

#include "Engine/DeviceProtocol.h"
#include "FirmwareImage.h"

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

namespace {

using Bytes = NorvikSim::Bytes;
using Clock = std::chrono::steady_clock;

constexpr int ExitSent = 0;
constexpr int ExitFailed = 3;
constexpr int ExitSwitched = 2;
constexpr int ExitNoKeyboard = 6;

class Replies
{
public:
    static void OnInput(double, std::vector<unsigned char>* message, void* self)
    {
        auto* replies = static_cast<Replies*>(self);
        {
            std::lock_guard lock(replies->mMutex);
            replies->mQueue.emplace_back(message->begin(), message->end());
        }
        replies->mArrived.notify_one();
    }

    // The next reply that passes the test, within the wait.
    template <class Test> bool WaitFor(std::chrono::milliseconds wait, Test test)
    {
        const auto deadline = Clock::now() + wait;
        std::unique_lock lock(mMutex);
        for (;;)
        {
            while (!mQueue.empty())
            {
                const Bytes reply = std::move(mQueue.front());
                mQueue.pop_front();
                if (test(reply))
                    return true;
            }
            if (mArrived.wait_until(lock, deadline) == std::cv_status::timeout && mQueue.empty())
                return false;
        }
    }

private:
    std::mutex mMutex;
    std::condition_variable mArrived;
    std::deque<Bytes> mQueue;
};

bool Contains(std::string name, std::string_view piece)
{
    std::string lower(piece);
    for (std::string* text : {&name, &lower})
        std::transform(text->begin(), text->end(), text->begin(),
                       [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
    return name.find(lower) != std::string::npos;
}

template <class Port> std::optional<unsigned> FindPort(Port& port, std::string_view piece)
{
    for (unsigned i = 0; i < port.getPortCount(); ++i)
        if (Contains(port.getPortName(i), piece))
            return i;
    return std::nullopt;
}

bool IsStatus(const Bytes& reply, int status)
{
    return DeviceProtocol::ClassifyStatusReply(reply) == status;
}

bool IsAcknowledgement(const Bytes& reply)
{
    return IsStatus(reply, DeviceProtocol::StatusAcknowledge) ||
           IsStatus(reply, DeviceProtocol::StatusAcknowledgeAlternate);
}

void Send(RtMidiOut& output, std::span<const uint8_t> message)
{
    output.sendMessage(message.data(), message.size());
}

int SwitchToUpdateMode(RtMidiOut& output, Replies& replies)
{
    Send(output, DeviceProtocol::IdentityRequest);
    if (!replies.WaitFor(std::chrono::milliseconds(DeviceProtocol::IdentityReplyWaitMs),
                         [](const Bytes& reply) { return DeviceProtocol::IsIdentityReply(reply); }))
    {
        std::fprintf(stderr, "bare-midi-host: no identity reply\n");
        return ExitFailed;
    }
    Send(output, DeviceProtocol::EnterUpdateModeMessage);
    if (!replies.WaitFor(
            std::chrono::milliseconds(DeviceProtocol::EnterUpdateModeReplyWaitMs),
            [](const Bytes& reply) { return IsStatus(reply, DeviceProtocol::StatusUpdateModeAccepted); }))
    {
        std::fprintf(stderr, "bare-midi-host: the switch was not accepted\n");
        return ExitFailed;
    }
    return ExitSwitched;
}

int SendImage(RtMidiOut& output, Replies& replies, const Bytes& image)
{
    const auto acknowledged = [&replies] {
        return replies.WaitFor(std::chrono::milliseconds(DeviceProtocol::AcknowledgeWaitMs),
                               IsAcknowledgement);
    };
    Send(output, DeviceProtocol::EnterUpdateModeMessage);
    if (!acknowledged())
    {
        std::fprintf(stderr, "bare-midi-host: the session start was not acknowledged\n");
        return ExitFailed;
    }
    std::vector<NorvikSim::RecordSpan> records;
    std::string error;
    NorvikSim::SplitRecords(image, records, error);
    Bytes chunk;
    for (size_t r = 0; r < records.size(); ++r)
    {
        for (size_t offset = 0; offset < records[r].size; offset += DeviceProtocol::MaxChunkImageBytes)
        {
            const size_t count = std::min(DeviceProtocol::MaxChunkImageBytes, records[r].size - offset);
            std::this_thread::sleep_for(std::chrono::milliseconds(DeviceProtocol::ChunkPauseMs));
            chunk.assign(1, DeviceProtocol::SysExStart);
            for (size_t i = 0; i < count; ++i)
            {
                const uint8_t byte = image[records[r].offset + offset + i];
                chunk.push_back(static_cast<uint8_t>(DeviceProtocol::HexDigit(byte >> 4)));
                chunk.push_back(static_cast<uint8_t>(DeviceProtocol::HexDigit(byte & 0x0F)));
            }
            chunk.push_back(DeviceProtocol::SysExEnd);
            Send(output, chunk);
        }
        if (r + 1 < records.size() && !acknowledged())
        {
            std::fprintf(stderr, "bare-midi-host: record %zu was not acknowledged\n", r + 1);
            return ExitFailed;
        }
    }
    return ExitSent;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: bare-midi-host IMAGE\n");
        return 1;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    Bytes image;
    std::string error;
    std::vector<NorvikSim::RecordSpan> records;
    if (!file || !NorvikSim::ParseImageText(text.str(), image, error) ||
        !NorvikSim::SplitRecords(image, records, error))
    {
        std::fprintf(stderr, "bare-midi-host: unreadable image %s %s\n", argv[1], error.c_str());
        return 1;
    }
    try
    {
        const char* api = std::getenv("KV_MIDI_API");
        const RtMidi::Api chosen = api && std::string(api) == "alsa" ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK;
        Replies replies;
        RtMidiIn input(chosen, "bare-midi-host in");
        input.ignoreTypes(false, true, true);
        input.setCallback(&Replies::OnInput, &replies);
        RtMidiOut output(chosen, "bare-midi-host out");
        for (const bool update : {false, true})
        {
            const std::string_view name =
                update ? DeviceProtocol::UpdateModePortName : DeviceProtocol::NormalModePortName;
            const std::optional<unsigned> in = FindPort(input, name);
            const std::optional<unsigned> out = FindPort(output, name);
            if (!in || !out)
                continue;
            input.openPort(*in, "in");
            output.openPort(*out, "out");
            return update ? SendImage(output, replies, image) : SwitchToUpdateMode(output, replies);
        }
        return ExitNoKeyboard;
    }
    catch (const RtMidiError& e)
    {
        std::fprintf(stderr, "bare-midi-host: %s\n", e.getMessage().c_str());
        return 1;
    }
}
