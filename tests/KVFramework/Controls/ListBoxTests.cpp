#include "Controls/ListBox.h"

#include "Application/WindowInputTarget.h"
#include "Controls/DropDownControl.h"
#include "ControlsTestSupport.h"
#include "ScrollBarSkin.h"

using namespace controltest;

namespace {

// A drop-down whose part is nothing but a flag.
class FlagDropDown : public LDropDownControl
{
public:
    using LDropDownControl::LDropDownControl;
    bool IsDropDownOpen() override { return true; }
    KVRESULT SetDropDownOpen(bool) override { return S_OK; }
};

std::vector<RCPtr<LLookDescriptor>> Looks(uint32_t count)
{
    std::vector<RCPtr<LLookDescriptor>> looks;
    for (uint32_t i = 0; i < count; ++i)
        looks.push_back(ColourLook(0xFF000000u | i));
    return looks;
}

class ListBox : public ControlHarness
{
public:
    // A list box at (0, 0), 100 x 100 in the root panel, whose rows are 20 pixels high and as
    // wide as its client area: five rows in view. extra: further skin children, made before
    // the rows.
    // parent: the root panel when null; a list box under another control floats below it.
    RCPtr<LListBox> NewListBox(double height = 100, std::vector<RCPtr<LControlDescriptor>> extra = {},
                               const RCPtr<LControl>& parent = nullptr, double rowWidth = 0)
    {
        RCPtr<LControlDescriptor> list =
            Describe(u"Framework.ListBox", u"list", 0, parent ? 20 : 0, 100, height, Looks(3));
        list->mLayout->mClipToParent = !parent;
        for (const RCPtr<LControlDescriptor>& child : extra)
            list->AddChild(child);
        RCPtr<LControlDescriptor> row =
            Describe(u"Framework.ListBoxItem", u"templateItem", 0, 0, 0, 20, Looks(14));
        if (rowWidth == 0)
            row->mLayout->mXSize = {SizeReference::Client, String(), 1.0f, 0};
        else
            row->mLayout->mXSize.mAbs = rowWidth;
        list->AddChild(row);
        RCPtr<LListBox> listBox = Create<LListBox>(list, parent ? parent : RCPtr<LControl>(mRoot));
        for (const char16_t* id :
             {u"NID_SELECTION_CHANGE", u"NID_ITEM_DOUBLE_CLICKED", u"NID_ITEM_ACTIVATED"})
            mRecorder->Listen(RCPtr<LNotificationDistributor>(listBox), id);
        return listBox;
    }
    static void Fill(LListBox& list, int32_t count)
    {
        for (int32_t row = 0; row < count; ++row)
        {
            String text;
            text.Format(u"row %d", row);
            list.InsertItemWithData(row, LListBox::MakeTextData(text));
        }
    }
    void DoubleClick(int32_t x, int32_t y)
    {
        mOS.mButtons |= kMouseButtonLeft;
        mWindow->OnMouseButton(IWindowInputTarget::kDoubleClick, kMouseButtonLeft, 0, {x, y});
    }
};

TEST_F(ListBox, TheRowsFillTheViewAndShowTheItemsFromTheTopRow)
{
    RCPtr<LListBox> list = NewListBox();
    ASSERT_EQ(list->GetItemControlCount(), 5);
    EXPECT_EQ(list->GetRowHeight(), 20);
    Fill(*list, 3);
    EXPECT_EQ(list->GetContentHeight(), 60);
    const char* texts[] = {"row 0", "row 1", "row 2", "", ""};
    for (int32_t index = 0; index < 5; ++index)
    {
        RCPtr<LListBoxItem> row = list->GetItemControl(index);
        EXPECT_EQ(std::string(row->GetText().ToNarrow().View()), texts[index]) << index;
        EXPECT_EQ(row->IsEnabled(false), index < 3) << index; // rows past the items are disabled
        EXPECT_EQ(row->GetRect().y, 20.0 * index);
    }
    EXPECT_FALSE(list->GetItemControl(5));
    EXPECT_FALSE(list->GetItemControl(-1));
}

TEST_F(ListBox, EnsureVisibleScrollsTheLeastAndNeverBeyondTheItems)
{
    struct Case
    {
        int32_t count;
        int32_t topRow; // before
        int32_t row;
        KVRESULT result;
        int32_t expectedTop;
    };
    const Case cases[] = {
        {10, 0, 9, S_OK, 5},          // below the view: the row becomes the last in view
        {10, 5, 2, S_OK, 2},          // above the view: the row becomes the top row
        {10, 3, 7, S_OK, 3},          // in view already: nothing moves
        {10, 0, 10, E_INVALIDARG, 0}, // past the items
        {10, 4, -1, E_INVALIDARG, 4},
        {7, 5, 4, S_OK, 2}, // a top row left near the end comes back to a full view
        {3, 5, 0, S_OK, 0}, // fewer items than rows in view: never a negative top row
    };
    for (const Case& c : cases)
    {
        RCPtr<LListBox> list = NewListBox();
        Fill(*list, 10);
        if (c.topRow > 0)
            list->EnsureVisible(c.topRow + 4);
        while (list->GetItemCount() > c.count)
            list->RemoveItemAt(list->GetItemCount() - 1);
        ASSERT_EQ(list->GetTopRow(), c.topRow) << c.count << " " << c.row;
        EXPECT_EQ(list->EnsureVisible(c.row), c.result) << c.count << " " << c.row;
        EXPECT_EQ(list->GetTopRow(), c.expectedTop) << c.count << " " << c.row;
        EXPECT_EQ(list->GetScrollOffset().y, 20.0 * c.expectedTop);
        // The rows show the items from the top row on.
        EXPECT_EQ(list->GetItemControl(0)->GetText(), list->GetItemText(c.expectedTop));
        list->RemoveFromTree();
    }
}

TEST_F(ListBox, ADoubleClickSelectsTheRowBeforeItSaysSo)
{
    RCPtr<LListBox> list = NewListBox();
    Fill(*list, 4);
    Press(10, 30);
    Release(10, 30);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"list NID_SELECTION_CHANGE"});
    // The only selected row again: no change to tell.
    Press(10, 30);
    Release(10, 30);
    EXPECT_TRUE(TakeLog().empty());
    DoubleClick(10, 50);
    Release(10, 50);
    EXPECT_EQ(TakeLog(),
              (std::vector<std::string>{"list NID_SELECTION_CHANGE", "list NID_ITEM_DOUBLE_CLICKED"}));
    EXPECT_EQ(list->GetCaret(), 2);
    EXPECT_EQ(list->GetSelectedCount(), 1);
    EXPECT_EQ(list->GetItemControl(2)->GetShownLookIndex(),
              LListBoxItem::kLookHover[2]); // on, under the pointer
    EXPECT_EQ(list->GetItemControl(1)->GetShownLookIndex(), LListBoxItem::kLookNormal[0]);
    // A press on a row past the items selects nothing.
    Press(10, 90);
    Release(10, 90);
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_EQ(list->GetCaret(), 2);
}

TEST_F(ListBox, InDropDownModeThePressedRowFollowsThePointerAndTheReleaseActivatesIt)
{
    RCPtr<LListBox> list = NewListBox(30);
    list->SetDropDownMode(true);
    Fill(*list, 4);
    // The height follows the items.
    EXPECT_EQ(list->GetRect().height, 80);
    EXPECT_EQ(list->GetItemControlCount(), 4);

    Move(10, 10);
    EXPECT_EQ(list->GetCaret(), 0); // hovering selects
    Press(10, 10);
    EXPECT_EQ(mWindow->GetCaptureControl(), RCPtr<LControl>(list)); // the row hands the press on
    Move(10, 50);
    EXPECT_EQ(list->GetCaret(), 2);
    Move(150, 50); // outside the rows: nothing selected
    EXPECT_EQ(list->GetSelectedCount(), 0);
    Move(12, 70);
    EXPECT_EQ(list->GetSelectedIndices().GetCount(), 1u);
    EXPECT_EQ(*list->GetSelectedIndices().GetAtConst(0), 3u);
    Release(12, 70);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"list NID_ITEM_ACTIVATED"}); // and no selection change
    EXPECT_FALSE(list->IsShown(false));
    EXPECT_FALSE(mWindow->GetCaptureControl());
}

TEST_F(ListBox, StringTableItemsFillTheGapsAndSkipKeysThatNameNoRow)
{
    RCPtr<LListBox> list = NewListBox();
    const LStringTable::TextMap texts = {
        {String(u"ITEM.0"), String(u"zero")},          {String(u"ITEM.3"), String(u"three")},
        {String(u"ITEMS.1"), String(u"not an item")},  {String(u"ITEM.-1"), String(u"negative")},
        {String(u"ITEM.x"), String(u"no number")},     {String(u"ITEM.99999999999"), String(u"too far")},
        {String(u"ITEM.4000000"), String(u"too far")},
    };
    EXPECT_EQ(list->LoadItemsFromStringTable(LStringTable::Create(texts)), S_OK);
    ASSERT_EQ(list->GetItemCount(), 4);
    const char* expected[] = {"zero", "", "", "three"};
    for (int32_t row = 0; row < 4; ++row)
        EXPECT_EQ(std::string(list->GetItemText(row).ToNarrow().View()), expected[row]) << row;
    EXPECT_EQ(list->LoadItemsFromStringTable(nullptr), E_INVALIDARG);
    // Loading again replaces the items.
    EXPECT_EQ(list->LoadItemsFromStringTable(LStringTable::Create({{String(u"ITEM.1"), String(u"one")}})),
              S_OK);
    EXPECT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(list->FindItemByText(String(u"ONE"), false), 1);
    EXPECT_EQ(list->FindItemByText(String(u"ONE"), true), -1);
}

TEST_F(ListBox, RemovingAnotherChildLeavesTheRowsInPlace)
{
    RCPtr<LListBox> list = NewListBox(100, {Describe(u"Framework.Label", u"caption", 0, 0, 10, 10)});
    Fill(*list, 8);
    ASSERT_EQ(list->GetChildren().GetAt(0, LControl::kInsertionOrder)->GetName(), u"caption");
    list->FindChild(String(u"caption"))->RemoveFromTree();
    ASSERT_EQ(list->GetItemControlCount(), 5);
    list->EnsureVisible(7);
    for (int32_t index = 0; index < 5; ++index)
    {
        String name;
        name.Format(u"ItemControl%d", index + 1);
        EXPECT_EQ(list->GetItemControl(index)->GetName(), name);
        EXPECT_EQ(list->GetItemControl(index)->GetText(), list->GetItemText(3 + index));
    }
    EXPECT_EQ(list->SelectRange(6, -1, true), 6);
    EXPECT_TRUE(list->GetItemControl(3)->IsOn());
}

TEST_F(ListBox, TheRowShowsTheLookOfItsState)
{
    RCPtr<LListBox> list = NewListBox();
    Fill(*list, 2);
    RCPtr<LListBoxItem> row = list->GetItemControl(0);
    struct Case
    {
        double value;
        bool subMenu;
        bool highlighted;
        bool enabled;
        bool separator;
        int32_t look;
    };
    const Case cases[] = {
        {0.0, false, false, true, false, 0}, {0.0, true, false, true, false, 3},
        {0.5, false, false, true, false, 7}, {1.0, true, false, true, false, 10},
        {0.0, false, true, true, false, 1},  {1.0, true, true, true, false, 11},
        {0.0, true, false, false, false, 6}, {0.7, false, true, false, false, 13}, // disabled and on: 13
        {1.0, true, true, true, true, 13},   {0.0, false, false, false, true, 13}, // separators
    };
    for (const Case& c : cases)
    {
        list->SetItemRecord(0, LListBox::MakeTextData(String(u"text")), c.value, c.subMenu, c.separator);
        row->SetHighlighted(c.highlighted);
        row->SetEnabled(c.enabled);
        EXPECT_EQ(row->GetLookIndex(), c.look)
            << c.value << c.subMenu << c.highlighted << c.enabled << c.separator;
        EXPECT_EQ(row->GetShownLookIndex(), c.look);
        EXPECT_EQ(row->GetText().IsEmpty(), c.separator);
        list->SetItemSeparator(0, false);
    }

    // Pressed on a row and dragged off it with the button held: the hover look, not the
    // normal one.
    row = list->GetItemControl(1);
    Press(10, 30);
    EXPECT_EQ(row->GetShownLookIndex(), 9); // pressed, and selected by the press
    Move(10, 80);
    EXPECT_EQ(row->GetShownLookIndex(), 8);
    Release(10, 80);
    EXPECT_EQ(row->GetShownLookIndex(), 7);
}

TEST_F(ListBox, ArrowKeysMoveTheSelectionAndEnterActivatesIt)
{
    RCPtr<LListBox> empty = NewListBox();
    for (uint32_t key : {0x20280000u, 0x20260000u, 0x200D0000u})
        EXPECT_EQ(empty->OnKeyDown(LKeyParam::Create(KeyCode{key}, 1)), S_OK);
    EXPECT_EQ(empty->GetCaret(), -1);
    EXPECT_TRUE(TakeLog().empty());
    empty->RemoveFromTree();

    RCPtr<LListBox> list = NewListBox();
    Fill(*list, 7);
    struct Step
    {
        uint32_t key;
        KVRESULT result;
        int32_t caret;
        int32_t topRow;
    };
    const Step steps[] = {
        {0x20260000, S_OK, -1, 0}, // Up without a caret: nothing
        {0x20280000, S_OK, 0, 0},  // Down without a caret: the first row
        {0x22280000, S_OK, 1, 0},  // Shift+Down moves the single selection too
        {0x20280000, S_OK, 2, 0},    {0x20280000, S_OK, 3, 0},
        {0x20280000, S_OK, 4, 0},    {0x20280000, S_OK, 5, 1},    // the caret stays in view
        {0x20280000, S_OK, 6, 2},    {0x20280000, S_OK, 6, 2},    // the last row: nothing
        {0x20260000, S_OK, 5, 2},    {0x00260000, S_FALSE, 5, 2}, // a key release is not handled
        {0x20410000, S_FALSE, 5, 2},                              // another key
    };
    for (const Step& step : steps)
    {
        EXPECT_EQ(list->OnKeyDown(LKeyParam::Create(KeyCode{step.key}, 1)), step.result)
            << std::hex << step.key;
        EXPECT_EQ(list->GetCaret(), step.caret) << std::hex << step.key;
        EXPECT_EQ(list->GetTopRow(), step.topRow) << std::hex << step.key;
        EXPECT_EQ(list->GetSelectedCount(), step.caret < 0 ? 0 : 1);
    }
    TakeLog();
    EXPECT_EQ(list->OnKeyDown(LKeyParam::Create(KeyCode{0x200D0000}, 1)), S_OK);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"list NID_ITEM_ACTIVATED"});
    EXPECT_TRUE(list->IsShown(false)); // only a drop-down list hides
}

TEST_F(ListBox, RangesSelectAndDeselectingMovesTheCaretToASelectedNeighbour)
{
    RCPtr<LListBox> list = NewListBox();
    Fill(*list, 6);
    EXPECT_EQ(list->SelectRange(1, 3, true), 1);
    EXPECT_EQ(list->SelectRange(5, -1, false), 5); // added alone
    EXPECT_EQ(list->GetSelectedCount(), 4);
    EXPECT_EQ(list->SelectRange(6, -1, true), E_INVALIDARG);
    EXPECT_EQ(list->SelectRange(-1, 2, true), E_INVALIDARG);
    EXPECT_EQ(list->SelectRange(2, 6, true), E_INVALIDARG);
    EXPECT_EQ(list->GetSelectedCount(), 4);
    EXPECT_EQ(list->SelectRange(3, 1, false), 3); // all selected already: nothing changes
    EXPECT_EQ(TakeLog(),
              (std::vector<std::string>{"list NID_SELECTION_CHANGE", "list NID_SELECTION_CHANGE"}));
    EXPECT_EQ(list->GetAnchor(), 3);
    EXPECT_EQ(list->GetCaret(), 1);

    struct Step
    {
        int32_t row;
        KVRESULT result;
        int32_t anchor;
        int32_t caret;
    };
    const Step steps[] = {
        {0, S_FALSE, 3, 1}, // not selected
        {9, S_FALSE, 3, 1}, // no such row
        {1, S_OK, 3, 2},    // the caret moves down to a selected neighbour
        {3, S_OK, 2, 2},    // the anchor moves up to one
        {2, S_OK, 2, 2},    // caret and anchor together, no selected neighbour: the caret takes the anchor
        {5, S_OK, -1, -1},  // the last one: nothing left to point at
    };
    for (const Step& step : steps)
    {
        EXPECT_EQ(list->DeselectItem(step.row), step.result) << step.row;
        EXPECT_EQ(list->GetAnchor(), step.anchor) << step.row;
        EXPECT_EQ(list->GetCaret(), step.caret) << step.row;
    }
    EXPECT_EQ(list->GetSelectedCount(), 0);
    EXPECT_EQ(list->GetSelectedIndices().GetCount(), 0u);
    // Inserting where no row can go changes nothing.
    EXPECT_EQ(list->InsertItemWithData(7, nullptr), E_INVALIDARG);
    EXPECT_EQ(list->InsertItemWithData(-1, nullptr), E_INVALIDARG);
    EXPECT_EQ(list->RemoveItemAt(6), E_INVALIDARG);
    EXPECT_EQ(list->GetItemCount(), 6);
    EXPECT_EQ(list->GetItemText(-1), String());
    EXPECT_EQ(list->GetItemValue(6), 0.0);
}

TEST_F(ListBox, TheListOfADropDownClosesOnAReleaseAwayFromItAndFromItsOwner)
{
    RCPtr<FlagDropDown> owner = Make<FlagDropDown>(RCPtr<LControl>(mRoot), u"owner", 0, 0, 100, 20);
    RCPtr<LListBox> list = NewListBox(20, {}, RCPtr<LControl>(owner));
    list->SetDropDownMode(true);
    Fill(*list, 2);
    ASSERT_EQ(list->GetRootPosition(), (PointT<double>{0, 20}));
    struct Case
    {
        PointT<int32_t> release;
        bool shown;
    };
    for (const Case& c : {Case{{50, 10}, true}, Case{{150, 90}, false}})
    {
        list->SetVisible(true);
        Press(10, 30);
        EXPECT_EQ(mWindow->GetCaptureControl(), RCPtr<LControl>(list));
        Move(c.release.x, c.release.y);
        EXPECT_EQ(list->GetSelectedCount(), 0);
        Release(c.release.x, c.release.y);
        EXPECT_EQ(list->IsShown(false), c.shown) << c.release.x;
    }
    EXPECT_TRUE(TakeLog().empty()); // nothing was activated
}

TEST_F(ListBox, RowsOfTheirOwnWidthAreAsWideAsTheWidestItem)
{
    // 10 pixels of row without text, 6 pixels a character.
    RCPtr<LListBox> list = NewListBox(100, {}, nullptr, 10);
    for (const char16_t* text : {u"ab", u"abcdef", u"abc"})
        list->InsertItemWithData(list->GetItemCount(), LListBox::MakeTextData(String(text)));
    EXPECT_EQ(list->MeasureItem(1), 46); // 36 + 0.5 + 10, whole pixels
    EXPECT_EQ(list->GetItemControl(4)->GetRect().width, 46);
    EXPECT_EQ(list->GetItemControl(0)->GetRect().x, 27); // centred in the 100 pixels
    EXPECT_EQ(list->GetClientExtent(), (SizeT<double>{46, 60}));
    list->RemoveItemAt(1);
    EXPECT_EQ(list->GetItemControl(0)->GetRect().width, 28);
    list->SetItemData(0, LListBox::MakeTextData(String(u"abcdefgh")));
    EXPECT_EQ(list->GetItemControl(0)->GetRect().width, 58);
    EXPECT_EQ(list->GetClientExtent(), (SizeT<double>{58, 40}));

    // Searching by text goes round from the row after the start.
    list->SetItemData(1, LListBox::MakeTextData(String(u"abcdefgh")));
    EXPECT_EQ(list->SelectNextByText(String(u"ABCDEFGH"), 1, false), 0);
    EXPECT_EQ(list->SelectNextByText(String(u"abcdefgh"), 0, true), 1);
    EXPECT_EQ(list->SelectNextByText(String(u"abcdefgh"), 7, true), 0); // a start past the end: from the top
    EXPECT_EQ(list->SelectNextByText(String(u"x"), 0, true), -1);
    EXPECT_EQ(list->GetCaret(), 0);
}

TEST_F(ListBox, ANewSkinMakesNewRowsThatShowTheSameItems)
{
    RCPtr<LListBox> list = NewListBox();
    Fill(*list, 8);
    list->EnsureVisible(7);
    list->SelectRange(6, -1, true);
    const RCPtr<LListBoxItem> oldRow = list->GetItemControl(0);
    RCPtr<LControlDescriptor> skin = list->GetDescriptor()->Clone();
    skin->mLayout = skin->mLayout->Clone();
    skin->mLayout->mYSize.mAbs = 60; // three rows
    EXPECT_EQ(list->ApplyDescriptor(skin), S_OK);
    EXPECT_FALSE(oldRow->GetParent());
    EXPECT_GE(list->GetItemControlCount(), 3);
    EXPECT_EQ(list->GetItemCount(), 8);
    for (int32_t index = 0; index < 3; ++index)
    {
        EXPECT_EQ(list->GetItemControl(index)->GetText(), list->GetItemText(list->GetTopRow() + index));
        EXPECT_EQ(list->GetItemControl(index)->IsOn(), list->GetTopRow() + index == 6);
    }
}

TEST_F(ListBox, TheVerticalBarScrollsByWholeRowsAndFollowsTheTopRow)
{
    const LayoutAxisSpec corner = Spec(PositionReference::Client, 1, 0, 1, SizeReference::Self, 0, 16);
    RCPtr<LListBox> list =
        NewListBox(100, {Docked(u"Framework.Panel", u"corner", corner, corner), BarDescriptor(true)});
    Fill(*list, 10);
    const RCPtr<LScrollbar> bar = list->GetVerticalBar();
    ASSERT_TRUE(LScrollView::IsBarShown(bar));
    list->SetFocus(true);

    mWindow->OnMouseWheel({10, 10}, 0, kWheelVerticalNegative);
    EXPECT_EQ(list->GetTopRow(), 1);
    Key(0x20220000); // Page Down
    EXPECT_EQ(list->GetTopRow(), 5);
    EXPECT_EQ(list->GetItemControl(0)->GetText(), list->GetItemText(5));
    Key(0x20240000); // Home
    EXPECT_EQ(list->GetTopRow(), 0);
    list->EnsureVisible(7);
    EXPECT_EQ(list->GetTopRow(), 3);
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.6);

    // Fewer items than rows: the bar goes and the first item is at the top again.
    while (list->GetItemCount() > 4)
        list->RemoveItemAt(list->GetItemCount() - 1);
    EXPECT_FALSE(LScrollView::IsBarShown(bar));
    EXPECT_EQ(list->GetTopRow(), 0);
    EXPECT_EQ(list->GetItemControl(0)->GetText(), list->GetItemText(0));
}

TEST_F(ListBox, SnappingToRowsKeepsWholeRowsBelowTheFrameAndAtLeastOne)
{
    // Looks whose rows start 5 pixels down: a frame D = 5; rows 20 high.
    const RCPtr<LLookDescriptor> framed =
        MakeLook(FillPart(1, 1, 0xFF808080), Offsets(kL | kT | kR | kB, 0, 5, 0, 0));
    RCPtr<LControlDescriptor> descriptor =
        Describe(u"Framework.ListBox", u"framed", 0, 0, 100, 100, {framed, framed, framed});
    RCPtr<LControlDescriptor> row =
        Describe(u"Framework.ListBoxItem", u"templateItem", 0, 0, 0, 20, Looks(14));
    row->mLayout->mXSize = {SizeReference::Client, String(), 1.0f, 0};
    descriptor->AddChild(row);
    RCPtr<LListBox> list = Create<LListBox>(descriptor, RCPtr<LControl>(mRoot));
    ASSERT_EQ(list->GetRect().height - list->GetClientRect(-1).height, 5);

    const auto limit = [](double abs) { return LayoutSizeLimitSpec{false, String(), 0, abs}; };
    const struct
    {
        double min, max, size; // given
        double snappedMin, snappedMax, snappedSize;
    } cases[] = {
        // A limit counts its rows below the frame, whole ones only; the size counts them
        // in the whole height, and the frame comes on top.
        {0, 64, 62, 0, 45, 65},
        {5, 0, 10, 5, 0, 25},     // a limit no higher than the frame stays; at least one row
        {12, 124, 0, 25, 105, 0}, // no size stays none
        {0, 0, 79, 0, 0, 65},     // 3.95 rows: three
    };
    for (const auto& c : cases)
    {
        list->SetSizeLimits(1, limit(c.min), limit(c.max));
        LayoutAxisSpec y = list->GetLayout()->GetAxisSpec(1);
        y.mSize.mAbs = c.size;
        list->SetLayoutAxis(1, y);
        list->SnapSizeLimitsToRows();
        const LLayoutDescriptor& layout = *list->GetLayout();
        EXPECT_EQ(layout.mYMinSize.mAbs, c.snappedMin) << c.min;
        EXPECT_EQ(layout.mYMaxSize.mAbs, c.snappedMax) << c.max;
        EXPECT_EQ(layout.GetAxisSpec(1).mSize.mAbs, c.snappedSize) << c.size;
    }
}

} // namespace
