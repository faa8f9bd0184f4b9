#pragma once
// The part of a point, size or rectangle on one axis (0 x, 1 y), for code that handles
// both axes alike.

#include "Graphics/Geometry.h"

namespace KV::AxisParts {

inline double& Axis(PointT<double>& point, int axis)
{
    return axis == 0 ? point.x : point.y;
}

inline double Axis(const PointT<double>& point, int axis)
{
    return axis == 0 ? point.x : point.y;
}

inline double& Axis(SizeT<double>& size, int axis)
{
    return axis == 0 ? size.width : size.height;
}

inline double Extent(const SizeT<double>& size, int axis)
{
    return axis == 0 ? size.width : size.height;
}

inline double Origin(const RectT<double>& rect, int axis)
{
    return axis == 0 ? rect.x : rect.y;
}

inline double Extent(const RectT<double>& rect, int axis)
{
    return axis == 0 ? rect.width : rect.height;
}

} // namespace KV::AxisParts
