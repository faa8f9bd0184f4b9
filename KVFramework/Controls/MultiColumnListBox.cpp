#include "Controls/MultiColumnListBox.h"

#include "Notification/Notification.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace KV {

namespace {

constexpr const char16_t* kSelectionChange = u"NID_SELECTION_CHANGE";
constexpr const char16_t* kScrollOffsetChange = u"NID_SCROLL_OFFSET_CHANGE";

bool IsSelected(const LListBox& column, int32_t row)
{
    return column.GetItemValue(row) >= 0.5;
}

} // namespace

LMultiColumnListBox::LMultiColumnListBox(const RCPtr<LControl>& parent, const String& name)
    : LPanel(parent, name)
{
}

LMultiColumnListBox::~LMultiColumnListBox() = default;

KVRESULT LMultiColumnListBox::Initialize()
{
    const KVRESULT base = LPanel::Initialize();
    mOwnHandler = LNotificationHandler<LMultiColumnListBox>::Create(this);
    // Columns and headers stay in place vertically while the table scrolls: the table
    // scrolls the columns' own content instead.
    const auto dockVertically = [](LControl& control) {
        LayoutAxisSpec spec = control.GetLayout()->GetAxisSpec(1);
        spec.mDocked = true;
        control.SetLayoutAxis(1, spec);
    };
    String name;
    for (int n = 1;; ++n)
    {
        name.Format(u"listboxNoScroll%d", n);
        RCPtr<LListBox> column = FindSubControl<LListBox>(*this, name.GetText());
        if (!column)
            break;
        const RCPtr<LNotificationDistributor> sender(column);
        KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LMultiColumnListBox::OnColumnItemHover, sender,
                                                      u"NID_ITEM_HOVER_CONDITION_CHANGE"));
        KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LMultiColumnListBox::OnColumnSelectionChange, sender,
                                                      kSelectionChange));
        KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LMultiColumnListBox::OnColumnItemActivated, sender,
                                                      u"NID_ITEM_ACTIVATED"));
        KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LMultiColumnListBox::OnColumnItemDoubleClicked, sender,
                                                      u"NID_ITEM_DOUBLE_CLICKED"));
        KV_THROW_IF_FAILED(
            mOwnHandler->AddHandlerFor(&LMultiColumnListBox::OnColumnScrolled, sender, kScrollOffsetChange));
        if (n == 1)
            KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LMultiColumnListBox::OnFirstColumnExtentChange,
                                                          sender, u"NID_CLIENT_EXTENT_CHANGE"));
        dockVertically(*column);
        mColumns.push_back(column);
    }
    for (int n = 1;; ++n)
    {
        name.Format(u"buttonColumnHeader%d", n);
        RCPtr<LButton> header = FindSubControl<LButton>(*this, name.GetText());
        if (!header)
            break;
        KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(
            &LMultiColumnListBox::OnHeaderClick, RCPtr<LNotificationDistributor>(header), u"NID_LEFT_CLICK"));
        dockVertically(*header);
        mHeaders.push_back(header);
    }
    mAscending.assign(mColumns.size(), true);
    SetAutoExtent(kAutoExtentOff, 0, 0);
    SetLineScrolling(true, mColumns.empty() ? 0 : mColumns.front()->GetRowHeight());
    if (mHeaders.empty())
        return base;
    return mHeaders.size() == mColumns.size() ? S_FALSE : S_OK;
}

KVRESULT LMultiColumnListBox::PostInitialize()
{
    for (size_t i = 1; i < mColumns.size(); ++i)
        mColumns[i]->SetNotFocusable(true);
    for (const RCPtr<LListBox>& column : mColumns)
    {
        // Limits the skin does not give in pixels: no maximum width, at least one row
        // high, no maximum height.
        const RCPtr<LControlDescriptor>& descriptor = column->GetDescriptor();
        const LLayoutDescriptor* skin = descriptor ? descriptor->mLayout.Get() : nullptr;
        const LLayoutDescriptor& own = *column->GetLayout();
        LayoutSizeLimitSpec minWidth = own.mXMinSize;
        LayoutSizeLimitSpec maxWidth = own.mXMaxSize;
        LayoutSizeLimitSpec minHeight = own.mYMinSize;
        LayoutSizeLimitSpec maxHeight = own.mYMaxSize;
        if (!skin || skin->mXMaxSize.mAbs == 0)
            maxWidth = LayoutSizeLimitSpec{};
        if (!skin || skin->mYMinSize.mAbs == 0)
            minHeight = LayoutSizeLimitSpec{false, String(), 0, static_cast<double>(column->GetRowHeight())};
        if (!skin || skin->mYMaxSize.mAbs == 0)
            maxHeight = LayoutSizeLimitSpec{};
        column->SetSizeLimits(0, minWidth, maxWidth);
        column->SetSizeLimits(1, minHeight, maxHeight);
    }
    UpdateExtent();
    return S_OK;
}

KVRESULT LMultiColumnListBox::Receive(const RCPtr<LNotificationDistributor>& sender,
                                      const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LPanel>(*this, mOwnHandler, sender, notification);
}

KVRESULT LMultiColumnListBox::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LPanel>(*this, mOwnHandler, distributor, id);
}

int32_t LMultiColumnListBox::GetRowCount() const
{
    return mColumns.empty() ? 0 : mColumns.front()->GetItemCount();
}

String LMultiColumnListBox::GetCellText(int32_t column, int32_t row) const
{
    if (column < 0 || column >= GetColumnCount() || row < 0 || row >= GetRowCount())
        return String();
    // A column shorter than the first has no text for the rows it lacks.
    return mColumns[static_cast<size_t>(column)]->GetItemText(row);
}

int32_t LMultiColumnListBox::ColumnIndexOf(const LNotificationDistributor* sender) const
{
    for (size_t i = 0; i < mColumns.size(); ++i)
        if (static_cast<const LNotificationDistributor*>(mColumns[i].Get()) == sender)
            return static_cast<int32_t>(i);
    return -1;
}

void LMultiColumnListBox::UpdateExtent()
{
    if (mColumns.empty())
        return;
    SetLineScrolling(true, mColumns.front()->GetRowHeight());
    const RectT<double>& last = mColumns.back()->GetRect();
    SetClientExtent(last.x + last.width, mColumns.front()->GetClientExtent().height);
}

int32_t LMultiColumnListBox::InvalidateChildArea(const RCPtr<LControl>& child)
{
    const int32_t result = LPanel::InvalidateChildArea(child);
    if (!mColumns.empty() && child == RCPtr<LControl>(mColumns.back()))
        UpdateExtent();
    return result;
}

RectT<double> LMultiColumnListBox::GetClientArea()
{
    if (mColumns.empty())
        return {};
    const LListBox& first = *mColumns.front();
    return {first.GetRect().x, first.GetRect().y, LPanel::GetClientArea().width - GetBarThickness().width,
            first.GetClientRect(-1).height};
}

int32_t LMultiColumnListBox::ScrollOffscreenBuffer(const PointT<double>& oldOffset)
{
    RCPtr<LMultiColumnListBox> self(this);
    const double y = GetScrollOffset().y;
    {
        // The columns' own changes must not come back here.
        const bool wasSyncing = std::exchange(mSyncingScroll, true);
        for (const RCPtr<LListBox>& column : mColumns)
            column->SetScrollOffset({column->GetScrollOffset().x, y});
        mSyncingScroll = wasSyncing;
    }
    return LPanel::ScrollOffscreenBuffer(oldOffset);
}

KVRESULT LMultiColumnListBox::OnColumnScrolled(const RCPtr<LNotificationDistributor>& sender,
                                               const RCPtr<LNotification>&)
{
    const int32_t column = ColumnIndexOf(sender.Get());
    if (mSyncingScroll || column < 0)
        return S_FALSE;
    RCPtr<LMultiColumnListBox> self(this);
    SetScrollOffset({GetScrollOffset().x, mColumns[static_cast<size_t>(column)]->GetScrollOffset().y});
    return S_FALSE;
}

KVRESULT LMultiColumnListBox::OnFirstColumnExtentChange(const RCPtr<LNotificationDistributor>&,
                                                        const RCPtr<LNotification>&)
{
    UpdateExtent();
    return S_FALSE;
}

KVRESULT LMultiColumnListBox::OnColumnSelectionChange(const RCPtr<LNotificationDistributor>& sender,
                                                      const RCPtr<LNotification>&)
{
    const int32_t from = ColumnIndexOf(sender.Get());
    if (from < 0)
        return S_FALSE;
    RCPtr<LMultiColumnListBox> self(this);
    const RCPtr<LListBox> source = mColumns[static_cast<size_t>(from)];
    for (int32_t row = source->GetItemCount() - 1; row >= 0; --row)
    {
        const bool selected = IsSelected(*source, row);
        for (size_t j = 0; j < mColumns.size(); ++j)
        {
            const RCPtr<LListBox>& column = mColumns[j];
            if (static_cast<int32_t>(j) == from || row >= column->GetItemCount() ||
                IsSelected(*column, row) == selected)
                continue;
            // The column's own change must not come back here.
            CAutoNotificationDisabler<LMultiColumnListBox> quiet(
                mOwnHandler, RCPtr<LNotificationDistributor>(column), kSelectionChange);
            if (selected)
                column->SelectRange(row, -1, true);
            else
                column->DeselectItem(row);
        }
    }
    SendNotification(LNotification::Create(kSelectionChange));
    return S_FALSE;
}

KVRESULT LMultiColumnListBox::OnColumnItemHover(const RCPtr<LNotificationDistributor>& sender,
                                                const RCPtr<LNotification>& notification)
{
    const int32_t from = ColumnIndexOf(sender.Get());
    const RCPtr<LItemConditionsParam> param =
        notification ? RCPtr<LItemConditionsParam>::DynamicCastFrom(notification->GetData()) : nullptr;
    if (from < 0 || !param)
        return S_FALSE;
    RCPtr<LMultiColumnListBox> self(this);
    const bool wasHot = (param->mOldConditions & kConditionHoverOrHighlighted) != 0;
    const bool isHot = (param->mNewConditions & kConditionHoverOrHighlighted) != 0;
    const int32_t row = param->mItemIndex;
    if (isHot && !wasHot && param->mItemFlag == 0)
        return S_FALSE; // only highlighted, by another column
    for (size_t j = 0; j < mColumns.size(); ++j)
    {
        if (static_cast<int32_t>(j) == from)
            continue;
        if (isHot && !wasHot)
            mColumns[j]->SetItemHighlighted(row, true);
        else if (!isHot && wasHot)
            mColumns[j]->SetItemHighlighted(row, false);
        else
            mColumns[j]->ShowItemLook(row, param->mLookIndex);
    }
    if (isHot != wasHot)
        mHoveredRow = isHot ? row : -1;
    return S_FALSE;
}

KVRESULT LMultiColumnListBox::OnColumnItemActivated(const RCPtr<LNotificationDistributor>&,
                                                    const RCPtr<LNotification>&)
{
    SendNotification(LNotification::Create(u"NID_ITEM_ACTIVATED"));
    return S_FALSE;
}

KVRESULT LMultiColumnListBox::OnColumnItemDoubleClicked(const RCPtr<LNotificationDistributor>&,
                                                        const RCPtr<LNotification>&)
{
    SendNotification(LNotification::Create(u"NID_ITEM_DOUBLE_CLICKED"));
    return S_FALSE;
}

KVRESULT LMultiColumnListBox::OnHeaderClick(const RCPtr<LNotificationDistributor>& sender,
                                            const RCPtr<LNotification>&)
{
    for (size_t i = 0; i < mHeaders.size(); ++i)
        if (static_cast<const LNotificationDistributor*>(mHeaders[i].Get()) == sender.Get())
            PerformSort(static_cast<int32_t>(i));
    return S_FALSE;
}

KVRESULT LMultiColumnListBox::PerformSort(int32_t key)
{
    RCPtr<LMultiColumnListBox> self(this);
    const int32_t rows = GetRowCount();
    struct Entry
    {
        int32_t row;
        String text;
    };
    std::vector<Entry> entries;
    entries.reserve(static_cast<size_t>(rows));
    std::vector<bool> subMenu(static_cast<size_t>(rows));
    for (int32_t row = 0; row < rows; ++row)
    {
        entries.push_back({row, GetCellText(key, row).ToLower()});
        subMenu[static_cast<size_t>(row)] = mColumns.front()->GetItemSubMenuFlag(row);
    }
    const bool keyIsColumn = key >= 0 && key < GetColumnCount();
    std::vector<bool> wasSelected(static_cast<size_t>(rows));
    if (keyIsColumn)
        for (int32_t row = 0; row < rows; ++row)
            wasSelected[static_cast<size_t>(row)] = IsSelected(*mColumns[static_cast<size_t>(key)], row);

    // The re-selection below is the sort's own: the columns' selection changes are not
    // heard while it happens.
    for (const RCPtr<LListBox>& column : mColumns)
    {
        if (!mOwnHandler->RemoveHandler(column.Get(), kSelectionChange))
            KV_THROW_FAILED_RESULT(E_FAIL);
        KV_THROW_IF_FAILED(UnregisterNotification(RCPtr<LNotificationDistributor>(column), kSelectionChange));
    }
    for (const RCPtr<LListBox>& column : mColumns)
        column->ClearSelection();

    // Rows of equal texts keep their order in both directions.
    const bool ascending = !keyIsColumn || mAscending[static_cast<size_t>(key)];
    std::stable_sort(entries.begin(), entries.end(), [ascending](const Entry& a, const Entry& b) {
        return ascending ? a.text.IsLess(b.text) : b.text.IsLess(a.text);
    });
    if (keyIsColumn)
        mAscending[static_cast<size_t>(key)] = !ascending;

    for (const RCPtr<LListBox>& column : mColumns)
    {
        // Only the rows the column has are moved, and only from rows it has.
        const int32_t count = column->GetItemCount();
        std::vector<RCPtr<LRefCountedObject>> data;
        data.reserve(static_cast<size_t>(count));
        for (int32_t row = 0; row < count; ++row)
            data.push_back(column->GetItem(row).mData);
        for (int32_t row = 0; row < std::min(rows, count); ++row)
        {
            const int32_t from = entries[static_cast<size_t>(row)].row;
            column->SetItemData(row, from < count ? data[static_cast<size_t>(from)] : nullptr);
        }
    }
    for (int32_t row = 0; row < rows; ++row)
    {
        const size_t from = static_cast<size_t>(entries[static_cast<size_t>(row)].row);
        for (const RCPtr<LListBox>& column : mColumns)
        {
            column->SetItemSubMenuFlag(row, subMenu[from]);
            if (wasSelected[from])
                column->SelectRange(row, -1, false);
        }
    }

    for (const RCPtr<LListBox>& column : mColumns)
        KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LMultiColumnListBox::OnColumnSelectionChange,
                                                      RCPtr<LNotificationDistributor>(column),
                                                      kSelectionChange));
    return S_OK;
}

} // namespace KV
