#include "ControlBase/LayoutArithmetic.h"

#include <algorithm>
#include <cmath>

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

double TextFitMinimum(double minimum, double needed, double available, double areaShare, double currentSize)
{
    const double shortfall = std::ceil(needed - available);
    if (!(shortfall > 0) || !(areaShare > 0))
        return minimum;
    const double grown = std::trunc(std::ceil(shortfall / areaShare)) + currentSize;
    return std::max(minimum, grown);
}

} // namespace KV
