#pragma once
// Drives a KeyboardProtocol as the host would, with a fake clock and a link that
// records everything the keyboard does.

#include "Engine/DeviceProtocol.h"
#include "FirmwareImage.h"
#include "KeyboardProtocol.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace NorvikSimTest {

using NorvikSim::Bytes;
using NorvikSim::Millis;

// An image whose records have the given data lengths; the data bytes count up so
// that a misplaced byte shows.
inline Bytes MakeImage(const std::vector<std::size_t>& dataLengths)
{
    Bytes image;
    std::uint8_t next = 1;
    for (std::size_t length : dataLengths)
    {
        image.push_back(static_cast<std::uint8_t>(length >> 8));
        image.push_back(static_cast<std::uint8_t>(length & 0xFF));
        for (std::size_t i = 0; i < length; ++i)
            image.push_back(next++);
    }
    return image;
}

// F0, the bytes as upper-case hexadecimal text, F7.
inline Bytes ChunkMessage(std::span<const std::uint8_t> bytes)
{
    Bytes message{DeviceProtocol::SysExStart};
    for (std::uint8_t byte : NorvikSim::FormatImageText(bytes))
        message.push_back(byte);
    message.push_back(DeviceProtocol::SysExEnd);
    return message;
}

// The chunk messages of each record, cut as the host cuts them: at most
// chunkSize bytes, never across a record's end.
inline std::vector<std::vector<Bytes>> ChunksByRecord(const Bytes& image, std::size_t chunkSize = 11)
{
    std::vector<NorvikSim::RecordSpan> records;
    std::string error;
    EXPECT_TRUE(NorvikSim::SplitRecords(image, records, error)) << error;
    std::vector<std::vector<Bytes>> chunks;
    for (const auto& record : records)
    {
        chunks.emplace_back();
        for (std::size_t done = 0; done < record.size; done += chunkSize)
        {
            const std::size_t size = std::min(chunkSize, record.size - done);
            chunks.back().push_back(ChunkMessage(std::span(image).subspan(record.offset + done, size)));
        }
    }
    return chunks;
}

inline Bytes ToBytes(std::span<const std::uint8_t> bytes)
{
    return Bytes(bytes.begin(), bytes.end());
}

inline const Bytes Ack = {0xF0, 0x40, 0xF7};
inline const Bytes Accepted = {0xF0, 0x15, 0xF7};
inline const Bytes CancelRequest = {0xF0, 0x20, 0xF7};

class RecordingLink : public NorvikSim::IKeyboardLink
{
public:
    void OpenPorts(NorvikSim::PortSet ports) override
    {
        EXPECT_FALSE(open) << "a second set of ports opened while one is open";
        open = ports;
        portLog.push_back(ports == NorvikSim::PortSet::Normal ? "open normal" : "open update");
    }
    void ClosePorts() override
    {
        open.reset();
        portLog.push_back("close");
    }
    void Send(std::span<const std::uint8_t> message) override
    {
        EXPECT_TRUE(open) << "sent while no port is open";
        sent.push_back(ToBytes(message));
    }
    void Report(const NorvikSim::KeyboardEvent& event) override { events.push_back(event); }

    std::vector<Bytes> TakeSent() { return std::exchange(sent, {}); }
    std::size_t Count(NorvikSim::KeyboardEvent::Kind kind) const
    {
        return std::count_if(events.begin(), events.end(),
                             [kind](const auto& event) { return event.kind == kind; });
    }
    bool HasLine(std::string_view piece) const
    {
        return std::any_of(events.begin(), events.end(), [piece](const auto& event) {
            return event.text.find(piece) != std::string::npos;
        });
    }
    std::string Lines() const
    {
        std::string text;
        for (const auto& event : events)
            text += event.text + "\n";
        return text;
    }

    std::optional<NorvikSim::PortSet> open;
    std::vector<std::string> portLog;
    std::vector<Bytes> sent;
    std::vector<NorvikSim::KeyboardEvent> events;
};

class KeyboardDriver
{
public:
    explicit KeyboardDriver(NorvikSim::KeyboardSettings settings)
        : mSettings(settings), keyboard(std::move(settings), link, [this] { return now; })
    {
        keyboard.PowerOn();
    }

    // Lets time pass, running everything that falls due on the way.
    void Advance(Millis time)
    {
        const Millis target = now + time;
        while (const auto due = keyboard.NextDue())
        {
            if (*due > target)
                break;
            now = std::max(now, *due);
            keyboard.Poll();
        }
        now = target;
        keyboard.Poll();
    }

    void Receive(std::span<const std::uint8_t> message) { keyboard.Receive(message); }

    // Host: accepted enter-update-mode message, power cycle, update ports open.
    void SwitchToUpdateMode()
    {
        Receive(DeviceProtocol::EnterUpdateModeMessage);
        keyboard.PowerCycle();
        Advance(mSettings.offTime);
        ASSERT_EQ(keyboard.Mode(), NorvikSim::KeyboardMode::Update);
        link.TakeSent();
    }

    NorvikSim::KeyboardSettings mSettings;
    Millis now{1000};
    RecordingLink link;
    NorvikSim::KeyboardProtocol keyboard;
};

} // namespace NorvikSimTest
