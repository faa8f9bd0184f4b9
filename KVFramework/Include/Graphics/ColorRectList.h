#pragma once
// ColorRectListT: rectangles that are drawn together, each in its own colour, scaled by a
// horizontal and a vertical factor at drawing time (level meters, colour scales).
// Renderers cache what they build for a list by the object's identity (GetHandle); the
// changed flag plays the same role as the polyline's.

#include "Graphics/Geometry.h"
#include "Graphics/GraphicsHandle.h"
#include "Storage/Array.h"

#include <cstdint>

namespace KV {

template <class T> class ColorRectListT : public Array<RectT<T>>
{
public:
    GraphicsHandle GetHandle() const { return mHandle.Get(); }

    // One packed 0xAARRGGBB colour per rectangle, at the rectangle's index.
    Array<uint32_t>& GetColors() { return mColors; }
    const Array<uint32_t>& GetColors() const { return mColors; }

    T GetScaleX() const { return mScaleX; }
    T GetScaleY() const { return mScaleY; }
    void SetScale(T scaleX, T scaleY)
    {
        mScaleX = scaleX;
        mScaleY = scaleY;
    }

    bool IsChanged() const { return mChanged; }
    void SetChanged(bool changed) { mChanged = changed; }

private:
    UniqueGraphicsHandle mHandle;
    Array<uint32_t> mColors;
    T mScaleX = T(1);
    T mScaleY = T(1);
    bool mChanged = false;
};

} // namespace KV
