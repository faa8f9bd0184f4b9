#pragma once
// LBitmap: an image, or an area of one, shared by the looks that draw it. Renderers
// receive it by counted reference and cache what they derive from it.

#include "ObjectBase/RefCountedObject.h"

namespace KV {

class LBitmap : public virtual LRefCountedObject
{
protected:
    ~LBitmap() override = default;
};

} // namespace KV
