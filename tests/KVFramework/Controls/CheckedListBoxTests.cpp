#include "Controls/CheckedListBox.h"
#include "Controls/PopupMenu.h"

#include "CheckedListSkin.h"

using namespace controltest;

namespace {

class CheckedList : public ControlHarness
{
public:
    // A list at (0, 0), 100 x 100, with five rows of 20 pixels in view; each row has a
    // check box at its left.
    template <class List = LCheckedListBox> RCPtr<List> NewList(const char16_t* className, bool icons)
    {
        RCPtr<List> created = Create<List>(DescribeCheckedList(className, u"list", 0, 0, 100, 100, icons),
                                           RCPtr<LControl>(mRoot));
        for (const char16_t* id :
             {u"NID_ITEM_CHECK_CHANGE", u"NID_ITEM_CHECKBOX_CLICKED", u"NID_SELECTION_CHANGE"})
            mRecorder->Listen(RCPtr<LNotificationDistributor>(created), id);
        return created;
    }
    static void Fill(LListBox& list, int32_t count)
    {
        for (int32_t row = 0; row < count; ++row)
            list.InsertItemWithData(row, LListBox::MakeTextData(String(u"item")));
    }
    static int32_t CountChecked(const LCheckedListBox& list)
    {
        int32_t count = 0;
        for (int32_t row = 0; row < list.GetItemCount(); ++row)
            count += list.IsItemChecked(row) ? 1 : 0;
        return count;
    }
};

TEST_F(CheckedList, IconsGoToTheRowsInTurnAndOnlyTheIconListCollectsThem)
{
    RCPtr<LCheckedListBox> list = NewList(u"Framework.ListBoxWithIcons", true);
    ASSERT_EQ(list->GetIconCount(), 2u);
    Fill(*list, 4);
    for (int32_t row = 0; row < 5; ++row)
    {
        const RCPtr<LButton> checkBox = CheckBoxOf(*list, row);
        const RCPtr<LLook> look = checkBox->GetLook(0);
        const RCPtr<LVisualPart>& image = look->GetOverridePart();
        if (row < 4)
        {
            ASSERT_TRUE(image) << row;
            EXPECT_EQ(image->GetBitmap().Get(), list->GetItemImage(row % 2).Get()) << row;
            EXPECT_TRUE(checkBox->IsShown(false)) << row;
        }
        else
        {
            EXPECT_FALSE(image) << "a row past the items shows no image";
            EXPECT_FALSE(checkBox->IsShown(false));
        }
    }
    EXPECT_NE(list->GetItemImage(0).Get(), list->GetItemImage(1).Get());

    RCPtr<LPopupMenu> popup = NewList<LPopupMenu>(u"Framework.PopupMenu", true);
    EXPECT_EQ(popup->GetIconCount(), 0u);
}

TEST_F(CheckedList, CodeChecksSilentlyAndAClickOnATogglingBoxChecksSelectsAndTells)
{
    RCPtr<LCheckedListBox> list = NewList(u"Framework.CheckedListBox", false);
    Fill(*list, 3);
    list->SetItemChecked(1, true);
    EXPECT_EQ(CheckBoxOf(*list, 1)->GetNormalizedValue(), 1.0);
    EXPECT_TRUE(TakeLog().empty());

    Move(10, 50); // the check box of row 2
    Press(10, 50);
    Release(10, 50);
    EXPECT_TRUE(list->IsItemChecked(2));
    EXPECT_EQ(list->GetSelectedIndices().GetCount(), 1u);
    EXPECT_EQ(list->GetItemValue(2), 1.0);
    const std::vector<std::string> log = TakeLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "list NID_ITEM_CHECK_CHANGE");
    EXPECT_EQ(list->GetCheckedCount(), 2);
}

TEST_F(CheckedList, TheCheckedCountAlwaysEqualsTheCheckedItems)
{
    RCPtr<LCheckedListBox> list = NewList(u"Framework.CheckedListBox", false);
    Fill(*list, 6);
    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"check 0, 2, 4",
         [&] {
             list->SetItemChecked(0, true), list->SetItemChecked(2, true), list->SetItemChecked(4, true);
         }},
        {"check 2 again", [&] { list->SetItemChecked(2, true); }},
        {"uncheck a missing row", [&] { list->SetItemChecked(9, false); }},
        {"remove checked row 0", [&] { list->RemoveItemAt(0); }},
        {"insert before row 1", [&] { list->InsertItemWithData(1, LListBox::MakeTextData(String(u"new"))); }},
        {"click the box of row 1", [&] { Move(10, 30), Press(10, 30), Release(10, 30); }},
        {"click it again", [&] { Press(10, 30), Release(10, 30); }},
        {"shrink to 3", [&] { list->SetItemCount(3); }},
        {"grow to 8", [&] { list->SetItemCount(8); }},
        {"swap 0 and 7", [&] { list->SwapItems(0, 7); }},
    };
    for (const auto& [what, step] : steps)
    {
        step();
        EXPECT_EQ(list->GetCheckedCount(), CountChecked(*list)) << what;
    }
    EXPECT_GT(list->GetCheckedCount(), 0);
}

} // namespace
