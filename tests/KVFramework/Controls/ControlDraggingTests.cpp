// Left drags of controls driven by the pointer: moves and resizes within limits with the
// container scrolling near its edges, pans that fling on, drag and drop onto targets, and
// the scroll offset they all move.

#include "Application/DesktopServices.h"
#include "Controls/ScrollView.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

// Takes up the drag mode as its left drag begins, as a concrete control does.
template <class Base> class Dragged : public Base
{
public:
    Dragged(const RCPtr<LControl>& parent, const String& name) : Base(parent, name) {}
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override
    {
        if ((param->mNewConditions & kConditionLeftDragging) &&
            !(param->mOldConditions & kConditionLeftDragging))
            this->SetDragMode(mMode, mFlags);
        Base::OnConditionsChanged(param);
    }
    void OnDragMoved(const RCPtr<LPointWithModifiersParam>& param) override
    {
        mModifiers = param->mModifiers;
        Base::OnDragMoved(param);
    }
    int32_t mMode = kDragNone;
    int32_t mFlags = 0;
    uint32_t mModifiers = 0; // those of the last step of the drag
};

// The keyboard as the application reads it: Ctrl held, while this lives.
class CtrlHeld : public IDesktopServices
{
public:
    explicit CtrlHeld(LFrameworkApp& app) : mApp(app) { mApp.SetDesktopServices(this); }
    ~CtrlHeld() override { mApp.SetDesktopServices(nullptr); }
    RectT<int32_t> GetWorkArea() override { return {}; }
    PointT<int32_t> GetPointerPosition() override { return {}; }
    void GetKeyState(uint32_t virtualKey, bool& down, bool& toggled) override
    {
        down = virtualKey == 0x11;
        toggled = false;
    }
    bool MovePointerTo(int32_t, int32_t) override { return false; }
    void SetPointerVisible(bool) override {}

private:
    LFrameworkApp& mApp;
};

using DragBox = Dragged<LControl>;
using PanView = Dragged<LScrollView>;

// Accepts every drop and writes what happens to it.
class DropTarget : public LScrollView
{
public:
    using LScrollView::LScrollView;
    bool CanAcceptDrop(const RCPtr<LControl>&) override { return true; }
    void OnDragEnter(const RCPtr<LControl>&) override { mLog += "enter "; }
    void OnDragLeave(const RCPtr<LControl>&) override { mLog += "leave "; }
    KVRESULT Drop(const RCPtr<LControl>&) override
    {
        mLog += "drop ";
        return S_OK;
    }
    std::string mLog;
};

class Dragging : public ControlHarness
{
public:
    // Controls without a look let the pointer through.
    const std::vector<RCPtr<LLookDescriptor>> kOpaque{ColourLook(0xFF808080)};

    // A view 100 x 100 at the root's origin with room to scroll, and a box 20 x 20 at
    // (10, 10) in it.
    Dragging()
    {
        mView = Make<LScrollView>(RCPtr<LControl>(mRoot), u"view", 0, 0, 100, 100);
        mView->SetClientExtent(1000, 1000);
        mBox = Make<DragBox>(RCPtr<LControl>(mView), u"box", 10, 10, 20, 20, kOpaque);
    }
    RCPtr<LScrollView> mView;
    RCPtr<DragBox> mBox;
};

TEST_F(Dragging, AMoveNearTheLimitScrollsTheContainerFasterTheCloserItGets)
{
    mBox->mMode = kDragMoveScrolling;
    mBox->mFlags = kDragFlagX;
    Press(15, 15);
    struct Step
    {
        int32_t x;
        double boxX;
        bool scrolls;
        double speed;
    };
    const Step steps[] = {
        {50, 45, false, 0},   // the middle: nothing scrolls
        {90, 85, true, 315},  // 10 px inside the right limit: (20 + 1) x 15
        {100, 95, true, 465}, // at the limit itself: (30 + 1) x 15
        {120, 95, false, 0},  // past it: the box stops at the limit, the scrolling too
        {5, 0, true, -390},   // 5 px inside the left limit: -(25 + 1) x 15
    };
    for (const Step& s : steps)
    {
        Move(s.x, 15);
        EXPECT_EQ(mBox->GetRect().x, s.boxX) << s.x;
        EXPECT_EQ(mBox->GetRect().y, 10) << s.x; // the y axis is not dragged
        EXPECT_EQ(mView->IsAutoScrolling(0), s.scrolls) << s.x;
        if (s.scrolls)
        {
            EXPECT_EQ(mView->GetAutoScrollSpeed(0), s.speed) << s.x;
        }
        EXPECT_FALSE(mView->IsAutoScrolling(1)) << s.x;
    }
    Move(100, 15);
    Idle(100); // 46.5 px at 465 px/s
    EXPECT_EQ(mView->GetScrollOffset(), (PointT<double>{47, 0}));
    Release(100, 15);
    EXPECT_FALSE(mView->IsAutoScrolling(0));
    EXPECT_EQ(mView->GetIdleCount(), 0);
}

TEST_F(Dragging, TheContainerScrollingOnMovesTheBoxWithTheModifiersHeldNow)
{
    CtrlHeld keyboard(*mApp);
    mBox->mMode = kDragMoveScrolling;
    mBox->mFlags = kDragFlagX;
    Press(15, 15);
    Move(100, 15);
    ASSERT_TRUE(mView->IsAutoScrolling(0));
    mBox->mModifiers = 0;
    const double before = mBox->GetRect().x + mView->GetScrollOffset().x;
    Idle(100); // a step of the scrolling drags the box on, without a move of the pointer
    EXPECT_GT(mBox->GetRect().x + mView->GetScrollOffset().x, before);
    EXPECT_EQ(mBox->mModifiers, kModifierCtrl);
    Release(100, 15);
}

TEST_F(Dragging, AResizedEdgeFollowsThePointerAndTheOppositeEdgeStays)
{
    struct Case
    {
        int32_t flags;
        PointT<int32_t> press;
        PointT<int32_t> to;
        RectT<double> rect;
    };
    const Case cases[] = {
        {kDragFlagLeft, {12, 15}, {2, 15}, {0, 10, 30, 20}},
        {kDragFlagLeft, {12, 15}, {90, 15}, {29, 10, 1, 20}}, // never less than a pixel
        {kDragFlagRight, {28, 15}, {50, 15}, {10, 10, 42, 20}},
        {kDragFlagRight, {28, 15}, {0, 15}, {10, 10, 1, 20}},
        {kDragFlagTop, {15, 12}, {15, 2}, {10, 0, 20, 30}},
        {kDragFlagBottom, {15, 28}, {15, 38}, {10, 10, 20, 30}},
        {kDragFlagLeft | kDragFlagBottom, {12, 28}, {7, 33}, {5, 10, 25, 25}},
    };
    for (const Case& c : cases)
    {
        Place(*mBox, 10, 10, 20, 20);
        mBox->mMode = kDragResize;
        mBox->mFlags = c.flags;
        Press(c.press.x, c.press.y);
        Move(c.to.x, c.to.y);
        EXPECT_EQ(mBox->GetRect(), c.rect) << c.flags << " to " << c.to.x << "," << c.to.y;
        Release(c.to.x, c.to.y);
    }
}

TEST_F(Dragging, SetScrollOffsetRoundsAndAnnouncesOnlyAChange)
{
    mRecorder->Listen(RCPtr<LNotificationDistributor>(mBox), u"NID_SCROLL_OFFSET_CHANGE");
    EXPECT_EQ(mBox->SetScrollOffset({10.4, -3.5}), (PointT<double>{10, -4}));
    EXPECT_EQ(mBox->SetScrollOffset({9.5, -4.4}), (PointT<double>{10, -4}));
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"box NID_SCROLL_OFFSET_CHANGE"});
}

TEST_F(Dragging, AFlingGoesOnThenSlowsDownAndStops)
{
    RCPtr<PanView> pan = Make<PanView>(RCPtr<LControl>(mRoot), u"pan", 100, 0, 100, 100, kOpaque);
    pan->SetClientExtent(100, 10000);
    pan->mMode = kDragPan;
    pan->mFlags = kDragFlagY;
    struct Case
    {
        Milliseconds pause; // from the last move to the release
        bool flings;
    };
    for (const Case c : {Case{100, false}, Case{10, true}})
    {
        pan->SetScrollOffset({0, 0});
        Press(150, 90);
        gNow += 10;
        Move(150, 80); // the drag begins
        gNow += 10;
        Move(150, 70); // 2000 px/s
        gNow += 10;
        Move(150, 60); // 1000 px/s, 1500 on average
        EXPECT_EQ(pan->GetScrollOffset(), (PointT<double>{0, 30})) << c.pause;
        EXPECT_DOUBLE_EQ(pan->GetDragVelocity().y, 1500) << c.pause;
        gNow += c.pause;
        Release(150, 60);
        EXPECT_EQ(pan->IsAutoScrolling(1), c.flings) << c.pause;
    }
    // The speed holds for a second, then drops by 1000 px/s each second until it is gone.
    const std::pair<Milliseconds, double> timeline[] = {
        {1000, 30 + 1500},
        {400, 1530 + 150 + 140 + 130 + 120},
        {1000, 2730 - 10},
        {100, 2730},
    };
    for (const auto& [elapsed, offset] : timeline)
    {
        for (Milliseconds t = 0; t < elapsed; t += 100)
            Idle(100);
        EXPECT_EQ(pan->GetScrollOffset().y, offset) << gNow;
    }
    EXPECT_FALSE(pan->IsAutoScrolling(1));
    EXPECT_EQ(pan->GetIdleCount(), 0);

    // A press holds a fling where it is.
    Press(150, 90);
    gNow += 10;
    Move(150, 60);
    gNow += 10;
    Move(150, 50);
    Release(150, 50);
    ASSERT_TRUE(pan->IsAutoScrolling(1));
    Press(150, 50);
    EXPECT_FALSE(pan->IsAutoScrolling(1));
    Release(150, 50);
}

TEST_F(Dragging, ADropGoesToTheFirstControlThatAcceptsIt)
{
    // On the root's right half, a target with a control inside that takes no drops.
    RCPtr<DropTarget> target = Make<DropTarget>(RCPtr<LControl>(mRoot), u"target", 100, 0, 100, 50, kOpaque);
    Make<DragBox>(RCPtr<LControl>(target), u"inner", 10, 10, 50, 30, kOpaque);
    mBox->mMode = kDragAndDrop;
    mBox->mFlags = kDragFlagX | kDragFlagY;
    Press(15, 15);
    Move(130, 30); // over the inner control
    EXPECT_EQ(mBox->GetDropTarget(), RCPtr<LControl>(target));
    EXPECT_FALSE(mBox->GetLayout()->mClipToParent); // it floats above everything meanwhile
    EXPECT_EQ(mBox->GetRect().x, 125);
    Move(150, 80); // over the root, which takes none: nothing up to the top does
    EXPECT_EQ(mBox->GetDropTarget(), nullptr);
    Move(180, 20);
    Release(180, 20);
    EXPECT_EQ(target->mLog, "enter leave enter drop leave ");
    EXPECT_EQ(mBox->GetDropTarget(), nullptr);
    EXPECT_TRUE(mBox->GetLayout()->mClipToParent);
    EXPECT_FALSE(mBox->GetLayout()->mXIsDocked);
    EXPECT_EQ(mBox->GetRect(), (RectT<double>{175, 15, 20, 20}));
}

TEST_F(Dragging, ADropOverAFloatingControlThatTakesNoneGoesToTheControlUnderIt)
{
    // A floating panel that takes no drops, with a clipped child that takes none either,
    // over a target: the child hands the search to the panel, the panel to what lies under it.
    RCPtr<DropTarget> target = Make<DropTarget>(RCPtr<LControl>(mRoot), u"target", 100, 0, 100, 50, kOpaque);
    RCPtr<LControl> floating = Make<LControl>(RCPtr<LControl>(mRoot), u"floating", 100, 0, 100, 50, kOpaque);
    floating->SetClipToParent(false);
    Make<LControl>(floating, u"inner", 10, 10, 50, 30, kOpaque);
    mBox->mMode = kDragAndDrop;
    mBox->mFlags = kDragFlagX | kDragFlagY;
    Press(15, 15);
    Move(130, 30); // over the inner control
    EXPECT_EQ(mBox->GetDropTarget(), RCPtr<LControl>(target));
    Move(190, 5); // over the panel alone
    EXPECT_EQ(mBox->GetDropTarget(), RCPtr<LControl>(target));
    Release(190, 5);
    EXPECT_EQ(target->mLog, "enter drop leave ");
}

} // namespace
