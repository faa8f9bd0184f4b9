#pragma once
// The arithmetic of control layout on one axis, apart from the control tree that finds
// the references: where a control goes and how large it is relative to a reference
// frame, and how its own minimum and maximum (and a label that must not be cut) change
// that. Everything is in double precision; rounding is half away from zero.

#include "ControlBase/LayoutDescriptor.h"
#include "Graphics/Geometry.h"

#include <cstdint>

namespace KV {

// A reference on one axis: where it starts and how long it is.
struct LayoutReferenceFrame
{
    double origin = 0;
    double size = 0;
};

// The position and size on one axis: the position from its frame, the size up to the far
// edge its frame gives (or its own absolute size for "Self"), the anchor's share of the
// size moved back; a docked axis follows the parent's scroll offset.
void CalculateLayoutAxis(const LayoutPositionSpec& position, const LayoutSizeSpec& size,
                         const LayoutReferenceFrame& positionFrame, const LayoutReferenceFrame& sizeFrame,
                         bool docked, double scrollOffset, double& outPosition, double& outSize);

// A size of at least the minimum, the position moved by the anchor's share of the
// growth. 1 when it changed, else 0.
int32_t ApplyOwnMinimum(double& position, double& size, double minimum, float anchor);
// A size of at most the maximum (0: none), the position moved by the anchor's share of
// the cut. 1 when it changed, else 0.
int32_t ApplyOwnMaximum(double& position, double& size, double maximum, float anchor);

// A far edge of at least the limit L that a named child (or the children) gives: a control
// whose far edge falls short grows forward, moved back by the anchor's share; one that
// starts past the limit grows backward to it. 1 when it changed, 0 when it did not need
// to, E_FAIL (and no change) when the anchor cannot move that way.
int32_t ApplyLimitMinimum(double& position, double& size, double limit, float anchor);
// A far edge of at most the limit L: the size is cut to end at round(L), the position
// moved by the anchor's share of the cut. 1 when it changed, else 0.
int32_t ApplyLimitMaximum(double& position, double& size, double limit, float anchor);

// The bounding box of whole-pixel rectangles, in 32-bit integers; all zero for none.
RectT<double> BoundingBoxOf(const RectT<double>* rects, size_t count);

// The minimum that lets a label's text fit: when the text needs more than its area, the
// control grows by the shortfall divided by the share of the control's size the area
// grows with. A share of 0 or less cannot be grown into and leaves the minimum as it is.
double TextFitMinimum(double minimum, double needed, double available, double areaShare, double currentSize);

} // namespace KV
