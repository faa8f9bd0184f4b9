#include "Controls/Scrollbar.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

class Scrollbar : public ControlHarness
{
public:
    // A bar at (10, 0) of the root: step buttons 16 px at both ends and the channel between
    // them, track long, with a thumb thickness across (and 10 px along). The channel has
    // two looks: the plain one and the paging highlight.
    RCPtr<LScrollbar> NewBar(bool vertical, double track, double thickness = 16,
                             const char16_t* name = u"bar")
    {
        const double length = track + 32;
        RCPtr<LControlDescriptor> bar = vertical ? Describe(u"Framework.ScrollBar", name, 10, 0, 16, length)
                                                 : Describe(u"Framework.ScrollBar", name, 10, 0, length, 16);
        // Opaque, so that the pointer finds them.
        const std::vector<RCPtr<LLookDescriptor>> grey{ColourLook(0xFF808080)};
        const auto at = [&](const char16_t* cls, const char16_t* part, double along, double size) {
            return vertical ? Describe(cls, part, 0, along, 16, size, grey)
                            : Describe(cls, part, along, 0, size, 16, grey);
        };
        bar->AddChild(at(u"Framework.Button", u"dec", 0, 16));
        bar->AddChild(at(u"Framework.Button", u"inc", track + 16, 16));
        RCPtr<LControlDescriptor> channel =
            vertical ? Describe(u"Framework.ScrollChannel", u"channel", 0, 16, 16, track,
                                {ColourLook(0xFF000000), ColourLook(0xFFFFFFFF)})
                     : Describe(u"Framework.ScrollChannel", u"channel", 16, 0, track, 16,
                                {ColourLook(0xFF000000), ColourLook(0xFFFFFFFF)});
        channel->AddChild(vertical ? Describe(u"Framework.Button", u"thumb", 0, 0, thickness, 10, grey)
                                   : Describe(u"Framework.Button", u"thumb", 0, 0, 10, thickness, grey));
        bar->AddChild(channel);
        return Create<LScrollbar>(bar, RCPtr<LControl>(mRoot));
    }
    static double ThumbStart(const RCPtr<LScrollbar>& bar)
    {
        return bar->IsVertical() ? bar->GetThumb()->GetRect().y : bar->GetThumb()->GetRect().x;
    }
};

TEST_F(Scrollbar, TheThumbIsAShareOfTheTrackAtLeastAsLongAsItIsThick)
{
    struct Case
    {
        bool vertical;
        double track;
        double thickness;
        double length;
    };
    const Case cases[] = {
        {true, 200, 16, 20},  // a tenth of the track
        {true, 50, 16, 16},   // 5 px raised to the thumb's thickness
        {false, 50, 8, 8},    // across a horizontal bar the thickness is the height
        {false, 300, 16, 30}, // the orientation comes from where the step buttons stand
    };
    for (const Case& c : cases)
    {
        RCPtr<LScrollbar> bar = NewBar(c.vertical, c.track, c.thickness);
        EXPECT_EQ(bar->IsVertical(), c.vertical);
        EXPECT_EQ(bar->GetThumbLength(), c.length) << c.track;
        const RectT<double>& thumb = bar->GetThumb()->GetRect();
        EXPECT_EQ(c.vertical ? thumb.height : thumb.width, c.length) << c.track;
        // The value puts the thumb from the track's start to its end.
        bar->SetNormalizedValue(1);
        EXPECT_EQ(ThumbStart(bar) + c.length, c.track) << c.track;
        bar->SetNormalizedValue(0.5);
        EXPECT_EQ(ThumbStart(bar), RoundHalfAwayFromZero((c.track - c.length) / 2)) << c.track;
        bar->SetNormalizedValue(-3);
        EXPECT_EQ(ThumbStart(bar), 0) << c.track;
        EXPECT_EQ(bar->GetNormalizedValue(), 0) << c.track;
        bar->RemoveFromTree();
    }
}

TEST_F(Scrollbar, AThumbThatFillsItsTrackGivesTheStart)
{
    RCPtr<LScrollbar> bar = NewBar(true, 60);
    bar->SetThumbFraction(1);
    bar->UpdateThumbSize();
    EXPECT_EQ(bar->GetThumbLength(), 60);
    // Press on the thumb and drag it: it has nowhere to go, and the value is no NaN.
    Press(18, 20);
    Move(18, 40);
    Release(18, 40);
    EXPECT_EQ(bar->GetNormalizedValue(), 0);
    EXPECT_EQ(ThumbStart(bar), 0);
}

TEST_F(Scrollbar, DraggingTheThumbSetsTheValueAndAValueFromElsewhereWaitsForTheDrop)
{
    // Track 68, thumb 16 (its thickness): 52 px of travel. The channel starts at y 16.
    RCPtr<LScrollbar> bar = NewBar(true, 68);
    ASSERT_EQ(bar->GetThumbLength(), 16);
    mRecorder->Listen(RCPtr<LNotificationDistributor>(bar), u"NID_VALUE_CHANGE");
    Press(18, 21); // 5 px into the thumb
    Move(18, 47);  // the grab point 26 px on
    EXPECT_TRUE(bar->IsDraggingThumb());
    EXPECT_EQ(ThumbStart(bar), 26);
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.5);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"bar NID_VALUE_CHANGE"});

    // The owner sets a value meanwhile: neither the thumb nor the value move yet.
    bar->SetNormalizedValue(0.75);
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.5);
    EXPECT_EQ(bar->GetPendingValue(), 0.75);
    Move(18, 500); // past the end: the thumb stops there
    EXPECT_EQ(ThumbStart(bar), 52);
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 1);
    Release(18, 500);
    EXPECT_FALSE(bar->IsDraggingThumb());
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.75);
    EXPECT_EQ(ThumbStart(bar), 39);
    EXPECT_EQ(bar->GetPendingValue(), -1);

    // An owner that keeps the dragged value.
    bar->SetApplyPendingValue(false);
    Press(18, 16 + 39 + 2);
    Move(18, 16 + 39 + 2 - 13);
    bar->SetNormalizedValue(0.1);
    Release(18, 16 + 39 + 2 - 13);
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.5);
}

TEST_F(Scrollbar, APressBesideTheThumbPagesThenRepeatsUntilTheThumbReachesThePointer)
{
    RCPtr<LScrollbar> bar = NewBar(true, 68); // thumb 0..16, travel 52
    RCPtr<LControl> channel = bar->FindChild(String(u"channel"));
    Move(18, 16 + 40);
    Press(18, 16 + 40); // after the thumb
    // Value, thumb start: 0.2 -> 10, 0.4 -> 21, 0.6 -> 31 (the thumb then covers 40).
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.2);
    EXPECT_EQ(channel->GetLookWeight(1), 1.0f);
    RegionRect highlight;
    ASSERT_TRUE(channel->GetLook(1)->GetRegion().GetBounds(highlight));
    EXPECT_EQ(highlight, (RegionRect{0, 26, 16, 68})); // from the thumb's end to the far edge
    const std::pair<Milliseconds, double> timeline[] = {
        {390, 0.2}, {20, 0.4},  // the first repeat after 0.4 s
        {180, 0.4}, {30, 0.6},  // then 0.2 s after each
        {200, 0.6}, {400, 0.6}, // the thumb is under the pointer: no more steps
    };
    for (const auto& [elapsed, value] : timeline)
    {
        Idle(elapsed);
        EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), value) << gNow;
    }
    EXPECT_EQ(channel->GetLook(1)->GetRegion().IsEmpty(), true);
    Release(18, 16 + 40);
    EXPECT_EQ(bar->GetIdleCount(), 0);
    EXPECT_EQ(channel->GetLookWeight(1), 0.0f);

    // Before the thumb, towards the start.
    Move(18, 16 + 2);
    Press(18, 16 + 2);
    EXPECT_NEAR(bar->GetNormalizedValue(), 0.4, 1e-12);
    Release(18, 16 + 2);
}

TEST_F(Scrollbar, KeysFollowTheOrientation)
{
    struct Case
    {
        uint32_t code;
        bool vertical;
        double value; // from 0.5
        bool taken;
    };
    const Case cases[] = {
        {0x20260000, true, 0.48, true},  {0x20260000, false, 0.5, false}, // Up
        {0x20280000, true, 0.52, true},  {0x20280000, false, 0.5, false}, // Down
        {0x20250000, false, 0.48, true}, {0x20250000, true, 0.5, false},  // Left
        {0x20270000, false, 0.52, true}, {0x20270000, true, 0.5, false},  // Right
        {0x20210000, true, 0.3, true},   {0x20210000, false, 0.5, false}, // Page Up
        {0x20220000, true, 0.7, true},   {0x20220000, false, 0.5, false}, // Page Down
        {0x20240000, false, 0, true},    {0x20240000, true, 0, true},     // Home
        {0x20230000, true, 1, true},     {0x20230000, false, 1, true},    // End
        {0x22260000, true, 0.5, false},                                   // Shift+Up is not a step
        {0x00260000, true, 0.5, false},                                   // nor the release of Up
    };
    RCPtr<LScrollbar> bars[] = {NewBar(true, 60), NewBar(false, 60, 16, u"other")};
    for (const Case& c : cases)
    {
        const RCPtr<LScrollbar>& bar = bars[c.vertical ? 0 : 1];
        bar->SetNormalizedValue(0.5);
        RCPtr<LSiblingKeyParam> key = LSiblingKeyParam::Create(KeyCode{c.code}, RCPtr<LControl>(mRoot));
        bar->Receive(nullptr, LNotification::Create(u"NID_SIBLING_KEY", key));
        EXPECT_NEAR(bar->GetNormalizedValue(), c.value, 1e-12) << std::hex << c.code << " " << c.vertical;
        EXPECT_EQ(key->mResult == 0, c.taken) << std::hex << c.code << " " << c.vertical;
    }
    // Keys left out of the mask pass by.
    EXPECT_EQ(bars[0]->SetSiblingKeys(0x100), E_INVALIDARG);
    bars[0]->SetSiblingKeys(LScrollbar::kKeyHome);
    bars[0]->SetNormalizedValue(0.5);
    bars[0]->Receive(nullptr, LNotification::Create(u"NID_SIBLING_KEY",
                                                    LSiblingKeyParam::Create(KeyCode{0x20230000}, nullptr)));
    EXPECT_EQ(bars[0]->GetNormalizedValue(), 0.5);
}

TEST_F(Scrollbar, TheStepButtonsStepByALineAndRepeatWhileHeld)
{
    RCPtr<LScrollbar> bar = NewBar(true, 60);
    bar->SetNormalizedValue(0.5);
    Press(18, 90); // "inc", at 76..92
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.52);
    Idle(300);
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.54);
    Release(18, 90);
    Press(18, 4); // "dec"
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.52);
    Release(18, 4);
}

} // namespace
