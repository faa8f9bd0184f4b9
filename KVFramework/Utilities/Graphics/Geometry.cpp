#include "Graphics/Geometry.h"

#include <cmath>
#include <limits>

namespace KV {

namespace {

// Truncation toward zero into Int, saturating at its limits; NaN gives the lowest value,
// as the conversions to int32_t do.
template <class Int, class Float> Int TruncateSaturating(Float value)
{
    constexpr Float kUpperLimit = static_cast<Float>(std::numeric_limits<Int>::max()) + Float(1); // 2^(n-1)
    constexpr Float kLowerLimit = static_cast<Float>(std::numeric_limits<Int>::min());
    if (!(value >= kLowerLimit))
        return std::numeric_limits<Int>::min();
    if (value >= kUpperLimit)
        return std::numeric_limits<Int>::max();
    return static_cast<Int>(value);
}

template <class Float> Float FloorWithEpsilon(Float value)
{
    using Int = std::conditional_t<std::is_same_v<Float, double>, int64_t, int32_t>;
    constexpr Float eps = kExtentEpsilon<Float>;
    const Float shifted = value >= 0 ? value + value * eps : value - (value * eps + Float(1));
    return static_cast<Float>(TruncateSaturating<Int>(shifted));
}

} // namespace

double RoundHalfAwayFromZero(double value)
{
    return std::trunc(value < 0 ? value - 0.5 : value + 0.5);
}

int32_t DoubleToLong(double value)
{
    if (value >= -2147483648.0 && value <= 2147483647.0)
        return static_cast<int32_t>(RoundHalfAwayFromZero(value));
    if (value >= -2147483648.0)
        return std::numeric_limits<int32_t>::max();
    return std::numeric_limits<int32_t>::min();
}

int32_t FloatToLong(float value)
{
    if (value >= -2147483648.0f && value < 2147483648.0f)
        return static_cast<int32_t>(RoundHalfAwayFromZero(static_cast<double>(value)));
    if (value >= -2147483648.0f)
        return std::numeric_limits<int32_t>::max();
    return std::numeric_limits<int32_t>::min();
}

double FloorWithTolerance(double value)
{
    return FloorWithEpsilon(value);
}

float FloorWithTolerance(float value)
{
    return FloorWithEpsilon(value);
}

double ClampCoordinate(double value)
{
    constexpr double kLimit = 4503599627370496.0; // 2^52
    if (value > kLimit)
        return kLimit;
    if (value < -kLimit)
        return -kLimit;
    return value;
}

float ToFloatClamped(double value)
{
    constexpr double kLimit = 8388608.0; // 2^23
    if (value > kLimit)
        return static_cast<float>(kLimit);
    if (value < -kLimit)
        return static_cast<float>(-kLimit);
    return static_cast<float>(value);
}

namespace Detail {

int32_t SaturateToInt32(int64_t value)
{
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

} // namespace Detail

} // namespace KV
