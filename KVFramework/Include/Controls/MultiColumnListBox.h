#pragma once
// LMultiColumnListBox: a table whose columns are list boxes without scroll bars, side by
// side, with a header button above each. A row is the records of one index in every
// column; the caller fills the columns with the same number of rows (the first column's
// count is the table's). The table keeps the columns' selections, hover highlights and
// vertical scrolling in step, passes on the activation and double click of any column,
// and sorts every column by one column's texts when its header is clicked, ascending
// first and the other way round the next time.
//
// The skin gives the columns "listboxNoScroll1", "listboxNoScroll2", ... and the headers
// "buttonColumnHeader1", ...

#include "Controls/Button.h"
#include "Controls/ListBox.h"
#include "Controls/Panel.h"

#include <vector>

namespace KV {

class LMultiColumnListBox : public LPanel
{
public:
    LMultiColumnListBox(const RCPtr<LControl>& parent, const String& name);

    // Finds the columns and the headers. With headers: 1 when there is one per column,
    // else 0; without, the panel's answer.
    KVRESULT Initialize() override;
    // Only the first column takes the focus; the columns' size limits follow their rows.
    KVRESULT PostInitialize() override;
    // The last column's rectangle changed: the table's extent follows it.
    int32_t InvalidateChildArea(const RCPtr<LControl>& child) override;
    // Every column takes the table's vertical offset.
    int32_t ScrollOffscreenBuffer(const PointT<double>& oldOffset) override;
    // Where the rows show: the first column's place and height, the table's width less the
    // vertical bar; all 0 without columns.
    RectT<double> GetClientArea() override;

    // Sorts every column by the texts of one column (letter case ignored), ascending or
    // descending by turns; rows of equal texts keep their order, selected rows stay
    // selected. Returns 0; throws when a column's selection registration cannot be taken
    // out or put back.
    KVRESULT PerformSort(int32_t column);
    // The text of a row of a column; empty outside the table.
    String GetCellText(int32_t column, int32_t row) const;
    int32_t GetColumnCount() const noexcept { return static_cast<int32_t>(mColumns.size()); }
    const RCPtr<LListBox>& GetColumn(int32_t column) const
    {
        return mColumns.at(static_cast<size_t>(column));
    }
    int32_t GetRowCount() const;
    int32_t GetHoveredRow() const noexcept { return mHoveredRow; }

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LMultiColumnListBox() override;

private:
    KVRESULT OnColumnSelectionChange(const RCPtr<LNotificationDistributor>& sender,
                                     const RCPtr<LNotification>& notification);
    KVRESULT OnColumnItemHover(const RCPtr<LNotificationDistributor>& sender,
                               const RCPtr<LNotification>& notification);
    KVRESULT OnColumnItemActivated(const RCPtr<LNotificationDistributor>& sender,
                                   const RCPtr<LNotification>& notification);
    KVRESULT OnColumnItemDoubleClicked(const RCPtr<LNotificationDistributor>& sender,
                                       const RCPtr<LNotification>& notification);
    KVRESULT OnFirstColumnExtentChange(const RCPtr<LNotificationDistributor>& sender,
                                       const RCPtr<LNotification>& notification);
    // Any column scrolled on its own (keys, a row made visible): the table and the other
    // columns follow.
    KVRESULT OnColumnScrolled(const RCPtr<LNotificationDistributor>& sender,
                              const RCPtr<LNotification>& notification);
    KVRESULT OnHeaderClick(const RCPtr<LNotificationDistributor>& sender,
                           const RCPtr<LNotification>& notification);
    int32_t ColumnIndexOf(const LNotificationDistributor* sender) const;
    // The extent: to the last column's right edge, as high as the first column's content.
    void UpdateExtent();

    RCPtr<LNotificationHandler<LMultiColumnListBox>> mOwnHandler;
    std::vector<RCPtr<LListBox>> mColumns;
    std::vector<RCPtr<LButton>> mHeaders;
    std::vector<bool> mAscending;
    int32_t mHoveredRow = -1;
    bool mSyncingScroll = false;
};

} // namespace KV
