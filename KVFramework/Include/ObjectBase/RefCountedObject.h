#pragma once
// The reference-counted base of every shared object of the framework.
//
// The count lives in the object (intrusive counting), so a raw pointer can be turned
// into a counted reference at any time. Objects are created on the heap with a count
// of 0, held through ConstRCPtr/RCPtr, and destroy themselves on the Release that
// takes the count to 0; nobody deletes them directly.
//
// Internal references: a registry or cache whose reference must not keep an object
// alive raises the object's internal count along with its reference. When the last
// reference from outside is dropped, Release calls ReleaseInternalReferences, whose
// override removes the object from its registries (each removal a Release of this very
// object); the object then dies without anyone having to unregister it first.

#include "KVResult.h"
#include "ObjectBase/Stringable.h"

#include <atomic>
#include <cstdint>

namespace KV {

template <class T> class RCPtr;
class LRefCountedObject;

class IUndoable : public IStringable
{
public:
    virtual void Undo() = 0;

protected:
    ~IUndoable() = default;
};

class LRefCountedObject : public IUndoable
{
public:
    LRefCountedObject() noexcept = default;
    // Counters are never copied: a copy is a new object with no references yet.
    LRefCountedObject(const LRefCountedObject&) noexcept : LRefCountedObject() {}
    LRefCountedObject& operator=(const LRefCountedObject&) noexcept { return *this; }

    // The run-time class name, "class KV::LControl" for example.
    StringT<char16_t, char> ToString() const override;
    // Throws: no class of the framework can undo.
    void Undo() override;

    // Takes a reference; returns the new count. Not virtual: taking a reference is the
    // hottest operation of the framework and no class changes how it is done.
    int32_t AddRef() noexcept { return mRefCount.fetch_add(1, std::memory_order_relaxed) + 1; }
    // Takes a reference only while someone else still holds one: false once the count
    // reached 0 and the object is being destroyed. For a thread that reaches the object
    // through a plain pointer, where AddRef could bring a dying object back to life.
    bool TryAddRef() noexcept;
    // Drops a reference; returns the new count. At 0 the object no longer exists.
    virtual int32_t Release();
    // Called by Release when only internal references would remain. An override drops
    // the references its registries hold (lowering the internal count for each), then
    // returns the base test: S_OK when one reference and no internal one remain.
    virtual KVRESULT ReleaseInternalReferences();
    // A new, independent object of the same class and content. Only buffers can copy;
    // the base throws.
    virtual RCPtr<LRefCountedObject> CreateCopy() const;

    // true marks the object as not shareable (every new holder gets a private copy);
    // allowed only while at most one reference exists. false always succeeds.
    void SetUnshareable(bool unshareable);
    // Adds delta to the internal count in one atomic step; returns the previous value.
    int32_t AdjustInternalRefCount(int32_t delta) noexcept;

    int32_t GetRefCount() const noexcept { return mRefCount.load(std::memory_order_acquire); }
    int32_t GetInternalRefCount() const noexcept { return mInternalRefCount.load(std::memory_order_acquire); }
    bool IsShareable() const noexcept { return mShareable.load(std::memory_order_acquire); }

protected:
    virtual ~LRefCountedObject() = default;

private:
    std::atomic<int32_t> mRefCount{0};
    std::atomic<int32_t> mInternalRefCount{0};
    std::atomic<int32_t> mReleaseDepth{0};
    std::atomic<bool> mShareable{true};
};

} // namespace KV
