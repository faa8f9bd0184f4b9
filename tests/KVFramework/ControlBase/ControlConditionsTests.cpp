// The condition word of a control: the notifications of its changes in their order, a
// listener that changes the state while it is told, the cursor and the hover that follow
// the conditions.

#include "ControlBase/ControlConditions.h"
#include "InputTestSupport.h"

#include <functional>

using namespace inputtest;

namespace {

constexpr const char16_t* kConditionIds[] = {
    u"NID_CONDITION_CHANGE",
    u"NID_HAS_FOCUS_CONDITION_CHANGE",
    u"NID_CONTAINS_FOCUS_CONDITION_CHANGE",
    u"NID_HOVER_CONDITION_CHANGE",
    u"NID_CAPTURE_CONDITION_CHANGE",
    u"NID_LEFT_DRAG_CONDITION_CHANGE",
    u"NID_MIDDLE_DRAG_CONDITION_CHANGE",
    u"NID_RIGHT_DRAG_CONDITION_CHANGE",
    u"NID_ENABLED_CONDITION_CHANGE",
    u"NID_VISIBLITY_CONDITION_CHANGE",
};

// Logs "<control>:<condition>" for every condition notification of the controls it
// listens to ("root:HOVER", "a:CONDITION").
class ConditionListener : public LNotificationClient
{
public:
    explicit ConditionListener(std::vector<std::string>* log) : mLog(log) {}

    void Listen(const RCPtr<Probe>& control)
    {
        control->UpdateConditions(); // the notifications count from the state it is in now
        for (const char16_t* id : kConditionIds)
            RegisterNotification(control, id);
    }

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender, const RCPtr<LNotification>& n) override
    {
        std::string name = Narrow(GetNotificationIdText(n->GetId()));
        for (const std::string piece : {"NID_", "_CHANGE", "_CONDITION"})
            if (const size_t at = name.find(piece); at != std::string::npos)
                name.erase(at, piece.size());
        mLog->push_back(Narrow(RCPtr<LControl>::DynamicCastFrom(sender)->GetName()) + ":" + name);
        if (mAction && mLog->back() == mActionOn)
            std::exchange(mAction, nullptr)(); // once
        return S_OK;
    }

    std::vector<std::string>* mLog;
    std::function<void()> mAction; // run at the entry mActionOn
    std::string mActionOn;
};

class ControlConditions : public InputFixture
{
public:
    ControlConditions()
    {
        mA = Add(mRoot, u"a", {10, 10, 50, 40});
        mChild = Add(mA, u"child", {5, 5, 10, 10});
        mListener = RCPtr<ConditionListener>(new ConditionListener(&mConditions));
        // No focus changes mix into the pointer's conditions.
        for (const RCPtr<Probe>& control : {mRoot, mA, mChild})
        {
            control->SetNotFocusable(true);
            mListener->Listen(control);
        }
    }
    ~ControlConditions() override { mListener->UnregisterAllNotifications(); }

    std::vector<std::string> TakeConditions() { return std::exchange(mConditions, {}); }

    RCPtr<Probe> mA;
    RCPtr<Probe> mChild;
    std::vector<std::string> mConditions;
    RCPtr<ConditionListener> mListener;
};

using Log = std::vector<std::string>;

} // namespace

TEST_F(ControlConditions, EachChangeIsToldInItsOrder)
{
    struct Row
    {
        const char* what;
        std::function<void(ControlConditions&)> act;
        Log expected;
    } rows[] = {
        {"pointer enters", [](ControlConditions& t) { t.Move(30, 30); }, {"a:CONDITION", "a:HOVER"}},
        {"press and release without moving",
         [](ControlConditions& t) {
             t.Press(kMouseButtonLeft, 30, 30);
             t.Release(kMouseButtonLeft, 30, 30);
         },
         {"a:CONDITION", "a:CAPTURE", "a:LEFT_DRAG", "a:CONDITION", "a:CAPTURE", "a:LEFT_DRAG"}},
        {"highlight on a hovered control", [](ControlConditions& t) { t.mA->SetHighlighted(true); }, {}},
        // The hover notification follows hover-or-highlighted, which stays.
        {"pointer leaves the highlighted control",
         [](ControlConditions& t) { t.Move(150, 80); },
         {"a:CONDITION", "root:CONDITION", "root:HOVER"}},
        {"highlight off",
         [](ControlConditions& t) { t.mA->SetHighlighted(false); },
         {"a:CONDITION", "a:HOVER"}},
        {"container disabled",
         [](ControlConditions& t) { t.mA->SetEnabled(false); },
         {"a:CONDITION", "a:ENABLED", "child:CONDITION", "child:ENABLED"}},
        {"disabled again", [](ControlConditions& t) { t.mA->SetEnabled(false); }, {}},
        {"container hidden",
         [](ControlConditions& t) { t.mA->SetVisible(false); },
         {"a:CONDITION", "a:VISIBLITY", "child:CONDITION", "child:VISIBLITY"}},
    };
    for (Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        row.act(*this);
        EXPECT_EQ(TakeConditions(), row.expected);
    }
}

TEST_F(ControlConditions, AListenerThatChangesTheStateIsToldAgainAndTheOuterPassGoesOn)
{
    Move(150, 80);
    TakeConditions();
    mListener->mAction = [this] { mA->SetEnabled(false); };
    mListener->mActionOn = "a:HOVER";
    Move(30, 30);
    // The nested pass tells the change it made; the outer one, going on with the same
    // parameter, tells the enabled change once more.
    EXPECT_EQ(TakeConditions(), (Log{"root:CONDITION", "root:HOVER", "a:CONDITION", "a:HOVER", "a:CONDITION",
                                     "a:ENABLED", "child:CONDITION", "child:ENABLED", "a:ENABLED"}));
    const RCPtr<LConditionsParam>& param = mA->GetConditionsParam();
    EXPECT_EQ(param->mNewConditions, mA->GetConditions());
    EXPECT_EQ(param->mOldConditions ^ param->mNewConditions, kConditionEnabled);
}

TEST_F(ControlConditions, TheCursorFollowsHoverAndStaysWhileTheControlHoldsTheCapture)
{
    mOS.mCursor = 7;
    mA->SetCursor(4);
    Move(30, 30);
    EXPECT_EQ(mOS.mCursor, 4u);
    EXPECT_EQ(mA->GetSavedCursor(), 7u);
    Move(150, 80);
    EXPECT_EQ(mOS.mCursor, 7u);

    Move(30, 30);
    Press(kMouseButtonLeft, 30, 30);
    Move(150, 80);
    EXPECT_EQ(mOS.mCursor, 4u); // captured
    Release(kMouseButtonLeft, 150, 80);
    EXPECT_EQ(mOS.mCursor, 7u);
}

TEST_F(ControlConditions, AHoveredControlThatIsHiddenPassesTheHoverOn)
{
    Move(30, 30);
    ASSERT_EQ(mWindow->GetHoverControl(), mA);
    mA->SetVisible(false);
    EXPECT_EQ(mWindow->GetHoverControl(), mRoot);
    EXPECT_FALSE(mA->IsHovered());
}
