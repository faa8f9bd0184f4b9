#include "Controls/Panel.h"

#include "ControlsTestSupport.h"
#include "InputTestSupport.h"

using namespace controltest;

namespace {

constexpr uint8_t kTab = 0x09;
constexpr uint8_t kEnter = 0x0D;

// A focusable leaf that answers the hot key it is given with a log entry.
RCPtr<TestControl> Leaf(const RCPtr<LControl>& parent, const char16_t* name, double x)
{
    RCPtr<TestControl> leaf = MakeControl(parent, name);
    Place(*leaf, x, 0, 10, 10);
    leaf->SetNotFocusable(false);
    return leaf;
}

class PanelKeys : public ControlHarness
{
public:
    // root: a, inner { x, y }, b
    PanelKeys()
    {
        mA = Leaf(RCPtr<LControl>(mRoot), u"a", 0);
        mInner = Make<LPanel>(RCPtr<LControl>(mRoot), u"inner", 20, 0, 60, 20);
        mX = Leaf(RCPtr<LControl>(mInner), u"x", 0);
        mY = Leaf(RCPtr<LControl>(mInner), u"y", 20);
        mB = Leaf(RCPtr<LControl>(mRoot), u"b", 100);
        mInner->GetLayout()->mTabStop = 1;
        mB->GetLayout()->mTabStop = 2;
        mRoot->GetChildren().MarkChanged();
    }
    std::string Focused() const
    {
        const RCPtr<LControl>& focus = mWindow->GetFocusControl();
        return focus ? Narrow(focus->GetName().GetText()) : "none";
    }
    void PressTab(uint32_t modifiers)
    {
        mWindow->OnKey(LKeyParam::Create(KeyCode::FromVirtualKey(kTab, true, 0, modifiers), 1));
    }

    RCPtr<TestControl> mA, mX, mY, mB;
    RCPtr<LPanel> mInner;
};

TEST_F(PanelKeys, TabLeavesANestedPanelAtItsEndsAndWrapsInTheTopPanel)
{
    struct Case
    {
        const char* from;
        uint32_t modifiers;
        const char* to;
    };
    const Case cases[] = {
        {"x", 0, "y"},              // inside the nested panel
        {"y", 0, "b"},              // off its end: on in the parent, not back to x
        {"x", kModifierShift, "a"}, // off its start, backwards
        {"b", 0, "a"},              // the top panel wraps round
        {"a", 0, "x"},              // into the nested panel, its first child
        {"b", kModifierShift, "y"}, // into it backwards: its last child
    };
    for (const Case& c : cases)
    {
        RCPtr<LControl> from = std::string(c.from) == "x"   ? RCPtr<LControl>(mX)
                               : std::string(c.from) == "y" ? RCPtr<LControl>(mY)
                               : std::string(c.from) == "a" ? RCPtr<LControl>(mA)
                                                            : RCPtr<LControl>(mB);
        from->SetFocus(true);
        ASSERT_EQ(Focused(), c.from);
        PressTab(c.modifiers);
        EXPECT_EQ(Focused(), c.to) << "from " << c.from << " with modifiers " << c.modifiers;
    }
}

TEST_F(PanelKeys, AHotKeyOfAChildInsideTheNestedPanelWorksWithTheFocusOutside)
{
    // y is the only control that answers Enter, as a local hot key; the focus is on b.
    const KeyCode enter = KeyCode::FromVirtualKey(kEnter, true, 0, 0);
    RCPtr<inputtest::Probe> y(new inputtest::Probe(RCPtr<LControl>(mInner), u"hot", {40, 0, 10, 10}, &mLog));
    y->GetLocalHotKeys().AddKeyCode(enter, u"NID_SIMULATE_CLICK");
    y->RegisterNotification(RCPtr<LNotificationDistributor>(mInner), u"NID_SIBLING_KEY");
    mB->SetFocus(true);
    mWindow->OnKey(LKeyParam::Create(enter, 1));
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"hot:simulated click"});
    EXPECT_TRUE(mB->HasFocus());
}

TEST_F(PanelKeys, AKeyNobodyTakesClimbsFromTheTopPanelToTheApplication)
{
    const KeyCode f5 = KeyCode::FromVirtualKey(0x74, true, 0, 0);
    const KeyCode f6 = KeyCode::FromVirtualKey(0x75, true, 0, 0);
    mApp->GetHotKeyManager()->GetKeyCodeTable().AddKeyCode(f5, u"NID_APP_KEY");
    // The window's own hot keys are not asked on the way through panels.
    mWindow->GetHotKeyManager()->GetKeyCodeTable().AddKeyCode(f6, u"NID_WINDOW_KEY");
    EXPECT_EQ(mInner->ProcessHotKeys(LKeyParam::Create(f5, 1)), S_OK);
    EXPECT_EQ(mInner->ProcessHotKeys(LKeyParam::Create(f6, 1)), S_FALSE);
}

} // namespace
