#include "Controls/ComboSlider.h"
#include "Controls/Slider.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

class ComboSlider : public ControlHarness
{
public:
    // A field 60 x 20 at (x, 0) whose panel (150 x 40, placed at (0, 20) of the field) holds
    // a slider with a track from (0, 10) to (127, 10); without the panel when asked.
    RCPtr<LComboSlider> NewField(double x, bool withPanel = true)
    {
        RCPtr<LControlDescriptor> field =
            Describe(u"Framework.ComboSlider", u"field", x, 0, 60, 20, {ColourLook(0xFF101010)});
        if (withPanel)
        {
            RCPtr<LControlDescriptor> panel =
                Describe(u"Framework.ComboSlider.DropDownPanel", u"dropDownPanel", 0, 20, 150, 40,
                         {ColourLook(0xFF202020)});
            panel->mLayout->mClipToParent = false;
            RCPtr<LControlDescriptor> slider = Describe(u"Framework.Slider", u"slider", 0, 0, 150, 40);
            slider->AddChild(
                Describe(u"Framework.Button", u"thumbStart", 0, 10, 10, 10, {ColourLook(0xFFFFFFFF)}));
            slider->AddChild(Describe(u"Framework.Panel", u"thumbEnd", 127, 10, 10, 10));
            panel->AddChild(slider);
            field->AddChild(panel);
        }
        RCPtr<LComboSlider> made = Create<LComboSlider>(field, RCPtr<LControl>(mRoot));
        made->SetValueRange(0, 127, 0);
        made->SetNotFocusable(false); // as a skin with a tab stop makes it
        return made;
    }
    static RCPtr<LSlider> SliderOf(const RCPtr<LComboSlider>& field)
    {
        return RCPtr<LSlider>::DynamicCastFrom(
            field->FindChild(String(u"dropDownPanel"))->FindChild(String(u"slider")));
    }
};

TEST_F(ComboSlider, TheFieldAndItsSliderMirrorEachOtherOnceAChange)
{
    RCPtr<LComboSlider> field = NewField(10);
    RCPtr<LSlider> slider = SliderOf(field);
    ASSERT_TRUE(slider);
    mRecorder->Listen(RCPtr<LNotificationDistributor>(field), u"NID_VALUE_CHANGE");
    mRecorder->Listen(RCPtr<LNotificationDistributor>(slider), u"NID_VALUE_CHANGE");
    const std::vector<std::string> both{"slider NID_VALUE_CHANGE", "field NID_VALUE_CHANGE"};

    // Set on the field: the slider moves.
    field->SetNormalizedValue(0.25);
    EXPECT_EQ(slider->GetNormalizedValue(), 0.25);
    EXPECT_EQ(Narrow(field->GetText().GetText()), "32"); // 31.75 as a whole number
    EXPECT_EQ(TakeLog(), both);
    field->SetNormalizedValue(0.25);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{});

    // Set on the slider: the field follows.
    slider->SetNormalizedValue(1.0);
    EXPECT_EQ(field->GetNormalizedValue(), 1.0);
    EXPECT_EQ(Narrow(field->GetText().GetText()), "127");
    EXPECT_EQ(TakeLog(), both);

    // The slider's thumb dragged in the open panel: one change each per move.
    Move(15, 10);
    Press(15, 10);
    Release(15, 10);
    ASSERT_TRUE(field->IsDropDownOpen());
    slider->SetNormalizedValue(0);
    TakeLog();
    Move(15, 35);
    Press(15, 35); // the thumb at (10, 30) in the root
    Move(79, 35);
    Release(79, 35);
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 64.0 / 127);
    EXPECT_DOUBLE_EQ(field->GetNormalizedValue(), 64.0 / 127);
    EXPECT_EQ(Narrow(field->GetText().GetText()), "64");
    EXPECT_EQ(TakeLog(), both);
    EXPECT_TRUE(field->IsDropDownOpen()); // a press inside the panel leaves it open
}

TEST_F(ComboSlider, TheFocusedFieldHandsTheArrowKeysToItsSlider)
{
    RCPtr<LComboSlider> field = NewField(10);
    RCPtr<LSlider> slider = SliderOf(field);
    ASSERT_TRUE(slider);
    mRecorder->Listen(RCPtr<LNotificationDistributor>(slider), u"NID_VALUE_CHANGE_KEY_DOWN");
    mRecorder->Listen(RCPtr<LNotificationDistributor>(slider), u"NID_VALUE_CHANGE_KEY_UP");
    Move(15, 10);
    Press(15, 10);
    Release(15, 10);
    ASSERT_TRUE(field->IsDropDownOpen());
    ASSERT_TRUE(field->HasFocus());
    field->SetNormalizedValue(0);
    const uint32_t right = 0x20270000;
    const uint32_t rightUp = 0x00270000;
    for (uint32_t code : {right, right, rightUp})
        mWindow->OnKey(LKeyParam::Create(KeyCode{code}, 1));
    EXPECT_EQ(Narrow(field->GetText().GetText()), "2"); // two units up
    EXPECT_EQ(slider->GetNormalizedValue(), field->GetNormalizedValue());
    EXPECT_EQ(TakeLog(), (std::vector<std::string>{"slider NID_VALUE_CHANGE_KEY_DOWN",
                                                   "slider NID_VALUE_CHANGE_KEY_UP"}));
    // A modified arrow is not the slider's.
    mWindow->OnKey(LKeyParam::Create(KeyCode{right | KeyCode::kShift}, 1));
    EXPECT_EQ(Narrow(field->GetText().GetText()), "2");
}

TEST_F(ComboSlider, APressTogglesThePanelWhichEndsInsideTheWindow)
{
    struct Case
    {
        double fieldX;
        double panelX; // in the field's coordinates, once open
    };
    // The root is 200 wide, the panel 150.
    const Case cases[] = {{10, 0}, {100, -50}, {50, 0}};
    for (const Case& c : cases)
    {
        RCPtr<LComboSlider> field = NewField(c.fieldX);
        const RCPtr<LControl> panel = field->FindChild(String(u"dropDownPanel"));
        EXPECT_FALSE(field->IsDropDownOpen());
        const int32_t x = static_cast<int32_t>(c.fieldX) + 5;
        Move(x, 10);
        Press(x, 10);
        Release(x, 10);
        EXPECT_TRUE(field->IsDropDownOpen()) << c.fieldX;
        EXPECT_EQ(panel->GetRect().x, c.panelX) << c.fieldX;
        EXPECT_EQ(field->GetShownLookIndex(), 0); // the field has one look: 5 falls back
        Press(x, 10);
        Release(x, 10);
        EXPECT_FALSE(field->IsDropDownOpen()) << c.fieldX;
        field->RemoveFromTree();
    }
    // Without a panel there is nothing to open, but values still show.
    RCPtr<LComboSlider> bare = NewField(10, false);
    EXPECT_EQ(bare->SetDropDownOpen(true), E_FAIL);
    bare->SetNormalizedValue(0.5);
    EXPECT_EQ(Narrow(bare->GetText().GetText()), "64");
}

} // namespace
