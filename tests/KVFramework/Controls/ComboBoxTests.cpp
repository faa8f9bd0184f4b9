#include "Controls/ComboBox.h"

#include "Controls/ListBox.h"
#include "Controls/TextBox.h"
#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

constexpr uint32_t kDown = 0x20280000;
constexpr uint32_t kEnter = 0x200D0000;
constexpr uint32_t kEscape = 0x201B0000;

std::vector<RCPtr<LLookDescriptor>> Looks(uint32_t count, bool text = false)
{
    std::vector<RCPtr<LLookDescriptor>> looks;
    for (uint32_t i = 0; i < count; ++i)
        looks.push_back(text ? TextLook(0xFF000000u | i) : ColourLook(0xFF000000u | i));
    return looks;
}

class ComboBox : public ControlHarness
{
public:
    // A field at (10, y), 80 x h in the 200 x 100 window, whose list's rows are 20 high;
    // skinMax: the list's maximum height in the skin (0: none); editable: with a text box;
    // textLooks: the field's looks show its text.
    RCPtr<LComboBox> NewCombo(double y, double h = 20, double skinMax = 0, bool editable = false,
                              bool textLooks = false)
    {
        RCPtr<LControlDescriptor> combo =
            Describe(u"Framework.ComboBox", u"combo", 10, y, 80, h, Looks(7, textLooks));
        RCPtr<LControlDescriptor> list = Describe(u"Framework.ListBox", u"listBox", 0, 0, 80, 100, Looks(3));
        list->mLayout->mClipToParent = false;
        list->mLayout->mYMaxSize.mAbs = skinMax;
        RCPtr<LControlDescriptor> row =
            Describe(u"Framework.ListBoxItem", u"templateItem", 0, 0, 0, 20, Looks(14));
        row->mLayout->mXSize = {SizeReference::Client, String(), 1.0f, 0};
        list->AddChild(row);
        combo->AddChild(list);
        if (editable)
            combo->AddChild(Describe(u"Framework.TextBox", u"textBox", 0, 0, 60, h, Looks(12, true)));
        RCPtr<LComboBox> control = Create<LComboBox>(combo, RCPtr<LControl>(mRoot));
        for (const char16_t* id :
             {u"NID_SELECTION_CHANGE", u"NID_DROPDOWN_OPENING", u"NID_TEXTBOX_VALIDATED"})
            mRecorder->Listen(RCPtr<LNotificationDistributor>(control), id);
        return control;
    }
    static void Fill(LComboBox& combo, std::initializer_list<const char16_t*> texts)
    {
        for (const char16_t* text : texts)
            combo.AddItem(String(text));
    }
};

TEST_F(ComboBox, TheListOpensWhereTheWindowHasRoom)
{
    ASSERT_EQ(mWindow->GetClientSize().height, 100);
    const struct
    {
        double y, h;
        int32_t items;
        double skinMax;
        bool down;
        double height;
    } cases[] = {
        {5, 20, 3, 0, true, 60},   // 70 free below
        {75, 20, 3, 0, false, 60}, // none below, 70 above
        {5, 20, 10, 0, true, 60},  // more rows than room: whole rows within the 70 below
        {5, 20, 10, 40, true, 40}, // the skin's maximum
        {0, 100, 3, 0, true, 20},  // a field as high as the window: still one row, never less
        {40, 60, 3, 0, false, 20}, // no room on either side
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.y << " " << c.items);
        RCPtr<LComboBox> combo = NewCombo(c.y, c.h, c.skinMax);
        for (int32_t i = 0; i < c.items; ++i)
            combo->AddItem(String(u"row"));
        EXPECT_EQ(combo->SetDropDownOpen(true), S_OK);
        const RectT<double>& list = combo->GetListBox()->GetRect();
        EXPECT_TRUE(combo->IsDropDownOpen());
        EXPECT_EQ(list.height, c.height);
        if (c.down)
            EXPECT_EQ(list.y, c.h);
        else
            EXPECT_EQ(list.y + list.height, 0);
        combo->RemoveFromTree();
    }
}

TEST_F(ComboBox, SelectionFollowsTheTextWithoutRegardToCase)
{
    RCPtr<LComboBox> combo = NewCombo(5);
    Fill(*combo, {u"a", u"b", u"b", u"item"});
    TakeLog();
    combo->SetText(String(u"b"));
    combo->SetDropDownOpen(true);
    EXPECT_EQ(combo->GetListBox()->GetSelectedIndices().GetCount(), 1u);
    EXPECT_EQ(*combo->GetListBox()->GetSelectedIndices().GetAtConst(0), 1u); // the lowest "b"
    combo->SetDropDownOpen(false);
    TakeLog();

    EXPECT_EQ(combo->SetText(String(u"ITEM")), S_OK);
    EXPECT_EQ(combo->GetSelectedIndex(), 3);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"combo NID_SELECTION_CHANGE"});
    EXPECT_EQ(combo->SetSelectedIndex(3), 3);
    EXPECT_TRUE(TakeLog().empty());
    // Inserting before the selected row keeps the same row selected.
    combo->InsertItem(0, LListBox::MakeTextData(String(u"first")));
    EXPECT_EQ(combo->GetSelectedIndex(), 4);
    EXPECT_EQ(combo->SetSelectedIndex(-1), -1);
    EXPECT_EQ(combo->GetListBox()->GetSelectedCount(), 0);
    EXPECT_TRUE(TakeLog().empty());

    combo->SetText(String(u"none"));
    combo->SetDropDownOpen(true);
    EXPECT_EQ(*combo->GetListBox()->GetSelectedIndices().GetAtConst(0), 0u);
}

TEST_F(ComboBox, AFieldThatCutsItsTextOffShowsItWholeAsItsToolTip)
{
    mMeasurer->mAdvance = 10; // the field is 80 wide: eight letters fit
    RCPtr<LComboBox> combo = NewCombo(5, 20, 0, false, true);
    Fill(*combo, {u"short", u"much too long"});
    combo->SetToolTipText(String(u"Choose one"));
    for (const auto& [row, tip] : {std::pair{0, u"Choose one"}, std::pair{1, u"much too long"}})
    {
        combo->SetSelectedIndex(row);
        EXPECT_EQ(combo->GetToolTipText(), String(tip)) << row;
    }
}

TEST_F(ComboBox, KeysOpenAndCloseTheList)
{
    RCPtr<LComboBox> combo = NewCombo(5);
    Fill(*combo, {u"a", u"b"});
    for (uint32_t opener : {kDown, kEnter})
    {
        EXPECT_EQ(combo->OnKeyDown(LKeyParam::Create(KeyCode{opener}, 1)), S_OK);
        EXPECT_TRUE(combo->IsDropDownOpen());
        EXPECT_EQ(combo->OnKeyDown(LKeyParam::Create(KeyCode{kEscape}, 1)), S_OK);
        EXPECT_FALSE(combo->IsDropDownOpen());
    }
    EXPECT_EQ(combo->OnKeyDown(LKeyParam::Create(KeyCode{kEscape}, 1)), S_FALSE);
}

TEST_F(ComboBox, APressOpensTheListAndReleasingOnARowChoosesIt)
{
    RCPtr<LComboBox> combo = NewCombo(5);
    Fill(*combo, {u"a", u"b", u"c"});
    TakeLog();
    Move(20, 10);
    Press(20, 10);
    EXPECT_TRUE(combo->IsDropDownOpen());
    EXPECT_EQ(combo->GetShownLookIndex(), LComboBox::kLookOpenHovered);
    Move(20, 25 + 30); // row 1 of the list below the field
    Release(20, 25 + 30);
    EXPECT_FALSE(combo->IsDropDownOpen());
    EXPECT_EQ(combo->GetSelectedIndex(), 1);
    EXPECT_EQ(combo->GetText(), String(u"b"));
}

TEST_F(ComboBox, AValidatedTypedTextSelectsItsRow)
{
    RCPtr<LComboBox> combo = NewCombo(5, 20, 0, true);
    Fill(*combo, {u"one", u"two"});
    TakeLog();
    RCPtr<LTextBox> box = combo->GetTextBox();
    ASSERT_TRUE(box);
    box->SetText(String(u"TWO"));
    box->Validate();
    EXPECT_EQ(combo->GetSelectedIndex(), 1);
    EXPECT_EQ(TakeLog(),
              (std::vector<std::string>{"combo NID_SELECTION_CHANGE", "combo NID_TEXTBOX_VALIDATED"}));
}

TEST_F(ComboBox, EscapeInTheOpenListClosesIt)
{
    RCPtr<LComboBox> combo = NewCombo(5);
    Fill(*combo, {u"a", u"b"});
    Key(kDown);
    ASSERT_TRUE(combo->IsDropDownOpen());
    EXPECT_TRUE(combo->GetListBox()->HasFocus());
    Key(kEscape);
    EXPECT_FALSE(combo->IsDropDownOpen());
    EXPECT_EQ(combo->GetShownLookIndex(), LComboBox::kLookFocused);
}

} // namespace
