#include "ControlBase/LayoutArithmetic.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace KV {

void CalculateLayoutAxis(const LayoutPositionSpec& position, const LayoutSizeSpec& size,
                         const LayoutReferenceFrame& positionFrame, const LayoutReferenceFrame& sizeFrame,
                         bool docked, double scrollOffset, double& outPosition, double& outSize)
{
    const float anchor = position.mPlacementAnchor;
    double p = RoundHalfAwayFromZero(static_cast<double>(position.mRel) * positionFrame.size) +
               position.mAbs + positionFrame.origin;
    double s = 0;
    if (size.mReference == SizeReference::Self)
    {
        s = std::max(size.mAbs, 0.0);
    }
    else
    {
        const double farEdge = RoundHalfAwayFromZero(static_cast<double>(size.mRel) * sizeFrame.size) +
                               sizeFrame.origin + size.mAbs;
        const double d = farEdge - p;
        // The anchor's share of the size lies before the position: the rest must reach
        // the far edge. The factor is formed in single precision, as the skins expect.
        if (d > 0 && anchor >= 0 && anchor < 1)
            s = static_cast<double>(1.0f / (1.0f - anchor)) * d;
        else if (d < 0 && anchor > 0 && anchor <= 1)
            s = static_cast<double>(1.0f / -anchor) * d;
    }
    p -= static_cast<double>(anchor) * s;
    if (docked)
        p += scrollOffset;
    outPosition = p;
    outSize = s;
}

int32_t ApplyOwnMinimum(double& position, double& size, double minimum, float anchor)
{
    if (!(size < minimum))
        return 0;
    position -= RoundHalfAwayFromZero(static_cast<double>(anchor) * (minimum - size));
    size = minimum;
    return 1;
}

int32_t ApplyOwnMaximum(double& position, double& size, double maximum, float anchor)
{
    if (maximum == 0 || !(size > maximum))
        return 0;
    position -= RoundHalfAwayFromZero(static_cast<double>(anchor) * (maximum - size));
    size = maximum;
    return 1;
}

int32_t ApplyLimitMinimum(double& position, double& size, double limit, float anchor)
{
    const double a = anchor;
    if (position <= limit && position + size < limit)
    {
        if (!(a >= 0 && a < 1))
            return E_FAIL;
        position -= RoundHalfAwayFromZero(a * (limit - (position + size)) / (1 - a));
        size = RoundHalfAwayFromZero(limit) - position;
        return 1;
    }
    if (position > limit)
    {
        if (!(a > 0 && a <= 1))
            return E_FAIL;
        const double excess = position - limit;
        position -= excess;
        size += RoundHalfAwayFromZero(excess / a);
        return 1;
    }
    return 0;
}

int32_t ApplyLimitMaximum(double& position, double& size, double limit, float anchor)
{
    // Limits at or below the anchor value (a pixel or less) are taken like any other.
    if (!(limit > position && position + size > limit))
        return 0;
    position += RoundHalfAwayFromZero(static_cast<double>(anchor) * (position + size - limit));
    size = RoundHalfAwayFromZero(limit) - position;
    return 1;
}

RectT<double> BoundingBoxOf(const RectT<double>* rects, size_t count)
{
    if (count == 0)
        return {};
    int64_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
    for (size_t i = 0; i < count; ++i)
    {
        const RectT<int32_t> r = rects[i].ToLong();
        left = std::min<int64_t>(left, r.x);
        top = std::min<int64_t>(top, r.y);
        right = std::max<int64_t>(right, int64_t{r.x} + r.width);
        bottom = std::max<int64_t>(bottom, int64_t{r.y} + r.height);
    }
    return {static_cast<double>(left), static_cast<double>(top),
            static_cast<double>(Detail::SaturateToInt32(right - left)),
            static_cast<double>(Detail::SaturateToInt32(bottom - top))};
}

double TextFitMinimum(double minimum, double needed, double available, double areaShare, double currentSize)
{
    const double shortfall = std::ceil(needed - available);
    if (!(shortfall > 0) || !(areaShare > 0))
        return minimum;
    const double grown = std::trunc(std::ceil(shortfall / areaShare)) + currentSize;
    return std::max(minimum, grown);
}

} // namespace KV
