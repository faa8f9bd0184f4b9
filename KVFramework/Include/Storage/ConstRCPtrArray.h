#pragma once
// ConstRCPtrArray<T,G,S>: a contiguous array of owned references to reference-counted
// objects, handed out read-only as ConstRCPtr<T> elements.
//
// The array holds one reference on every object it stores; a slot may be null. Slots are
// RCPtr<T> objects kept in a growable buffer (granule G and slack S, counted in slots),
// read and assigned in place through GetAt. They are relocated as plain bytes when the
// block moves or the array opens and closes gaps: a pointer wrapper owns nothing but the
// address it holds.
//
// Removal hands each object's reference out (RemoveItem) or drops it (RemoveItems,
// SetCount, the destructor). Objects are released one at a time in index order, each
// only after the array has stopped holding it, so the array is consistent whenever an
// object's release runs code of its own.

#include "ObjectBase/Exception.h"
#include "ObjectBase/RCPtr.h"
#include "Storage/Buffer.h"
#include "Storage/IArray.h"

#include <cstring>
#include <new>
#include <string>
#include <utility>

namespace KV {

// RCPtrArray hides the overloads of this view with its own (see IArray).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Woverloaded-virtual"

template <class T, uint32_t G = 1, uint32_t S = 0> class ConstRCPtrArray : public IArray<ConstRCPtr<T>>
{
    static_assert(G > 0);
    static_assert(sizeof(RCPtr<T>) == sizeof(T*) && sizeof(ConstRCPtr<T>) == sizeof(T*),
                  "slots are stored and relocated as single pointers");

public:
    // Slot bytes must fit the buffer's 32-bit size.
    static constexpr uint32_t kMaxSlots = IArray<ConstRCPtr<T>>::kMaxCount / sizeof(T*);

    // count null slots; when reserve is larger, a block of exactly reserve slots is taken
    // first (and trimmed at once by the slack rule).
    explicit ConstRCPtrArray(uint32_t count = 0, uint32_t reserve = 0)
        : mSlots(SlotBytes(count), reserve > count ? SlotBytes(reserve) : 0, false)
    {
        ConstructNull(0, count);
    }

    ConstRCPtrArray(const ConstRCPtrArray&) = delete;
    ConstRCPtrArray& operator=(const ConstRCPtrArray&) = delete;

    // Releases the elements first to last, then frees the block.
    ~ConstRCPtrArray() override { ConstRCPtrArray::SetCount(0); }

    uint32_t GetCount() const override { return mSlots.GetSize() / sizeof(T*); }
    uint32_t GetMaxCount() const override { return kMaxSlots; }
    // The capacity of the block, in slots.
    uint32_t GetCapacity() const { return mSlots.GetCapacity() / sizeof(T*); }

    ConstRCPtr<T>* GetAt(uint32_t index) override { return Slots() + index; }
    const ConstRCPtr<T>* GetAtConst(uint32_t index) const override { return Slots() + index; }
    const ConstRCPtr<T>* Advance(const ConstRCPtr<T>* position, int32_t step) const override
    {
        return AdvanceSlot(static_cast<const RCPtr<T>*>(position), step);
    }
    const ConstRCPtr<T>* GetFirstPosition() const override { return FirstSlot(); }
    const ConstRCPtr<T>* GetEndPosition() const override { return EndSlot(); }

    int32_t SetCount(uint32_t count) override
    {
        const uint32_t old = GetCount();
        if (count < old)
            return ConstRCPtrArray::RemoveItems(count, old - count);
        if (count == old)
            return static_cast<int32_t>(count);
        if (count > kMaxSlots)
            return E_INVALIDARG;
        Resize(count);
        ConstructNull(old, count);
        return static_cast<int32_t>(count);
    }

    // n null slots at index; returns the new count.
    int32_t InsertSpace(uint32_t index, uint32_t n) override
    {
        const uint32_t count = GetCount();
        if (n == 0)
            return static_cast<int32_t>(count);
        if (index > count || n > kMaxSlots - count)
            return E_INVALIDARG;
        if (index == count)
            return ConstRCPtrArray::SetCount(count + n);
        Resize(count + n);
        RCPtr<T>* slots = Slots();
        std::memmove(static_cast<void*>(slots + index + n), static_cast<const void*>(slots + index),
                     (count - index) * sizeof(T*));
        ConstructNull(index, index + n);
        return static_cast<int32_t>(count + n);
    }

    // Releases the elements [index, index + n) in index order. A range that passes the end
    // throws the error of RemoveItem before anything is removed; an empty range is
    // accepted anywhere.
    int32_t RemoveItems(uint32_t index, uint32_t n) override
    {
        const uint32_t count = GetCount();
        if (n == 0)
            return static_cast<int32_t>(count);
        if (index >= count || n > count - index)
            ThrowRangeError();
        ConstRCPtr<T> removed;
        for (uint32_t i = 0; i < n; ++i)
            removed = TakeAt(index); // releases the object taken before this one
        return static_cast<int32_t>(GetCount());
    }

    // Returns index. The item may be one of this array's own slots: its reference is taken
    // before the slots move.
    int32_t InsertItem(uint32_t index, const ConstRCPtr<T>& item) override { return Store(index, item); }

    // Moves the element at index, with the array's reference, into out; out's previous
    // object is released. Returns the new count. Throws for an index not below the count,
    // changing neither the array nor out.
    int32_t RemoveItem(uint32_t index, ConstRCPtr<T>& out) override
    {
        if (index >= GetCount())
            ThrowRangeError();
        out = TakeAt(index);
        return static_cast<int32_t>(GetCount());
    }

    int32_t AppendAll(const IIterable<ConstRCPtr<T>>& other) override { return AppendFrom(other); }

    // Moves the last element into out; E_FAIL with out emptied when there is none.
    int32_t RemoveLastItem(ConstRCPtr<T>& out) override
    {
        const uint32_t count = GetCount();
        if (count == 0)
        {
            out.Reset();
            return E_FAIL;
        }
        out = TakeAt(count - 1);
        return static_cast<int32_t>(count - 1);
    }

    // Exchanges the two stored pointers; no reference count changes.
    int32_t SwapItems(uint32_t a, uint32_t b) override
    {
        const uint32_t count = GetCount();
        if (a >= count || b >= count)
            return E_INVALIDARG;
        std::swap(static_cast<ConstRCPtr<T>&>(Slots()[a]), static_cast<ConstRCPtr<T>&>(Slots()[b]));
        return S_OK;
    }

    const ConstRCPtr<T>* GetDataConst() const override { return Slots(); }
    ConstRCPtr<T>* GetData() override { return Slots(); }

protected:
    // The slots as what they are. Null while there is no block.
    RCPtr<T>* Slots() const { return mSlots.Data(); }
    const RCPtr<T>* FirstSlot() const { return GetCount() == 0 ? nullptr : Slots(); }
    const RCPtr<T>* EndSlot() const { return GetCount() == 0 ? nullptr : Slots() + GetCount(); }

    const RCPtr<T>* AdvanceSlot(const RCPtr<T>* position, int32_t step) const
    {
        const RCPtr<T>* first = FirstSlot();
        if (first == nullptr || position == nullptr)
            return first;
        const int64_t target = static_cast<int64_t>(position - first) + step;
        return first + std::clamp<int64_t>(target, 0, GetCount());
    }

    // Inserts a reference to item's object at index; the reference is taken first, so an
    // item that lives in one of our slots survives the move and reallocation of the slots.
    template <class P> int32_t Store(uint32_t index, const P& item)
    {
        ConstRCPtr<T> held(item);
        const int32_t result = ConstRCPtrArray::InsertSpace(index, 1);
        if (result < 0)
            return result;
        static_cast<ConstRCPtr<T>&>(Slots()[index]) = std::move(held);
        return static_cast<int32_t>(index);
    }

    // Appends the elements that other holds when called; each new slot takes a reference
    // of its own. Appending an array to itself doubles it.
    template <class P> int32_t AppendFrom(const IIterable<P>& other)
    {
        const uint32_t count = GetCount();
        const uint32_t added = other.GetCount();
        if (added == 0)
            return static_cast<int32_t>(count);
        if (added > kMaxSlots - count)
            return E_INVALIDARG;
        const uint32_t total = count + added;
        if (ConstRCPtrArray::SetCount(total) != static_cast<int32_t>(total))
            return E_FAIL;
        const P* position = other.BeginConst().position;
        for (uint32_t i = 0; i < added; ++i)
        {
            static_cast<ConstRCPtr<T>&>(Slots()[count + i]) = *other.GetItemConst(position);
            position = other.Advance(position, 1);
        }
        return static_cast<int32_t>(total);
    }

    // Takes the element at index out with the array's reference and closes the gap.
    ConstRCPtr<T> TakeAt(uint32_t index)
    {
        const uint32_t count = GetCount();
        RCPtr<T>* slots = Slots();
        ConstRCPtr<T> taken(std::move(static_cast<ConstRCPtr<T>&>(slots[index])));
        std::memmove(static_cast<void*>(slots + index), static_cast<const void*>(slots + index + 1),
                     (count - index - 1) * sizeof(T*));
        // The last slot now repeats its neighbour; nulled, the array stays sound even if
        // the shrinking fails.
        new (static_cast<void*>(slots + count - 1)) RCPtr<T>();
        Resize(count - 1);
        return taken;
    }

    [[noreturn]] static void ThrowRangeError()
    {
        ThrowException<std::out_of_range>("", KV_HERE, false, QualifiedName("ConstRCPtrArray", "RemoveItem"));
    }

    // "KV::ConstRCPtrArray<class KV::LControl,1,0>::RemoveItem"
    static std::string QualifiedName(const char* arrayClass, const char* operation)
    {
        return std::string("KV::") + arrayClass + "<" + TypeName<T>() + "," + std::to_string(G) + "," +
               std::to_string(S) + ">::" + operation;
    }

private:
    static uint32_t SlotBytes(uint32_t count)
    {
        if (count > kMaxSlots)
            ThrowBadAlloc();
        return count * sizeof(T*);
    }

    void Resize(uint32_t count) { mSlots.SetSize(count * sizeof(T*)); }

    void ConstructNull(uint32_t from, uint32_t to)
    {
        for (uint32_t i = from; i < to; ++i)
            new (static_cast<void*>(Slots() + i)) RCPtr<T>();
    }

    BufferT<G * sizeof(T*), S * sizeof(T*), 8, RCPtr<T>*> mSlots;
};

#pragma GCC diagnostic pop

} // namespace KV
