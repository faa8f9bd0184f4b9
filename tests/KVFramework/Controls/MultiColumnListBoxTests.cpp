#include "Controls/MultiColumnListBox.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

class MultiColumnListBox : public ControlHarness
{
public:
    // A table 180 x 100: three columns 60 wide with rows 20 high below a header row 20 high.
    RCPtr<LControlDescriptor> DescribeTable(int headers = 3)
    {
        RCPtr<LControlDescriptor> table =
            Describe(u"Framework.listbox2ColumnSortable", u"table", 0, 0, 180, 100, ColourLooks(1));
        String name;
        for (int n = 1; n <= 3; ++n)
        {
            name.Format(u"listboxNoScroll%d", n);
            RCPtr<LControlDescriptor> column = Describe(u"Framework.listboxNoScroll", name.GetText(),
                                                        60.0 * (n - 1), 20, 60, 80, ColourLooks(3));
            RCPtr<LControlDescriptor> row =
                Describe(u"Framework.ListBoxItem", u"templateItem", 0, 0, 0, 20, ColourLooks(14));
            row->mLayout->mXSize = {SizeReference::Client, String(), 1.0f, 0};
            column->AddChild(row);
            table->AddChild(column);
        }
        for (int n = 1; n <= headers; ++n)
        {
            name.Format(u"buttonColumnHeader%d", n);
            table->AddChild(
                Describe(u"Framework.Button", name.GetText(), 60.0 * (n - 1), 0, 60, 20, ColourLooks(14)));
        }
        return table;
    }
    RCPtr<LMultiColumnListBox> NewTable()
    {
        RCPtr<LMultiColumnListBox> table =
            Create<LMultiColumnListBox>(DescribeTable(), RCPtr<LControl>(mRoot));
        mRecorder->Listen(RCPtr<LNotificationDistributor>(table), u"NID_SELECTION_CHANGE");
        return table;
    }
    static void Fill(LListBox& column, std::initializer_list<const char16_t*> texts)
    {
        int32_t row = 0;
        for (const char16_t* text : texts)
            column.InsertItemWithData(row++, LListBox::MakeTextData(String(text)));
    }
    // Each column's texts, "|" between the rows, "*" after a selected row; " / " between
    // the columns.
    static std::string Table(const LMultiColumnListBox& table)
    {
        std::string out;
        for (int32_t c = 0; c < table.GetColumnCount(); ++c)
        {
            const LListBox& column = *table.GetColumn(c);
            out += c ? " / " : "";
            for (int32_t row = 0; row < column.GetItemCount(); ++row)
                out.append(row ? "|" : "")
                    .append(column.GetItemText(row).ToNarrow().View())
                    .append(column.GetItemValue(row) >= 0.5 ? "*" : "");
        }
        return out;
    }
    void Click(int32_t x, int32_t y)
    {
        Press(x, y);
        Release(x, y);
    }
};

TEST_F(MultiColumnListBox, HeadersSortEveryColumnByTheirColumnAscendingThenDescendingKeepingEqualRowsInOrder)
{
    RCPtr<LMultiColumnListBox> table = NewTable();
    Fill(*table->GetColumn(0), {u"pear", u"Apple", u"fig", u"", u"apple"});
    Fill(*table->GetColumn(1), {u"1", u"2", u"3", u"4", u"5"});
    Fill(*table->GetColumn(2), {u"a", u"b", u"c"}); // shorter than the others
    table->GetColumn(1)->SelectRange(2, -1, true);  // "fig"
    TakeLog();

    struct Step
    {
        int32_t x; // of the header clicked
        const char* table;
    };
    const Step steps[] = {
        // Empty first, letter case ignored; the rows the short column lacks give it nothing.
        {10, "|Apple|apple|fig*|pear / 4|2|5|3*|1 / |b|"},
        {10, "pear|fig*|Apple|apple| / 1|3*|2|5|4 / |*|b"},
        {70, "pear|Apple|fig*||apple / 1|2|3*|4|5 / |b|*"}, // the second column's own turn
    };
    for (const Step& step : steps)
    {
        Click(step.x, 10);
        EXPECT_EQ(Table(*table), step.table) << step.x;
    }
    EXPECT_TRUE(TakeLog().empty()); // the sort's re-selection is not a change of the user's
}

TEST_F(MultiColumnListBox, ASelectionInOneColumnSelectsTheRowInEveryColumn)
{
    RCPtr<LMultiColumnListBox> table = NewTable();
    for (int32_t c = 0; c < 3; ++c)
        Fill(*table->GetColumn(c), {u"x", u"y", u"z"});
    TakeLog();
    Click(130, 50); // the second row of the third column
    EXPECT_EQ(Table(*table), "x|y*|z / x|y*|z / x|y*|z");
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"table NID_SELECTION_CHANGE"});
    table->GetColumn(1)->SelectRange(0, -1, true);
    EXPECT_EQ(Table(*table), "x*|y|z / x*|y|z / x*|y|z");
    table->GetColumn(0)->DeselectItem(0);
    EXPECT_EQ(Table(*table), "x|y|z / x|y|z / x|y|z");
}

TEST_F(MultiColumnListBox, HoveringARowHighlightsItInTheOtherColumns)
{
    RCPtr<LMultiColumnListBox> table = NewTable();
    for (int32_t c = 0; c < 3; ++c)
        Fill(*table->GetColumn(c), {u"x", u"y", u"z"});
    const auto highlighted = [&] {
        std::string out;
        for (int32_t c = 0; c < 3; ++c)
            for (int32_t i = 0; i < table->GetColumn(c)->GetItemControlCount(); ++i)
                if (table->GetColumn(c)->GetItemControl(i)->IsHighlighted())
                    out += std::to_string(c) + ":" + std::to_string(i) + " ";
        return out;
    };
    Move(70, 50); // the second row of the second column
    EXPECT_EQ(highlighted(), "0:1 2:1 ");
    EXPECT_EQ(table->GetHoveredRow(), 1);
    Move(70, 70);
    EXPECT_EQ(highlighted(), "0:2 2:2 ");
    Move(175, 5); // the table's own corner, no row
    EXPECT_EQ(highlighted(), "");
    EXPECT_EQ(table->GetHoveredRow(), -1);
}

TEST_F(MultiColumnListBox, TheColumnsScrollTogether)
{
    RCPtr<LMultiColumnListBox> table = NewTable();
    for (int32_t c = 0; c < 3; ++c)
        Fill(*table->GetColumn(c), {u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9"});
    const auto topRows = [&] {
        std::string out;
        for (int32_t c = 0; c < 3; ++c)
            out += std::to_string(table->GetColumn(c)->GetTopRow()) + " ";
        return out + std::to_string(static_cast<int>(table->GetScrollOffset().y));
    };
    table->SetScrollOffset({0, 40}); // the table's own bar
    EXPECT_EQ(topRows(), "2 2 2 40");
    table->GetColumn(0)->SetScrollOffset({0, 120}); // the first column scrolled
    EXPECT_EQ(topRows(), "6 6 6 120");
}

TEST_F(MultiColumnListBox, TheColumnsStayInStepWhenAColumnScrollsItself)
{
    RCPtr<LMultiColumnListBox> table = NewTable();
    for (int32_t c = 0; c < 3; ++c)
        Fill(*table->GetColumn(c), {u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9"});
    const auto topRows = [&] {
        std::string out;
        for (int32_t c = 0; c < 3; ++c)
            out += std::to_string(table->GetColumn(c)->GetTopRow()) + " ";
        return out + std::to_string(static_cast<int>(table->GetScrollOffset().y));
    };
    // Four rows are in view.
    table->GetColumn(2)->EnsureVisible(7);
    EXPECT_EQ(topRows(), "4 4 4 80");
    table->GetColumn(1)->EnsureVisible(1);
    EXPECT_EQ(topRows(), "1 1 1 20");

    // The focused first column moved down by its keys.
    table->GetColumn(0)->SetFocus(true);
    table->GetColumn(0)->SelectRange(0, -1, true);
    EXPECT_EQ(topRows(), "0 0 0 0");
    for (int i = 0; i < 5; ++i)
        mWindow->OnKey(LKeyParam::Create(KeyCode{0x20280000}, 1)); // Down
    EXPECT_EQ(topRows(), "2 2 2 40");
}

TEST_F(MultiColumnListBox, InitializeTellsWhetherEveryColumnHasItsHeader)
{
    const std::pair<int, KVRESULT> cases[] = {{3, S_FALSE}, {2, S_OK}, {0, S_OK}};
    for (const auto& [headers, result] : cases)
    {
        const RCPtr<LControlDescriptor> descriptor = DescribeTable(headers);
        RCPtr<LMultiColumnListBox> table(new LMultiColumnListBox(RCPtr<LControl>(mRoot), String(u"table")));
        table->ApplyDescriptor(descriptor);
        table->CreateChildControls(descriptor);
        EXPECT_EQ(table->Initialize(), result) << headers;
        EXPECT_EQ(table->GetColumnCount(), 3);
        table->RemoveFromTree();
    }
}

} // namespace
