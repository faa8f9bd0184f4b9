#include "Graphics/RectRegion.h"
#include "Storage/Array.h"

#include <gtest/gtest.h>

#include <bitset>
#include <limits>
#include <random>
#include <vector>

using namespace KV;

namespace {

// A boolean grid over [-kSpan, kSpan) on both axes: what a region must cover.
constexpr int kSpan = 160; // room for 40 offsets of up to 3 around rectangles within +-34
constexpr int kCells = 2 * kSpan;
using Grid = std::bitset<kCells * kCells>;

size_t Cell(int x, int y)
{
    return static_cast<size_t>((y + kSpan) * kCells + (x + kSpan));
}

Grid GridOf(const RegionRect& r)
{
    Grid grid;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            grid.set(Cell(x, y));
    return grid;
}

Grid Shifted(const Grid& grid, int dx, int dy)
{
    Grid out;
    for (int y = -kSpan; y < kSpan; ++y)
        for (int x = -kSpan; x < kSpan; ++x)
            if (grid.test(Cell(x, y)))
                out.set(Cell(x + dx, y + dy));
    return out;
}

std::vector<RegionRect> Nodes(const RectRegion& region)
{
    std::vector<RegionRect> nodes;
    for (const RegionNode* node = region.GetFirstNode(); node != nullptr; node = node->next)
        nodes.push_back(node->rect);
    return nodes;
}

bool Overlap(const RegionRect& a, const RegionRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The region's nodes are non-empty and pairwise disjoint and cover exactly the grid.
void ExpectCovers(const RectRegion& region, const Grid& expected, const std::string& step)
{
    const std::vector<RegionRect> nodes = Nodes(region);
    Grid covered;
    size_t area = 0;
    for (size_t i = 0; i < nodes.size(); ++i)
    {
        const RegionRect& n = nodes[i];
        ASSERT_TRUE(n.left < n.right && n.top < n.bottom) << step;
        for (size_t j = i + 1; j < nodes.size(); ++j)
            ASSERT_FALSE(Overlap(n, nodes[j])) << step;
        area += static_cast<size_t>(n.right - n.left) * static_cast<size_t>(n.bottom - n.top);
        covered |= GridOf(n);
    }
    ASSERT_EQ(expected.count(), area) << step;
    ASSERT_EQ(expected, covered) << step;
    ASSERT_EQ(nodes.size(), region.GetCount()) << step;
}

RegionRect RandomRect(std::mt19937& random)
{
    std::uniform_int_distribution<int> edge(-20, 20);
    std::uniform_int_distribution<int> extent(0, 14);
    const int left = edge(random);
    const int top = edge(random);
    return {left, top, left + extent(random), top + extent(random)};
}

} // namespace

TEST(RectRegion, RandomOperationsMatchABooleanGrid)
{
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> pick(0, 7);
    std::uniform_int_distribution<int> shift(-3, 3);
    for (int run = 0; run < 60; ++run)
    {
        RectRegion region;
        Grid grid;
        for (int step = 0; step < 40; ++step)
        {
            const std::string where = "run " + std::to_string(run) + " step " + std::to_string(step);
            const RegionRect r = RandomRect(random);
            switch (pick(random))
            {
            case 0:
            case 1:
            case 2:
                region.AddRect(r);
                grid |= GridOf(r);
                break;
            case 3:
            {
                RectRegion collector;
                region.SubtractRect(r, &collector);
                ExpectCovers(collector, grid & GridOf(r), where + " collected");
                grid &= ~GridOf(r);
                break;
            }
            case 4:
            {
                RectRegion other;
                for (int i = 0; i < 3; ++i)
                    other.AddRect(RandomRect(random));
                Grid otherGrid;
                for (const RegionRect& n : Nodes(other))
                    otherGrid |= GridOf(n);
                if (step % 2 == 0)
                {
                    region.Intersect(other);
                    grid &= otherGrid;
                }
                else
                {
                    region.SubtractRegion(other);
                    grid &= ~otherGrid;
                }
                break;
            }
            case 5:
            {
                const int dx = shift(random);
                const int dy = shift(random);
                region.Offset(dx, dy);
                grid = Shifted(grid, dx, dy);
                break;
            }
            case 6:
                // Banding may cut more nodes than it joins; only the area must stay.
                region.Optimize();
                break;
            default:
                // Queries leave the region alone and agree with the grid.
                ASSERT_EQ((grid & GridOf(r)).any(), region.IntersectsRect(r)) << where;
                break;
            }
            ExpectCovers(region, grid, where);
        }
        RegionRect bounds;
        ASSERT_EQ(grid.any(), region.GetBounds(bounds));
        if (grid.any())
        {
            ASSERT_EQ(grid, grid & GridOf(bounds));
            // Each edge of the bounds touches covered cells.
            ASSERT_TRUE((grid & GridOf({bounds.left, bounds.top, bounds.left + 1, bounds.bottom})).any());
            ASSERT_TRUE((grid & GridOf({bounds.right - 1, bounds.top, bounds.right, bounds.bottom})).any());
            ASSERT_TRUE((grid & GridOf({bounds.left, bounds.top, bounds.right, bounds.top + 1})).any());
            ASSERT_TRUE((grid & GridOf({bounds.left, bounds.bottom - 1, bounds.right, bounds.bottom})).any());
        }
    }
}

TEST(RectRegion, OptimizedRegionsAreBandsWithoutTouchingNeighbours)
{
    std::mt19937 random(7);
    for (int run = 0; run < 200; ++run)
    {
        RectRegion region;
        Grid grid;
        for (int i = 0; i < 8; ++i)
        {
            const RegionRect r = RandomRect(random);
            region.AddRect(r);
            grid |= GridOf(r);
        }
        region.Optimize();
        ExpectCovers(region, grid, "run " + std::to_string(run));
        const std::vector<RegionRect> nodes = Nodes(region);
        for (size_t i = 0; i + 1 < nodes.size(); ++i)
        {
            const RegionRect& a = nodes[i];
            const RegionRect& b = nodes[i + 1];
            if (a.top == b.top && a.bottom == b.bottom)
            {
                EXPECT_LT(a.right, b.left) << "run " << run; // ordered by left, never touching
            }
        }
    }
}

TEST(RectRegion, MergeCases)
{
    const struct
    {
        std::vector<RegionRect> added;
        std::vector<RegionRect> optimized;
    } cases[] = {
        {{{0, 0, 10, 10}, {10, 0, 20, 10}}, {{0, 0, 20, 10}}},
        {{{10, 0, 20, 10}, {0, 0, 10, 10}}, {{0, 0, 20, 10}}},
        {{{0, 0, 10, 10}, {0, 10, 10, 20}}, {{0, 0, 10, 20}}},
        {{{0, 10, 10, 20}, {0, 0, 10, 10}, {0, 20, 10, 30}}, {{0, 0, 10, 30}}},
        // An L shape stays two bands; its upper band joins across the seam.
        {{{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 10, 10, 20}}, {{0, 0, 20, 10}, {0, 10, 10, 20}}},
        // A tall node beside a short one is cut at the short one's bottom.
        {{{0, 0, 5, 10}, {5, 0, 10, 5}}, {{0, 0, 10, 5}, {0, 5, 5, 10}}},
        // Apart: nothing to join.
        {{{0, 0, 5, 5}, {6, 0, 10, 5}}, {{0, 0, 5, 5}, {6, 0, 10, 5}}},
    };
    for (const auto& c : cases)
    {
        RectRegion region;
        for (const RegionRect& r : c.added)
            region.AddRect(r);
        region.Optimize();
        EXPECT_EQ(c.optimized, Nodes(region))
            << c.added.size() << " rectangles from " << c.added[0].left << "," << c.added[0].top;
    }
}

TEST(RectRegion, AddCutsOverlapsAndIgnoresEmptyRectangles)
{
    RectRegion region;
    region.AddRect({0, 0, 10, 10});
    region.AddRect({5, 5, 15, 15});
    ExpectCovers(region, GridOf({0, 0, 10, 10}) | GridOf({5, 5, 15, 15}), "overlap");
    EXPECT_EQ(3u, region.GetCount());
    EXPECT_EQ((RegionRect{5, 5, 15, 15}), region.GetFirstNode()->rect); // newest first

    region.AddRect({3, 3, 3, 9});
    region.AddRect({3, 9, 8, 2});
    EXPECT_EQ(3u, region.GetCount());

    RectRegion empty;
    RegionRect bounds{1, 2, 3, 4};
    EXPECT_FALSE(empty.GetBounds(bounds));
    EXPECT_EQ(RegionRect{}, bounds);
    EXPECT_TRUE(region.GetBounds(bounds));
    EXPECT_EQ((RegionRect{0, 0, 15, 15}), bounds);
}

TEST(RectRegion, SubtractSplitsIntoBandsAndPieces)
{
    RectRegion region;
    region.AddRect({0, 0, 10, 10});
    RectRegion collector;
    region.SubtractRect({3, 4, 6, 7}, &collector);
    // Top band, bottom band, then the left and right pieces of the middle, newest first.
    const std::vector<RegionRect> pieces{{6, 4, 10, 7}, {0, 4, 3, 7}, {0, 7, 10, 10}, {0, 0, 10, 4}};
    EXPECT_EQ(pieces, Nodes(region));
    EXPECT_EQ((std::vector<RegionRect>{{3, 4, 6, 7}}), Nodes(collector));

    RectRegion whole;
    whole.AddRect({0, 0, 4, 4});
    whole.SubtractRegion(whole);
    EXPECT_TRUE(whole.IsEmpty());
}

TEST(RectRegion, AppendCopiesWithoutCutting)
{
    RectRegion a;
    a.AddRect({0, 0, 4, 4});
    RectRegion b;
    b.AddRect({2, 2, 6, 6});
    b.AppendRegion(a);
    EXPECT_EQ((std::vector<RegionRect>{{0, 0, 4, 4}, {2, 2, 6, 6}}), Nodes(b));
    a.AppendRegion(a);
    EXPECT_EQ(2u, a.GetCount());
}

TEST(RectRegion, RoundingOffsetsAndArrays)
{
    RectRegion region;
    region.AddRoundedRect({1.5, 2.4, 3.5, 0.6});
    EXPECT_EQ((std::vector<RegionRect>{{2, 2, 6, 3}}), Nodes(region));
    region.Offset(-10, 5);
    EXPECT_EQ((std::vector<RegionRect>{{-8, 7, -4, 8}}), Nodes(region));

    // Moved past the int32_t range, a node keeps what is left of it, or goes.
    RectRegion far;
    far.AddRect({0, 0, 10, 10});
    far.AddRect({20, 0, 30, 10});
    far.Offset(std::numeric_limits<int32_t>::max() - 5, 0);
    EXPECT_EQ((std::vector<RegionRect>{{2147483642, 0, 2147483647, 10}}), Nodes(far));
    far.Optimize();
    EXPECT_EQ(1u, far.GetCount());
    region.AddRect({0, 0, 1, 1});

    Array<RectT<int32_t>> rects;
    rects.AddItem({9, 9, 9, 9});
    region.ForEachRect(rects);
    ASSERT_EQ(2u, rects.GetCount());
    EXPECT_EQ((RectT<int32_t>{0, 0, 1, 1}), *rects.GetAt(0));
    EXPECT_EQ((RectT<int32_t>{-8, 7, 4, 1}), *rects.GetAt(1));
}

TEST(RectRegion, IntersectsOffsetRect)
{
    RectRegion region;
    region.AddRect({10, 10, 20, 20});
    const struct
    {
        RectT<double> rect;
        PointT<double> offset;
        bool hit;
    } cases[] = {
        {{0, 0, 5, 5}, {8, 8}, true},
        {{0, 0, 5, 5}, {4.4, 4.4}, false},      // edges round to 9: touching only
        {{0, 0, 5, 5}, {5.6, 5.6}, true},       // edges round to 11
        {{-30, -30, 10, 10}, {0, 0}, false},    // wholly at negative coordinates
        {{-30, -30, 1e12, 1e12}, {0, 0}, true}, // cut to the int32_t range
        {{12, 12, 0, 5}, {0, 0}, false},        // no width
        {{12, 12, std::numeric_limits<double>::quiet_NaN(), 5}, {0, 0}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.hit, region.IntersectsOffsetRect(c.rect, c.offset)) << c.rect.x << "+" << c.offset.x;
}

TEST(RectRegion, PoolHands513thNodeToTheHeap)
{
    const RectRegion::PoolStatistics start = RectRegion::GetPoolStatistics();
    ASSERT_EQ(0u, start.liveNodes) << "an earlier test left nodes alive";
    {
        RectRegion full;
        for (int i = 0; i < 512; ++i)
            full.AddRect({i, 0, i + 1, 1});
        RectRegion::PoolStatistics stats = RectRegion::GetPoolStatistics();
        EXPECT_EQ(0u, stats.freeSlots);
        EXPECT_EQ(512u, stats.liveNodes);
        {
            RectRegion extra;
            extra.AddRect({0, 5, 1, 6}); // the 513th node comes from the heap
            EXPECT_EQ(513u, RectRegion::GetPoolStatistics().liveNodes);
        }
        stats = RectRegion::GetPoolStatistics();
        EXPECT_EQ(0u, stats.freeSlots); // a heap node never enters the ring
        EXPECT_EQ(512u, stats.liveNodes);
        EXPECT_GE(stats.peakNodes, 513u);
        // Regions go on working past the pool.
        full.AddRect({0, 2, 600, 3});
        EXPECT_EQ(513u, full.GetCount());
    }
    const RectRegion::PoolStatistics end = RectRegion::GetPoolStatistics();
    EXPECT_EQ(512u, end.freeSlots);
    EXPECT_EQ(0u, end.liveNodes);
}
