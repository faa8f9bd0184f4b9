#pragma once
// LMenuDescriptor: a menu described as data before a popup menu or a menu bar shows it.

#include "ObjectBase/TaggableObject.h"

namespace KV {

class LMenuDescriptor : public virtual LTaggableObject
{
protected:
    ~LMenuDescriptor() override = default;
};

} // namespace KV
