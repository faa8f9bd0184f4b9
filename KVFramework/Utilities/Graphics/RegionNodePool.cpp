#include "Utilities/Graphics/RegionNodePool.h"

#include <algorithm>
#include <new>

namespace KV {

RegionNodePool& RegionNodePool::Instance()
{
    // Trivially destructible, so it outlives every region that static objects may hold.
    constinit static RegionNodePool pool;
    return pool;
}

RegionNode* RegionNodePool::Allocate()
{
    if (mSlots == nullptr)
    {
        mSlots = new Slot[kCapacity];
        for (uint32_t i = 0; i < kCapacity; ++i)
            mSlots[i].ringEntry = i;
    }
    RegionNode* node = nullptr;
    if (mFreeCount > 0)
    {
        node = &mSlots[mSlots[mRingHead].ringEntry].node;
        --mFreeCount;
        mRingHead = (mRingHead + 1) % kCapacity;
    }
    else
    {
        node = new RegionNode;
    }
    ++mLiveCount;
    mPeakCount = std::max(mPeakCount, mLiveCount);
    *node = RegionNode{};
    return node;
}

void RegionNodePool::Release(RegionNode* node)
{
    uint32_t index = 0;
    if (mFreeCount < kCapacity && IsPoolSlot(node, index))
    {
        mSlots[(mRingHead + mFreeCount) % kCapacity].ringEntry = index;
        ++mFreeCount;
    }
    else
    {
        delete node;
    }
    --mLiveCount;
}

RectRegion::PoolStatistics RegionNodePool::GetStatistics() const
{
    return {kCapacity, mFreeCount, mLiveCount, mPeakCount};
}

bool RegionNodePool::IsPoolSlot(const RegionNode* node, uint32_t& index) const
{
    if (mSlots == nullptr)
        return false;
    // Compared as integers: ordering pointers into different objects is not defined.
    const uintptr_t distance = reinterpret_cast<uintptr_t>(node) - reinterpret_cast<uintptr_t>(mSlots);
    const uintptr_t slot = distance / sizeof(Slot);
    if (slot >= kCapacity)
        return false;
    index = static_cast<uint32_t>(slot);
    return true;
}

} // namespace KV
