#include "Controls/Slider.h"

#include "ControlsTestSupport.h"

#include <cmath>

using namespace controltest;

namespace {

constexpr uint32_t kRight = 0x20270000;
constexpr uint32_t kUp = 0x20260000;
constexpr uint32_t kLeft = 0x20250000;
constexpr uint32_t kDown = 0x20280000;
constexpr uint32_t kReleased = 0x20000000; // the pressed bit, cleared on release

class Slider : public ControlHarness
{
public:
    // A slider 140 x 90 at the root's origin whose 20 x 20 markers lie at start and end;
    // without markers when asked.
    RCPtr<LSlider> NewSlider(PointT<double> start, PointT<double> end, bool markers = true)
    {
        RCPtr<LSlider> made = Create<LSlider>(Skin(start, end, markers), RCPtr<LControl>(mRoot));
        mRecorder->Listen(RCPtr<LNotificationDistributor>(made), u"NID_VALUE_CHANGE_CAPTURE");
        mRecorder->Listen(RCPtr<LNotificationDistributor>(made), u"NID_VALUE_CHANGE_KEY_DOWN");
        mRecorder->Listen(RCPtr<LNotificationDistributor>(made), u"NID_VALUE_CHANGE_KEY_UP");
        return made;
    }
    // The slider's descriptor; its markers are thumb x thumb.
    static RCPtr<LControlDescriptor> Skin(PointT<double> start, PointT<double> end, bool markers = true,
                                          double thumb = 20)
    {
        RCPtr<LControlDescriptor> slider =
            Describe(u"Framework.Slider", u"slider", 0, 0, 140, 90, {ColourLook(0xFF202020)});
        if (markers)
        {
            slider->AddChild(Describe(u"Framework.Button", u"thumbStart", start.x, start.y, thumb, thumb,
                                      {ColourLook(0xFFFFFFFF)}));
            slider->AddChild(Describe(u"Framework.Panel", u"thumbEnd", end.x, end.y, thumb, thumb));
        }
        return slider;
    }
    static PointT<double> ThumbAt(const RCPtr<LSlider>& slider)
    {
        return {slider->GetThumb()->GetRect().x, slider->GetThumb()->GetRect().y};
    }
    // Takes the thumb at grab from its corner and drags it so that its corner would be at
    // to, then lets go unless told not to.
    void DragThumb(const RCPtr<LSlider>& slider, PointT<int32_t> grab, PointT<int32_t> to,
                   bool release = true)
    {
        const PointT<double> thumb = ThumbAt(slider);
        const int32_t x = static_cast<int32_t>(thumb.x) + grab.x;
        const int32_t y = static_cast<int32_t>(thumb.y) + grab.y;
        Move(x, y);
        Press(x, y);
        Move(to.x + grab.x, to.y + grab.y);
        if (release)
            Release(to.x + grab.x, to.y + grab.y);
    }
};

TEST_F(Slider, ADraggedThumbFollowsThePointersProjectionOntoTheTrack)
{
    struct Case
    {
        PointT<double> start, end;
        PointT<int32_t> to; // where the pointer would put the thumb's corner
        PointT<double> thumb;
        double value;
    };
    const Case cases[] = {
        // Horizontal: the thumb keeps its y and stays between the ends.
        {{10, 30}, {110, 30}, {60, 47}, {60, 30}, 0.5},
        {{10, 30}, {110, 30}, {150, 0}, {110, 30}, 1.0},
        {{10, 30}, {110, 30}, {-5, 30}, {10, 30}, 0.0},
        // Vertical, running upwards: the thumb keeps its x.
        {{20, 60}, {20, 0}, {50, 15}, {20, 15}, 0.75},
        // Diagonal both ways: the foot of the perpendicular.
        {{0, 0}, {60, 60}, {60, 0}, {30, 30}, 0.5},
        {{0, 60}, {60, 0}, {0, 0}, {30, 30}, 0.5},
        {{0, 0}, {60, 60}, {100, 100}, {60, 60}, 1.0},
        // Shallow: x = (60 + 50 / 0.2 - 10) / 5.2 = 57.7, y = 58 x 0.2 + 10 = 21.6.
        {{0, 10}, {100, 30}, {50, 60}, {58, 22}, std::hypot(58, 12) / std::hypot(100, 20)},
    };
    for (const Case& c : cases)
    {
        RCPtr<LSlider> slider = NewSlider(c.start, c.end);
        ASSERT_TRUE(slider->GetThumb());
        EXPECT_EQ(ThumbAt(slider).x, c.start.x);
        EXPECT_EQ(ThumbAt(slider).y, c.start.y);
        DragThumb(slider, {5, 5}, c.to);
        const std::string row = "track (" + std::to_string(c.start.x) + "," + std::to_string(c.start.y) +
                                ")-(" + std::to_string(c.end.x) + "," + std::to_string(c.end.y) + ") to (" +
                                std::to_string(c.to.x) + "," + std::to_string(c.to.y) + ")";
        EXPECT_EQ(ThumbAt(slider).x, c.thumb.x) << row;
        EXPECT_EQ(ThumbAt(slider).y, c.thumb.y) << row;
        EXPECT_NEAR(slider->GetNormalizedValue(), c.value, 1e-12) << row;
        slider->RemoveFromTree();
    }
}

TEST_F(Slider, AValueGivenDuringADragWaitsForItsEnd)
{
    RCPtr<LSlider> slider = NewSlider({0, 30}, {100, 30});
    DragThumb(slider, {5, 5}, {40, 30}, false);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"slider NID_VALUE_CHANGE_CAPTURE"});
    slider->SetNormalizedValue(0.25);
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 0.4);
    Move(55, 35);
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 0.5);
    Release(55, 35);
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 0.25);
    EXPECT_EQ(ThumbAt(slider).x, 25);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"slider NID_VALUE_CHANGE_CAPTURE"});

    slider->SetApplyPendingValue(false);
    DragThumb(slider, {5, 5}, {60, 30}, false);
    slider->SetNormalizedValue(0.1);
    Release(65, 35);
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 0.6);
}

TEST_F(Slider, HoldingTheSliderDownStepsTheThumbTowardsThePointerButNeverPastIt)
{
    RCPtr<LSlider> slider = NewSlider({0, 30}, {100, 30});
    // A thumb drag held at (15, 15) first: its grab has nothing to do with later steps.
    DragThumb(slider, {15, 15}, {30, 30});
    slider->SetNormalizedValue(0);
    ASSERT_EQ(ThumbAt(slider).x, 0);

    // The pointer at (65, 40) stands for the thumb's centre: the target is 0.55.
    Move(65, 40);
    Press(65, 40);
    struct Tick
    {
        Milliseconds elapsed;
        double value;
    };
    const Tick ticks[] = {
        {200, 0.0}, {110, 0.1},                                       // the first step after 0.3 s
        {50, 0.1},  {55, 0.2},                                        // then one every 0.1 s
        {105, 0.3}, {105, 0.4}, {105, 0.5}, {105, 0.55}, {105, 0.55}, // at the target, not past it
    };
    for (const Tick& tick : ticks)
    {
        Idle(tick.elapsed);
        EXPECT_NEAR(slider->GetNormalizedValue(), tick.value, 1e-9) << "at " << gNow;
        EXPECT_EQ(ThumbAt(slider).x, std::round(tick.value * 100)) << "at " << gNow;
    }
    Release(65, 40); // the release's click steps once more: already there
    EXPECT_NEAR(slider->GetNormalizedValue(), 0.55, 1e-9);
    EXPECT_EQ(slider->GetIdleCount(), 0);
    Idle(500);
    EXPECT_NEAR(slider->GetNormalizedValue(), 0.55, 1e-9);

    // A quick click behind the thumb steps back once.
    Move(5, 40);
    Press(5, 40);
    Release(5, 40);
    EXPECT_NEAR(slider->GetNormalizedValue(), 0.45, 1e-9);
}

TEST_F(Slider, ArrowKeysAndWheelStepsMoveTheValueByOneUnitInSeries)
{
    RCPtr<LSlider> slider = NewSlider({0, 30}, {127, 30});
    mRecorder->Listen(RCPtr<LNotificationDistributor>(slider), u"NID_VALUE_CHANGE");
    ASSERT_EQ(slider->GetThumb()->SetFocus(true), S_OK);
    const std::string down = "slider NID_VALUE_CHANGE_KEY_DOWN";
    const std::string up = "slider NID_VALUE_CHANGE_KEY_UP";
    const std::string change = "slider NID_VALUE_CHANGE";
    struct Step
    {
        uint32_t key; // 0: a wheel step in the direction given
        int wheel;
        double mapped;
        std::vector<std::string> sent;
    };
    const Step steps[] = {
        {kRight, 0, 1, {down, change}},
        {kRight, 0, 2, {change}}, // held: the series goes on
        {kUp, 0, 3, {change}},
        {kRight & ~kReleased, 0, 3, {up}},
        {kLeft, 0, 2, {down, change}},
        {kDown, 0, 1, {change}},
        {kDown, 0, 0, {change}},
        {kDown, 0, 0, {}}, // at the bottom of the range
        {kDown & ~kReleased, 0, 0, {up}},
        {kRight | KeyCode::kShift, 0, 0, {}}, // not an arrow key of the slider's
        {0, kWheelVerticalPositive, 1, {change}},
        {0, kWheelVerticalNegative, 0, {change}},
        {0, kWheelHorizontalPositive, 1, {change}},
        {kUp, 0, 2, {down, change}},
    };
    int index = 0;
    for (const Step& step : steps)
    {
        if (step.key)
            Key(step.key);
        else
            mWindow->OnMouseWheel({50, 50}, 0, step.wheel);
        EXPECT_NEAR(slider->NormalizedToValue(slider->GetNormalizedValue()), step.mapped, 1e-9)
            << "step " << index;
        EXPECT_EQ(ThumbAt(slider).x, step.mapped) << "step " << index;
        EXPECT_EQ(TakeLog(), step.sent) << "step " << index;
        ++index;
    }
    // The focus leaving in the middle of a series ends it.
    RCPtr<LButton> other = Make<LButton>(RCPtr<LControl>(mRoot), u"other", 150, 0, 20, 20);
    other->SetNotFocusable(false);
    other->SetFocus(true);
    ASSERT_TRUE(other->HasFocus());
    EXPECT_EQ(TakeLog(), std::vector<std::string>{up});
}

TEST_F(Slider, ASliderWithoutATrackTakesValuesButNeverDividesByItsLength)
{
    // Both markers at one point: the thumb stays there whatever is dragged or held.
    RCPtr<LSlider> point = NewSlider({40, 30}, {40, 30});
    DragThumb(point, {5, 5}, {90, 60});
    EXPECT_EQ(point->GetNormalizedValue(), 0);
    EXPECT_EQ(ThumbAt(point).x, 40);
    Move(120, 80);
    Press(120, 80);
    Idle(400);
    Release(120, 80);
    EXPECT_EQ(point->GetNormalizedValue(), 0);
    point->SetNormalizedValue(0.5);
    EXPECT_EQ(ThumbAt(point).x, 40);
    point->RemoveFromTree();

    // No markers: no thumb, but the wheel still moves the value.
    RCPtr<LSlider> bare = NewSlider({}, {}, false);
    EXPECT_FALSE(bare->GetThumb());
    mWindow->OnMouseWheel({50, 50}, 0, kWheelVerticalPositive);
    EXPECT_NEAR(bare->GetNormalizedValue(), 1.0 / 127, 1e-12);
    Move(100, 50);
    Press(100, 50);
    Idle(400);
    Release(100, 50);
    EXPECT_NEAR(bare->GetNormalizedValue(), 1.0 / 127, 1e-12);
}

TEST_F(Slider, AChildWithoutDescriptorIsAdoptedOnlyAsTheThumb)
{
    RCPtr<LSlider> slider = NewSlider({0, 30}, {100, 30});
    RCPtr<LControl> stray = Make<LControl>(RCPtr<LControl>(mRoot), u"stray", 0, 0, 5, 5);
    EXPECT_EQ(slider->AdoptChild(stray, nullptr), E_FAIL);
    EXPECT_EQ(stray->GetParent(), RCPtr<LControl>(mRoot));

    RCPtr<LControl> thumb = slider->GetThumb();
    ASSERT_EQ(thumb->SetParent(RCPtr<LControl>(mRoot)), S_OK);
    thumb->SetVisible(false);
    EXPECT_EQ(slider->AdoptChild(thumb, nullptr), S_OK);
    EXPECT_EQ(thumb->GetParent(), RCPtr<LControl>(slider));
    EXPECT_TRUE(thumb->GetLayout()->mIsVisible);
    EXPECT_EQ(thumb->GetRect().width, 20);
}

TEST_F(Slider, ANewSkinKeepsTheThumbShapedLikeItsNewStartMarker)
{
    RCPtr<LSlider> slider = NewSlider({0, 30}, {100, 30});
    slider->SetNormalizedValue(0.5);
    const RCPtr<LControl> thumb = slider->GetThumb();
    ASSERT_EQ(ThumbAt(slider), (PointT<double>{50, 30}));

    ASSERT_EQ(slider->ApplyDescriptor(Skin({0, 40}, {120, 40}, true, 30)), S_OK);
    EXPECT_EQ(slider->GetThumb(), thumb);
    EXPECT_EQ(thumb->GetParent(), RCPtr<LControl>(slider));
    EXPECT_TRUE(thumb->IsShown(false));
    EXPECT_EQ(thumb->GetRect().width, 30);
    EXPECT_EQ(ThumbAt(slider), (PointT<double>{60, 40}));

    // It still drags the value.
    Move(65, 45);
    Press(65, 45);
    Move(125, 45);
    Release(125, 45);
    EXPECT_EQ(slider->GetNormalizedValue(), 1.0);
}

} // namespace
