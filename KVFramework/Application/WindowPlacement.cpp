#include "Application/WindowPlacement.h"

#include <vector>

namespace KV {

namespace {

bool IsCoordinate(int32_t value)
{
    return value >= WindowPlacement::kMinCoordinate && value <= WindowPlacement::kMaxCoordinate;
}

} // namespace

std::array<uint8_t, WindowPlacement::kSize> WindowPlacement::ToBytes() const
{
    std::array<uint8_t, kSize> bytes{};
    size_t at = 0;
    const auto put = [&](auto field) {
        const auto value = static_cast<uint32_t>(field);
        for (int shift = 0; shift < 32; shift += 8)
            bytes[at++] = static_cast<uint8_t>(value >> shift);
    };
    put(length);
    put(flags);
    put(showCommand);
    put(minimizedX);
    put(minimizedY);
    put(maximizedX);
    put(maximizedY);
    put(left);
    put(top);
    put(right);
    put(bottom);
    return bytes;
}

std::optional<WindowPlacement> WindowPlacement::FromBytes(std::span<const uint8_t> bytes)
{
    if (bytes.size() != kSize)
        return std::nullopt;
    size_t at = 0;
    const auto get = [&] {
        uint32_t value = 0;
        for (int shift = 0; shift < 32; shift += 8)
            value |= static_cast<uint32_t>(bytes[at++]) << shift;
        return value;
    };
    const auto getSigned = [&] { return static_cast<int32_t>(get()); };
    WindowPlacement placement;
    placement.length = get();
    placement.flags = get();
    placement.showCommand = get();
    placement.minimizedX = getSigned();
    placement.minimizedY = getSigned();
    placement.maximizedX = getSigned();
    placement.maximizedY = getSigned();
    placement.left = getSigned();
    placement.top = getSigned();
    placement.right = getSigned();
    placement.bottom = getSigned();
    if (!placement.IsSane())
        return std::nullopt;
    return placement;
}

bool WindowPlacement::IsSane() const
{
    return length == kSize && (flags & ~kKnownFlags) == 0 && showCommand <= kLastShowCommand &&
           IsCoordinate(minimizedX) && IsCoordinate(minimizedY) && IsCoordinate(maximizedX) &&
           IsCoordinate(maximizedY) && IsCoordinate(left) && IsCoordinate(top) && IsCoordinate(right) &&
           IsCoordinate(bottom) && right > left && bottom > top;
}

std::optional<WindowPlacement> ReadWindowPlacement(const LProfile& profile, const String& section)
{
    std::vector<uint8_t> bytes;
    if (!profile.GetProfileBinary(section, kWindowPlacementEntry, bytes))
        return std::nullopt;
    return WindowPlacement::FromBytes(bytes);
}

bool WriteWindowPlacement(LProfile& profile, const String& section, const WindowPlacement& placement)
{
    const std::array<uint8_t, WindowPlacement::kSize> bytes = placement.ToBytes();
    return profile.WriteProfileBinary(section, kWindowPlacementEntry, bytes);
}

} // namespace KV
