#include "Controls/ScrollView.h"

#include "ControlsTestSupport.h"
#include "ScrollBarSkin.h"

#include <string>
#include <utility>

using namespace controltest;

namespace {

class TestScrollView : public LScrollView
{
public:
    using LScrollView::LScrollView;
    // "v" or "h" for each bar that came or went.
    std::string mBarChanges;
    void OnScrollBarVisibilityChanged(int axis) override { mBarChanges += axis == 1 ? "v" : "h"; }
};

class ScrollView : public ControlHarness
{
public:
    ScrollView()
    {
        mView = Make<TestScrollView>(RCPtr<LControl>(mRoot), u"view", 0, 0, 200, 100);
        mRecorder->Listen(RCPtr<LNotificationDistributor>(mView), u"NID_CLIENT_EXTENT_CHANGE");
    }
    RCPtr<TestScrollView> mView;
};

// A view 300 x 200 with a corner of 16 x 16 and both bars.
class ScrollViewWithBars : public ControlHarness
{
public:
    ScrollViewWithBars()
    {
        RCPtr<LControlDescriptor> view = Describe(u"", u"barView", 0, 0, 300, 200);
        const LayoutAxisSpec corner = Spec(PositionReference::Client, 1, 0, 1, SizeReference::Self, 0, 16);
        view->AddChild(Docked(u"Framework.Panel", u"corner", corner, corner));
        view->AddChild(BarDescriptor(true));
        view->AddChild(BarDescriptor(false));
        mView = Create<TestScrollView>(view, RCPtr<LControl>(mRoot));
        mView->mBarChanges.clear();
    }
    bool Shown(const RCPtr<LScrollbar>& bar) { return LScrollView::IsBarShown(bar); }
    RCPtr<TestScrollView> mView;
};

TEST_F(ScrollView, AnExtentWithinRoundingOfTheLastIsNoChange)
{
    EXPECT_EQ(mView->SetClientExtent(300, 150), S_OK);
    EXPECT_EQ(mView->SetClientExtent(300 + 1e-15, 150), S_FALSE);
    EXPECT_EQ(mView->SetClientExtent(300, 151), S_OK);
    EXPECT_EQ(TakeLog(),
              (std::vector<std::string>{"view NID_CLIENT_EXTENT_CHANGE", "view NID_CLIENT_EXTENT_CHANGE"}));
}

TEST_F(ScrollView, TheRangeIsWhatTheExtentPassesTheClientArea)
{
    constexpr double kUnlimited = 4503599627370496.0;
    struct Case
    {
        SizeT<double> extent;
        RectT<double> range;
    };
    const Case cases[] = {
        {{500, 300}, {0, 0, 300, 200}},
        {{150, 60}, {0, 0, 0, 0}},           // content smaller than the view: nothing to scroll
        {{0, 400}, {0, 0, kUnlimited, 300}}, // no width known: no limit across
    };
    for (const Case& c : cases)
    {
        mView->SetClientExtent(c.extent.width, c.extent.height);
        EXPECT_EQ(mView->GetScrollRange(), c.range) << c.extent.width << " x " << c.extent.height;
    }
}

TEST_F(ScrollView, TheExtentFollowsTheChildrenThatScroll)
{
    RCPtr<TestControl> near = MakeControl(RCPtr<LControl>(mView), u"near");
    Place(*near, 10, 10, 50, 20);
    RCPtr<TestControl> far = MakeControl(RCPtr<LControl>(mView), u"far");
    Place(*far, 30, 40, 100.4, 30);
    // Docked across: it stays in view and gives no width.
    RCPtr<TestControl> header = MakeControl(RCPtr<LControl>(mView), u"header");
    header->SetLayoutAxis(0, Axis(PositionReference::Client, 0, 0, SizeReference::Self, 0, 900, 0, true));

    mView->SetAutoExtent(LScrollView::kAutoExtentWidth, 5, 6);
    EXPECT_EQ(mView->GetClientExtent(), (SizeT<double>{135, 0}));
    mView->SetAutoExtent(LScrollView::kAutoExtentBoth, 5, 6);
    EXPECT_EQ(mView->GetClientExtent(), (SizeT<double>{135, 76}));

    // A child kept at the view's right edge moves when the view grows: the extent follows.
    far->SetLayoutAxis(0, Axis(PositionReference::Client, 1, 0, SizeReference::Self, 0, 100, 1));
    Place(*mView, 0, 0, 260, 100);
    EXPECT_EQ(mView->GetClientExtent(), (SizeT<double>{265, 76}));
}

TEST_F(ScrollView, TheViewRectangleEndsWhereTheChildrenOrTheClientAreaEnd)
{
    RCPtr<TestControl> child = MakeControl(RCPtr<LControl>(mView), u"child");
    Place(*child, 0, 0, 80, 300);
    EXPECT_EQ(mView->GetViewRect(), (RectT<double>{0, 0, 80, 100}));
    Place(*child, 0, 0, 0, 0);
    EXPECT_EQ(mView->GetViewRect(), (RectT<double>{0, 0, 1, 1}));
}

TEST_F(ScrollViewWithBars, EachBarShowsWhenTheContentDoesNotFitBeside)
{
    ASSERT_TRUE(mView->GetVerticalBar() && mView->GetHorizontalBar());
    EXPECT_FALSE(mView->GetHorizontalBar()->IsVertical());
    struct Case
    {
        SizeT<double> extent;
        bool vertical;
        bool horizontal;
        RectT<double> area;
        const char* changes;
    };
    const Case cases[] = {
        {{284, 1000}, true, false, {0, 0, 284, 200}, "v"},  // 284 fits beside the vertical bar
        {{290, 1000}, true, true, {0, 0, 284, 184}, "h"},   // it does not
        {{310, 190}, true, true, {0, 0, 284, 184}, ""},     // the horizontal bar leaves 184 < 190
        {{300, 150}, false, false, {0, 0, 300, 200}, "vh"}, // everything fits
    };
    for (const Case& c : cases)
    {
        mView->SetClientExtent(c.extent.width, c.extent.height);
        const std::string at = std::to_string(c.extent.width) + " x " + std::to_string(c.extent.height);
        EXPECT_EQ(Shown(mView->GetVerticalBar()), c.vertical) << at;
        EXPECT_EQ(Shown(mView->GetHorizontalBar()), c.horizontal) << at;
        EXPECT_EQ(mView->GetClientArea(), c.area) << at;
        EXPECT_EQ(std::exchange(mView->mBarChanges, {}), c.changes) << at;
    }
}

TEST_F(ScrollViewWithBars, TheBarsAndTheOffsetFollowEachOther)
{
    mView->SetClientExtent(284, 1000); // only the vertical bar: 800 px to scroll
    const RCPtr<LScrollbar> bar = mView->GetVerticalBar();
    EXPECT_FLOAT_EQ(bar->GetThumbFraction(), 0.2f); // worked out in single precision
    EXPECT_FLOAT_EQ(bar->GetPageStep(), 0.25f);
    bar->SetNormalizedValue(0.5);
    EXPECT_EQ(mView->GetScrollOffset(), (PointT<double>{0, 400}));
    // Scrolled from elsewhere, the bar follows without scrolling back.
    mView->SetScrollOffset({0, 200});
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.25);
    EXPECT_EQ(mView->GetScrollOffset(), (PointT<double>{0, 200}));

    // Shrinking the content past the offset brings the offset back to the new end.
    bar->SetNormalizedValue(1);
    EXPECT_EQ(mView->GetScrollOffset().y, 800);
    mView->SetClientExtent(284, 500);
    EXPECT_EQ(mView->GetScrollOffset().y, 300);
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 1);
    mView->SetClientExtent(284, 100);
    EXPECT_EQ(mView->GetScrollOffset().y, 0);
}

TEST_F(ScrollViewWithBars, LineScrollingCountsWholeLines)
{
    struct Case
    {
        int32_t lineHeight;
        double maximum;
        double lineStep;
        double pageStep;
    };
    const Case cases[] = {
        {20, 90, 1.0 / 90, 10.0 / 90}, // 100 lines, 10 in view
        {0, 1800, 0.1 / 9, 1.0 / 9},   // no line height: pixels
    };
    mView->SetClientExtent(284, 2000); // the vertical bar alone
    for (const Case& c : cases)
    {
        mView->SetLineScrolling(true, c.lineHeight);
        const RCPtr<LScrollbar> bar = mView->GetVerticalBar();
        EXPECT_DOUBLE_EQ(bar->NormalizedToValue(1), c.maximum) << c.lineHeight;
        EXPECT_NEAR(bar->GetLineStep(), c.lineStep, 1e-6) << c.lineHeight;
        EXPECT_NEAR(bar->GetPageStep(), c.pageStep, 1e-6) << c.lineHeight;
    }
    mView->SetLineScrolling(true, 20);
    mView->GetVerticalBar()->SetNormalizedValue(3.5 / 90); // line 3 and a half: line 3
    EXPECT_EQ(mView->GetScrollOffset().y, 60);
}

TEST_F(ScrollViewWithBars, TheWheelMovesABarOrGoesToTheParent)
{
    // Inside the view, a view of its own without bars.
    RCPtr<TestScrollView> inner = Make<TestScrollView>(RCPtr<LControl>(mView), u"inner", 0, 0, 50, 50);
    const auto wheel = [&](int direction, uint32_t modifiers) {
        return inner->OnMouseWheel(LMouseWheelParam::Create({10, 10}, modifiers, direction));
    };
    const auto hwheel = [&](int direction, uint32_t modifiers) {
        return inner->OnMouseHWheel(LMouseWheelParam::Create({10, 10}, modifiers, direction));
    };
    mView->SetClientExtent(300, 200);
    EXPECT_EQ(wheel(kWheelVerticalNegative, 0), S_FALSE); // no bar anywhere: nobody takes it

    mView->SetClientExtent(1284, 984); // both bars: 1000 x 800 to scroll, lines of 0.0284 and 0.023
    struct Step
    {
        bool horizontal;
        int direction;
        uint32_t modifiers;
        PointT<double> offset;
    };
    const Step steps[] = {
        {false, kWheelVerticalNegative, 0, {0, 18}},               // towards the user: down a line
        {false, kWheelVerticalPositive, 0, {0, 0}},                // away: back up
        {false, kWheelVerticalNegative, kModifierShift, {0, 184}}, // a page
        {false, kWheelVerticalNegative, kModifierAlt, {28, 184}},  // Alt: across
        // The bar takes its value back from the whole pixels the view scrolled: 0.028.
        // Deliberately: tilted right, the view moves right, the way the hand pushes it.
        {true, kWheelHorizontalPositive, 0, {56, 184}},
        {true, kWheelHorizontalNegative, 0, {28, 184}},
    };
    for (const Step& s : steps)
    {
        EXPECT_EQ(s.horizontal ? hwheel(s.direction, s.modifiers) : wheel(s.direction, s.modifiers), S_OK);
        EXPECT_EQ(mView->GetScrollOffset(), s.offset) << s.direction << " " << s.modifiers;
    }
}

} // namespace
