#include "Application/MainWindowFactory.h"

#include <gtest/gtest.h>

using namespace KV;

TEST(MainWindowStyle, FixedWhenMinimumEqualsMaximumOrEveryLimitFollowsAControl)
{
    const LayoutSizeLimitSpec none;
    const LayoutSizeLimitSpec abs300{false, String(), 0, 300};
    const LayoutSizeLimitSpec abs200{false, String(), 0, 200};
    const LayoutSizeLimitSpec named{true, String(u"panel"), 0, 0};
    struct Row
    {
        const char* what;
        LayoutSizeLimitSpec xMin, yMin, xMax, yMax;
        bool fixed;
    };
    const Row rows[] = {
        {"no limits", none, none, none, none, false},
        {"minimum equals maximum", abs300, abs200, abs300, abs200, true},
        {"a minimum without a maximum", abs300, abs200, none, none, false},
        {"minimum below maximum on one axis", abs200, abs200, abs300, abs200, false},
        // A zero minimum that equals a zero maximum is no limit at all.
        {"zero minimum, zero maximum", none, none, none, none, false},
        {"every limit follows a control", named, named, named, named, true},
        {"only the minimums follow a control", named, named, none, none, false},
    };
    for (const Row& row : rows)
    {
        RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
        layout->mXMinSize = row.xMin;
        layout->mYMinSize = row.yMin;
        layout->mXMaxSize = row.xMax;
        layout->mYMaxSize = row.yMax;
        EXPECT_EQ(row.fixed, IsFixedSizeLayout(*layout)) << row.what;
    }
}

TEST(MainWindowPlace, TheLayoutPlacesTheWindowInTheWorkArea)
{
    const RectT<int32_t> area{100, 24, 1280, 1000};
    const PointT<int32_t> pointer{700, 400};
    auto position = [](PositionReference reference, float anchor, float rel, double abs) {
        LayoutPositionSpec spec;
        spec.mReference = reference;
        spec.mPlacementAnchor = anchor;
        spec.mRel = rel;
        spec.mAbs = abs;
        return spec;
    };
    auto size = [](SizeReference reference, float rel, double abs) {
        LayoutSizeSpec spec;
        spec.mReference = reference;
        spec.mRel = rel;
        spec.mAbs = abs;
        return spec;
    };
    const LayoutSizeLimitSpec none;
    const LayoutSizeLimitSpec abs600{false, String(), 0, 600};
    const LayoutSizeLimitSpec children{true, String(u"Children"), 0, 0};
    const LayoutSizeSpec self520 = size(SizeReference::Self, 0, 520);
    const LayoutSizeSpec self200 = size(SizeReference::Self, 0, 200);
    const LayoutSizeSpec areaLessMargins = size(SizeReference::Parent, 1, -50);
    const LayoutPositionSpec centred = position(PositionReference::Parent, 0.5f, 0.5f, 0);
    const LayoutPositionSpec margin50 = position(PositionReference::Parent, 0, 0, 50);
    struct Row
    {
        const char* what;
        LayoutPositionSpec position;
        LayoutSizeSpec size;
        LayoutSizeLimitSpec minimum, maximum;
        RectT<int32_t> workArea;
        RectT<int32_t> placed;
    };
    // Both axes are given the same layout; the vertical one meets the work area's height.
    const Row rows[] = {
        {"centred on the screen", centred, self520, none, none, area, {480, 264, 520, 520}},
        {"at a distance from the work area's edge",
         position(PositionReference::Parent, 0, 0, 30),
         self520,
         none,
         none,
         area,
         {130, 54, 520, 520}},
        {"the active window's area is the work area",
         position(PositionReference::Client, 0, 0, 30),
         self520,
         none,
         none,
         area,
         {130, 54, 520, 520}},
        {"at the pointer",
         position(PositionReference::Control, 0, 0, 10),
         self520,
         none,
         none,
         area,
         {710, 410, 520, 520}},
        {"as large as the work area less margins",
         margin50,
         areaLessMargins,
         none,
         none,
         area,
         {150, 74, 1180, 900}},
        {"cut to its maximum", margin50, areaLessMargins, none, abs600, area, {150, 74, 600, 600}},
        {"grown to its minimum about its anchor", centred, self200, abs600, none, area, {440, 224, 600, 600}},
        {"limits that follow controls are left to the control",
         position(PositionReference::Parent, 0, 0, 0),
         self200,
         children,
         children,
         area,
         {100, 24, 200, 200}},
        {"no work area: the absolute values",
         position(PositionReference::Parent, 0.5f, 0.5f, 30),
         self200,
         none,
         none,
         {0, 0, 0, 0},
         {30, 30, 200, 200}},
    };
    for (const Row& row : rows)
    {
        RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
        for (int axis = 0; axis < 2; ++axis)
        {
            LayoutAxisSpec spec = layout->GetAxisSpec(axis);
            spec.mPosition = row.position;
            spec.mSize = row.size;
            layout->SetAxisSpec(axis, spec);
            layout->SetAxisLimits(axis, row.minimum, row.maximum);
        }
        EXPECT_EQ(WindowRectFromLayout(*layout, row.workArea, pointer), row.placed) << row.what;
    }
}
