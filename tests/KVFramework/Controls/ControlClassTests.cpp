#include "Controls/Button.h"
#include "Controls/Label.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

// A class derived from a button with a table of its own that answers the button's own
// "NID_SIMULATE_CLICK" first.
class ChainButton : public LButton
{
public:
    ChainButton(const RCPtr<LControl>& parent, const String& name) : LButton(parent, name) {}

    KVRESULT Initialize() override
    {
        const KVRESULT base = LButton::Initialize();
        mOwnHandler = LNotificationHandler<ChainButton>::Create(this);
        KV_THROW_IF_FAILED(mOwnHandler->AddHandler(&ChainButton::OnSimulateClick, u"NID_SIMULATE_CLICK"));
        return base;
    }
    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender, const RCPtr<LNotification>& n) override
    {
        return ReceiveThroughOwnTable<LButton>(*this, mOwnHandler, sender, n);
    }

    KVRESULT mAnswer = S_OK;
    int mSeen = 0;

protected:
    ~ChainButton() override = default;

private:
    KVRESULT OnSimulateClick(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        ++mSeen;
        return mAnswer;
    }

    RCPtr<LNotificationHandler<ChainButton>> mOwnHandler;
};

class ControlClass : public ControlHarness
{
};

TEST_F(ControlClass, TheMostDerivedTableAnswersFirstAndMayPassTheNotificationOn)
{
    struct Case
    {
        KVRESULT answer;
        int buttonIdleRequests; // the button's own handler started a simulated press
    };
    for (const Case& c : {Case{S_OK, 1}, Case{S_FALSE, 0}, Case{E_FAIL, 0}})
    {
        RCPtr<ChainButton> button = Make<ChainButton>(RCPtr<LControl>(mRoot), u"chain", 0, 0, 20, 20);
        button->mAnswer = c.answer;
        DeliverNotification(RCPtr<LNotificationReceiver>(button), u"NID_SIMULATE_CLICK", nullptr);
        EXPECT_EQ(button->mSeen, 1);
        EXPECT_EQ(button->GetIdleCount(), c.buttonIdleRequests) << "answer " << c.answer;
        button->RemoveFromTree();
    }
}

TEST_F(ControlClass, ASubcontrolOfAnotherClassCountsAsMissing)
{
    RCPtr<LLabel> label = Make<LLabel>(RCPtr<LControl>(mRoot), u"caption", 0, 0, 20, 20);
    RCPtr<LButton> button = Make<LButton>(RCPtr<LControl>(mRoot), u"ok", 20, 0, 20, 20);
    EXPECT_EQ(FindSubControl<LLabel>(*mRoot, u"caption"), label);
    EXPECT_FALSE(FindSubControl<LButton>(*mRoot, u"caption"));
    EXPECT_FALSE(FindSubControl<LLabel>(*mRoot, u"ok"));
    EXPECT_FALSE(FindSubControl<LLabel>(*mRoot, u"missing"));
}

} // namespace
