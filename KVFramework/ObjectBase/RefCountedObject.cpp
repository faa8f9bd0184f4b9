#include "ObjectBase/RefCountedObject.h"

#include "ObjectBase/Exception.h"
#include "ObjectBase/RCPtr.h"
#include "Storage/StringT.h"

#include <string>
#include <typeinfo>

namespace KV {

String LRefCountedObject::ToString() const
{
    // The compiler's type information does not tell a class from a struct; every class
    // of the framework is spelt "class".
    const std::string name = "class " + DemangledTypeName(typeid(*this));
    return String(name.c_str());
}

void LRefCountedObject::Undo()
{
    KV_THROW(std::logic_error, "Undo() not implemented for RefCountedObject");
}

int32_t LRefCountedObject::Release()
{
    // Whether the reference being dropped is the last one from outside is decided by the
    // same atomic step that drops a reference that is not: of two threads that drop the
    // last two outside references at once, exactly one finds itself the last.
    int32_t count = mRefCount.load(std::memory_order_acquire);
    for (;;)
    {
        const int32_t internal = mInternalRefCount.load(std::memory_order_acquire);
        if (internal > 0 && count == internal + 1 && mReleaseDepth.load(std::memory_order_acquire) == 0)
        {
            // The last outside reference: let the registries go while our reference still
            // keeps the object alive. Releases that the hook causes on this object find
            // the depth raised and skip this step; they cannot reach 0 because our
            // reference is still counted.
            mReleaseDepth.fetch_add(1, std::memory_order_acq_rel);
            struct DepthGuard
            {
                std::atomic<int32_t>& depth;
                ~DepthGuard() { depth.fetch_sub(1, std::memory_order_acq_rel); }
            } guard{mReleaseDepth};
            (void)ReleaseInternalReferences();
            break;
        }
        if (mRefCount.compare_exchange_weak(count, count - 1, std::memory_order_acq_rel,
                                            std::memory_order_acquire))
        {
            if (count == 1)
                delete this;
            return count - 1;
        }
    }
    const int32_t remaining = mRefCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (remaining == 0)
        delete this;
    return remaining;
}

bool LRefCountedObject::TryAddRef() noexcept
{
    int32_t count = mRefCount.load(std::memory_order_acquire);
    while (count > 0)
        if (mRefCount.compare_exchange_weak(count, count + 1, std::memory_order_acq_rel,
                                            std::memory_order_acquire))
            return true;
    return false;
}

KVRESULT LRefCountedObject::ReleaseInternalReferences()
{
    return GetRefCount() == 1 && GetInternalRefCount() == 0 ? S_OK : E_FAIL;
}

RCPtr<LRefCountedObject> LRefCountedObject::CreateCopy() const
{
    ThrowException<std::logic_error>("CreateCopy() not implemented for RefCountedObject", KV_HERE);
}

void LRefCountedObject::SetUnshareable(bool unshareable)
{
    if (unshareable && GetRefCount() > 1)
        KV_THROW(std::runtime_error, "");
    mShareable.store(!unshareable, std::memory_order_release);
}

int32_t LRefCountedObject::AdjustInternalRefCount(int32_t delta) noexcept
{
    return mInternalRefCount.fetch_add(delta, std::memory_order_acq_rel);
}

} // namespace KV
