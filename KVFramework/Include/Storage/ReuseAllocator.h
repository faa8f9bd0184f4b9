#pragma once
// ReuseAllocator<T,N>: a pool of fixed-size blocks for the objects of one class, for
// classes whose objects are made and destroyed at a high rate (thread-pool jobs,
// captured MIDI messages, input parameters).
//
// A freed block is not given back to the heap but remembered, and the next request
// takes the block freed last. Blocks go back to the heap only when the pool is
// destroyed. Requests of any other size than sizeof(T) (a class derived from T) are
// plain heap blocks; Free tells them apart by the size it is given, so it never looks
// in front of a block that has no block number.
//
// Each block starts with its number in the pool, padded to the alignment of T and of
// every fundamental type; the room for T follows. N is the growth step of the pool's
// two lists, in entries; it does not limit the number of blocks.
//
// A pool built with its lock may be used from any thread; one built without may be
// used from one thread at a time only.

#include "ObjectBase/Exception.h"
#include "Storage/ArrayBuffer.h"
#include "System/Mutex.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace KV {

template <class T, uint32_t N> class ReuseAllocator
{
    static_assert(N > 0, "the lists must grow by at least one entry");

public:
    static constexpr std::size_t BlockAlignment = std::max(alignof(T), alignof(std::max_align_t));

    // The head of a block: its number, padded so that the room behind it is aligned.
    struct alignas(BlockAlignment) Buf
    {
        uint32_t number;
    };
    static constexpr std::size_t HeaderSize = sizeof(Buf);

    explicit ReuseAllocator(bool withLock)
    {
        // Leaves each list with its first step of capacity.
        mBlocks.SetCount(1);
        mBlocks.SetCount(0);
        mFree.SetCount(1);
        mFree.SetCount(0);
        if (withLock)
            mLock = std::make_unique<Mutex>();
    }

    virtual ~ReuseAllocator()
    {
        for (uint32_t i = mBlocks.GetCount(); i-- > 0;)
            std::free(mBlocks.GetData()[i]);
        mBlocks.SetCount(0);
        mFree.SetCount(0);
    }

    ReuseAllocator(const ReuseAllocator&) = delete;
    ReuseAllocator& operator=(const ReuseAllocator&) = delete;

    // Room for one T, suitably aligned; any other size is a plain heap block.
    // Throws the allocation failure when the heap has nothing left.
    void* Allocate(std::size_t size)
    {
        if (size != sizeof(T))
            return AllocateFromHeap(size);

        MutexLock lock(mLock.get());
        uint32_t index = 0;
        if (const uint32_t freeCount = mFree.GetCount(); freeCount != 0)
        {
            index = mFree.GetData()[freeCount - 1];
            mFree.SetCount(freeCount - 1);
        }
        else
        {
            index = mBlocks.GetCount();
            auto* block = static_cast<Buf*>(AllocateFromHeap(HeaderSize + sizeof(T)));
            block->number = index;
            try
            {
                AddOrThrow(mBlocks, block);
            }
            catch (...)
            {
                std::free(block);
                throw;
            }
        }
        return RoomOf(mBlocks.GetData()[index]);
    }

    // Takes back an address that Allocate gave for the same size.
    void Free(void* address, std::size_t size) noexcept
    {
        if (!address)
            return;
        if (size == sizeof(T))
        {
            MutexLock lock(mLock.get());
            const uint32_t index = HeadOf(address)->number;
            if (index < mBlocks.GetCount() && RoomOf(mBlocks.GetData()[index]) == address)
            {
                try
                {
                    AddOrThrow(mFree, index);
                }
                catch (...)
                {
                    // No room to remember it: the block stays out of use until the pool goes.
                }
                return;
            }
        }
        std::free(address);
    }

    // The number of blocks ever made, and how many of them are free now.
    uint32_t GetBlockCount() const
    {
        MutexLock lock(mLock.get());
        return mBlocks.GetCount();
    }
    uint32_t GetFreeCount() const
    {
        MutexLock lock(mLock.get());
        return mFree.GetCount();
    }

private:
    template <class List, class E> static void AddOrThrow(List& list, E entry)
    {
        if (list.AddItem(entry) < 0)
            ThrowBadAlloc();
    }

    static void* AllocateFromHeap(std::size_t size)
    {
        void* block = nullptr;
        if constexpr (BlockAlignment <= alignof(std::max_align_t))
            block = std::malloc(size != 0 ? size : 1);
        else
            block = std::aligned_alloc(BlockAlignment, (std::max<std::size_t>(size, 1) + BlockAlignment - 1) /
                                                           BlockAlignment * BlockAlignment);
        if (!block)
            ThrowBadAlloc();
        return block;
    }

    static void* RoomOf(Buf* block) { return reinterpret_cast<unsigned char*>(block) + HeaderSize; }
    static Buf* HeadOf(void* room)
    {
        return reinterpret_cast<Buf*>(static_cast<unsigned char*>(room) - HeaderSize);
    }

    // Both lists grow in steps of N entries and keep up to 1600 spare entries, so that
    // they are practically never reallocated once grown.
    ArrayBuffer<Buf*, N, 1600> mBlocks;   // every block ever made, indexed by its number
    ArrayBuffer<uint32_t, N, 1600> mFree; // the numbers of the free blocks, the one freed last at the end
    std::unique_ptr<Mutex> mLock;
};

// Routes the allocation of a class T (and of the classes derived from it) through one
// process-wide ReuseAllocator<T,N>. Derive T from ReusePooled<T,N,WithLock>. The pool
// is made at its first use and never destroyed: objects may still be released by other
// threads while the process ends.
template <class T, uint32_t N, bool WithLock> class ReusePooled
{
public:
    static void* operator new(std::size_t size) { return Pool().Allocate(size); }
    static void operator delete(void* address, std::size_t size) noexcept { Pool().Free(address, size); }

    static ReuseAllocator<T, N>& Pool()
    {
        static auto* pool = new ReuseAllocator<T, N>(WithLock);
        return *pool;
    }

protected:
    ReusePooled() = default;
    ~ReusePooled() = default;
};

} // namespace KV
