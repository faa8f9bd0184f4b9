#pragma once
// RectRegion: a set of disjoint whole-pixel rectangles, the dirty region of the control
// toolkit. The root window collects the areas to repaint in one, controls intersect,
// offset and subtract them while drawing, and a window's render context presents exactly
// these areas of its offscreen surface.
//
// A region is a singly linked list of nodes. The nodes come from one process-wide pool of
// 512 fixed-size slots recycled first in, first out, so that the many small regions made
// and dropped during each frame cost no heap traffic; when the pool is exhausted, nodes
// come from the heap and go back to it. Regions and the pool belong to the window thread:
// nothing here locks.
//
// Every operation keeps the nodes of a region pairwise disjoint, except AppendRegion,
// which copies another region's nodes as they are.

#include "Graphics/Geometry.h"
#include "Storage/IArray.h"

#include <cstdint>

namespace KV {

// Edges of a rectangle; right and bottom are exclusive. Two rectangles overlap when each
// one's left is less than the other's right and the same holds vertically: touching edges
// do not overlap, and an empty rectangle overlaps nothing.
struct RegionRect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool operator==(const RegionRect&) const = default;
};

struct RegionNode
{
    RegionRect rect;
    RegionNode* next = nullptr;
};

class RectRegion
{
public:
    RectRegion() = default;
    RectRegion(const RectRegion&) = delete; // copies are made explicitly with AppendRegion
    RectRegion& operator=(const RectRegion&) = delete;
    RectRegion(RectRegion&& other) noexcept;
    RectRegion& operator=(RectRegion&& other) noexcept;
    ~RectRegion();

    // Adds the area unless it is empty (left >= right or top >= bottom); the part of it that
    // the region already covers is cut out of the old nodes first.
    void AddRect(const RegionRect& rect);
    // Adds a rectangle given in layout units: each edge rounded by adding 0.5 and truncating.
    void AddRoundedRect(const RectT<double>& rect);
    void Clear();

    // The smallest rectangle enclosing every node; false and all zero for an empty region.
    bool GetBounds(RegionRect& out) const;
    // Replaces the contents of out with the nodes as origin and extent, in list order.
    void ForEachRect(IArray<RectT<int32_t>>& out) const;
    uint32_t GetCount() const;
    bool IsEmpty() const { return mHead == nullptr; }

    // Keeps only the parts that lie inside other.
    void Intersect(const RectRegion& other);
    void Offset(int32_t dx, int32_t dy);
    // Rewrites the nodes into horizontal bands and merges neighbours that touch, so that the
    // same area is presented with fewer rectangles.
    void Optimize();
    // Copies every node of other into this region without cutting overlaps.
    void AppendRegion(const RectRegion& other);

    // Cuts the rectangle out of every node; the parts cut out move to the collector when one
    // is given, else they are freed.
    void SubtractRect(const RegionRect& rect, RectRegion* collector = nullptr);
    // SubtractRect for each node of other, in its list order.
    void SubtractRegion(const RectRegion& other, RectRegion* collector = nullptr);

    bool IntersectsRect(const RegionRect& rect) const;
    // Whether the rectangle, moved by offset and cut to the non-negative int32_t range,
    // overlaps the region.
    bool IntersectsOffsetRect(const RectT<double>& rect, const PointT<double>& offset) const;

    // The nodes in list order, for walking without copying.
    const RegionNode* GetFirstNode() const { return mHead; }

    struct PoolStatistics
    {
        uint32_t capacity;  // slots of the pool
        uint32_t freeSlots; // slots ready for reuse
        uint32_t liveNodes; // nodes in use, pool and heap alike
        uint32_t peakNodes; // the most nodes in use at once
    };
    static PoolStatistics GetPoolStatistics();

private:
    static RegionNode* NewNode(const RegionRect& rect);
    static void FreeNode(RegionNode* node);
    static void FreeList(RegionNode* head);
    void Push(RegionNode* node)
    {
        node->next = mHead;
        mHead = node;
    }
    void Push(const RegionRect& rect) { Push(NewNode(rect)); }

    void SplitIntoBands();
    void MergeWithinBands();
    void MergeAcrossBands();

    RegionNode* mHead = nullptr;
};

} // namespace KV
