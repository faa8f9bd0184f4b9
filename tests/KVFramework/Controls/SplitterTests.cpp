#include "Controls/Splitter.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

// Limits of a control on Y: its preferred (minimum) height and its maximum (0: none).
struct HeightLimits
{
    double preferred = 0;
    double maximum = 0;
};

class Splitter : public ControlHarness
{
public:
    RCPtr<LControlDescriptor> Panel(const char16_t* name, double y, double h, HeightLimits limits)
    {
        RCPtr<LControlDescriptor> panel =
            Describe(u"Framework.Panel", name, 0, y, 200, h, {ColourLook(0xFF204060)});
        panel->mLayout->mYMinSize.mAbs = limits.preferred;
        panel->mLayout->mYMaxSize.mAbs = limits.maximum;
        return panel;
    }
    RCPtr<LControl> Add(const RCPtr<LControlDescriptor>& descriptor)
    {
        RCPtr<LControl> control = mFactory->CreateControl(descriptor, RCPtr<LControl>(mRoot));
        control->RecalcLayout();
        return control;
    }
    // A horizontal splitter 4 high, at y = 40 or right below "top" when tied to it.
    RCPtr<LSplitterH> AddSplitter(bool tiedToTop)
    {
        RCPtr<LControlDescriptor> split =
            Describe(u"Framework.SplitterH", u"split", 0, 40, 200, 4, ColourLooks(7));
        if (tiedToTop)
            split->mLayout->mYPosition = {0, PositionReference::Control, String(u"top"), 1.0f, 0};
        return RCPtr<LSplitterH>::DynamicCastFrom(Add(split));
    }
    // A control below the splitter, from its far edge to the bottom of the client area.
    RCPtr<LControl> AddBelow(HeightLimits limits)
    {
        RCPtr<LControlDescriptor> below = Panel(u"below", 0, 0, limits);
        below->mLayout->mYPosition = {0, PositionReference::Control, String(u"split"), 1.0f, 0};
        below->mLayout->mYSize = {SizeReference::Client, String(), 1.0f, 0};
        return Add(below);
    }
    // A control above the splitter that reaches down to it (tied with no relative part).
    RCPtr<LControl> AddReaching(HeightLimits limits)
    {
        RCPtr<LControlDescriptor> side = Panel(u"side", 0, 0, limits);
        side->mLayout->mYSize = {SizeReference::Control, String(u"split"), 0, 0};
        return Add(side);
    }
    // Takes the splitter 2 pixels below its top edge and drags it to y.
    void Drag(const RCPtr<LSplitterH>& split, int32_t y)
    {
        const int32_t from = static_cast<int32_t>(split->GetRect().y) + 2;
        Move(100, from);
        Press(100, from);
        Move(100, (from + y) / 2);
        Move(100, y);
        Release(100, y);
    }
};

TEST_F(Splitter, TheDragStopsWhereANeighbourReachesItsPreferredSizeOrItsMaximum)
{
    struct Case
    {
        const char* what;
        HeightLimits top;      // "top" 40 high, the splitter tied below it; none when preferred < 0
        HeightLimits below;    // "below" from the splitter to the bottom; none when preferred < 0
        HeightLimits reaching; // "side" reaching to the splitter; none when preferred < 0
        int32_t to;
        double splitY;
    };
    const Case cases[] = {
        {"up: the control above at its preferred height", {20, 0}, {-1, 0}, {-1, 0}, 0, 20},
        {"down: the control below at its preferred height", {20, 0}, {10, 0}, {-1, 0}, 99, 86},
        {"down: the control above at its maximum", {20, 60}, {10, 0}, {-1, 0}, 99, 60},
        {"up: the control below at its maximum", {20, 0}, {10, 70}, {-1, 0}, 0, 26},
        {"not tied: back to the reaching control's preferred height", {-1, 0}, {-1, 0}, {10, 60}, 0, 10},
        // Deliberately its maximum stops the drag that grows it; else it would grow past its maximum.
        {"not tied: on to the reaching control's maximum", {-1, 0}, {-1, 0}, {10, 60}, 99, 60},
        {"not tied, nothing else: anywhere", {-1, 0}, {-1, 0}, {-1, 0}, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        RCPtr<LControl> top = c.top.preferred >= 0 ? Add(Panel(u"top", 0, 40, c.top)) : nullptr;
        RCPtr<LSplitterH> split = AddSplitter(top != nullptr);
        RCPtr<LControl> side = c.reaching.preferred >= 0 ? AddReaching(c.reaching) : nullptr;
        RCPtr<LControl> below = c.below.preferred >= 0 ? AddBelow(c.below) : nullptr;
        ASSERT_EQ(split->GetRect().y, 40);

        Drag(split, c.to);
        EXPECT_EQ(split->GetRect().y, c.splitY);
        if (top)
        {
            // The control above keeps its new size, and the splitter follows it again.
            EXPECT_EQ(top->GetRect().height, c.splitY);
            EXPECT_EQ(split->GetLayout()->mYPosition.mReference, PositionReference::Control);
        }
        if (side)
        {
            EXPECT_EQ(side->GetRect().height, c.splitY);
        }
        if (below)
        {
            EXPECT_EQ(below->GetRect().y, c.splitY + 4);
        }
        for (const RCPtr<LControl>& control : {top, RCPtr<LControl>(split), side, below})
            if (control)
                control->RemoveFromTree();
    }
}

TEST_F(Splitter, LooksFollowThePointer)
{
    RCPtr<LSplitterH> split = AddSplitter(false);
    split->SetFocus(true); // the looks with the focus: 3 normal, 4 hover, 5 pressed
    EXPECT_EQ(split->GetShownLookIndex(), 3);
    Move(100, 42);
    EXPECT_EQ(split->GetShownLookIndex(), 4);
    Press(100, 42);
    Move(100, 50); // the splitter follows, the pointer is over it again at the next move
    Move(100, 51);
    EXPECT_EQ(split->GetShownLookIndex(), 5);
    Release(100, 51);
    Move(100, 90);
    EXPECT_EQ(split->GetShownLookIndex(), 3);
    split->SetEnabled(false);
    EXPECT_EQ(split->GetShownLookIndex(), 6);
}

} // namespace
