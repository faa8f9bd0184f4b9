#pragma once
// Arrays of plain values kept in a growable buffer.
//
// ArrayBuffer<T,G,S,...> grows its block in steps of G elements and gives memory back
// only when more than S elements' worth would be left spare. Elements that appear are
// zero-filled. ArrayBufferM<T,N,...> keeps up to N elements inside the object and uses
// the block only above that, so short contents never touch the heap.
//
// Unlike Array<T>, these answer InsertItem (and so AddItem) with the new count, and
// accept an empty range anywhere.

#include "Storage/Buffer.h"
#include "Storage/IArray.h"

#include <cstring>
#include <type_traits>

namespace KV {

template <class T, uint32_t G = 1, uint32_t S = 0, uint32_t M = 1, uint32_t A = 8,
          AllocatorSource Alloc = GetSystemAllocator>
class ArrayBuffer : public IArray<T>, public BufferT<G * sizeof(T), S * sizeof(T), A, T*, Alloc>
{
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved and cleared as bytes");

protected:
    using Buffer = BufferT<G * sizeof(T), S * sizeof(T), A, T*, Alloc>;

public:
    // The byte size of the elements must fit the signed ranges of the buffer's fills.
    static constexpr uint32_t kMaxElements = IArray<T>::kMaxCount / sizeof(T);

    using Buffer::GetData; // the untyped view of IBuffer, beside the typed one below

    ArrayBuffer() = default;
    ~ArrayBuffer() override = default;

    uint32_t GetCount() const override { return this->GetSize() / sizeof(T); }
    uint32_t GetMaxCount() const override { return kMaxElements; }

    T* GetData() override { return this->Data(); }
    const T* GetDataConst() const override { return const_cast<ArrayBuffer*>(this)->GetData(); }

    // Resizes the storage to count elements, keeping the contents; returns the count.
    virtual int32_t SetBufferCount(uint32_t count)
    {
        return static_cast<int32_t>(this->SetSize(count * sizeof(T)) / sizeof(T));
    }

    int32_t SetCount(uint32_t count) override
    {
        if (count > GetMaxCount())
            return E_INVALIDARG;
        const uint32_t old = this->GetCount();
        const int32_t result = SetBufferCount(count);
        if (result >= 0 && count > old)
            ClearElements(old, count - old);
        return result;
    }

    int32_t InsertSpace(uint32_t index, uint32_t n) override
    {
        const uint32_t count = this->GetCount();
        if (n == 0)
            return static_cast<int32_t>(count);
        if (index > count || n > GetMaxCount() - count)
            return E_INVALIDARG;
        if (index == count)
            return SetCount(count + n);
        const int32_t result = SetBufferCount(count + n);
        if (result < 0)
            return result;
        T* data = this->GetData();
        std::memmove(data + index + n, data + index, (count - index) * sizeof(T));
        ClearElements(index, n);
        return static_cast<int32_t>(count + n);
    }

    int32_t RemoveItems(uint32_t index, uint32_t n) override
    {
        const uint32_t count = this->GetCount();
        if (n == 0)
            return static_cast<int32_t>(count);
        if (index > count || n > count - index)
            return E_INVALIDARG;
        T* data = this->GetData();
        std::memmove(data + index, data + index + n, (count - index - n) * sizeof(T));
        SetBufferCount(count - n);
        return static_cast<int32_t>(count - n);
    }

private:
    // Through the buffer's virtual fill, so that a derived class's own storage is reached.
    void ClearElements(uint32_t first, uint32_t n)
    {
        this->FillBytes(0, static_cast<int32_t>(first * sizeof(T)), static_cast<int32_t>(n * sizeof(T)));
    }
};

template <class T, uint32_t N, uint32_t G = 1, uint32_t S = 0, uint32_t M = 1, uint32_t A = 8,
          AllocatorSource Alloc = GetSystemAllocator>
class ArrayBufferM : public ArrayBuffer<T, G, S, M, A, Alloc>
{
    static_assert(N > 0);
    using Base = ArrayBuffer<T, G, S, M, A, Alloc>;
    using typename Base::Buffer;

public:
    using Base::GetData;

    ArrayBufferM() = default;
    ~ArrayBufferM() override = default;

    uint32_t GetCount() const override
    {
        return mInlineCount != 0 ? mInlineCount : static_cast<uint32_t>(this->GetSize() / sizeof(T));
    }

    T* GetData() override { return IsInline() ? mInline : Base::GetData(); }

    // Moves the elements between the inline storage and the block when the count crosses N.
    int32_t SetBufferCount(uint32_t count) override
    {
        const uint32_t old = GetCount();
        if (old <= N && count <= N)
        {
            mInlineCount = count;
        }
        else if (old <= N)
        {
            this->Allocate(count * sizeof(T));
            std::memcpy(Base::GetData(), mInline, old * sizeof(T));
            mInlineCount = 0;
        }
        else if (count > N)
        {
            this->SetSize(count * sizeof(T));
        }
        else
        {
            std::memcpy(mInline, Base::GetData(), count * sizeof(T));
            mInlineCount = count;
            this->Allocate(0);
        }
        return static_cast<int32_t>(count);
    }

    // While the elements are inline, the fills act on them, with the buffer's range rules.
    KVRESULT FillBytes(uint8_t value, int32_t offset, int32_t length) override
    {
        if (!IsInline())
            return Buffer::FillBytes(value, offset, length);
        int64_t bytes = 0;
        if (!InlineRange(offset, length, 1, bytes))
            return E_INVALIDARG;
        std::memset(InlineBytes() + offset, value, static_cast<size_t>(bytes));
        return S_OK;
    }

    KVRESULT FillWords(uint16_t value, int32_t offset, int32_t count) override
    {
        if (!IsInline())
            return Buffer::FillWords(value, offset, count);
        int64_t words = 0;
        if (!InlineRange(offset, count, 2, words))
            return E_INVALIDARG;
        unsigned char pattern[2];
        std::memcpy(pattern, &value, 2);
        unsigned char* at = InlineBytes() + offset;
        for (int64_t i = 0; i < 2 * words; ++i)
            at[i] = pattern[i % 2];
        return S_OK;
    }

private:
    bool IsInline() const { return GetCount() <= N; }
    unsigned char* InlineBytes() { return reinterpret_cast<unsigned char*>(mInline); }

    bool InlineRange(int32_t offset, int32_t count, int64_t unit, int64_t& units) const
    {
        const int64_t size = int64_t{GetCount()} * sizeof(T);
        if (offset < 0 || offset > size)
            return false;
        units = count < 0 ? (size - offset) / unit : count;
        return offset + units * unit <= size;
    }

    uint32_t mInlineCount = 0;
    T mInline[N]{};
};

} // namespace KV
