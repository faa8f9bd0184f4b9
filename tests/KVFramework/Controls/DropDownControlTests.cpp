#include "Controls/DropDownControl.h"

#include "Controls/Button.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

// A drop-down whose part is nothing but a flag.
class FlagDropDown : public LDropDownControl
{
public:
    using LDropDownControl::LDropDownControl;
    bool IsDropDownOpen() override { return mOpen; }
    KVRESULT SetDropDownOpen(bool open) override
    {
        mOpen = open;
        return S_OK;
    }
    KVRESULT PostInitialize() override
    {
        SetNotFocusable(false);
        return S_OK;
    }

    bool mOpen = false;
};

class DropDown : public ControlHarness
{
public:
    void PressAndRelease(int button)
    {
        mOS.mButtons |= button;
        mWindow->OnMouseButton(LRootWindow::kPress, button, 0, {20, 20});
        mOS.mButtons &= ~button;
        mWindow->OnMouseButton(LRootWindow::kRelease, button, 0, {20, 20});
    }

    RCPtr<FlagDropDown> mDropDown =
        Make<FlagDropDown>(RCPtr<LControl>(mRoot), u"dropDown", 10, 10, 60, 20, {ColourLook(0xFF102030)});
    RCPtr<LButton> mOther = Make<LButton>(RCPtr<LControl>(mRoot), u"other", 100, 10, 40, 20);
};

TEST_F(DropDown, ALeftPressTogglesThePartAndAReleaseChangesNothing)
{
    Move(20, 20);
    for (bool expected : {true, false, true, false})
    {
        PressAndRelease(kMouseButtonLeft);
        EXPECT_EQ(mDropDown->mOpen, expected);
    }
}

TEST_F(DropDown, OtherButtonsDoNotOpenAndTheFocusLeavingCloses)
{
    Move(20, 20);
    PressAndRelease(kMouseButtonRight);
    PressAndRelease(kMouseButtonMiddle);
    EXPECT_FALSE(mDropDown->mOpen);
    PressAndRelease(kMouseButtonLeft);
    ASSERT_TRUE(mDropDown->mOpen);
    ASSERT_TRUE(mDropDown->HasFocus());
    mOther->SetFocus(true);
    EXPECT_FALSE(mDropDown->mOpen);
    // The next press opens again: the close by the focus is not taken for a toggle.
    PressAndRelease(kMouseButtonLeft);
    EXPECT_TRUE(mDropDown->mOpen);
}

} // namespace
