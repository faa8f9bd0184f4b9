#pragma once
// Growable byte buffers: the storage behind every string, array, queue and pixel row.
//
// A buffer has a size and a separate capacity. The capacity is a multiple of Granule
// and is only reallocated when the size outgrows it or when more than the tolerated
// slack would be left spare, so editing in place rarely reallocates.

#include "ObjectBase/Exception.h"
#include "ObjectBase/RCPtr.h"
#include "Storage/Allocator.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>

namespace KV {

class IBuffer
{
public:
    virtual uint32_t GetSize() const = 0;
    // Sets the size; the contents are not kept.
    virtual uint32_t Allocate(uint32_t size) = 0;
    // Sets the size; the contents are kept up to the smaller size. Added bytes are not cleared.
    virtual uint32_t SetSize(uint32_t size) = 0;
    // Fills length bytes from offset (a negative length: to the end). E_INVALIDARG when
    // the range is not inside the buffer; then nothing changes.
    virtual KVRESULT FillBytes(uint8_t value, int32_t offset, int32_t length) = 0;
    // The same in 16-bit words: offset in bytes, count in words (negative: to the end).
    virtual KVRESULT FillWords(uint16_t value, int32_t offset, int32_t count) = 0;
    virtual uint32_t GetCapacity() const = 0;
    virtual void* GetData() const = 0;

protected:
    ~IBuffer() = default;
};

using AllocatorSource = IAllocator* (*)() noexcept;

template <uint32_t Granule, uint32_t Slack, uint32_t A, class TPtr,
          AllocatorSource Alloc = GetSystemAllocator>
class BufferT : public virtual IBuffer
{
    static_assert(Granule > 0);
    static_assert(std::is_pointer_v<TPtr>);

public:
    // Spare bytes tolerated before a shrinking reallocation.
    static constexpr uint32_t kThreshold = Slack < Granule ? Granule - 1 : Slack;

    explicit BufferT(uint32_t size = 0, uint32_t reserve = 0, bool zeroFill = false)
    {
        if (reserve > size)
        {
            mBlock = Checked(Alloc()->Allocate(reserve));
            mCapacity = reserve;
            mData = static_cast<TPtr>(mBlock);
        }
        SetSize(size);
        if (size != 0 && zeroFill)
            std::memset(mBlock, 0, size);
    }

    BufferT(const BufferT&) = delete;
    BufferT& operator=(const BufferT&) = delete;

    BufferT(BufferT&& other) noexcept
        : mData(std::exchange(other.mData, nullptr)), mSize(std::exchange(other.mSize, 0)),
          mBlock(std::exchange(other.mBlock, nullptr)), mCapacity(std::exchange(other.mCapacity, 0))
    {
    }

    BufferT& operator=(BufferT&& other) noexcept
    {
        if (this != &other)
        {
            Release();
            mData = std::exchange(other.mData, nullptr);
            mSize = std::exchange(other.mSize, 0);
            mBlock = std::exchange(other.mBlock, nullptr);
            mCapacity = std::exchange(other.mCapacity, 0);
        }
        return *this;
    }

    virtual ~BufferT() { Release(); }

    uint32_t GetSize() const override { return mSize; }
    uint32_t GetCapacity() const override { return mCapacity; }
    void* GetData() const override { return mBlock; }
    // The owner's typed view of the block.
    TPtr Data() const noexcept { return mData; }

    uint32_t Allocate(uint32_t size) override
    {
        if (size == 0)
        {
            Release();
            return 0;
        }
        const uint32_t capacity = CeilToGranule(size);
        if (capacity != mCapacity)
        {
            Release();
            mBlock = Checked(Alloc()->Allocate(capacity));
            mCapacity = capacity;
            mData = static_cast<TPtr>(mBlock);
        }
        mSize = size;
        return size;
    }

    uint32_t SetSize(uint32_t size) override
    {
        if (mCapacity == 0)
            return Allocate(size);
        if (mCapacity < size || mCapacity - size > kThreshold)
        {
            const uint32_t capacity = CeilToGranule(size);
            if (capacity == 0)
            {
                Release();
                return 0;
            }
            // On failure the old block stays valid and in place.
            mBlock = Checked(Alloc()->Reallocate(mBlock, capacity));
            mCapacity = capacity;
            mData = static_cast<TPtr>(mBlock);
        }
        mSize = size;
        return size;
    }

    // Grows the size like SetSize, contents kept, but a block too small for it is
    // replaced by one at least twice as large, and spare room is never given back
    // here: a run of small growths (text appended piece by piece) then costs amortised
    // constant time. The next SetSize fits the block again by its rule.
    uint32_t GrowSize(uint32_t size)
    {
        if (mCapacity == 0)
            return Allocate(size);
        if (mCapacity < size)
        {
            const uint64_t wanted = std::max<uint64_t>(size, 2 * uint64_t{mCapacity});
            const uint32_t capacity = CeilToGranule(
                static_cast<uint32_t>(std::min<uint64_t>(wanted, std::numeric_limits<uint32_t>::max())));
            mBlock = Checked(Alloc()->Reallocate(mBlock, capacity));
            mCapacity = capacity;
            mData = static_cast<TPtr>(mBlock);
        }
        mSize = size;
        return size;
    }

    KVRESULT FillBytes(uint8_t value, int32_t offset, int32_t length) override
    {
        int64_t count = 0;
        if (!CheckRange(offset, length, 1, count))
            return E_INVALIDARG;
        if (count > 0)
            std::memset(static_cast<uint8_t*>(mBlock) + offset, value, static_cast<size_t>(count));
        return S_OK;
    }

    KVRESULT FillWords(uint16_t value, int32_t offset, int32_t count) override
    {
        int64_t words = 0;
        if (!CheckRange(offset, count, 2, words))
            return E_INVALIDARG;
        uint8_t* at = static_cast<uint8_t*>(mBlock) + offset;
        for (int64_t i = 0; i < words; ++i, at += 2)
            std::memcpy(at, &value, 2);
        return S_OK;
    }

private:
    static uint32_t CeilToGranule(uint32_t size)
    {
        const uint64_t rounded = (uint64_t{size} + Granule - 1) / Granule * Granule;
        if (rounded > std::numeric_limits<uint32_t>::max())
            ThrowBadAlloc();
        return static_cast<uint32_t>(rounded);
    }

    static void* Checked(void* block)
    {
        if (!block)
            ThrowBadAlloc();
        return block;
    }

    // A range of `count` units of `unit` bytes from a byte offset; a negative count means
    // to the end. Refuses negative offsets and ranges that pass the end.
    bool CheckRange(int32_t offset, int32_t count, int64_t unit, int64_t& units) const
    {
        if (offset < 0 || offset > static_cast<int64_t>(mSize))
            return false;
        units = count < 0 ? (static_cast<int64_t>(mSize) - offset) / unit : count;
        return offset + units * unit <= static_cast<int64_t>(mSize);
    }

    void Release() noexcept
    {
        if (mBlock)
            Alloc()->Free(mBlock);
        mData = nullptr;
        mSize = 0;
        mBlock = nullptr;
        mCapacity = 0;
    }

    TPtr mData = nullptr;
    uint32_t mSize = 0;
    void* mBlock = nullptr;
    uint32_t mCapacity = 0;
};

// A buffer that is itself reference-counted, shared between strings until one writes.
class LIBuffer : public virtual IBuffer, public virtual LRefCountedObject
{
public:
    // A new zero-filled buffer of newSize bytes holding this buffer's bytes from offset.
    virtual RCPtr<LIBuffer> CreateResizedCopy(uint32_t newSize, uint32_t offset) const = 0;
};

template <uint32_t Granule, uint32_t Slack, uint32_t A, class TPtr,
          AllocatorSource Alloc = GetSystemAllocator>
class LBufferT final : public BufferT<Granule, Slack, A, TPtr, Alloc>, public LIBuffer
{
    using Base = BufferT<Granule, Slack, A, TPtr, Alloc>;

public:
    explicit LBufferT(uint32_t size = 0, uint32_t reserve = 0, bool zeroFill = false)
        : Base(size, reserve, zeroFill)
    {
    }

    static RCPtr<LIBuffer> Create(uint32_t size, uint32_t reserve = 0, bool zeroFill = true)
    {
        return RCPtr<LIBuffer>(new LBufferT(size, reserve, zeroFill));
    }

    RCPtr<LIBuffer> CreateResizedCopy(uint32_t newSize, uint32_t offset) const override
    {
        RCPtr<LIBuffer> copy = Create(newSize, 0, true);
        const uint32_t size = this->GetSize();
        if (offset < size)
        {
            const uint32_t count = std::min(newSize, size - offset);
            if (count != 0)
                std::memcpy(copy->GetData(), static_cast<const uint8_t*>(this->GetData()) + offset, count);
        }
        return copy;
    }

    RCPtr<LRefCountedObject> CreateCopy() const override
    {
        auto* copy = new LBufferT(this->GetSize(), 0, true);
        RCPtr<LRefCountedObject> held(copy);
        if (this->GetSize() != 0)
            std::memcpy(copy->GetData(), this->GetData(), this->GetSize());
        return held;
    }
};

// The character buffer of every string, and the byte block of pixel buffers.
using LStringBuffer = LBufferT<1, 128, 8, char*>;
using LByteBuffer = LBufferT<1, 0, 8, char*>;

} // namespace KV
