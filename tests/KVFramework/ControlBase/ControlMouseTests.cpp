#include "InputTestSupport.h"
#include "LookTestSupport.h"

#include <functional>

using namespace inputtest;

namespace {

using Strings = std::vector<std::string>;

class ControlMouse : public InputFixture
{
public:
    ControlMouse()
    {
        mRoot->mTransparent = {0, 0, 200, 100}; // empty window space
        mButton = Add(mRoot, u"button", {10, 10, 40, 20});
    }
    RCPtr<Probe> mButton;
};

struct ClickCase
{
    const char* name;
    int32_t threshold;
    std::function<void(ControlMouse&)> script;
    Strings expected;
};

} // namespace

// The release is a click while the button still counts as pressed (or dragged without a
// drag mode) and the pointer is back over the control.
TEST_F(ControlMouse, ClickTable)
{
    const std::vector<ClickCase> cases = {
        {"no move",
         1,
         [](ControlMouse& t) {
             t.Press(kMouseButtonLeft, 15, 15);
             t.Release(kMouseButtonLeft, 15, 15);
         },
         {"button:down L 5,5", "button:up L", "button:click L"}},
        {"out and released outside",
         1,
         [](ControlMouse& t) {
             t.Press(kMouseButtonLeft, 15, 15);
             t.Move(120, 60);
             t.Release(kMouseButtonLeft, 120, 60);
         },
         {"button:down L 5,5", "button:drag begins", "button:up L", "button:drag ends"}},
        {"out and back",
         1,
         [](ControlMouse& t) {
             t.Press(kMouseButtonLeft, 15, 15);
             t.Move(120, 60);
             t.Move(20, 20);
             t.Release(kMouseButtonLeft, 20, 20);
         },
         {"button:down L 5,5", "button:drag begins", "button:up L", "button:drag ends", "button:click L"}},
        {"threshold 0 drags at once and still clicks",
         0,
         [](ControlMouse& t) {
             t.Press(kMouseButtonLeft, 15, 15);
             t.Release(kMouseButtonLeft, 15, 15);
         },
         {"button:down L 5,5", "button:drag begins", "button:up L", "button:drag ends", "button:click L"}},
        {"second button during the capture",
         1,
         [](ControlMouse& t) {
             t.Press(kMouseButtonLeft, 15, 15);
             t.Press(kMouseButtonRight, 15, 15);
             t.Release(kMouseButtonRight, 15, 15);
             EXPECT_EQ(t.mWindow->GetCaptureControl(), t.mButton); // the left button is still down
             t.Release(kMouseButtonLeft, 15, 15);
         },
         {"button:down L 5,5", "button:down R 5,5", "button:up R", "button:up L", "button:click L"}},
    };
    for (const ClickCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        mButton->SetDragThreshold(c.threshold);
        TakeLog();
        c.script(*this);
        EXPECT_EQ(TakeLog(), c.expected);
        EXPECT_FALSE(mWindow->GetCaptureControl());
        EXPECT_FALSE(mButton->HasCapture());
    }
}

TEST_F(ControlMouse, DragPassesThePressPointBeforeTheFirstMoveAndAModeDragIsNoClick)
{
    mButton->mDragModeOnDrag = 1;
    Press(kMouseButtonLeft, 15, 15);
    mButton->mLogMoves = true;
    Move(15, 15); // no distance: still pressed
    EXPECT_TRUE(mButton->IsPressed(kMouseButtonLeft));
    Move(16, 15);
    Move(18, 17);
    Release(kMouseButtonLeft, 18, 17);
    EXPECT_EQ(TakeLog(),
              (Strings{"button:down L 5,5", "button:move 5,5", "button:move 5,5", "button:drag begins",
                       "button:move 6,5", "button:drag to 6,5", "button:move 8,7", "button:drag to 8,7",
                       "button:up L", "button:drag ends"}));
    EXPECT_EQ(mButton->SetDragThreshold(-1), E_INVALIDARG);
}

TEST_F(ControlMouse, PressesThatCannotStartAreRefused)
{
    RCPtr<LMouseButtonParam> middle = LMouseButtonParam::Create(kMouseButtonMiddle, {1, 1}, 0, 0, 0);
    EXPECT_EQ(mButton->OnMouseDown(nullptr), E_INVALIDARG);
    EXPECT_EQ(mButton->OnMouseDown(LMouseButtonParam::Create(3, {1, 1}, 0, 0, 0)), E_INVALIDARG);
    // The button came up before the capture was taken: the press reaches the control,
    // but nothing is captured.
    EXPECT_EQ(mButton->OnMouseDown(middle), S_OK);
    EXPECT_FALSE(mButton->HasCapture());
    mButton->SetEnabled(false);
    mOS.mButtons = kMouseButtonLeft;
    EXPECT_EQ(mButton->OnMouseDown(LMouseButtonParam::Create(kMouseButtonLeft, {1, 1}, 0, 0, 1)), S_FALSE);
    EXPECT_EQ(TakeLog(), Strings{"button:down M 1,1"});
}

TEST_F(ControlMouse, RootWindowRoutesPressesReleasesAndDoubleClicks)
{
    // Empty space: nothing is delivered, and the release finds no capture.
    Press(kMouseButtonLeft, 150, 80);
    Release(kMouseButtonLeft, 150, 80);
    EXPECT_TRUE(TakeLog().empty());

    // The double click is a press with the flag; the release that ends it carries it,
    // the next plain press does not.
    Press(kMouseButtonLeft, 15, 15);
    Release(kMouseButtonLeft, 15, 15);
    Press(kMouseButtonLeft, 15, 15, true);
    EXPECT_EQ(mButton->mLastParam->mIsDoubleClick, 1);
    EXPECT_EQ(mButton->mLastParam->mButtonState, kMouseButtonLeft);
    Release(kMouseButtonLeft, 15, 15);
    EXPECT_EQ(mButton->mLastParam->mIsDoubleClick, 1);
    Press(kMouseButtonLeft, 15, 15);
    Release(kMouseButtonLeft, 15, 15);
    EXPECT_EQ(TakeLog(), (Strings{"button:down L 5,5", "button:up L", "button:click L",
                                  "button:down L double 5,5", "button:up L double", "button:click L",
                                  "button:down L 5,5", "button:up L", "button:click L"}));

    // An inactive window ignores the mouse, the wheel too.
    mOS.mActive = false;
    Press(kMouseButtonLeft, 15, 15);
    Move(20, 20);
    Release(kMouseButtonLeft, 15, 15);
    mWindow->OnMouseWheel({15, 15}, 0, kWheelVerticalPositive);
    mWindow->OnMouseWheel({15, 15}, 0, kWheelHorizontalPositive);
    EXPECT_TRUE(TakeLog().empty());
}

TEST_F(ControlMouse, WhileCapturedOnlyTheCaptureControlCanBeHovered)
{
    RCPtr<Probe> other = Add(mRoot, u"other", {100, 10, 40, 20});
    other->SetToolTipText(String(u"other's tip"));
    Move(15, 15);
    EXPECT_EQ(mWindow->GetHoverControl(), mButton);
    Press(kMouseButtonLeft, 15, 15);
    Move(110, 15); // over the other control
    EXPECT_FALSE(mWindow->GetHoverControl());
    EXPECT_FALSE(other->IsHovered());
    Move(20, 15);
    EXPECT_EQ(mWindow->GetHoverControl(), mButton);
    Release(kMouseButtonLeft, 20, 15);
    Move(110, 15); // free again: the hover and the tool tip follow the pointer
    EXPECT_EQ(mWindow->GetHoverControl(), other);
    EXPECT_EQ(TakeLog(), (Strings{"button:down L 5,5", "button:drag begins", "button:up L",
                                  "button:drag ends", "button:click L", "other:tip shown"}));
}

TEST_F(ControlMouse, TransparentPixelsLetThePointerThroughToTheControlBelow)
{
    RCPtr<Probe> cover = Add(mRoot, u"cover", {0, 0, 100, 50}); // drawn over the button
    cover->mTransparent = {10, 10, 40, 20};
    Press(kMouseButtonLeft, 15, 15);
    Release(kMouseButtonLeft, 15, 15);
    Press(kMouseButtonLeft, 5, 5);
    Release(kMouseButtonLeft, 5, 5);
    EXPECT_EQ(TakeLog(), (Strings{"button:down L 5,5", "button:up L", "button:click L", "cover:down L 5,5",
                                  "cover:up L", "cover:click L"}));
}

TEST_F(ControlMouse, FloatingControlsAreHitAboveTheTreeAndClippedOnesOnlyInsideTheirParent)
{
    RCPtr<Probe> holder = Add(mRoot, u"holder", {100, 60, 50, 30});
    RCPtr<Probe> popup = Add(holder, u"popup", {-90, -50, 40, 40}); // reaches over the button
    popup->SetClipToParent(false);
    PointT<int32_t> local;
    EXPECT_EQ(mWindow->FindControlAtPoint({15, 15}, local, false), popup);
    EXPECT_EQ(local, (PointT<int32_t>{5, 5}));
    popup->SetVisible(false);
    EXPECT_EQ(mWindow->FindControlAtPoint({15, 15}, local, false), mButton);

    // In a floating panel whose client area starts at 5,5, a child clipped to the panel
    // is not there where it lies outside that area.
    RCPtr<Probe> panel = Add(mRoot, u"panel", {100, 0, 50, 50});
    panel->SetClipToParent(false);
    RCPtr<LLook> framed = LLook::Create(
        Testing::MakeLook(
            Testing::FillPart(1, 1, 0xFF808080),
            Testing::Offsets(Testing::kL | Testing::kT | Testing::kR | Testing::kB, 5, 5, 5, 5)),
        false);
    framed->SetSize({50, 50});
    panel->ShowLook(panel->AddLook(framed));
    ASSERT_EQ(panel->GetContentOrigin(), (PointT<double>{5, 5}));
    RCPtr<Probe> inner = Add(panel, u"inner", {-10, 0, 30, 10});
    EXPECT_EQ(mWindow->FindControlAtPoint({102, 8}, local, false), panel);
    EXPECT_EQ(mWindow->FindControlAtPoint({110, 8}, local, false), inner);
    EXPECT_EQ(local, (PointT<int32_t>{15, 3}));
    EXPECT_EQ(inner->GetRootPosition(), (PointT<double>{95, 5}));
    EXPECT_EQ(mButton->MapPointFromControl(*inner, {1, 1}), (PointT<double>{86, -4}));
}

TEST_F(ControlMouse, WheelGoesUnderAFloatingControlThenToTheFocusControl)
{
    RCPtr<Probe> panel = Add(mRoot, u"panel", {100, 0, 50, 50});
    RCPtr<Probe> popup = Add(panel, u"popup", {-90, 5, 40, 40});
    popup->SetClipToParent(false);
    RCPtr<Probe> focus = Add(mRoot, u"focus", {0, 60, 20, 20});
    focus->SetFocus(true);
    TakeLog();

    mWindow->OnMouseWheel({15, 15}, 0, kWheelVerticalPositive);
    // Not the popup's parent: the button underneath, then up its own parents.
    EXPECT_EQ(TakeLog(), (Strings{"popup:wheel 15,15", "button:wheel 15,15", "root:wheel 15,15",
                                  "focus:wheel 15,15", "root:wheel 15,15"}));

    mButton->mWheelResult = S_OK;
    mWindow->OnMouseWheel({15, 15}, 0, kWheelHorizontalNegative);
    EXPECT_EQ(TakeLog(), (Strings{"popup:hwheel 15,15", "button:hwheel 15,15"}));
    EXPECT_EQ(mButton->OnMouseWheel(nullptr), -1);
}

TEST_F(ControlMouse, WheelOverAClippedGrandchildOfAFloatingControlGoesUnderIt)
{
    // The grandchild hands the step up to the child, which floats with its parent: the
    // control under all three takes it, not the grandchild again.
    RCPtr<Probe> popup = Add(mRoot, u"popup", {0, 0, 60, 40});
    popup->SetClipToParent(false);
    RCPtr<Probe> child = Add(popup, u"child", {5, 5, 50, 30});
    Add(child, u"leaf", {5, 5, 20, 10});
    TakeLog();
    mWindow->OnMouseWheel({15, 15}, 0, kWheelVerticalPositive);
    EXPECT_EQ(TakeLog(), (Strings{"leaf:wheel 15,15", "child:wheel 15,15", "popup:wheel 15,15",
                                  "button:wheel 15,15", "root:wheel 15,15"}));
}

TEST_F(ControlMouse, HandlersMayRemoveTheControlThatTheyRunFor)
{
    struct SelfRemoving : Probe
    {
        using Probe::Probe;
        void HandleLeftClick(const RCPtr<LMouseButtonParam>&) override
        {
            RemoveFromTree();
            Log("removed");
        }
    };
    RCPtr<Probe> doomed(new SelfRemoving(mRoot, u"doomed", {60, 60, 20, 20}, &mLog));
    Press(kMouseButtonLeft, 65, 65);
    RCPtr<Probe> watch = doomed;
    doomed.Reset();
    watch.Reset(); // only the tree and the window hold it now
    Release(kMouseButtonLeft, 65, 65);
    EXPECT_EQ(TakeLog(), (Strings{"doomed:down L 5,5", "doomed:up L", "doomed:removed"}));
    EXPECT_FALSE(mWindow->GetCaptureControl());
    Move(65, 65);
    EXPECT_FALSE(mWindow->GetHoverControl());
}

TEST_F(ControlMouse, CursorTakesEffectWhileHoveredAndRemembersTheWindowsOwn)
{
    mOS.mCursor = 7;
    RCPtr<Probe> other = Add(mRoot, u"other", {100, 10, 40, 20});
    other->SetCursor(3);
    EXPECT_EQ(mOS.mCursor, 7u); // not hovered
    Move(15, 15);
    mButton->SetCursor(4);
    EXPECT_EQ(mOS.mCursor, 4u);
    EXPECT_EQ(mButton->GetSavedCursor(), 7u);
    mButton->SetCursor(0);
    EXPECT_EQ(mOS.mCursor, 0u); // the default arrow
}
