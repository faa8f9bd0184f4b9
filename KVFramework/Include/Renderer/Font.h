#pragma once
// LFont: a font that texts are drawn and measured in. Controls and looks share one object
// per description; renderers receive it by counted reference and derive what they draw
// with from it.

#include "ObjectBase/RefCountedObject.h"

namespace KV {

class LFont : public virtual LRefCountedObject
{
protected:
    ~LFont() override = default;
};

} // namespace KV
