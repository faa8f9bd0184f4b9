#pragma once
// LGLDisplayList: a run of OpenGL display lists that record a drawing once (a polyline,
// a polygon, a rectangle list) and replay it. The names are generated on the first
// BeginList and deleted with the object, each only in the context they belong to.

#include "KVResult.h"
#include "ObjectBase/RCPtr.h"

#include <cstdint>

namespace KV {

class LGLDisplayList : public virtual LRefCountedObject
{
public:
    // count lists, none generated yet; 0 gives one shared object that holds no list.
    static RCPtr<LGLDisplayList> Create(int32_t count);

    // Starts compiling list index (the caller ends it with glEndList): S_OK; E_FAIL when
    // no list could be generated (or no context is current); E_INVALIDARG for an index
    // outside the run.
    KVRESULT BeginList(int32_t index);
    // Replays count lists from start: S_OK; E_FAIL when a list is missing; E_INVALIDARG
    // when the range passes the run.
    KVRESULT CallLists(int32_t start, int32_t count);

    int32_t GetBase() const noexcept { return mBase; }
    int32_t GetCount() const noexcept { return mCount; }

protected:
    ~LGLDisplayList() override;

private:
    explicit LGLDisplayList(int32_t count) noexcept : mCount(count) {}

    int32_t mBase = -1;
    int32_t mCount;
    uint64_t mContextSerial = 0;
};

} // namespace KV
