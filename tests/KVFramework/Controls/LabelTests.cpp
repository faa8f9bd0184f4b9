#include "Controls/Label.h"
#include "Controls/ToolTip.h"

#include "ControlsTestSupport.h"
#include "LookTestSupport.h"

using namespace controltest;

namespace {

class Label : public ControlHarness
{
};

// The skin has a tool tip, so that the root window's tool-tip owner can show one.
class LabelToolTip : public ControlHarness
{
public:
    LabelToolTip()
        : ControlHarness("<SubControl Class=\"Framework.ToolTip\" Name=\"toolTip\" XSizeAbs=\"40\" "
                         "YSizeAbs=\"12\"/>")
    {
    }
    RCPtr<LToolTip> TipOf(const RCPtr<LControl>& owner)
    {
        return RCPtr<LToolTip>::DynamicCastFrom(owner->FindChild(String(u"toolTip")));
    }
};

TEST_F(Label, TheToolTipIsTheWholeTextWhenItDoesNotFit)
{
    mMeasurer->mAdvance = 10; // "abcdef" is 60 wide
    RCPtr<LLabel> label = Make<LLabel>(RCPtr<LControl>(mRoot), u"label", 0, 0, 80, 20, {TextLook()});
    label->SetText(String(u"abcdef"));
    label->SetToolTipText(String(u"From the table"));
    EXPECT_EQ(label->GetToolTipText(), String(u"From the table"));

    Place(*label, 0, 0, 50, 20);
    EXPECT_EQ(label->GetToolTipText(), String(u"abcdef"));
}

TEST_F(Label, TabNeverStopsOnALabel)
{
    RCPtr<TestControl> before = MakeControl(RCPtr<LControl>(mRoot), u"before");
    Place(*before, 0, 0, 10, 10);
    before->SetNotFocusable(false);
    RCPtr<LLabel> label = Make<LLabel>(RCPtr<LControl>(mRoot), u"label", 20, 0, 10, 10);
    RCPtr<TestControl> after = MakeControl(RCPtr<LControl>(mRoot), u"after");
    Place(*after, 40, 0, 10, 10);
    after->SetNotFocusable(false);

    EXPECT_TRUE(label->IsNotFocusable());
    before->SetFocus(true);
    mWindow->OnKey(LKeyParam::Create(KeyCode::FromVirtualKey(0x09, true, 0, 0), 1));
    EXPECT_TRUE(after->HasFocus());
}

TEST_F(LabelToolTip, AClippedLabelShowsItsWholeTextWhileThePointerIsOverIt)
{
    mMeasurer->mAdvance = 10; // "abcdef" is 60 wide
    RCPtr<LLabel> label = Make<LLabel>(RCPtr<LControl>(mRoot), u"label", 10, 10, 80, 20, {TextLook()});
    label->SetText(String(u"abcdef"));
    Place(*label, 10, 10, 50, 20);

    Move(20, 20);
    RCPtr<LToolTip> tip = TipOf(RCPtr<LControl>(label));
    ASSERT_TRUE(tip);
    EXPECT_EQ(tip->GetText(), String(u"abcdef"));
    EXPECT_FALSE(tip->IsShown(true));
    Idle(501);
    EXPECT_TRUE(tip->IsShown(true));
    EXPECT_EQ(tip->GetRootPosition(), (PointT<double>{20, 40})); // below the pointer

    // Leaving the label hides the tip; the next idle pass takes it away.
    Move(150, 80);
    EXPECT_FALSE(tip->IsShown(true));
    Idle();
    EXPECT_FALSE(TipOf(RCPtr<LControl>(label)));

    // A text that fits needs no tip.
    label->SetText(String(u"abc"));
    Move(20, 20);
    EXPECT_FALSE(TipOf(RCPtr<LControl>(label)));
}

} // namespace
