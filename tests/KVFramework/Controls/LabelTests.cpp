#include "Controls/Label.h"

#include "ControlsTestSupport.h"
#include "LookTestSupport.h"

using namespace controltest;

namespace {

class Label : public ControlHarness
{
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

} // namespace
