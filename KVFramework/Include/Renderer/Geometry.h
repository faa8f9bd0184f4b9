#pragma once
// Geometry value types shared by the renderers, the control layout and input events.

namespace KV {

// A position: pointer positions are whole pixels (int32_t), layout positions doubles.
template <class T> struct PointT
{
    T x{};
    T y{};

    bool operator==(const PointT&) const = default;
};

} // namespace KV
