#pragma once
// The minimum size a control's own limit and its label give on one axis: a label that
// expands is never cut, unless the control's own maximum forbids it, in which case the
// label wraps instead.

#include "ControlBase/LayoutDescriptor.h"
#include "ControlBase/Look.h"
#include "Graphics/Geometry.h"

namespace KV {

// axis 0 is X, any other Y. look: the shown look, or null. The X rule switches the
// label's word wrap off, and back on when the maximum cuts the minimum.
double OwnMinimumWithLabel(int axis, const LLayoutDescriptor& layout, LLook* look,
                           const SizeT<double>& currentSize);

} // namespace KV
