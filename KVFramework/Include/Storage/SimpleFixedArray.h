#pragma once
// SimpleFixedArray<T,N>: at most N elements kept inside the object; it never allocates.
//
// Space opened by InsertSpace or a growing SetCount is not cleared: it shows whatever the
// storage held before (the storage starts value-initialised, so never indeterminate bytes).

#include "Storage/IArray.h"

#include <algorithm>

namespace KV {

template <class T, uint32_t N> class SimpleFixedArray : public IArray<T>
{
    static_assert(N > 0 && N <= IArray<T>::kMaxCount);

public:
    SimpleFixedArray() = default;
    SimpleFixedArray(const SimpleFixedArray&) = default;
    SimpleFixedArray& operator=(const SimpleFixedArray&) = default;
    ~SimpleFixedArray() override = default;

    uint32_t GetCount() const override { return mCount; }
    uint32_t GetMaxCount() const override { return N; }

    // Clipped to N; the result is the count reached.
    int32_t SetCount(uint32_t count) override
    {
        mCount = std::min(count, N);
        return static_cast<int32_t>(mCount);
    }

    int32_t InsertSpace(uint32_t index, uint32_t n) override
    {
        if (n == 0)
            return static_cast<int32_t>(mCount);
        if (index > mCount || n > N - mCount)
            return E_INVALIDARG;
        std::move_backward(mItems + index, mItems + mCount, mItems + mCount + n);
        mCount += n;
        return static_cast<int32_t>(mCount);
    }

    int32_t RemoveItems(uint32_t index, uint32_t n) override
    {
        if (n == 0)
            return static_cast<int32_t>(mCount);
        if (index > mCount || n > mCount - index)
            return E_INVALIDARG;
        std::move(mItems + index + n, mItems + mCount, mItems + index);
        mCount -= n;
        return static_cast<int32_t>(mCount);
    }

    T* GetData() override { return mItems; }
    const T* GetDataConst() const override { return mItems; }

private:
    uint32_t mCount = 0;
    T mItems[N]{};
};

} // namespace KV
