#pragma once
// PolylineT: the points of a line or polygon that renderers draw and cache by the object's
// identity (GetHandle), with the line width and a changed flag. The owner sets the flag
// after editing the points; a renderer that finds it set clears it and rebuilds what it
// cached for this polyline.

#include "Graphics/Geometry.h"
#include "Graphics/GraphicsHandle.h"
#include "Storage/Array.h"

namespace KV {

template <class T> class PolylineT : public Array<PointT<T>>
{
public:
    GraphicsHandle GetHandle() const { return mHandle.Get(); }

    // In the units of the points.
    T GetLineWidth() const { return mLineWidth; }
    void SetLineWidth(T width) { mLineWidth = width; }

    bool IsChanged() const { return mChanged; }
    void SetChanged(bool changed) { mChanged = changed; }

private:
    UniqueGraphicsHandle mHandle;
    T mLineWidth = T(1);
    bool mChanged = false;
};

} // namespace KV
