#include "DeviceMessages.h"

#include "DeviceProtocol.h"

#include <string>

namespace DeviceMessages {

void BuildEnterUpdateModeMessage(Bytes& message)
{
    const auto& bytes = DeviceProtocol::EnterUpdateModeMessage;
    message.SetCount(static_cast<uint32_t>(bytes.size()));
    for (uint32_t i = 0; i < bytes.size(); ++i)
        *message.GetAt(i) = static_cast<int8_t>(bytes[i]);
}

Bytes MakeEnterUpdateModeMessage()
{
    Bytes message;
    BuildEnterUpdateModeMessage(message);
    return message;
}

void EncodeChunkAsHex(Bytes& bytes)
{
    const uint32_t count = bytes.GetCount();
    Bytes text;
    text.SetCount(count * 2);
    for (uint32_t i = 0; i < count; ++i)
    {
        const auto value = static_cast<uint8_t>(*bytes.GetAt(i));
        *text.GetAt(2 * i) = static_cast<int8_t>(DeviceProtocol::HexDigit(value >> 4));
        *text.GetAt(2 * i + 1) = static_cast<int8_t>(DeviceProtocol::HexDigit(value & 0x0F));
    }
    bytes = std::move(text);
}

bool IsIdentityReply(std::span<const uint8_t> message)
{
    return DeviceProtocol::IsIdentityReply(message);
}

int32_t ClassifyDeviceReply(std::span<const uint8_t> message)
{
    return DeviceProtocol::ClassifyStatusReply(message);
}

KV::String FormatVersionText(const std::array<uint32_t, 4>& numbers)
{
    std::string text;
    for (size_t i = 0; i < numbers.size(); ++i)
    {
        if (i != 0)
            text += '.';
        text += std::to_string(numbers[i]);
    }
    return KV::String(text.c_str());
}

bool ParseIdentityVersion(std::span<const uint8_t> message, LUpdateEngineInterface::VersionInfo& version)
{
    if (!IsIdentityReply(message))
        return false;
    for (size_t i = 0; i < DeviceProtocol::VersionPartCount; ++i)
        // MIDI data bytes are 0 to 127; a byte read as signed and widened keeps that.
        version.mNumbers[i] = static_cast<uint32_t>(
            static_cast<int8_t>(message[DeviceProtocol::IdentityReplyVersionIndex + i]));
    version.mText = FormatVersionText(version.mNumbers);
    return true;
}

} // namespace DeviceMessages
