#include "FirmwareImage.h"

#include "Engine/DeviceProtocol.h"

#include <charconv>

namespace NorvikSim {

namespace {

std::optional<std::uint8_t> AnyCaseHexValue(char c)
{
    if (c >= 'a' && c <= 'f')
        return static_cast<std::uint8_t>(c - 'a' + 10);
    return DeviceProtocol::UpperHexDigitValue(static_cast<std::uint8_t>(c));
}

std::string ByteText(std::uint8_t value)
{
    return {DeviceProtocol::HexDigit(value >> 4), DeviceProtocol::HexDigit(value & 0x0F)};
}

} // namespace

std::string FirmwareVersion::Text() const
{
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i)
    {
        if (i != 0)
            text += '.';
        text += std::to_string(parts[i]);
    }
    return text;
}

std::optional<FirmwareVersion> FirmwareVersion::Parse(std::string_view text)
{
    FirmwareVersion version;
    const char* position = text.data();
    const char* const end = text.data() + text.size();
    for (std::size_t i = 0; i < version.parts.size(); ++i)
    {
        if (i != 0)
        {
            if (position == end || *position != '.')
                return std::nullopt;
            ++position;
        }
        unsigned value = 0;
        const auto [next, error] = std::from_chars(position, end, value);
        if (error != std::errc{} || next == position || value > 0x7F)
            return std::nullopt;
        version.parts[i] = static_cast<std::uint8_t>(value);
        position = next;
    }
    if (position != end)
        return std::nullopt;
    return version;
}

bool ParseImageText(std::string_view text, Bytes& image, std::string& error)
{
    image.clear();
    if (text.size() % 2 != 0)
    {
        error = "odd number of characters (" + std::to_string(text.size()) + "): the last pair is cut";
        return false;
    }
    image.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (!AnyCaseHexValue(text[i]))
        {
            error = "character " + ByteText(static_cast<std::uint8_t>(text[i])) + " at offset " +
                    std::to_string(i) + " is not a hexadecimal digit";
            image.clear();
            return false;
        }
    }
    for (std::size_t i = 0; i < text.size(); i += 2)
        image.push_back(
            static_cast<std::uint8_t>(*AnyCaseHexValue(text[i]) << 4 | *AnyCaseHexValue(text[i + 1])));
    return true;
}

std::string FormatImageText(std::span<const std::uint8_t> image)
{
    std::string text;
    text.reserve(image.size() * 2);
    for (std::uint8_t byte : image)
        text += ByteText(byte);
    return text;
}

bool SplitRecords(std::span<const std::uint8_t> image, std::vector<RecordSpan>& records, std::string& error)
{
    records.clear();
    std::size_t position = 0;
    while (position < image.size())
    {
        if (image.size() - position < DeviceProtocol::RecordLengthBytes)
        {
            error = "one byte left at offset " + std::to_string(position) + " where a record length belongs";
            return false;
        }
        const std::size_t length = std::size_t{image[position]} << 8 | image[position + 1];
        const std::size_t size = length + DeviceProtocol::RecordLengthBytes;
        if (size > image.size() - position)
        {
            error = "record " + std::to_string(records.size() + 1) + " at offset " +
                    std::to_string(position) + " declares " + std::to_string(length) +
                    " data bytes but only " +
                    std::to_string(image.size() - position - DeviceProtocol::RecordLengthBytes) + " remain";
            return false;
        }
        records.push_back({position, size});
        position += size;
    }
    return true;
}

std::string HexDump(std::span<const std::uint8_t> bytes, std::size_t maxBytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && i < maxBytes; ++i)
    {
        if (i != 0)
            text += ' ';
        text += ByteText(bytes[i]);
    }
    if (bytes.size() > maxBytes)
        text += " ... (" + std::to_string(bytes.size()) + " bytes)";
    return text;
}

} // namespace NorvikSim
