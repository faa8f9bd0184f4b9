#include "Application/FrameworkApp.h"
#include "InputTestSupport.h"
#include "NotificationTestSupport.h"

#include <functional>
#include <random>

using namespace inputtest;

namespace {

using Strings = std::vector<std::string>;

const KeyCode kTab = KeyCode::FromVirtualKey(0x09, true, 0, 0);
const KeyCode kShiftTab = KeyCode::FromVirtualKey(0x09, true, 0, kModifierShift);
const KeyCode kCtrlTab = KeyCode::FromVirtualKey(0x09, true, 0, kModifierCtrl);
const KeyCode kEnter = KeyCode::FromVirtualKey(0x0D, true, 0, 0);
const KeyCode kEnterUp = KeyCode::FromVirtualKey(0x0D, false, 1, 0);
const KeyCode kF5 = KeyCode::FromVirtualKey(0x74, true, 0, 0);

// root: left {a, b, c}, right {d, e}, lone
class ControlFocus : public InputFixture
{
public:
    ControlFocus()
    {
        mLeft = Add(mRoot, u"left", {0, 0, 100, 50});
        mA = Add(mLeft, u"a", {0, 0, 10, 10});
        mB = Add(mLeft, u"b", {10, 0, 10, 10});
        mC = Add(mLeft, u"c", {20, 0, 10, 10});
        mRight = Add(mRoot, u"right", {100, 0, 100, 50});
        mD = Add(mRight, u"d", {0, 0, 10, 10});
        mE = Add(mRight, u"e", {10, 0, 10, 10});
        mLone = Add(mRoot, u"lone", {0, 60, 10, 10});
    }

    std::vector<RCPtr<Probe>> All() { return {mRoot, mLeft, mA, mB, mC, mRight, mD, mE, mLone}; }

    // Exactly the focus control has the focus, exactly its ancestors contain it, and
    // the window knows it.
    void ExpectFocusPathIntact()
    {
        const RCPtr<LControl> focus = mWindow->GetFocusControl();
        for (const RCPtr<Probe>& control : All())
        {
            SCOPED_TRACE(control->mName);
            bool onPath = false;
            for (LControl* below = focus.Get(); below; below = below->GetParent().Get())
                if (below->GetParent().Get() == control.Get())
                    onPath = true;
            EXPECT_EQ(control->HasFocus(), focus.Get() == control.Get());
            EXPECT_EQ(control->ContainsFocus(), onPath);
        }
    }

    RCPtr<Probe> mLeft, mA, mB, mC, mRight, mD, mE, mLone;
};

struct TabCase
{
    const char* name;
    std::function<void(ControlFocus&)> setUp;
    RCPtr<Probe> ControlFocus::*start;
    KeyCode key;
    RCPtr<Probe> ControlFocus::*expected;
};

} // namespace

TEST_F(ControlFocus, RandomOperationsKeepOneIntactFocusPath)
{
    std::mt19937 random(23);
    const std::vector<RCPtr<Probe>> controls = All();
    for (int step = 0; step < 400; ++step)
    {
        const RCPtr<Probe>& control = controls[random() % controls.size()];
        switch (random() % 6)
        {
        case 0:
        case 1:
            control->SetFocus(random() % 2 == 0);
            break;
        case 2:
            control->SetEnabled(!control->IsEnabled(false));
            break;
        case 3:
            control->SetVisible(!control->GetLayout()->mIsVisible);
            break;
        case 4:
            control->SetNotFocusable(!control->IsNotFocusable());
            break;
        default:
            static_cast<UITarget*>(control.Get())->ReleaseFocus();
            break;
        }
        SCOPED_TRACE("step " + std::to_string(step));
        ExpectFocusPathIntact();
        if (HasFailure())
            break;
    }
}

TEST_F(ControlFocus, FocusGoesToTheFirstOrLastFocusableDescendant)
{
    EXPECT_EQ(mRoot->SetFocus(true), S_FALSE); // taken, through the path
    EXPECT_EQ(mWindow->GetFocusControl(), mA);
    mRight->SetFocus(false);
    EXPECT_EQ(mWindow->GetFocusControl(), mE);
    EXPECT_EQ(mWindow->GetSavedFocusControl(), mA);
    ExpectFocusPathIntact();

    // Disabling the focus control moves the focus to its parent's first focusable child.
    mD->SetFocus(true);
    mD->SetEnabled(false);
    EXPECT_EQ(mWindow->GetFocusControl(), mE);
    mLeft->SetVisible(false);
    mA->SetFocus(true);
    EXPECT_EQ(mWindow->GetFocusControl(), mE); // hidden with its container
    ExpectFocusPathIntact();

    // A focus control that will not let go blocks every change.
    mE->mCanReleaseFocus = false;
    EXPECT_EQ(mLone->SetFocus(true), E_FAIL);
    EXPECT_EQ(mWindow->GetFocusControl(), mE);
}

TEST_F(ControlFocus, TopControlWithNowhereToPutTheFocusFailsInsteadOfRecursing)
{
    mLone->SetFocus(true);
    mRoot->SetEnabled(false); // the focus path stays; nothing can take the focus now
    EXPECT_EQ(mA->SetFocus(true), E_FAIL);
    EXPECT_EQ(mRoot->SetFocus(true), E_FAIL);
}

TEST_F(ControlFocus, NotFocusableKeepsTheTabStopSignInStep)
{
    struct Row
    {
        int32_t tabStop;
        int32_t marked;
        int32_t cleared;
    };
    for (const Row& row : {Row{3, -3, 3}, Row{0, -1, 1}, Row{-2, -2, 2}})
    {
        mA->SetNotFocusable(false);
        mA->GetLayout()->mTabStop = row.tabStop;
        mA->SetNotFocusable(true);
        EXPECT_EQ(mA->GetLayout()->mTabStop, row.marked);
        mA->SetNotFocusable(false);
        EXPECT_EQ(mA->GetLayout()->mTabStop, row.cleared);
    }
    // Marking the focus control moves the focus on.
    mA->SetFocus(true);
    mA->SetNotFocusable(true);
    EXPECT_EQ(mWindow->GetFocusControl(), mB);
    // A press on a control that may not take the focus asks its parent.
    mOS.mButtons = kMouseButtonLeft;
    mA->OnMouseDown(LMouseButtonParam::Create(kMouseButtonLeft, {1, 1}, 0, 0, 1));
    EXPECT_EQ(mWindow->GetFocusControl(), mB);
}

TEST_F(ControlFocus, TabTable)
{
    const std::vector<TabCase> cases = {
        {"next in the container", nullptr, &ControlFocus::mA, kTab, &ControlFocus::mB},
        {"wraps inside the container", nullptr, &ControlFocus::mC, kTab, &ControlFocus::mA},
        {"Shift+Tab from the first goes to the last", nullptr, &ControlFocus::mA, kShiftTab,
         &ControlFocus::mC},
        {"Ctrl+Tab leaves the container", nullptr, &ControlFocus::mB, kCtrlTab, &ControlFocus::mD},
        {"Ctrl+Tab to the next container's sibling", nullptr, &ControlFocus::mE, kCtrlTab,
         &ControlFocus::mLone},
        {"Ctrl+Tab past the last wraps through the window", nullptr, &ControlFocus::mLone, kCtrlTab,
         &ControlFocus::mA},
        {"tab order, not insertion order",
         [](ControlFocus& t) {
             t.mA->GetLayout()->mTabStop = 5;
             t.mLeft->GetChildren().MarkChanged();
         },
         &ControlFocus::mC, kTab, &ControlFocus::mA},
        {"disabled controls are passed over", [](ControlFocus& t) { t.mB->SetEnabled(false); },
         &ControlFocus::mA, kTab, &ControlFocus::mC},
        {"a control that wants Tab keeps it", [](ControlFocus& t) { t.mA->SetWantsTab(true); },
         &ControlFocus::mA, kTab, &ControlFocus::mA},
    };
    for (const TabCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        for (const RCPtr<Probe>& control : All())
        {
            control->SetEnabled(true);
            control->SetWantsTab(false);
            control->GetLayout()->mTabStop = 0;
            control->mLogKeys = false;
        }
        mLeft->GetChildren().MarkChanged();
        if (c.setUp)
            c.setUp(*this);
        (this->*c.start)->SetFocus(true);
        (this->*c.start)->mLogKeys = true;
        TakeLog();
        Key(c.key);
        EXPECT_EQ(mWindow->GetFocusControl(), this->*c.expected);
        EXPECT_EQ(TakeLog(), Strings{(this->*c.start)->mName + ":key"}); // its own handler saw it first
        ExpectFocusPathIntact();
    }
}

TEST_F(ControlFocus, KeyPathLocalThenSiblingThenWindowHotKeys)
{
    // Every child of "left" answers Enter; the focused control's own binding comes
    // first, then the sibling before it in tab order, wrapping round.
    for (const RCPtr<Probe>& child : {mA, mB, mC})
    {
        child->GetLocalHotKeys().AddKeyCode(kEnter, u"NID_SIMULATE_CLICK");
        child->RegisterNotification(mLeft, u"NID_SIBLING_KEY");
    }
    std::vector<std::string> commands;
    RCPtr<notiftest::Recorder> command(new notiftest::Recorder(&commands, "refresh"));
    command->RegisterNotification(mWindow, u"NID_REFRESH");
    mWindow->GetHotKeyManager()->GetKeyCodeTable().AddKeyCode(kF5, u"NID_REFRESH");

    mB->SetFocus(true);
    Key(kEnter);
    mB->GetLocalHotKeys().Clear();
    Key(kEnter);
    mA->SetEnabled(false);
    Key(kEnter);
    Key(kEnterUp); // a release matches no binding
    EXPECT_EQ(mB->GetLocalHotKey(String(u"NID_SIMULATE_CLICK")).mCode, KeyCode::kNoKey);
    EXPECT_TRUE(mC->HasLocalHotKey(String(u"NID_SIMULATE_CLICK")));
    EXPECT_EQ(TakeLog(), (Strings{"b:simulated click", "a:simulated click", "c:simulated click"}));

    // Nobody near takes F5: the window's global hot key is posted, not sent.
    mB->mKeyResult = S_FALSE;
    Key(kF5);
    EXPECT_TRUE(commands.empty());
    mWindow->ProcessIdle(false);
    EXPECT_EQ(commands, Strings{"refresh"});
    // The focus control's own handling stops the key.
    mB->mKeyResult = S_OK;
    Key(kF5);
    mWindow->ProcessIdle(false);
    EXPECT_EQ(commands.size(), 1u);
}

TEST_F(ControlFocus, TabLeavingTheRootGoesToTheNextWindowOfTheApplication)
{
    struct TestApp : LFrameworkApp
    {
    };
    RCPtr<LFrameworkApp> app(new TestApp());
    FakeWindowOSServices otherOS;
    otherOS.mActive = false;
    RCPtr<LRootWindow> other = LRootWindow::CreateInstance(&otherOS);
    app->AddRootWindow(mWindow);
    app->AddRootWindow(other);

    mLone->SetFocus(true);
    Key(kCtrlTab); // past the last control of this window
    EXPECT_EQ(otherOS.mSetFocusCount, 1);
    EXPECT_EQ(mWindow->GetFocusControl(), mLone); // the other window takes it when activated

    mOS.mModal = true; // a modal window keeps Tab to itself
    Key(kCtrlTab);
    EXPECT_EQ(otherOS.mSetFocusCount, 1);
    app->RemoveRootWindow(other);
    app->RemoveRootWindow(mWindow);
}
