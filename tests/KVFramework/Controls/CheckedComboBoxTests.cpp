#include "Controls/CheckedComboBox.h"

#include "CheckedListSkin.h"

using namespace controltest;

namespace {

class CheckedCombo : public ControlHarness
{
public:
    // A field at (10, 5), 80 x 20, of fourteen looks, with a 16 x 16 check box of its own
    // and a list of that class (rows of 20) below it; initialIndex: the row its create
    // parameters select first (none: the first row).
    RCPtr<LCheckedComboBox> NewCombo(const char16_t* className, const char16_t* listClass, bool icons,
                                     const char16_t* initialIndex = nullptr)
    {
        RCPtr<LControlDescriptor> combo = Describe(className, u"combo", 10, 5, 80, 20, ColourLooks(14));
        if (initialIndex)
            combo->mCreateParams =
                LStringTable::Create({{String(u"INITIAL_SELECTED_INDEX"), String(initialIndex)}});
        RCPtr<LControlDescriptor> list = DescribeCheckedList(listClass, u"listBox", 0, 0, 80, 60, icons);
        list->mLayout->mClipToParent = false;
        combo->AddChild(list);
        combo->AddChild(Describe(u"Framework.Button", u"checkBox", 2, 2, 16, 16, ColourLooks(14)));
        RCPtr<LCheckedComboBox> created = Create<LCheckedComboBox>(combo, RCPtr<LControl>(mRoot));
        mRecorder->Listen(RCPtr<LNotificationDistributor>(created), u"NID_ITEM_CHECK_CHANGE");
        for (const char16_t* text : {u"one", u"two", u"three"})
            created->AddItem(String(text));
        return created;
    }
    RCPtr<LCheckedComboBox> NewCheckedCombo()
    {
        return NewCombo(u"Framework.CheckedComboBox", u"Framework.CheckedListBox", false);
    }
    // The image each look of the field's check box shows over its own.
    static std::vector<const LBitmap*> ImagesOf(LButton& checkBox)
    {
        std::vector<const LBitmap*> images;
        for (int32_t look = 0; look < checkBox.GetLookCount(); ++look)
        {
            const RCPtr<LVisualPart>& part = checkBox.GetLook(look)->GetOverridePart();
            images.push_back(part ? part->GetBitmap().Get() : nullptr);
        }
        return images;
    }
};

TEST_F(CheckedCombo, TheFirstCheckAndTheLastUncheckSwitchTheFieldsLooks)
{
    RCPtr<LCheckedComboBox> combo = NewCheckedCombo();
    LCheckedListBox& list = *combo->GetCheckedListBox();
    // The field has the focus, the only control that takes it.
    ASSERT_EQ(combo->GetShownLookIndex(), LComboBox::kLookFocused);
    TakeLog();
    // A click on a row's check box toggles it; the list tells the field.
    const struct
    {
        int32_t row;
        bool checked;
        int32_t look;
    } steps[] = {{0, true, 8}, {1, true, 8}, {0, false, 8}, {1, false, 1}};
    for (const auto& step : steps)
    {
        SCOPED_TRACE(testing::Message() << step.row << " " << step.checked);
        CheckBoxOf(list, step.row)->SetNormalizedValue(step.checked ? 1.0 : 0.0);
        EXPECT_EQ(list.IsItemChecked(step.row), step.checked);
        EXPECT_EQ(combo->GetShownLookIndex(), step.look);
        EXPECT_EQ(TakeLog(), std::vector<std::string>{"combo NID_ITEM_CHECK_CHANGE"});
    }
}

TEST_F(CheckedCombo, TheFieldsBoxFollowsTheFieldsLookOnlyWhenAsked)
{
    RCPtr<LCheckedComboBox> combo = NewCheckedCombo();
    const RCPtr<LButton> box = combo->GetCheckBox();
    ASSERT_TRUE(box);
    const int32_t own = box->GetShownLookIndex();
    ASSERT_NE(own, LComboBox::kLookFocused);
    combo->GetCheckedListBox()->SetItemChecked(0, true);
    EXPECT_EQ(box->GetShownLookIndex(), own); // by default the box keeps its own look

    combo->SetCheckBoxFollowsLook(true);
    EXPECT_EQ(box->GetShownLookIndex(), LComboBox::kLookFocused + LCheckedComboBox::kCheckedLookOffset);
    CheckBoxOf(*combo->GetCheckedListBox(), 0)->SetNormalizedValue(0.0); // unchecked in the list
    EXPECT_EQ(combo->GetShownLookIndex(), LComboBox::kLookFocused);
    EXPECT_EQ(box->GetShownLookIndex(), LComboBox::kLookFocused);
}

TEST_F(CheckedCombo, EveryStateHasALookWithAndWithoutACheckedRow)
{
    RCPtr<LCheckedComboBox> combo = NewCheckedCombo();
    for (const bool checked : {false, true})
    {
        SCOPED_TRACE(checked);
        combo->GetCheckedListBox()->SetItemChecked(2, checked);
        const int32_t offset = checked ? LCheckedComboBox::kCheckedLookOffset : 0;
        const std::pair<const char*, std::function<void()>> states[] = {
            {"closed", [&] { combo->SetDropDownOpen(false); }},
            {"open", [&] { combo->SetDropDownOpen(true); }},
            {"disabled", [&] { combo->SetDropDownOpen(false), combo->SetEnabled(false); }},
        };
        const int32_t looks[] = {LComboBox::kLookFocused, LComboBox::kLookOpen, LComboBox::kLookDisabled};
        for (size_t i = 0; i < std::size(states); ++i)
        {
            states[i].second();
            combo->UpdateLook();
            EXPECT_EQ(combo->GetShownLookIndex(), looks[i] + offset) << states[i].first;
        }
        combo->SetEnabled(true);
    }
}

TEST_F(CheckedCombo, TheFieldsBoxShowsTheSelectedRowsCheckAndIcon)
{
    RCPtr<LCheckedComboBox> combo =
        NewCombo(u"Framework.ComboBoxWithIcons", u"Framework.ListBoxWithIcons", true);
    LCheckedListBox& list = *combo->GetCheckedListBox();
    ASSERT_EQ(list.GetIconCount(), 2u);
    RCPtr<LButton> box = combo->GetCheckBox();
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->IsPassive()); // it shows the row and takes no clicks
    list.SetItemChecked(1, true);

    EXPECT_EQ(combo->SetSelectedIndex(1), 1);
    EXPECT_EQ(box->GetNormalizedValue(), 1.0);
    const std::vector<const LBitmap*> icon1(14, list.GetItemImage(1).Get());
    ASSERT_TRUE(icon1[0]);
    EXPECT_EQ(ImagesOf(*box), icon1);

    EXPECT_EQ(combo->SetSelectedIndex(2), 2);
    EXPECT_EQ(box->GetNormalizedValue(), 0.0);
    EXPECT_EQ(ImagesOf(*box), std::vector<const LBitmap*>(14, list.GetItemImage(0).Get())); // icons in turn

    EXPECT_EQ(combo->SetSelectedIndex(-1), -1);
    EXPECT_EQ(ImagesOf(*box), std::vector<const LBitmap*>(14, nullptr));
}

TEST_F(CheckedCombo, TheRowSelectedFirstShowsItsIconOnTheField)
{
    LoadControlTexts(
        {{"Framework.Panel|combo", "ITEM.0", "zero"}, {"Framework.Panel|combo", "ITEM.1", "one"}});
    RCPtr<LCheckedComboBox> combo =
        NewCombo(u"Framework.ComboBoxWithIcons", u"Framework.ListBoxWithIcons", true, u"1");
    EXPECT_EQ(combo->GetSelectedIndex(), 1);
    EXPECT_EQ(combo->GetText(), String(u"one"));
    const RCPtr<LBitmap> icon1 = combo->GetCheckedListBox()->GetItemImage(1);
    ASSERT_TRUE(icon1);
    EXPECT_EQ(ImagesOf(*combo->GetCheckBox()), std::vector<const LBitmap*>(14, icon1.Get()));
}

TEST_F(CheckedCombo, APlainListIsRefused)
{
    RCPtr<LControlDescriptor> combo =
        Describe(u"Framework.CheckedComboBox", u"combo", 10, 5, 80, 20, ColourLooks(14));
    RCPtr<LControlDescriptor> list = Describe(u"Framework.ListBox", u"listBox", 0, 0, 80, 60, ColourLooks(3));
    list->AddChild(Describe(u"Framework.ListBoxItem", u"templateItem", 0, 0, 80, 20, ColourLooks(14)));
    combo->AddChild(list);
    RCPtr<LCheckedComboBox> created = Create<LCheckedComboBox>(combo, RCPtr<LControl>(mRoot));
    ASSERT_TRUE(created);
    EXPECT_FALSE(created->GetCheckedListBox());
    EXPECT_EQ(created->Initialize(), E_FAIL);
}

} // namespace
