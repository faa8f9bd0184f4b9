#pragma once
// The main window's placement as the profile keeps it (entry "WP" of the section named
// after the application's unique instance name): a record of 44 bytes, eleven 32-bit
// numbers, least significant byte first: its own length, flags, the show command, the
// minimised and maximised positions, and the rectangle of the normal window.

#include "Application/Profile.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace KV {

struct WindowPlacement
{
    static constexpr uint32_t kSize = 44;
    static constexpr uint32_t kKnownFlags = 0x7; // set minimised position, restore maximised, asynchronous
    static constexpr uint32_t kLastShowCommand = 11;
    // Window coordinates beyond these are not of any screen.
    static constexpr int32_t kMinCoordinate = -32768;
    static constexpr int32_t kMaxCoordinate = 32767;

    uint32_t length = kSize;
    uint32_t flags = 0;
    uint32_t showCommand = 1; // shown normally
    int32_t minimizedX = -1;
    int32_t minimizedY = -1;
    int32_t maximizedX = -1;
    int32_t maximizedY = -1;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    std::array<uint8_t, kSize> ToBytes() const;
    // A placement only from a record of exactly kSize bytes whose values are sane.
    static std::optional<WindowPlacement> FromBytes(std::span<const uint8_t> bytes);
    // Its own length, known flags and show command, every coordinate within the
    // limits, and a normal rectangle that is not empty.
    bool IsSane() const;

    bool operator==(const WindowPlacement&) const = default;
};

// The profile's entry of a placement.
inline constexpr char16_t kWindowPlacementEntry[] = u"WP";

// The placement stored in the section; nothing when there is none or it is not sane.
std::optional<WindowPlacement> ReadWindowPlacement(const LProfile& profile, const String& section);
bool WriteWindowPlacement(LProfile& profile, const String& section, const WindowPlacement& placement);

} // namespace KV
