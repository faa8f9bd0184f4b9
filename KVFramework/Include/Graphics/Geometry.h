#pragma once
// Geometry value types shared by the renderers, the control layout, the skins and input
// events: PointT, SizeT and RectT over int32_t (whole pixels), float and double.
//
// Every control position passes through the conversions below, so they are exact rules,
// not conveniences: rounding is half away from zero, conversions to int32_t saturate
// instead of wrapping (NaN goes to the lowest value), rectangles with negative extents are
// normalised before they are snapped to whole pixels, and emptiness is decided with an
// epsilon of the value type. A layout result such as 2.9999999999999996 counts as 3.

#include <cstdint>
#include <type_traits>

namespace KV {

// Half away from zero: 2.5 -> 3, -2.5 -> -3; -0.0 -> 0. The sum is formed in double
// precision, and NaN and infinities pass through.
double RoundHalfAwayFromZero(double value);

// double to int32_t: rounded half away from zero inside the int32_t range; above it the
// largest value, below it and for NaN the smallest.
int32_t DoubleToLong(double value);

// float to int32_t: the same rule with the float limits -2^31 and 2^31, rounded after
// widening to double; every value at or above 2^31 gives the largest value.
int32_t FloatToLong(float value);

// Floor that forgives a relative error of one unit in the last place: a value just below
// a whole number counts as that number. Out-of-range values saturate to the limits of the
// integer the type snaps to (int64_t for double, int32_t for float), NaN to the lowest.
double FloorWithTolerance(double value);
float FloorWithTolerance(float value);

// Clamps to +-2^23, the range in which a float still holds every whole number, and
// converts; NaN stays NaN.
float ToFloatClamped(double value);

// Clamps a coordinate to +-2^52, the range in which a double still holds every whole
// number; NaN stays NaN.
double ClampCoordinate(double value);

template <class T> struct PointT
{
    T x{};
    T y{};

    bool operator==(const PointT&) const = default;

    PointT<int32_t> ToLong() const requires std::is_floating_point_v<T>;
    PointT<double> ToDouble() const requires std::is_same_v<T, int32_t>;
    PointT<float> ToFloat() const requires std::is_same_v<T, double>;

    // In place: both values rounded half away from zero, kept as doubles.
    void Round() requires std::is_same_v<T, double>;
    // In place: both values floored with the float tolerance.
    void Floor() requires std::is_same_v<T, float>;

    // x for axis 0, y for any other axis.
    T& GetAxis(int axis) { return axis == 0 ? x : y; }
    const T& GetAxis(int axis) const { return axis == 0 ? x : y; }
};

template <class T> struct SizeT
{
    T width{};
    T height{};

    bool operator==(const SizeT&) const = default;

    SizeT<int32_t> ToLong() const requires std::is_floating_point_v<T>;
};

// Origin and extent: the right edge is x + width, the bottom edge y + height.
template <class T> struct RectT
{
    T x{};
    T y{};
    T width{};
    T height{};

    bool operator==(const RectT&) const = default;

    // Each value converted on its own by the rule of the type (DoubleToLong, FloatToLong).
    RectT<int32_t> ToLong() const requires std::is_floating_point_v<T>;
    RectT<double> ToDouble() const requires std::is_same_v<T, int32_t>;
    // Each value clamped to +-2^23.
    RectT<float> ToFloat() const requires std::is_same_v<T, int32_t>;

    // In place: the four edges rounded half away from zero, the extents taken from them, so
    // that neighbouring rectangles still meet after rounding.
    void RoundEdges() requires std::is_same_v<T, double>;
    // In place: negative extents normalised, then every edge floored with the tolerance.
    void SnapToGrid() requires std::is_floating_point_v<T>;

    // Writes the intersection of a and b into out, even when it is empty (the extents are
    // then zero or negative), and returns whether it is not empty: both extents at least 1
    // for int32_t, above 2^-52 for double and 2^-23 for float.
    static bool Intersect(RectT& out, const RectT& a, const RectT& b);
    // Writes the bounding rectangle of a and b into out; true when both extents of the
    // result exceed 2^-23.
    static bool Union(RectT& out, const RectT& a, const RectT& b) requires std::is_same_v<T, float>;
};

// The smallest extent that still counts as an area.
template <class T> constexpr T kExtentEpsilon = T(1);
template <> inline constexpr double kExtentEpsilon<double> = 2.220446049250313e-16; // 2^-52
template <> inline constexpr float kExtentEpsilon<float> = 1.1920929e-7f;           // 2^-23

namespace Detail {

// Sums and differences of int32_t edges, formed without overflow and saturated back.
int32_t SaturateToInt32(int64_t value);

template <class T> bool IsAnExtent(T extent)
{
    if constexpr (std::is_integral_v<T>)
        return extent >= kExtentEpsilon<T>;
    else
        return extent > kExtentEpsilon<T>;
}

} // namespace Detail

template <class T> PointT<int32_t> PointT<T>::ToLong() const requires std::is_floating_point_v<T>
{
    if constexpr (std::is_same_v<T, double>)
        return {DoubleToLong(x), DoubleToLong(y)};
    else
        return {FloatToLong(x), FloatToLong(y)};
}

template <class T> PointT<double> PointT<T>::ToDouble() const requires std::is_same_v<T, int32_t>
{
    // Every int32_t lies well inside the +-2^52 in which a double is exact.
    return {static_cast<double>(x), static_cast<double>(y)};
}

template <class T> PointT<float> PointT<T>::ToFloat() const requires std::is_same_v<T, double>
{
    return {ToFloatClamped(x), ToFloatClamped(y)};
}

template <class T> void PointT<T>::Round() requires std::is_same_v<T, double>
{
    x = RoundHalfAwayFromZero(x);
    y = RoundHalfAwayFromZero(y);
}

template <class T> void PointT<T>::Floor() requires std::is_same_v<T, float>
{
    x = FloorWithTolerance(x);
    y = FloorWithTolerance(y);
}

template <class T> SizeT<int32_t> SizeT<T>::ToLong() const requires std::is_floating_point_v<T>
{
    const PointT<int32_t> converted = PointT<T>{width, height}.ToLong();
    return {converted.x, converted.y};
}

template <class T> RectT<int32_t> RectT<T>::ToLong() const requires std::is_floating_point_v<T>
{
    const PointT<int32_t> origin = PointT<T>{x, y}.ToLong();
    const PointT<int32_t> extent = PointT<T>{width, height}.ToLong();
    return {origin.x, origin.y, extent.x, extent.y};
}

template <class T> RectT<double> RectT<T>::ToDouble() const requires std::is_same_v<T, int32_t>
{
    return {static_cast<double>(x), static_cast<double>(y), static_cast<double>(width),
            static_cast<double>(height)};
}

template <class T> RectT<float> RectT<T>::ToFloat() const requires std::is_same_v<T, int32_t>
{
    return {ToFloatClamped(x), ToFloatClamped(y), ToFloatClamped(width), ToFloatClamped(height)};
}

template <class T> void RectT<T>::RoundEdges() requires std::is_same_v<T, double>
{
    const double left = RoundHalfAwayFromZero(x);
    const double top = RoundHalfAwayFromZero(y);
    const double right = RoundHalfAwayFromZero(x + width);
    const double bottom = RoundHalfAwayFromZero(y + height);
    x = left;
    y = top;
    width = right - left;
    height = bottom - top;
}

template <class T> void RectT<T>::SnapToGrid() requires std::is_floating_point_v<T>
{
    if (width < 0)
    {
        x += width;
        width = -width;
    }
    if (height < 0)
    {
        y += height;
        height = -height;
    }
    const T right = FloorWithTolerance(x + width);
    const T bottom = FloorWithTolerance(y + height);
    x = FloorWithTolerance(x);
    y = FloorWithTolerance(y);
    width = right - x;
    height = bottom - y;
}

template <class T> bool RectT<T>::Intersect(RectT& out, const RectT& a, const RectT& b)
{
    // On a tie the value of a is kept (it matters for -0.0 and NaN).
    const auto larger = [](auto first, auto second) { return second > first ? second : first; };
    const auto smaller = [](auto first, auto second) { return second < first ? second : first; };
    if constexpr (std::is_integral_v<T>)
    {
        const int64_t left = larger(int64_t{a.x}, int64_t{b.x});
        const int64_t top = larger(int64_t{a.y}, int64_t{b.y});
        const int64_t right = smaller(int64_t{a.x} + a.width, int64_t{b.x} + b.width);
        const int64_t bottom = smaller(int64_t{a.y} + a.height, int64_t{b.y} + b.height);
        out = {static_cast<T>(left), static_cast<T>(top), Detail::SaturateToInt32(right - left),
               Detail::SaturateToInt32(bottom - top)};
        return Detail::IsAnExtent(right - left) && Detail::IsAnExtent(bottom - top);
    }
    else
    {
        const T left = larger(a.x, b.x);
        const T top = larger(a.y, b.y);
        const T right = smaller(a.x + a.width, b.x + b.width);
        const T bottom = smaller(a.y + a.height, b.y + b.height);
        out = {left, top, right - left, bottom - top};
        return Detail::IsAnExtent(out.width) && Detail::IsAnExtent(out.height);
    }
}

template <class T>
bool RectT<T>::Union(RectT& out, const RectT& a, const RectT& b) requires std::is_same_v<T, float>
{
    const T left = b.x < a.x ? b.x : a.x;
    const T top = b.y < a.y ? b.y : a.y;
    const T aRight = a.x + a.width;
    const T bRight = b.x + b.width;
    const T aBottom = a.y + a.height;
    const T bBottom = b.y + b.height;
    const T right = bRight > aRight ? bRight : aRight;
    const T bottom = bBottom > aBottom ? bBottom : aBottom;
    out = {left, top, right - left, bottom - top};
    return Detail::IsAnExtent(out.width) && Detail::IsAnExtent(out.height);
}

} // namespace KV
