#include "ControlBase/LayoutArithmetic.h"

#include <gtest/gtest.h>

using namespace KV;

namespace {

LayoutPositionSpec Position(float anchor, float rel, double abs)
{
    LayoutPositionSpec spec;
    spec.mPlacementAnchor = anchor;
    spec.mRel = rel;
    spec.mAbs = abs;
    return spec;
}

LayoutSizeSpec Size(SizeReference reference, float rel, double abs)
{
    return {reference, String(), rel, abs};
}

TEST(LayoutArithmetic, AxisFromItsReferenceFrames)
{
    struct Case
    {
        const char* name;
        LayoutPositionSpec position;
        LayoutSizeSpec size;
        LayoutReferenceFrame positionFrame;
        LayoutReferenceFrame sizeFrame;
        bool docked;
        double scroll;
        double expectedPosition;
        double expectedSize;
    } const cases[] = {
        {"half of 101 rounds up, less the client origin",
         Position(0, 0.5f, 0),
         Size(SizeReference::Self, 0, 20),
         {-7, 101},
         {},
         false,
         0,
         44,
         20},
        {"to the client's far edge",
         Position(0, 0, 10),
         Size(SizeReference::Client, 1, 0),
         {0, 300},
         {0, 300},
         false,
         0,
         10,
         290},
        {"anchor 1 cannot reach a far edge ahead",
         Position(1, 0, 10),
         Size(SizeReference::Client, 1, 0),
         {0, 300},
         {0, 300},
         false,
         0,
         10,
         0},
        {"anchor 0.5 spans both sides",
         Position(0.5f, 0, 100),
         Size(SizeReference::Self, 0, 0),
         {0, 0},
         {},
         false,
         0,
         100,
         0},
        {"anchor 0.5 to a far edge at 200",
         Position(0.5f, 0, 100),
         Size(SizeReference::Client, 0, 200),
         {0, 300},
         {0, 300},
         false,
         0,
         0,
         200},
        {"far edge behind with anchor 1",
         Position(1, 0, 100),
         Size(SizeReference::Client, 0, 40),
         {0, 300},
         {0, 300},
         false,
         0,
         40,
         60},
        {"negative self size is none",
         Position(0, 0, 5),
         Size(SizeReference::Self, 0, -8),
         {0, 0},
         {},
         false,
         0,
         5,
         0},
        {"anchor outside 0..1 gives no size",
         Position(1.5f, 0, 10),
         Size(SizeReference::Client, 1, 0),
         {0, 300},
         {0, 300},
         false,
         0,
         10,
         0},
        {"docked follows the scroll",
         Position(0, 0, 10),
         Size(SizeReference::Self, 0, 20),
         {0, 0},
         {},
         true,
         35,
         45,
         20},
        {"not docked ignores it",
         Position(0, 0, 10),
         Size(SizeReference::Self, 0, 20),
         {0, 0},
         {},
         false,
         35,
         10,
         20},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        double p = 0, s = 0;
        CalculateLayoutAxis(c.position, c.size, c.positionFrame, c.sizeFrame, c.docked, c.scroll, p, s);
        EXPECT_DOUBLE_EQ(p, c.expectedPosition);
        EXPECT_DOUBLE_EQ(s, c.expectedSize);
    }
}

TEST(LayoutArithmetic, OwnLimitsMoveThePositionByTheAnchorShare)
{
    double p = 10, s = 150;
    EXPECT_EQ(ApplyOwnMaximum(p, s, 120, 1.0f), 1);
    EXPECT_DOUBLE_EQ(p, 40);
    EXPECT_DOUBLE_EQ(s, 120);
    EXPECT_EQ(ApplyOwnMaximum(p, s, 0, 1.0f), 0); // 0 is no maximum
    EXPECT_EQ(ApplyOwnMaximum(p, s, 120, 1.0f), 0);

    p = 100, s = 30;
    EXPECT_EQ(ApplyOwnMinimum(p, s, 35, 0.5f), 1);
    EXPECT_DOUBLE_EQ(p, 97); // 2.5 rounds away from zero
    EXPECT_DOUBLE_EQ(s, 35);
    EXPECT_EQ(ApplyOwnMinimum(p, s, 35, 0.5f), 0);
}

TEST(LayoutArithmetic, LimitsFromChildrenMoveTheFarEdge)
{
    struct Case
    {
        const char* name;
        bool maximum;
        double position, size, limit;
        float anchor;
        int32_t result;
        double expectedPosition, expectedSize;
    } const cases[] = {
        {"minimum: grow forward to the limit", false, 10, 20, 50, 0, 1, 10, 40},
        {"minimum: anchor 0.5 grows both ways", false, 10, 20, 50, 0.5f, 1, -10, 60},
        {"minimum: anchor 1 cannot grow forward", false, 10, 20, 50, 1, E_FAIL, 10, 20},
        {"minimum: starting past the limit grows back", false, 60, 10, 50, 1, 1, 50, 20},
        {"minimum: anchor 0 cannot grow back", false, 60, 10, 50, 0, E_FAIL, 60, 10},
        {"minimum: already reaching it", false, 10, 50, 50, 0, 0, 10, 50},
        {"maximum: cut at the limit", true, 10, 100, 60.4, 0, 1, 10, 50},
        {"maximum: anchor 1 keeps the far edge's share", true, 10, 100, 60, 1, 1, 60, 0},
        {"maximum: inside the limit", true, 10, 40, 60, 0, 0, 10, 40},
        {"maximum: limit before the control", true, 10, 40, 5, 0, 0, 10, 40},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        double p = c.position, s = c.size;
        EXPECT_EQ(c.maximum ? ApplyLimitMaximum(p, s, c.limit, c.anchor)
                            : ApplyLimitMinimum(p, s, c.limit, c.anchor),
                  c.result);
        EXPECT_DOUBLE_EQ(p, c.expectedPosition);
        EXPECT_DOUBLE_EQ(s, c.expectedSize);
    }
}

TEST(LayoutArithmetic, BoundingBoxInWholePixels)
{
    const RectT<double> rects[] = {{10.4, 5, 20, 10}, {-3, 7.6, 5, 30.2}};
    EXPECT_EQ(BoundingBoxOf(rects, 2), (RectT<double>{-3, 5, 33, 33}));
    EXPECT_EQ(BoundingBoxOf(rects, 0), (RectT<double>{}));
    const RectT<double> far[] = {{-2e9, 0, 1, 1}, {2e9, 0, 1, 1}};
    EXPECT_EQ(BoundingBoxOf(far, 2).width, 2147483647.0); // saturated, not wrapped
}

TEST(LayoutArithmetic, TextMinimumGrowsByTheShortfallAndSkipsAnAreaThatCannotGrow)
{
    // A 37-pixel line in a control 30 wide whose text area is the whole width.
    EXPECT_DOUBLE_EQ(TextFitMinimum(0, 37, 30, 1.0, 30), 37);
    // The area grows by half the control: twice the shortfall.
    EXPECT_DOUBLE_EQ(TextFitMinimum(0, 37, 15, 0.5, 30), 74);
    // An own minimum above it stays.
    EXPECT_DOUBLE_EQ(TextFitMinimum(80, 37, 30, 1.0, 30), 80);
    // Text that fits, and equal (or crossed) area edges: no division, no change.
    EXPECT_DOUBLE_EQ(TextFitMinimum(5, 20, 30, 1.0, 30), 5);
    EXPECT_DOUBLE_EQ(TextFitMinimum(5, 37, 30, 0.0, 30), 5);
    EXPECT_DOUBLE_EQ(TextFitMinimum(5, 37, 30, -0.5, 30), 5);
}

} // namespace
