#include "Controls/Button.h"
#include "Controls/Knob.h"

#include "ControlsTestSupport.h"

#include <utility>

using namespace controltest;

namespace {

constexpr uint32_t kRight = 0x20270000;
constexpr uint32_t kCtrlModifier = 0x01;

class Knob : public ControlHarness
{
public:
    // A knob 40 x 40 at (0, 60) with a film strip of strip looks, then, when asked, an
    // empty entry, a focus overlay and a disabled overlay; the create parameters given.
    RCPtr<LKnob> NewKnob(int strip,
                         const std::vector<std::pair<const char16_t*, const char16_t*>>& params = {},
                         bool overlays = false)
    {
        std::vector<RCPtr<LLookDescriptor>> looks;
        for (int i = 0; i < strip; ++i)
            looks.push_back(ColourLook(0xFF000000u | static_cast<uint32_t>(i)));
        if (overlays)
        {
            looks.push_back(nullptr);
            looks.push_back(ColourLook(0xFF00FF00));
            looks.push_back(ColourLook(0xFF808080));
        }
        RCPtr<LControlDescriptor> knob = Describe(u"Framework.Knob", u"knob", 0, 60, 40, 40, looks);
        if (!params.empty())
        {
            RCPtr<LStringTable> table = LStringTable::Create();
            for (const auto& [key, text] : params)
                table->SetString(String(key), String(text));
            knob->SetCreateParams(table);
        }
        return Create<LKnob>(knob, RCPtr<LControl>(mRoot));
    }
    // Presses at from (root coordinates) and moves the pointer along the path, Ctrl held as
    // asked; the button stays down.
    void Drag(PointT<int32_t> from, const std::vector<PointT<int32_t>>& path, uint32_t modifiers = 0)
    {
        Move(from.x, from.y);
        Press(from.x, from.y);
        for (const PointT<int32_t>& point : path)
        {
            mOS.mCursorPos = point;
            mWindow->OnMouseMove(point, modifiers);
        }
    }
};

TEST_F(Knob, TheRadialGestureFollowsThePointersAngleAndSnapsInTheDeadZoneToTheNearerEnd)
{
    RCPtr<LKnob> knob =
        NewKnob(8, {{u"RADIAL_GESTURE_START_ANGLE", u"225"}, {u"RADIAL_GESTURE_END_ANGLE", u"135"}});
    ASSERT_EQ(knob->GetGestureMode(), LKnob::kRadialGesture);
    struct Case
    {
        PointT<int32_t> point; // the knob's coordinates; its centre is (20, 20)
        double value;
    };
    const Case cases[] = {
        {{20, 5}, 0.5},                        // straight up, 0 degrees
        {{35, 20}, 225.0 / 270},               // 90 degrees
        {{5, 20}, 45.0 / 270},                 // 270 degrees
        {{14, 5}, (360.0 - 21.8 - 225) / 270}, // a little left of up
        {{23, 35}, 1.0},                       // 168.7 degrees: in the dead zone, nearer the end
        {{15, 34}, 0.0},                       // 199.7 degrees: nearer the start
        {{20, 35}, 1.0},                       // 180 degrees, the middle of the dead zone
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(knob->RadialGesture(c.point), S_OK);
        EXPECT_NEAR(knob->GetNormalizedValue(), c.value, 1e-3) << c.point.x << "," << c.point.y;
        EXPECT_EQ(knob->GetShownLookIndex(), static_cast<int32_t>(RoundHalfAwayFromZero(c.value * 7)));
    }
    EXPECT_EQ(knob->RadialGesture({20, 20}), S_FALSE); // the centre has no angle
    EXPECT_EQ(knob->GetNormalizedValue(), 1.0);

    // Dragged: the value follows from the press on; a value given meanwhile waits.
    mRecorder->Listen(RCPtr<LNotificationDistributor>(knob), u"NID_VALUE_CHANGE_CAPTURE");
    Drag({35, 80}, {{36, 80}, {20, 65}});
    EXPECT_DOUBLE_EQ(knob->GetNormalizedValue(), 0.5);
    knob->SetNormalizedValue(0.1);
    EXPECT_DOUBLE_EQ(knob->GetNormalizedValue(), 0.5);
    Release(20, 65);
    EXPECT_DOUBLE_EQ(knob->GetNormalizedValue(), 0.1);
    EXPECT_EQ(TakeLog(),
              (std::vector<std::string>{"knob NID_VALUE_CHANGE_CAPTURE", "knob NID_VALUE_CHANGE_CAPTURE"}));
}

TEST_F(Knob, TheLinearGestureRaisesTheValueRightAndUpWithFineStepsUnderCtrl)
{
    struct Case
    {
        const char* what;
        std::vector<PointT<int32_t>> path; // pressed at (10, 70)
        uint32_t modifiers;
        double value;
    };
    const Case cases[] = {
        {"127 px right: the whole range of a 64-look strip", {{137, 70}}, 0, 1.0},
        {"63 px up", {{10, 7}}, 0, 63.0 / 127},
        {"left and down stay at 0", {{0, 90}}, 0, 0.0},
        {"Ctrl: a quarter, in steps of 1 / 511", {{137, 70}}, kCtrlModifier, 128.0 / 511},
        {"a diagonal move keeps to the axis of travel", {{15, 71}, {18, 75}}, 0, 7.0 / 127},
    };
    for (const Case& c : cases)
    {
        RCPtr<LKnob> knob = NewKnob(64);
        ASSERT_EQ(knob->GetLinearFullRange(), 128);
        Drag({10, 70}, c.path, c.modifiers);
        EXPECT_NEAR(knob->GetNormalizedValue(), c.value, 1e-12) << c.what;
        Release(c.path.back().x, c.path.back().y);
        knob->RemoveFromTree();
    }
}

TEST_F(Knob, OddSettingsAndLooksAreGuarded)
{
    struct Case
    {
        int strip;
        std::vector<std::pair<const char16_t*, const char16_t*>> params;
        int32_t range;
        double fine;
    };
    const Case cases[] = {
        {10, {}, 130, 0.25}, // round(12.8) x 10
        {0, {}, 128, 0.25},  // no strip: taken as one look
        {8, {{u"LINEAR_GESTURE_FULL_RANGE", u"1"}, {u"FINE_ADJUST_MULTIPLIER", u"0"}}, 2, 0.25},
        {8, {{u"LINEAR_GESTURE_FULL_RANGE", u"300"}, {u"FINE_ADJUST_MULTIPLIER", u"-2"}}, 300, 0.25},
        {8, {{u"FINE_ADJUST_MULTIPLIER", u"0.5"}}, 128, 0.5},
    };
    for (const Case& c : cases)
    {
        RCPtr<LKnob> knob = NewKnob(c.strip, c.params);
        EXPECT_EQ(knob->GetLinearFullRange(), c.range) << c.strip;
        EXPECT_EQ(knob->GetFineAdjust(), c.fine) << c.strip;
        knob->SetNormalizedValue(0.5);
        knob->RemoveFromTree();
    }
    // A range of 2 pixels: one pixel is the whole range, without dividing by nothing.
    RCPtr<LKnob> tiny = NewKnob(8, {{u"LINEAR_GESTURE_FULL_RANGE", u"1"}});
    Drag({10, 70}, {{11, 70}, {12, 70}}, kCtrlModifier);
    EXPECT_NEAR(tiny->GetNormalizedValue(), 4.0 / 7, 1e-12); // 1.75 and 3.75 steps of 7, rounded
    Release(12, 70);
    tiny->RemoveFromTree();
    // No looks at all: the value changes with no look to show.
    RCPtr<LKnob> bare = NewKnob(0);
    bare->SetNormalizedValue(0.7);
    EXPECT_EQ(bare->GetLookCount(), 0);
    EXPECT_EQ(bare->GetNormalizedValue(), 0.7);
}

TEST_F(Knob, FocusAndDisabledOverlaysAndArrowKeys)
{
    RCPtr<LButton> other = Make<LButton>(RCPtr<LControl>(mRoot), u"other", 150, 0, 20, 20);
    other->SetNotFocusable(false);
    RCPtr<LKnob> knob = NewKnob(3, {}, true);
    other->SetFocus(true);
    ASSERT_FALSE(knob->HasFocus());
    mRecorder->Listen(RCPtr<LNotificationDistributor>(knob), u"NID_VALUE_CHANGE_KEY_DOWN");
    mRecorder->Listen(RCPtr<LNotificationDistributor>(knob), u"NID_VALUE_CHANGE_KEY_UP");
    EXPECT_EQ(knob->GetValueLookCount(), 3u);
    const PointT<double> inside{5, 5};
    const uint32_t plain = knob->GetColorAtPoint(inside, 1);
    const uint32_t focus = knob->GetColorAtPoint(inside, 4);
    const uint32_t disabled = knob->GetColorAtPoint(inside, 5);
    ASSERT_NE(plain, focus);

    knob->SetNotFocusable(false);
    knob->SetFocus(true);
    ASSERT_TRUE(knob->HasFocus());
    for (int32_t look = 0; look < 3; ++look)
        EXPECT_EQ(knob->GetColorAtPoint(inside, look), focus) << look;
    Key(kRight);
    Key(kRight);
    EXPECT_NEAR(knob->NormalizedToValue(knob->GetNormalizedValue()), 2, 1e-9);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"knob NID_VALUE_CHANGE_KEY_DOWN"});

    // The focus leaving ends the series and the overlay.
    other->SetFocus(true);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"knob NID_VALUE_CHANGE_KEY_UP"});
    EXPECT_EQ(knob->GetColorAtPoint(inside, 1), plain);

    knob->SetEnabled(false);
    EXPECT_EQ(knob->GetColorAtPoint(inside, 2), disabled);
    knob->SetEnabled(true);
    EXPECT_NE(knob->GetColorAtPoint(inside, 2), disabled);

    // Without overlays, focus and enabling leave the strip as it is.
    RCPtr<LKnob> strip = NewKnob(3);
    const uint32_t before = strip->GetColorAtPoint(inside, 0);
    strip->SetNotFocusable(false);
    strip->SetFocus(true);
    strip->SetEnabled(false);
    EXPECT_EQ(strip->GetColorAtPoint(inside, 0), before);
}

} // namespace
