#pragma once
// The keyboard's MIDI protocol: every byte value, size and name that the update
// engine and the simulated keyboard (tools/norvik-sim) must agree on. Plain
// constants and tiny helpers only, so that both sides can include it without
// pulling in any framework.
//
// Messages, all system-exclusive (F0 ... F7):
//   host -> keyboard, normal ports   identity request        F0 7E 00 06 01 F7
//   keyboard -> host, normal ports   identity reply          37 bytes, version at 11..14
//   host -> keyboard, normal ports   enter update mode       F0, EnterUpdateModeData, F7
//   keyboard -> host, normal ports   accepted                F0 15 F7
//   host -> keyboard, update ports   session start           the same nine bytes
//   keyboard -> host, update ports   acknowledgement         F0 40 F7 or F0 1A F7
//   host -> keyboard, update ports   firmware chunk          F0, 2k upper-case hex characters, F7
//   keyboard -> host, update ports   cancel request          F0 20 F7
//
// The image is a sequence of records: two length bytes (big-endian) and that many
// data bytes. Records travel in chunks of at most MaxChunkImageBytes; a chunk never
// spans two records, and the keyboard acknowledges each record after its last chunk.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace DeviceProtocol {

constexpr std::uint8_t SysExStart = 0xF0;
constexpr std::uint8_t SysExEnd = 0xF7;

// Universal non-real-time identity request, addressed to device 0.
constexpr std::array<std::uint8_t, 6> IdentityRequest = {0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7};
constexpr std::uint8_t UniversalNonRealTime = 0x7E;
constexpr std::uint8_t GeneralInformation = 0x06;
constexpr std::uint8_t IdentityRequestSubId = 0x01;
constexpr std::uint8_t IdentityReplySubId = 0x02;
constexpr std::uint8_t AllCallDeviceId = 0x7F;

// Identity reply: F0 7E <device> 06 02, then the keyboard's own data; the four
// version parts (most significant first) sit at bytes 11 to 14; F7 closes it.
constexpr std::size_t IdentityReplySize = 37;
constexpr std::size_t IdentityReplyDeviceIdIndex = 2;
constexpr std::size_t IdentityReplyVersionIndex = 11;
constexpr std::size_t VersionPartCount = 4;
// The keyboard's own identity bytes (manufacturer, family, model, revision) at 5..10.
constexpr std::size_t IdentityReplyManufacturerIndex = 5;

// 0x7D is the manufacturer number reserved for non-commercial use; the six bytes
// after it spell "NZRUPD" so that the message is recognisable in a MIDI monitor.
// All are data bytes (below 0x80), and their count is odd, so the message can
// never be mistaken for a firmware chunk (an even number of hex characters).
constexpr std::uint8_t ManufacturerId = 0x7D;
constexpr std::array<std::uint8_t, 7> EnterUpdateModeData = {ManufacturerId, 0x4E, 0x5A, 0x52,
                                                             0x55,           0x50, 0x44};
constexpr std::array<std::uint8_t, 9> EnterUpdateModeMessage = {SysExStart,
                                                                EnterUpdateModeData[0],
                                                                EnterUpdateModeData[1],
                                                                EnterUpdateModeData[2],
                                                                EnterUpdateModeData[3],
                                                                EnterUpdateModeData[4],
                                                                EnterUpdateModeData[5],
                                                                EnterUpdateModeData[6],
                                                                SysExEnd};

// Status replies: exactly F0 <code> F7.
constexpr std::size_t StatusReplySize = 3;
constexpr std::uint8_t StatusUpdateModeAccepted = 0x15;
constexpr std::uint8_t StatusAcknowledge = 0x40;
constexpr std::uint8_t StatusAcknowledgeAlternate = 0x1A;
constexpr std::uint8_t StatusCancelRequest = 0x20;
constexpr int NotAStatusReply = -9;

constexpr std::array<std::uint8_t, 3> MakeStatusReply(std::uint8_t code)
{
    return {SysExStart, code, SysExEnd};
}

// Firmware records and chunks.
constexpr std::size_t RecordLengthBytes = 2;
constexpr std::size_t MaxChunkImageBytes = 11;
constexpr std::size_t MaxChunkHexCharacters = 2 * MaxChunkImageBytes;
constexpr std::size_t MaxChunkMessageBytes = MaxChunkHexCharacters + 2;

// Port names are matched as case-insensitive pieces of the system's port names.
constexpr std::string_view NormalModePortName = "Norvik";
constexpr std::string_view UpdateModePortName = "VORazuro Updater";

// How long the host waits for each answer, in milliseconds.
constexpr std::uint32_t IdentityReplyWaitMs = 2000;
constexpr std::uint32_t EnterUpdateModeReplyWaitMs = 2000;
constexpr std::uint32_t AcknowledgeWaitMs = 10000;
constexpr std::uint32_t ChunkPauseMs = 2;

inline bool IsIdentityReply(std::span<const std::uint8_t> message)
{
    return message.size() == IdentityReplySize && message[0] == SysExStart &&
           message[1] == UniversalNonRealTime && message[3] == GeneralInformation &&
           message[4] == IdentityReplySubId;
}

// The status code of a status reply, or NotAStatusReply.
inline int ClassifyStatusReply(std::span<const std::uint8_t> message)
{
    if (message.size() != StatusReplySize || message[0] != SysExStart || message[2] != SysExEnd)
        return NotAStatusReply;
    switch (message[1])
    {
    case StatusUpdateModeAccepted:
    case StatusAcknowledge:
    case StatusAcknowledgeAlternate:
    case StatusCancelRequest:
        return message[1];
    default:
        return NotAStatusReply;
    }
}

// Upper-case hexadecimal digit for a value of 0 to 15.
constexpr char HexDigit(std::uint8_t nibble)
{
    return static_cast<char>(nibble < 10 ? '0' + nibble : 'A' + (nibble - 10));
}

// The value of an upper-case hexadecimal digit as sent in chunks; nothing else is one.
constexpr std::optional<std::uint8_t> UpperHexDigitValue(std::uint8_t c)
{
    if (c >= '0' && c <= '9')
        return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<std::uint8_t>(c - 'A' + 10);
    return std::nullopt;
}

} // namespace DeviceProtocol
