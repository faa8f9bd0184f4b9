#include "Graphics/RectRegion.h"

#include "Utilities/Graphics/RegionNodePool.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace KV {

namespace {

bool IsEmptyRect(const RegionRect& r)
{
    return r.left >= r.right || r.top >= r.bottom;
}

// Nodes are never empty; an empty rectangle given by a caller overlaps nothing (the edge
// test alone would find a line inside a node, and cutting along it would leave an empty
// node behind).
bool Overlaps(const RegionRect& node, const RegionRect& other)
{
    return !IsEmptyRect(other) && node.left < other.right && other.left < node.right &&
           node.top < other.bottom && other.top < node.bottom;
}

// Truncation toward zero, saturating; NaN gives the lowest value.
int64_t TruncateToInt32Range(double value)
{
    if (!(value >= -2147483648.0))
        return std::numeric_limits<int32_t>::min();
    if (value >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    return static_cast<int64_t>(value);
}

int32_t AddSaturating(int32_t value, int64_t delta)
{
    return Detail::SaturateToInt32(int64_t{value} + delta);
}

} // namespace

RectRegion::RectRegion(RectRegion&& other) noexcept : mHead(std::exchange(other.mHead, nullptr)) {}

RectRegion& RectRegion::operator=(RectRegion&& other) noexcept
{
    if (this != &other)
    {
        Clear();
        mHead = std::exchange(other.mHead, nullptr);
    }
    return *this;
}

RectRegion::~RectRegion()
{
    Clear();
}

RegionNode* RectRegion::NewNode(const RegionRect& rect)
{
    RegionNode* node = RegionNodePool::Instance().Allocate();
    node->rect = rect;
    return node;
}

void RectRegion::FreeNode(RegionNode* node)
{
    RegionNodePool::Instance().Release(node);
}

void RectRegion::FreeList(RegionNode* head)
{
    while (head != nullptr)
        FreeNode(std::exchange(head, head->next));
}

RectRegion::PoolStatistics RectRegion::GetPoolStatistics()
{
    return RegionNodePool::Instance().GetStatistics();
}

void RectRegion::AddRect(const RegionRect& rect)
{
    if (IsEmptyRect(rect))
        return;
    SubtractRect(rect);
    Push(rect);
}

void RectRegion::AddRoundedRect(const RectT<double>& rect)
{
    const int64_t left = TruncateToInt32Range(rect.x + 0.5);
    const int64_t top = TruncateToInt32Range(rect.y + 0.5);
    const int64_t width = TruncateToInt32Range(rect.width + 0.5);
    const int64_t height = TruncateToInt32Range(rect.height + 0.5);
    AddRect({static_cast<int32_t>(left), static_cast<int32_t>(top), Detail::SaturateToInt32(left + width),
             Detail::SaturateToInt32(top + height)});
}

void RectRegion::Clear()
{
    FreeList(std::exchange(mHead, nullptr));
}

bool RectRegion::GetBounds(RegionRect& out) const
{
    out = {};
    if (mHead == nullptr)
        return false;
    out = mHead->rect;
    for (const RegionNode* node = mHead->next; node != nullptr; node = node->next)
    {
        out.left = std::min(out.left, node->rect.left);
        out.top = std::min(out.top, node->rect.top);
        out.right = std::max(out.right, node->rect.right);
        out.bottom = std::max(out.bottom, node->rect.bottom);
    }
    return true;
}

void RectRegion::ForEachRect(IArray<RectT<int32_t>>& out) const
{
    out.Clear();
    for (const RegionNode* node = mHead; node != nullptr; node = node->next)
    {
        const RegionRect& r = node->rect;
        out.AddItem({r.left, r.top, Detail::SaturateToInt32(int64_t{r.right} - r.left),
                     Detail::SaturateToInt32(int64_t{r.bottom} - r.top)});
    }
}

uint32_t RectRegion::GetCount() const
{
    uint32_t count = 0;
    for (const RegionNode* node = mHead; node != nullptr; node = node->next)
        ++count;
    return count;
}

void RectRegion::Intersect(const RectRegion& other)
{
    if (&other == this)
        return;
    RectRegion inside;
    SubtractRegion(other, &inside);
    // What is left here lies outside other.
    std::swap(mHead, inside.mHead);
}

void RectRegion::Offset(int32_t dx, int32_t dy)
{
    if (dx == 0 && dy == 0)
        return;
    RegionNode** link = &mHead;
    while (RegionNode* node = *link)
    {
        RegionRect& r = node->rect;
        r.left = AddSaturating(r.left, dx);
        r.right = AddSaturating(r.right, dx);
        r.top = AddSaturating(r.top, dy);
        r.bottom = AddSaturating(r.bottom, dy);
        // A node pushed wholly past the int32_t range has no area left; an empty node would
        // break the banding of Optimize.
        if (IsEmptyRect(r))
        {
            *link = node->next;
            FreeNode(node);
            continue;
        }
        link = &node->next;
    }
}

void RectRegion::AppendRegion(const RectRegion& other)
{
    // The copies go in front of the nodes being copied, so appending a region to itself
    // ends as well.
    for (const RegionNode* node = other.mHead; node != nullptr; node = node->next)
        Push(node->rect);
}

void RectRegion::SubtractRect(const RegionRect& cut, RectRegion* collector)
{
    if (collector == this)
        return; // the parts cut out would come straight back
    // Pieces are gathered apart and put in front at the end, so that the walk below meets
    // only the nodes that were there before.
    RegionNode* pieces = nullptr;
    const auto pushPiece = [&pieces](const RegionRect& rect) {
        RegionNode* piece = NewNode(rect);
        piece->next = pieces;
        pieces = piece;
    };
    RegionNode** link = &mHead;
    while (RegionNode* node = *link)
    {
        RegionRect& r = node->rect;
        if (!Overlaps(r, cut))
        {
            link = &node->next;
            continue;
        }
        if (r.top < cut.top)
        {
            pushPiece({r.left, r.top, r.right, cut.top});
            r.top = cut.top;
        }
        if (cut.bottom < r.bottom)
        {
            pushPiece({r.left, cut.bottom, r.right, r.bottom});
            r.bottom = cut.bottom;
        }
        if (r.left < cut.left)
        {
            pushPiece({r.left, r.top, cut.left, r.bottom});
            r.left = cut.left;
        }
        if (cut.right < r.right)
        {
            pushPiece({cut.right, r.top, r.right, r.bottom});
            r.right = cut.right;
        }
        // The node is now the overlap.
        *link = node->next;
        if (collector != nullptr)
            collector->Push(node);
        else
            FreeNode(node);
    }
    if (pieces != nullptr)
    {
        RegionNode* last = pieces;
        while (last->next != nullptr)
            last = last->next;
        last->next = mHead;
        mHead = pieces;
    }
}

void RectRegion::SubtractRegion(const RectRegion& other, RectRegion* collector)
{
    if (&other == this)
    {
        // Subtracting a region from itself leaves nothing; the whole goes to the collector.
        if (collector == nullptr)
            Clear();
        else if (collector != this)
            while (mHead != nullptr)
                collector->Push(std::exchange(mHead, mHead->next));
        return;
    }
    for (const RegionNode* node = other.mHead; node != nullptr; node = node->next)
        SubtractRect(node->rect, collector);
}

bool RectRegion::IntersectsRect(const RegionRect& rect) const
{
    for (const RegionNode* node = mHead; node != nullptr; node = node->next)
    {
        if (Overlaps(node->rect, rect))
            return true;
    }
    return false;
}

bool RectRegion::IntersectsOffsetRect(const RectT<double>& rect, const PointT<double>& offset) const
{
    const double x = rect.x + offset.x;
    const double y = rect.y + offset.y;
    const double left = std::max(x, 0.0);
    const double top = std::max(y, 0.0);
    const double right = std::min(x + rect.width, 2147483647.0);
    const double bottom = std::min(y + rect.height, 2147483647.0);
    // Written so that NaN counts as no area.
    if (!(right - left > kExtentEpsilon<double>) || !(bottom - top > kExtentEpsilon<double>))
        return false;
    return IntersectsRect({DoubleToLong(left), DoubleToLong(top), DoubleToLong(right), DoubleToLong(bottom)});
}

void RectRegion::Optimize()
{
    if (mHead == nullptr || mHead->next == nullptr)
        return;
    // Sorted by top, stable: neighbours are exchanged only when the later one is higher.
    for (bool exchanged = true; exchanged;)
    {
        exchanged = false;
        for (RegionNode** link = &mHead; (*link)->next != nullptr;)
        {
            RegionNode* a = *link;
            RegionNode* b = a->next;
            if (b->rect.top < a->rect.top)
            {
                a->next = b->next;
                b->next = a;
                *link = b;
                exchanged = true;
            }
            link = &(*link)->next;
        }
    }
    SplitIntoBands();
    MergeWithinBands();
    MergeAcrossBands();
}

// Cuts the nodes so that all nodes of one top share one bottom, and no node reaches over a
// line at which another node starts.
void RectRegion::SplitIntoBands()
{
    RegionNode* group = mHead;
    while (group != nullptr)
    {
        const int32_t top = group->rect.top;
        int32_t line = std::numeric_limits<int32_t>::max();
        RegionNode* after = group;
        for (; after != nullptr && after->rect.top == top; after = after->next)
            line = std::min(line, after->rect.bottom);
        if (after != nullptr)
            line = std::min(line, after->rect.top);

        for (RegionNode* node = group; node != nullptr && node->rect.top == top; node = node->next)
        {
            if (line >= node->rect.bottom)
                continue;
            RegionNode* lower = NewNode({node->rect.left, line, node->rect.right, node->rect.bottom});
            node->rect.bottom = line;
            // In its sorted place: after every node whose top is not below the line.
            RegionNode* place = node;
            while (place->next != nullptr && place->next->rect.top <= line)
                place = place->next;
            lower->next = place->next;
            place->next = lower;
        }
        while (group != nullptr && group->rect.top == top)
            group = group->next;
    }
}

// In each band, joins nodes whose sides touch and orders the nodes by left.
void RectRegion::MergeWithinBands()
{
    for (RegionNode* band = mHead; band != nullptr;)
    {
        const int32_t top = band->rect.top;
        for (bool changed = true; changed;)
        {
            changed = false;
            for (RegionNode* a = band; a->next != nullptr && a->next->rect.top == top;)
            {
                RegionNode* b = a->next;
                if (a->rect.right == b->rect.left || b->rect.right == a->rect.left)
                {
                    a->rect.left = std::min(a->rect.left, b->rect.left);
                    a->rect.right = std::max(a->rect.right, b->rect.right);
                    a->next = b->next;
                    FreeNode(b);
                    changed = true;
                }
                else
                {
                    if (b->rect.left < a->rect.left)
                    {
                        std::swap(a->rect, b->rect);
                        changed = true;
                    }
                    a = b;
                }
            }
        }
        while (band != nullptr && band->rect.top == top)
            band = band->next;
    }
}

// Joins a node with the node of the next band directly below it when both have the same
// left and right; the lower node grows upward and the upper one goes.
void RectRegion::MergeAcrossBands()
{
    // Bands are told apart by position: a node that grew upward no longer has its band's top.
    const auto bandEnd = [](RegionNode* start) {
        const int32_t top = start->rect.top;
        while (start != nullptr && start->rect.top == top)
            start = start->next;
        return start;
    };
    RegionNode** bandLink = &mHead;
    RegionNode* end = bandEnd(mHead);
    while (end != nullptr)
    {
        RegionNode* nextEnd = bandEnd(end);
        RegionNode** link = bandLink;
        while (*link != end)
        {
            RegionNode* upper = *link;
            RegionNode* below = nullptr;
            for (RegionNode* candidate = end; candidate != nextEnd; candidate = candidate->next)
            {
                if (candidate->rect.top == upper->rect.bottom && candidate->rect.left == upper->rect.left &&
                    candidate->rect.right == upper->rect.right)
                {
                    below = candidate;
                    break;
                }
            }
            if (below == nullptr)
            {
                link = &upper->next;
                continue;
            }
            below->rect.top = upper->rect.top;
            *link = upper->next;
            FreeNode(upper);
        }
        bandLink = link;
        end = nextEnd;
    }
}

} // namespace KV
