#pragma once
// Array<T>: an IArray of plain values kept in a standard vector.
//
// Unlike the buffer arrays it checks the index of element access (the standard
// out-of-range error), answers InsertItem with the index of the new element and refuses
// an empty range at the end in RemoveItems.

#include "Storage/IArray.h"

#include <stdexcept>
#include <type_traits>
#include <vector>

namespace KV {

template <class T> class Array : public IArray<T>
{
    static_assert(!std::is_same_v<T, bool>, "a vector of bool has no contiguous elements");

public:
    Array() = default;
    Array(const Array&) = default;
    Array(Array&&) noexcept = default;
    Array& operator=(const Array&) = default;
    Array& operator=(Array&&) noexcept = default;
    ~Array() override = default;

    uint32_t GetCount() const override { return static_cast<uint32_t>(mItems.size()); }

    T* GetAt(uint32_t index) override
    {
        CheckIndex(index);
        return &mItems[index];
    }
    const T* GetAtConst(uint32_t index) const override
    {
        CheckIndex(index);
        return &mItems[index];
    }

    int32_t SetCount(uint32_t count) override
    {
        if (count > this->GetMaxCount())
            return E_INVALIDARG;
        mItems.resize(count);
        return static_cast<int32_t>(count);
    }

    int32_t InsertSpace(uint32_t index, uint32_t n) override
    {
        const uint32_t count = GetCount();
        if (index > count || n > this->GetMaxCount() - count)
            return E_INVALIDARG;
        mItems.insert(mItems.begin() + index, n, T());
        return static_cast<int32_t>(count + n);
    }

    // Returns the index of the new element.
    int32_t InsertItem(uint32_t index, const T& item) override
    {
        const uint32_t count = GetCount();
        if (index > count || count >= this->GetMaxCount())
            return E_INVALIDARG;
        mItems.insert(mItems.begin() + index, item); // safe when item is one of our elements
        return static_cast<int32_t>(index);
    }

    int32_t RemoveItems(uint32_t index, uint32_t n) override
    {
        const uint32_t count = GetCount();
        if (index >= count || n > count - index)
            return E_INVALIDARG;
        mItems.erase(mItems.begin() + index, mItems.begin() + index + n);
        return static_cast<int32_t>(count - n);
    }

    // A bad index throws from the checked read, before anything is removed.
    int32_t RemoveItem(uint32_t index, T& out) override
    {
        out = *GetAt(index);
        return RemoveItems(index, 1);
    }

    T* GetData() override { return mItems.empty() ? nullptr : mItems.data(); }
    const T* GetDataConst() const override { return mItems.empty() ? nullptr : mItems.data(); }

private:
    void CheckIndex(uint32_t index) const
    {
        if (index >= mItems.size())
            throw std::out_of_range("invalid vector<T> subscript");
    }

    std::vector<T> mItems;
};

} // namespace KV
