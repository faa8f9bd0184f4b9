#pragma once
// The interface through which every list of the framework is reached: a contiguous,
// indexed sequence whose operations answer with a count, an index or a negative result
// code. IIterable<T> is its read-only half, from which collections are appended or
// assigned.
//
// Indexes and counts are unsigned 32-bit values. Element access by index is not checked.
// Every range test is written so that it cannot wrap: "n > count - index", never
// "index + n > count".

#include "KVResult.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace KV {

template <class T> class IIterable
{
public:
    // A place in a container. The position of an element is its address; the end position
    // is the address one past the last element; both are null when the container is empty.
    struct Iterator
    {
        IIterable* container;
        T* position;
    };
    struct ConstIterator
    {
        const IIterable* container;
        const T* position;
    };

    virtual ~IIterable() = default;

    virtual uint32_t GetCount() const = 0;
    virtual uint32_t GetMaxCount() const = 0;
    virtual ConstIterator BeginConst() const = 0;
    virtual Iterator Begin() = 0;
    virtual ConstIterator EndConst() const = 0;
    virtual Iterator End() = 0;
    virtual const T* GetItemConst(const T* position) const = 0;
    virtual T* GetItem(T* position) = 0;
    virtual T* GetAt(uint32_t index) = 0;
    virtual const T* GetAtConst(uint32_t index) const = 0;
    // The position `step` elements on, held within [GetFirstPosition, GetEndPosition].
    virtual const T* Advance(const T* position, int32_t step) const = 0;
    virtual const T* GetFirstPosition() const = 0;
    virtual const T* GetEndPosition() const = 0;

protected:
    IIterable() = default;
    IIterable(const IIterable&) = default;
    IIterable& operator=(const IIterable&) = default;
};

// The owning pointer arrays implement this interface twice, once per element type, and the
// overloads of each view hide those of the other on purpose. Compilers report such hiding at
// the hidden declaration, so the warning is silenced here and in those arrays.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Woverloaded-virtual"

template <class T> class IArray : public IIterable<T>
{
public:
    using typename IIterable<T>::Iterator;
    using typename IIterable<T>::ConstIterator;

    // The largest count any array may report: results share a signed 32-bit value with
    // the negative result codes.
    static constexpr uint32_t kMaxCount = 0x7FFFFFFF;

    uint32_t GetMaxCount() const override { return kMaxCount; }

    ConstIterator BeginConst() const override { return {this, this->GetFirstPosition()}; }
    // The constness of this array is ours to drop: the position points into it.
    Iterator Begin() override { return {this, const_cast<T*>(this->GetFirstPosition())}; }
    ConstIterator EndConst() const override { return {this, this->GetEndPosition()}; }
    Iterator End() override { return {this, const_cast<T*>(this->GetEndPosition())}; }
    const T* GetItemConst(const T* position) const override { return position; }
    T* GetItem(T* position) override { return position; }
    T* GetAt(uint32_t index) override { return GetData() + index; }
    const T* GetAtConst(uint32_t index) const override { return GetDataConst() + index; }

    const T* Advance(const T* position, int32_t step) const override
    {
        const T* first = this->GetFirstPosition();
        if (first == nullptr || position == nullptr)
            return first;
        // Computed on indexes so that no pointer outside the array is ever formed.
        const int64_t target = static_cast<int64_t>(position - first) + step;
        const int64_t clamped = std::clamp<int64_t>(target, 0, this->GetCount());
        return first + clamped;
    }

    const T* GetFirstPosition() const override { return this->GetCount() == 0 ? nullptr : GetDataConst(); }
    const T* GetEndPosition() const override
    {
        const uint32_t count = this->GetCount();
        return count == 0 ? nullptr : GetDataConst() + count;
    }

    virtual int32_t SetCount(uint32_t count) = 0;
    virtual int32_t InsertSpace(uint32_t index, uint32_t n) = 0;
    virtual int32_t RemoveItems(uint32_t index, uint32_t n) = 0;

    virtual int32_t Clear() { return SetCount(0) == 0 ? S_OK : E_FAIL; }

    // Returns what InsertSpace returned (the new count), or its failure.
    virtual int32_t InsertItem(uint32_t index, const T& item)
    {
        // The item may be an element of this very array, which InsertSpace moves or frees.
        T copy(item);
        const int32_t result = InsertSpace(index, 1);
        if (result >= 0)
            *GetAt(index) = std::move(copy);
        return result;
    }

    // E_INVALIDARG, with `out` untouched, when there is no element at index.
    virtual int32_t RemoveItem(uint32_t index, T& out)
    {
        if (index >= this->GetCount())
            return E_INVALIDARG;
        out = *GetAt(index);
        return RemoveItems(index, 1);
    }

    // Appends the elements that `other` holds when called, in its order; appending an array
    // to itself doubles it.
    virtual int32_t AppendAll(const IIterable<T>& other)
    {
        const uint32_t count = this->GetCount();
        const uint32_t added = other.GetCount();
        if (added == 0)
            return static_cast<int32_t>(count);
        if (added > this->GetMaxCount() - count)
            return E_INVALIDARG;
        const uint32_t total = count + added;
        if (SetCount(total) != static_cast<int32_t>(total))
            return E_FAIL;
        // Exactly `added` elements: when other is this array it has grown by now.
        const T* position = other.BeginConst().position;
        for (uint32_t i = 0; i < added; ++i)
        {
            *GetAt(count + i) = *other.GetItemConst(position);
            position = other.Advance(position, 1);
        }
        return static_cast<int32_t>(total);
    }

    virtual int32_t AddItem(const T& item) { return InsertItem(this->GetCount(), item); }
    virtual int32_t RemoveLastItem(T& out) { return RemoveItem(this->GetCount() - 1, out); }

    // Assigning an array to itself keeps it as it is.
    virtual int32_t AssignAll(const IIterable<T>& other)
    {
        if (&other == static_cast<const IIterable<T>*>(this))
            return static_cast<int32_t>(this->GetCount());
        SetCount(0);
        return AppendAll(other);
    }

    virtual int32_t SwapItems(uint32_t a, uint32_t b)
    {
        const uint32_t count = this->GetCount();
        if (a >= count || b >= count)
            return E_INVALIDARG;
        T held(*GetAt(a));
        *GetAt(a) = *GetAt(b);
        *GetAt(b) = std::move(held);
        return S_OK;
    }

    virtual const T* GetDataConst() const { return const_cast<IArray*>(this)->GetData(); }
    virtual T* GetData() = 0;

    // Assigns source[0], source[1], ... to the elements from index on, stopping at the end
    // of the array; returns how many were written.
    int32_t SetRange(const T* source, uint32_t index, uint32_t n)
    {
        const uint32_t count = this->GetCount();
        if (index >= count)
            return 0;
        const uint32_t written = std::min(n, count - index);
        T* target = GetAt(index);
        for (uint32_t i = 0; i < written; ++i)
            target[i] = source[i];
        return static_cast<int32_t>(written);
    }

    // On arrays of reference pointers: the index of the first element that holds the same
    // object as `object`, -1 when none does.
    int32_t IndexOf(const T& object) const
    {
        const T* end = this->EndConst().position;
        int32_t index = 0;
        for (const T* at = this->BeginConst().position; at != end; at = this->Advance(at, 1), ++index)
        {
            if (this->GetItemConst(at)->Get() == object.Get())
                return index;
        }
        return -1;
    }

protected:
    IArray() = default;
    IArray(const IArray&) = default;
    IArray& operator=(const IArray&) = default;
};

#pragma GCC diagnostic pop

} // namespace KV
