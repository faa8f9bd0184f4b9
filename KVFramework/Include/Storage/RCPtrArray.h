#pragma once
// RCPtrArray<T,G,S>: the owning pointer array handed out writable, as RCPtr<T> elements.
// It is at the same time a ConstRCPtrArray<T,G,S>: both views work on one storage, and a
// call through the read-only view runs ConstRCPtrArray's own operations.
//
// LRCPtrArray<T,G,S>: an RCPtrArray that is itself reference-counted (and taggable), so
// that a whole array can be shared; its last Release releases every element once.

#include "ObjectBase/TaggableObject.h"
#include "Storage/ConstRCPtrArray.h"

namespace KV {

// The writable operations take RCPtr<T> where the read-only ones take ConstRCPtr<T>; the
// read-only overloads stay reachable through the ConstRCPtrArray view, not beside these.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Woverloaded-virtual"

template <class T, uint32_t G = 1, uint32_t S = 0>
class RCPtrArray : public IArray<RCPtr<T>>, public ConstRCPtrArray<T, G, S>
{
    using Const = ConstRCPtrArray<T, G, S>;
    using Writable = IArray<RCPtr<T>>;

public:
    explicit RCPtrArray(uint32_t count = 0, uint32_t reserve = 0) : Const(count, reserve) {}

    // Names that both views have: called on an RCPtrArray, they act on RCPtr<T> elements.
    using Writable::AddItem;
    using Writable::AssignAll;
    using Writable::Begin;
    using Writable::BeginConst;
    using Writable::Clear;
    using Writable::End;
    using Writable::EndConst;
    using Writable::GetItem;
    using Writable::GetItemConst;
    using Writable::IndexOf;
    using Writable::SetRange;
    // The interface's default: range-checked, by assignment.
    using Writable::SwapItems;

    uint32_t GetCount() const override { return Const::GetCount(); }
    uint32_t GetMaxCount() const override { return Const::GetMaxCount(); }

    RCPtr<T>* GetAt(uint32_t index) override { return this->Slots() + index; }
    const RCPtr<T>* GetAtConst(uint32_t index) const override { return this->Slots() + index; }
    const RCPtr<T>* Advance(const RCPtr<T>* position, int32_t step) const override
    {
        return this->AdvanceSlot(position, step);
    }
    const RCPtr<T>* GetFirstPosition() const override { return this->FirstSlot(); }
    const RCPtr<T>* GetEndPosition() const override { return this->EndSlot(); }

    int32_t SetCount(uint32_t count) override { return Const::SetCount(count); }
    int32_t InsertSpace(uint32_t index, uint32_t n) override { return Const::InsertSpace(index, n); }
    int32_t RemoveItems(uint32_t index, uint32_t n) override { return Const::RemoveItems(index, n); }

    int32_t InsertItem(uint32_t index, const RCPtr<T>& item) override { return this->Store(index, item); }

    int32_t RemoveItem(uint32_t index, RCPtr<T>& out) override
    {
        if (index >= GetCount())
            ThrowException<std::out_of_range>("", KV_HERE, false,
                                              Const::QualifiedName("RCPtrArray", "RemoveItem"));
        static_cast<ConstRCPtr<T>&>(out) = this->TakeAt(index);
        return static_cast<int32_t>(GetCount());
    }

    int32_t AppendAll(const IIterable<RCPtr<T>>& other) override { return this->AppendFrom(other); }

    int32_t RemoveLastItem(RCPtr<T>& out) override
    {
        return Const::RemoveLastItem(static_cast<ConstRCPtr<T>&>(out));
    }

    const RCPtr<T>* GetDataConst() const override { return this->Slots(); }
    RCPtr<T>* GetData() override { return this->Slots(); }
};

#pragma GCC diagnostic pop

template <class T, uint32_t G = 1, uint32_t S = 0>
class LRCPtrArray : public RCPtrArray<T, G, S>, public virtual LTaggableObject
{
public:
    explicit LRCPtrArray(uint32_t count = 0, uint32_t reserve = 0) : RCPtrArray<T, G, S>(count, reserve) {}

protected:
    // Only the last Release destroys it.
    ~LRCPtrArray() override = default;
};

} // namespace KV
