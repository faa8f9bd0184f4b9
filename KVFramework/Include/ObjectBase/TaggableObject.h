#pragma once
// A reference-counted object that can carry a tag: any other reference-counted object.

#include "ObjectBase/RCPtr.h"

namespace KV {

class LTaggableObject : public virtual LRefCountedObject
{
public:
    const RCPtr<LRefCountedObject>& GetTag() const noexcept { return mTag; }
    void SetTag(const RCPtr<LRefCountedObject>& tag) { mTag = tag; }

private:
    RCPtr<LRefCountedObject> mTag;
};

} // namespace KV
