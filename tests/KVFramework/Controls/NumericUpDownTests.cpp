#include "Controls/NumericUpDown.h"

#include "Controls/Button.h"
#include "Controls/TextBox.h"
#include "ControlsTestSupport.h"
#include "System/Clipboard.h"

#include <limits>

using namespace controltest;

namespace {

constexpr uint32_t kUp = 0x20260000;
constexpr uint32_t kDown = 0x20280000;
constexpr uint32_t kEnter = 0x200D0000;

class NumericUpDown : public ControlHarness
{
public:
    // A field at (10, 10), 80 x 20: the text box on the left, the two buttons on the right;
    // its range min..max, its value given.
    RCPtr<LNumericUpDown> NewField(double min, double max, double value)
    {
        std::vector<RCPtr<LLookDescriptor>> boxLooks;
        for (uint32_t i = 0; i < 12; ++i)
            boxLooks.push_back(TextLook(0xFF000000u | i));
        std::vector<RCPtr<LLookDescriptor>> buttonLooks;
        for (uint32_t i = 0; i < 14; ++i)
            buttonLooks.push_back(ColourLook(0xFF000000u | i));
        RCPtr<LControlDescriptor> field = Describe(u"Framework.NumericUpDown", u"field", 10, 10, 80, 20);
        field->AddChild(Describe(u"Framework.TextBox", u"textBox", 0, 0, 60, 20, boxLooks));
        field->AddChild(Describe(u"Framework.Button", u"buttonUp", 60, 0, 20, 10, buttonLooks));
        field->AddChild(Describe(u"Framework.Button", u"buttonDown", 60, 10, 20, 10, buttonLooks));
        RCPtr<LNumericUpDown> control = Create<LNumericUpDown>(field, RCPtr<LControl>(mRoot));
        control->SetValueRange(min, max, 0);
        control->SetNormalizedValue(control->ValueToNormalized(value));
        return control;
    }
    // Types the text over the whole text of the field's box, then confirms it with Enter.
    void Type(const RCPtr<LNumericUpDown>& field, const char16_t* text)
    {
        field->GetTextBox()->SetFocus(true);
        field->GetTextBox()->SelectChars(0, -1);
        for (const char16_t* c = text; *c; ++c)
            Key(*c);
        Key(kEnter);
    }
    // Holds a button down for the time given.
    void Hold(const RCPtr<LButton>& button, Milliseconds time)
    {
        const PointT<double> at = button->GetRootPosition();
        Move(int32_t(at.x) + 5, int32_t(at.y) + 5);
        Press(int32_t(at.x) + 5, int32_t(at.y) + 5);
        Idle(time);
        Release(int32_t(at.x) + 5, int32_t(at.y) + 5);
    }
    RCPtr<LButton> Child(const RCPtr<LNumericUpDown>& field, const char16_t* name)
    {
        return RCPtr<LButton>::DynamicCastFrom(field->FindChild(String(name)));
    }
};

TEST_F(NumericUpDown, TypedNumbersAreClampedOrKept)
{
    const struct
    {
        double min, max, value;
        const char16_t* typed;
        double expectedValue;
        const char16_t* expectedText;
    } cases[] = {
        {0, 10, 5, u"15", 10, u"10"},   // beyond the end: the end
        {0, 10, 7, u"007", 7, u"007"},  // the same value inside the range: as typed
        {0, 10, 10, u"010", 10, u"10"}, // the same value at an end: formatted
        {0, 10, 5, u"3", 3, u"3"},      //
        {-5, 5, 0, u"-3", -3, u"-3"},   // a minus sign where the range reaches below 0
        {0, 5, 2, u"-3", 3, u"3"},      // and none where it does not
        {0, 10, 4, u"1x2", 10, u"10"},  // letters are not typed: "12", clamped
    };
    for (const auto& c : cases)
    {
        RCPtr<LNumericUpDown> field = NewField(c.min, c.max, c.value);
        Type(field, c.typed);
        EXPECT_EQ(field->GetValue(), c.expectedValue) << Narrow(c.typed);
        EXPECT_EQ(field->GetTextBox()->GetText(), String(c.expectedText)) << Narrow(c.typed);
        field->RemoveFromTree();
    }
}

TEST_F(NumericUpDown, ButtonsAndArrowKeysStepTheValueWithinTheRange)
{
    RCPtr<LNumericUpDown> field = NewField(0, 10, 9);
    EXPECT_EQ(field->GetTextBox()->GetText(), String(u"9"));
    Hold(Child(field, u"buttonUp"), 1000); // many repeats: stops at the end
    EXPECT_EQ(field->GetValue(), 10);
    EXPECT_EQ(field->GetTextBox()->GetText(), String(u"10"));

    field->GetTextBox()->SetFocus(true);
    Key(kDown);
    Idle(200); // the simulated press ends with its step
    EXPECT_EQ(field->GetValue(), 9);
    Key(kUp);
    Idle(200);
    EXPECT_EQ(field->GetValue(), 10);
    EXPECT_TRUE(field->GetTextBox()->HasFocus());
}

TEST_F(NumericUpDown, NumbersThatAreNotFiniteAreRefused)
{
    RCPtr<LNumericUpDown> field = NewField(0, 10, 4);
    EXPECT_EQ(field->SetText(String(u"nan")), E_INVALIDARG);
    EXPECT_EQ(field->SetText(String(u"inf")), E_INVALIDARG);
    EXPECT_EQ(field->SetValueRange(0, std::numeric_limits<double>::infinity(), 0), E_INVALIDARG);
    EXPECT_EQ(field->GetValue(), 4);
    EXPECT_EQ(field->SetText(String(u"6")), S_OK);
    EXPECT_EQ(field->GetValue(), 6);

    // Pasted text keeps only the digits: "nan" leaves nothing to paste.
    RCPtr<LTextBox> box = field->GetTextBox();
    box->SetFocus(true);
    mClipboard->SetOutsideText("nan");
    EXPECT_EQ(box->PerformEdit(kEditPaste), E_FAIL);
    EXPECT_EQ(box->GetText(), String(u"6"));
    mClipboard->SetOutsideText("-1e9");
    box->SelectChars(0, -1);
    EXPECT_EQ(box->PerformEdit(kEditPaste), S_OK);
    EXPECT_EQ(box->GetText(), String(u"19"));

    // A text made elsewhere that reads as no finite number keeps the value.
    box->SetText(String(u"1e999"));
    EXPECT_TRUE(box->CanReleaseFocus());
    EXPECT_EQ(field->GetValue(), 6);
    EXPECT_EQ(box->GetText(), String(u"6"));
}

TEST_F(NumericUpDown, AnApplicationHotKeyStillWorksInsideTheField)
{
    RCPtr<LNumericUpDown> field = NewField(0, 10, 4);
    KeyCodeTable& keys = mApp->GetHotKeyManager()->GetKeyCodeTable();
    keys.AddKeyCode(KeyCode::FromVirtualKey(0x74, true, 0, 0), u"NID_REFRESH"); // F5
    mRecorder->Listen(RCPtr<LNotificationDistributor>(mApp->GetDefaultCenter()), u"NID_REFRESH");
    field->GetTextBox()->SetFocus(true);
    Key(0x20740000);
    mApp->ProcessNotificationQueues(false);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"NID_REFRESH"});
}

} // namespace
