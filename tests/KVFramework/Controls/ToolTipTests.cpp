#include "Controls/ToolTip.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

class ToolTip : public ControlHarness
{
public:
    ToolTip()
    {
        mOwner = MakeControl(RCPtr<LControl>(mRoot), u"owner");
        Place(*mOwner, 30, 20, 100, 40);
    }
    RCPtr<LToolTip> NewTip(double width = 40, double height = 12)
    {
        // Each owner holds one tip at a time; a hidden tip leaves at the next idle tick.
        return Make<LToolTip>(RCPtr<LControl>(mOwner), u"toolTip", 0, 0, width, height);
    }
    RCPtr<TestControl> mOwner;
};

TEST_F(ToolTip, AppearsAfterTheDelayAndGoesAfterTheDisplayTime)
{
    mOS.mCursorPos = {50, 30};
    RCPtr<LToolTip> tip = NewTip();
    EXPECT_FALSE(tip->IsShown(false));
    tip->Show();
    EXPECT_EQ(tip->GetShowState(), LToolTip::ShowState::Pending);
    Idle(500);
    EXPECT_FALSE(tip->IsShown(false));
    Idle(1);
    EXPECT_EQ(tip->GetShowState(), LToolTip::ShowState::Shown);
    EXPECT_TRUE(tip->IsShown(false));
    Idle(5000);
    EXPECT_TRUE(tip->IsShown(false));
    Idle(1);
    EXPECT_EQ(tip->GetShowState(), LToolTip::ShowState::Hidden);
    EXPECT_FALSE(tip->IsShown(false));
    Idle();
    EXPECT_FALSE(tip->GetParent());
    EXPECT_EQ(tip->GetIdleCount(), 0);
}

TEST_F(ToolTip, ShowsAtOnceShortlyAfterAVisibleTipWasHidden)
{
    RCPtr<LToolTip> first = NewTip();
    first->Show();
    Idle(501);
    first->Hide();
    Idle();

    gNow += 30;
    RCPtr<LToolTip> second = NewTip();
    second->Show();
    EXPECT_EQ(second->GetShowState(), LToolTip::ShowState::Shown);
    second->Hide();
    Idle();

    gNow += 60;
    RCPtr<LToolTip> third = NewTip();
    third->Show();
    EXPECT_EQ(third->GetShowState(), LToolTip::ShowState::Pending);
    // Hidden before it showed: not counted as a visible tip going.
    third->Hide();
    Idle();
    gNow += 10;
    RCPtr<LToolTip> fourth = NewTip();
    fourth->Show();
    EXPECT_EQ(fourth->GetShowState(), LToolTip::ShowState::Pending);
}

TEST_F(ToolTip, IsPlacedBelowThePointerInsideTheWindow)
{
    struct Case
    {
        PointT<int32_t> pointer;
        SizeT<double> size;
        PointT<double> at; // in the window
    };
    const Case cases[] = {
        {{10, 10}, {40, 12}, {10, 30}},   // 20 below the pointer
        {{190, 95}, {40, 12}, {160, 88}}, // the window's far edges
        {{50, 50}, {250, 120}, {0, 0}},   // larger than the window
    };
    for (const Case& c : cases)
    {
        mOS.mCursorPos = c.pointer;
        RCPtr<LToolTip> tip = NewTip(c.size.width, c.size.height);
        tip->Place();
        EXPECT_EQ(tip->GetRootPosition(), c.at) << c.pointer.x << "," << c.pointer.y;
        tip->Hide();
        Idle();
    }
}

TEST_F(ToolTip, WrapsInsideTheWindowEvenAWindowNarrowerThanItsMargin)
{
    RCPtr<LToolTip> tip = NewTip();
    tip->Show();
    EXPECT_EQ(tip->GetLayout()->mXMaxSize.mAbs, 192);
    tip->Hide();
    Idle();

    mOS.mClientSize = {5, 100};
    tip = NewTip();
    tip->Show();
    EXPECT_EQ(tip->GetLayout()->mXMaxSize.mAbs, 1);
}

TEST_F(ToolTip, IsNeverFocusableAndNeverTransparent)
{
    RCPtr<LToolTip> tip = NewTip();
    EXPECT_TRUE(tip->IsNotFocusable());
    EXPECT_FALSE(tip->IsTransparentAt({1, 1}));
}

} // namespace
