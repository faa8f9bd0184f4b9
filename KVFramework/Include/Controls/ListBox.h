#pragma once
// LListBox: a vertical list of text rows, one of which the user selects with the mouse or
// the keys. The items are records (text data, selection value, two flags) shown through a
// small pool of row controls cloned from the skin's "templateItem" child: one row control
// per visible row, refilled as the list scrolls, never one control per item.
//
// Combo boxes and popup menus switch their list into drop-down mode: the row under the
// pointer is selected, releasing the button activates it and hides the list, the height
// follows the number of items, and no "NID_SELECTION_CHANGE" is sent.

#include "Controls/ListBoxItem.h"
#include "Controls/ScrollView.h"
#include "Storage/Array.h"

#include <vector>

namespace KV {

// One item of a list box. A value of 0.5 or more is selected.
struct ListBoxItemRecord
{
    RCPtr<LRefCountedObject> mData; // the text is its ToString; none gives an empty text
    double mValue = 0;
    bool mHasSubMenu = false;
    bool mSeparator = false;
};

class LListBox : public LScrollView
{
public:
    static constexpr int32_t kDefaultRowHeight = 14;
    // The list box's own looks.
    static constexpr int32_t kLookNormal = 0;
    static constexpr int32_t kLookDisabled = 1;
    static constexpr int32_t kLookFocused = 2;

    LListBox(const RCPtr<LControl>& parent, const String& name);

    // Builds the row pool from "templateItem" (items from the string table) or from the
    // predefined rows "item1", "item2", ...
    KVRESULT Initialize() override;
    KVRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    // Without a control: a "templateItem" descriptor becomes the template (0); any other E_FAIL.
    KVRESULT AdoptChild(const RCPtr<LControl>& child, const RCPtr<LControlDescriptor>& descriptor) override;
    void OnChildRemoved(const RCPtr<LControl>& child, int32_t index) override;
    void EndGeometryChange() override;
    int32_t InvalidateChildArea(const RCPtr<LControl>& child) override;
    // The rows follow the vertical scroll offset: the top row is the offset in whole rows.
    int32_t ScrollOffscreenBuffer(const PointT<double>& offset) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    void OnLeftButtonUp(const RCPtr<LMouseButtonParam>& param) override;
    void OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param) override;
    KVRESULT OnKeyDown(const RCPtr<LKeyParam>& param) override;

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

    // ---- the records (ListBoxItems.cpp) ----
    virtual int32_t GetItemCount() const;
    // Grows with items of no data or shrinks from the end: n, E_INVALIDARG for n < 0.
    virtual int32_t SetItemCount(int32_t count);
    // Hooks: before "NID_SELECTION_CHANGE", and when a row is activated.
    virtual void OnSelectionChanged() {}
    // false keeps the list as it is after the hook: not hidden, and no "NID_ITEM_ACTIVATED"
    // (a menu's submenu entry opens its submenu instead).
    virtual bool OnItemActivated(int32_t) { return true; }
    // Adds one row control to the pool.
    virtual KVRESULT CreateItemControl();
    // Fills the row control that shows the row; 1 when no row control shows it.
    virtual KVRESULT UpdateItemControl(int32_t row);
    // The width the row needs.
    virtual int32_t MeasureItem(int32_t row);
    virtual int32_t GetContentHeight();
    virtual bool IsItemSelectable(int32_t) { return true; }
    // E_INVALIDARG unless both rows exist.
    virtual KVRESULT SwapItems(int32_t a, int32_t b);
    // The record of a row; an empty record for a row that does not exist.
    virtual const ListBoxItemRecord& GetItem(int32_t row) const;
    // An empty record before the row (at most the count): 0, else E_INVALIDARG.
    virtual KVRESULT InsertItem(int32_t row);
    virtual KVRESULT RemoveItem(int32_t row);

    // Inserts an item and shows it: the row, or E_INVALIDARG for a row outside 0..count.
    int32_t InsertItemWithData(int32_t row, const RCPtr<LRefCountedObject>& data);
    // The new count, or E_INVALIDARG.
    int32_t RemoveItemAt(int32_t row);
    // 0, or E_FAIL when a removal failed.
    KVRESULT RemoveAllItems();
    KVRESULT SetItemData(int32_t row, const RCPtr<LRefCountedObject>& data);
    KVRESULT SetItemRecord(int32_t row, const RCPtr<LRefCountedObject>& data, double value, bool hasSubMenu,
                           bool separator);
    String GetItemText(int32_t row) const;
    double GetItemValue(int32_t row) const;
    // Stores the value (selection state) and shows it; nothing for a missing row. Returns 0.
    KVRESULT SetItemValue(int32_t row, double value);
    // 1, or 0 for a missing row.
    int32_t SetItemSubMenuFlag(int32_t row, bool hasSubMenu);
    int32_t SetItemSeparator(int32_t row, bool separator);
    bool GetItemSubMenuFlag(int32_t row) const;
    // The highest row whose text equals the text; rows without data never match. -1: none.
    int32_t FindItemByText(const String& text, bool caseSensitive) const;
    // Selects the first match after start, wrapping to the top: its row, or -1.
    int32_t SelectNextByText(const String& text, int32_t start, bool caseSensitive);
    // The items "ITEM.<n>" of the table, row n with its text; rows between them are empty.
    // E_INVALIDARG without a table.
    KVRESULT LoadItemsFromStringTable(const RCPtr<LStringTable>& table);
    static RCPtr<LRefCountedObject> MakeTextData(const String& text);

    // ---- selection, scrolling, rows (ListBoxSelection.cpp) ----
    // Selects rows a..b (b < 0: a alone); exclusive deselects the rest. a, or E_INVALIDARG.
    int32_t SelectRange(int32_t a, int32_t b, bool exclusive);
    // 0, or 1 for a row that does not exist or is not selected.
    KVRESULT DeselectItem(int32_t row);
    void ClearSelection();
    // The selected rows in ascending order.
    const Array<uint32_t>& GetSelectedIndices();
    int32_t GetSelectedCount() const noexcept { return mSelectedCount; }
    int32_t GetCaret() const noexcept { return mCaret; }
    int32_t GetAnchor() const noexcept { return mAnchor; }
    // Scrolls so that the row is wholly in view: 0, or E_INVALIDARG.
    KVRESULT EnsureVisible(int32_t row);
    void ActivateItem(int32_t row);
    // 0, or 1 when the row is not shown.
    KVRESULT SetItemHighlighted(int32_t row, bool highlighted);
    KVRESULT ShowItemLook(int32_t row, int32_t lookIndex);
    // The rectangle of the row control showing the row; all 0 when it is not shown.
    RectT<double> GetRowRect(int32_t row);
    // The row at a point of the list box's coordinates, -1 outside the rows.
    int32_t GetRowAtPoint(const PointT<int32_t>& point);
    // The row a row control shows; -1 for a control not in the pool.
    int32_t GetItemControlRow(const LControl* control) const;
    // The pool index of the row control showing the row; -1 when none does.
    int32_t GetItemControlIndex(int32_t row) const;
    RCPtr<LListBoxItem> GetItemControl(int32_t index) const;
    int32_t GetItemControlCount() const noexcept { return static_cast<int32_t>(mRows.size()); }
    int32_t GetTopRow() const noexcept { return mTopRow; }
    int32_t GetRowHeight() const noexcept { return mRowHeight; }
    KVRESULT SetDropDownMode(bool dropDown);
    bool IsDropDownMode() const noexcept { return mDropDown; }

    // ---- size (ListBox.cpp) ----
    // The height (width) becomes the content's plus the list box's frame. 1 while layout waits.
    KVRESULT FitHeightToContent(double contentHeight);
    KVRESULT FitWidthToContent(double contentWidth);
    // The vertical size and its limits become the frame plus whole rows.
    void SnapSizeLimitsToRows();

protected:
    ~LListBox() override;

    void OnScrollBarVisibilityChanged(int axis) override;

    // Creates row controls until they fill the client area. 0 while already running or
    // while a descriptor is applied; 1 before a template was adopted.
    KVRESULT EnsureItemControls();
    // UpdateItemControl from the row to the last row the pool shows.
    void UpdateItemControls(int32_t row);
    // The extent, and the rows' width when the template's width is its own. 1 while layout waits.
    KVRESULT LayoutItemControls();
    KVRESULT UpdateWidestItem();
    KVRESULT SetWidestItemWidth(int32_t width);
    void RefreshItemText(int32_t row);
    void NotifySelectionChange();
    void HandleItemMouseDown(LListBoxItem& rowControl, const RCPtr<LMouseButtonParam>& param);
    // Measures the row height and the empty-row width with the template (or first) row.
    void AdoptTemplateItem(LControl& templateRow);
    // Handlers and settings every row control of the pool gets.
    void ConnectItemControl(const RCPtr<LListBoxItem>& row);
    // The text of the template's descriptor overflows by widening the row.
    bool TemplateExpands() const;
    // The vertical scroll offset of a top row.
    void ScrollToTopRow(int32_t topRow);
    // The list box's height outside its client area.
    double NonClientHeight() const;
    // The size on the axis becomes the content's plus the frame's.
    KVRESULT FitAxisToContent(int axis, double content);

    RCPtr<LNotificationHandler<LListBox>> mOwnHandler;
    int32_t mEmptyRowWidth = 0;
    int32_t mWidestItemWidth = 0;
    std::vector<ListBoxItemRecord> mRecords;
    // The pool, in row order. References, not child indexes: other children (a tool tip)
    // come and go without disturbing it.
    std::vector<RCPtr<LListBoxItem>> mRows;
    RCPtr<LControlDescriptor> mTemplate;
    int32_t mAnchor = -1;
    int32_t mCaret = -1;
    bool mDropDown = false;
    int32_t mRowHeight = kDefaultRowHeight;
    Array<uint32_t> mSelectedIndices;
    int32_t mSelectedCount = 0;
    int32_t mRowDragThreshold = 1;
    int32_t mTopRow = 0;
    bool mCreatingRows = false;
    bool mApplyingDescriptor = false;
    bool mRowsEnabled = false;
    bool mLayoutSuspended = false;

private:
    KVRESULT OnItemMouseDown(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification);
    KVRESULT OnItemHoverChange(const RCPtr<LNotificationDistributor>& sender,
                               const RCPtr<LNotification>& notification);
    KVRESULT OnItemLeftDragChange(const RCPtr<LNotificationDistributor>& sender,
                                  const RCPtr<LNotification>& notification);
    // The hover and drag notifications carry the row and its look.
    // The scroll keys move the bars: 0 when there is the bar, 1 when not.
    KVRESULT PassKeyToBar(const RCPtr<LScrollbar>& bar, const RCPtr<LKeyParam>& param);
    void SendItemConditions(LListBoxItem& rowControl, const RCPtr<LNotification>& notification,
                            const char16_t* id);
};

} // namespace KV
