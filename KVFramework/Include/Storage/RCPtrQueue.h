#pragma once
// RCPtrQueue<T,N>: a first-in, first-out ring of references to reference-counted
// objects that never refuses an item.
//
// A ring of `size` slots holds at most size - 1 items, so head == tail means empty.
// When the ring is full, Enqueue grows it by one free slot inserted just before the
// oldest item, which keeps the order of the queued items in both the wrapped and the
// unwrapped state. The ring never shrinks.
//
// The optional lock is not owned (several queues may share one). It is re-entrant, so
// Enqueue can ask GetCount while holding it. Every operation, the emptiness test of
// Dequeue included, runs under the lock, so any number of threads may add and take.

#include "KVResult.h"
#include "ObjectBase/Exception.h"
#include "ObjectBase/RCPtr.h"
#include "System/Mutex.h"

#include <cstdint>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace KV {

template <class T, uint32_t N> class RCPtrQueue
{
    static_assert(N > 0, "the growth granule must not be 0");

public:
    explicit RCPtrQueue(Mutex* lock = nullptr, uint32_t size = N) : mLock(lock)
    {
        Reserve(size);
        mSlots.resize(size);
    }

    RCPtrQueue(const RCPtrQueue&) = delete;
    RCPtrQueue& operator=(const RCPtrQueue&) = delete;

    // Appends the item (the queue takes its own reference); grows the ring when full.
    KVRESULT Enqueue(const RCPtr<T>& item)
    {
        MutexLock guard(mLock);
        // A ring of one slot could hold no item at all and would grow into an
        // inconsistent state, so the smallest working ring has two slots.
        if (mSlots.size() < 2)
        {
            Reserve(2);
            mSlots.resize(2);
            mHead = 0;
            mTail = 0;
        }
        if (GetCount() == SlotCount() - 1)
            Grow();
        const uint32_t index = mTail;
        mTail = (mTail + 1) % SlotCount();
        mSlots[index] = item;
        return S_OK;
    }

    // Moves the oldest item into out and returns out. On an empty queue out is left
    // empty, the queue is unchanged, and a runtime error is thrown.
    RCPtr<T>& Dequeue(RCPtr<T>& out)
    {
        out = nullptr;
        MutexLock guard(mLock);
        if (GetCount() == 0)
            ThrowException<std::runtime_error>("", KV_HERE, false,
                                               "KV::RCPtrQueue<" + TypeName<T>() + "," + std::to_string(N) +
                                                   ">::Dequeue");
        out = std::move(mSlots[mHead]);
        mHead = (mHead + 1) % SlotCount();
        return out;
    }

    // The number of queued items.
    uint32_t GetCount() const
    {
        MutexLock guard(mLock);
        if (mSlots.empty())
            return 0;
        return mTail >= mHead ? mTail - mHead : mTail + SlotCount() - mHead;
    }

    // The number of slots of the ring (one more than the items it holds before growing).
    uint32_t GetSlotCount() const
    {
        MutexLock guard(mLock);
        return SlotCount();
    }

private:
    uint32_t SlotCount() const noexcept { return static_cast<uint32_t>(mSlots.size()); }

    // One empty slot inserted at head: the slots from head onward move up by one, so the
    // new free slot lies just before the oldest item. In the unwrapped state the queued
    // items are among the moved slots, and tail moves with them.
    void Grow()
    {
        if (mSlots.size() == mSlots.capacity())
            Reserve(SlotCount() + N);
        mSlots.insert(mSlots.begin() + mHead, RCPtr<T>());
        if (mTail > mHead)
            ++mTail;
        mHead = (mHead + 1) % SlotCount();
    }

    // Room for `count` slots; an allocation failure is reported as the framework's.
    void Reserve(uint32_t count)
    {
        try
        {
            mSlots.reserve(count);
        }
        catch (const std::bad_alloc&)
        {
            ThrowBadAlloc();
        }
        catch (const std::length_error&)
        {
            ThrowBadAlloc();
        }
    }

    std::vector<RCPtr<T>> mSlots;
    uint32_t mTail = 0;
    uint32_t mHead = 0;
    Mutex* mLock;
};

} // namespace KV
