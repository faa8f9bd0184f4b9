#pragma once
// Firmware images and versions as the simulated keyboard sees them: the image file
// is text made only of hexadecimal digit pairs; its bytes are records of two
// length bytes (big-endian) followed by that many data bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace NorvikSim {

using Bytes = std::vector<std::uint8_t>;

struct FirmwareVersion
{
    std::array<std::uint8_t, 4> parts{};

    // "1.0.0.5": the parts in decimal, most significant first.
    std::string Text() const;
    // Four decimal parts of 0 to 127 (MIDI data bytes) joined by '.'.
    static std::optional<FirmwareVersion> Parse(std::string_view text);

    bool operator==(const FirmwareVersion&) const = default;
};

// One record inside an image: where it starts and how many bytes it takes,
// its two length bytes included.
struct RecordSpan
{
    std::size_t offset = 0;
    std::size_t size = 0;

    bool operator==(const RecordSpan&) const = default;
};

// Parses image text: digit pairs of either case, nothing else (no blanks, no line
// ends). Returns false with a reason naming the offending offset.
bool ParseImageText(std::string_view text, Bytes& image, std::string& error);

// Upper-case hexadecimal text of the bytes, the inverse of ParseImageText.
std::string FormatImageText(std::span<const std::uint8_t> image);

// Cuts an image into its records. Fails when the last record declares more bytes
// than remain, or when a lone byte is left where a length field should be.
bool SplitRecords(std::span<const std::uint8_t> image, std::vector<RecordSpan>& records, std::string& error);

// A short hexadecimal dump for event lines ("F0 40 00 F7"), cut after maxBytes.
std::string HexDump(std::span<const std::uint8_t> bytes, std::size_t maxBytes = 16);

} // namespace NorvikSim
