#pragma once
// The process-wide pool of region nodes: one block of 512 slots, allocated at the first
// request and kept to the end of the process, with the free slots in a ring so that they
// are reused first in, first out. Past 512 live nodes, nodes come from the heap and go back
// to it. Window thread only: it does not lock.

#include "Graphics/RectRegion.h"

#include <cstdint>

namespace KV {

class RegionNodePool
{
public:
    static constexpr uint32_t kCapacity = 512;

    static RegionNodePool& Instance();

    // A zero-filled node.
    RegionNode* Allocate();
    void Release(RegionNode* node);

    RectRegion::PoolStatistics GetStatistics() const;

private:
    struct Slot
    {
        RegionNode node;
        // Ring position k holds the index kept in the ring entry of slot k.
        uint32_t ringEntry;
    };

    constexpr RegionNodePool() = default;
    bool IsPoolSlot(const RegionNode* node, uint32_t& index) const;

    Slot* mSlots = nullptr;
    uint32_t mFreeCount = kCapacity;
    uint32_t mRingHead = 0;
    uint32_t mLiveCount = 0;
    uint32_t mPeakCount = 0;
};

} // namespace KV
