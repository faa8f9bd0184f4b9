#pragma once
// The engine's side of the device protocol: building what it sends and recognising
// what the keyboard answers. The byte values live in DeviceProtocol.h, which the
// simulated keyboard shares.

#include "UpdateEngineInterface.h"

#include "Storage/Array.h"

#include <cstdint>
#include <span>

namespace DeviceMessages {

using Bytes = KV::Array<int8_t>;

// The nine-byte message that switches the keyboard into its update mode.
void BuildEnterUpdateModeMessage(Bytes& message);
Bytes MakeEnterUpdateModeMessage();

// Replaces n bytes by their 2n upper-case hexadecimal characters, high digit first.
void EncodeChunkAsHex(Bytes& bytes);

// Exactly 37 bytes: F0 7E <device> 06 02 ...
bool IsIdentityReply(std::span<const uint8_t> message);
// The status code of a three-byte status reply (0x15, 0x1A, 0x20 or 0x40), else -9.
int32_t ClassifyDeviceReply(std::span<const uint8_t> message);
// The firmware version at bytes 11 to 14 of an identity reply; the text writes each
// part in decimal ("1.0.10.0"). False when the message is no identity reply.
bool ParseIdentityVersion(std::span<const uint8_t> message, LUpdateEngineInterface::VersionInfo& version);

// The version text of four numbers: "1.0.0.6".
KV::String FormatVersionText(const std::array<uint32_t, 4>& numbers);

// The bytes of an array as unsigned values.
inline std::span<const uint8_t> AsUnsigned(const Bytes& bytes)
{
    return {reinterpret_cast<const uint8_t*>(const_cast<Bytes&>(bytes).GetData()), bytes.GetCount()};
}

} // namespace DeviceMessages
