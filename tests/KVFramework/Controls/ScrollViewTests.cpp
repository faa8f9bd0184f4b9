#include "Controls/ScrollView.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

class TestScrollView : public LScrollView
{
public:
    using LScrollView::LScrollView;
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

} // namespace
