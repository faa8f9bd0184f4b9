// The list box's selection, scrolling to rows, activation, keys, and the pointer on its
// rows and in drop-down mode.

#include "Controls/ListBox.h"

#include "ControlBase/RootWindow.h"
#include "Controls/DropDownControl.h"
#include "Controls/Scrollbar.h"
#include "Notification/Notification.h"

#include <algorithm>

namespace KV {

namespace {

// Key presses without modifiers, and Shift with the arrows (the whole key code word).
constexpr uint32_t kKeyUp = 0x20260000;
constexpr uint32_t kKeyShiftUp = 0x22260000;
constexpr uint32_t kKeyDown = 0x20280000;
constexpr uint32_t kKeyShiftDown = 0x22280000;
constexpr uint32_t kKeyLeft = 0x20250000;
constexpr uint32_t kKeyRight = 0x20270000;
constexpr uint32_t kKeyPageUp = 0x20210000;
constexpr uint32_t kKeyPageDown = 0x20220000;
constexpr uint32_t kKeyHome = 0x20240000;
constexpr uint32_t kKeyEnd = 0x20230000;
constexpr uint32_t kKeyEnter = 0x200D0000;

bool Selected(double value)
{
    return value >= 0.5;
}

} // namespace

// ---- selection ----

int32_t LListBox::SelectRange(int32_t a, int32_t b, bool exclusive)
{
    const int32_t count = GetItemCount();
    if (b < 0)
        b = a;
    if (a < 0 || a >= count || b >= count)
        return E_INVALIDARG;
    RCPtr<LListBox> self(this);
    if (a == b && Selected(GetItemValue(a)) && (!exclusive || mSelectedCount == 1))
    {
        EnsureVisible(a);
        return a;
    }
    mAnchor = a;
    mCaret = b;
    bool changed = false;
    const auto setValue = [&](int32_t row, double value) {
        SetItemValue(row, value);
        changed = true;
    };
    if (exclusive)
    {
        const int32_t low = std::min(a, b);
        const int32_t high = std::max(a, b);
        for (int32_t row = count - 1; row >= 0; --row)
        {
            const bool inside = row >= low && row <= high;
            if (inside != Selected(GetItemValue(row)))
                setValue(row, inside ? 1.0 : 0.0);
        }
    }
    else
    {
        const int32_t step = a <= b ? 1 : -1;
        for (int32_t row = a;; row += step)
        {
            if (!Selected(GetItemValue(row)))
                setValue(row, 1.0);
            if (row == b)
                break;
        }
    }
    EnsureVisible(mCaret);
    if (changed)
        NotifySelectionChange();
    return a;
}

KVRESULT LListBox::DeselectItem(int32_t row)
{
    if (row < 0 || row >= GetItemCount() || !Selected(GetItemValue(row)))
        return S_FALSE;
    RCPtr<LListBox> self(this);
    SetItemValue(row, 0.0);
    const auto selected = [this](int32_t r) {
        return r >= 0 && r < GetItemCount() && Selected(GetItemValue(r));
    };
    if (mSelectedCount == 0)
        mAnchor = mCaret = -1;
    else if (row == mCaret)
    {
        // The caret moves to a selected neighbour, taking the anchor along when they were
        // one row; without one it goes back to the anchor.
        const int32_t next = selected(row + 1) ? row + 1 : (row > 0 && selected(row - 1)) ? row - 1 : -1;
        if (next >= 0)
        {
            if (mAnchor == mCaret)
                mAnchor = next;
            mCaret = next;
        }
        else
            mCaret = mAnchor;
    }
    else if (row == mAnchor)
    {
        if (selected(row + 1))
            mAnchor = row + 1;
        else if (selected(row - 1))
            mAnchor = row - 1;
        else
            mAnchor = -1;
    }
    NotifySelectionChange();
    return S_OK;
}

void LListBox::ClearSelection()
{
    RCPtr<LListBox> self(this);
    bool changed = false;
    for (int32_t row = 0; row < GetItemCount(); ++row)
        if (Selected(GetItemValue(row)))
        {
            SetItemValue(row, 0.0);
            changed = true;
        }
    if (changed)
        NotifySelectionChange();
}

const Array<uint32_t>& LListBox::GetSelectedIndices()
{
    mSelectedIndices.Clear();
    for (int32_t row = 0; row < GetItemCount(); ++row)
        if (Selected(GetItemValue(row)))
            mSelectedIndices.AddItem(static_cast<uint32_t>(row));
    return mSelectedIndices;
}

void LListBox::NotifySelectionChange()
{
    RCPtr<LListBox> self(this);
    OnSelectionChanged();
    if (!mDropDown)
        SendNotification(LNotification::Create(u"NID_SELECTION_CHANGE", nullptr));
}

// ---- scrolling to a row ----

KVRESULT LListBox::EnsureVisible(int32_t row)
{
    const int32_t count = GetItemCount();
    if (row < 0 || row >= count)
        return E_INVALIDARG;
    // The rows wholly in view, from the top row down.
    const double bottom = GetClientArea().y + GetClientArea().height + GetScrollOffset().y;
    int32_t visible = 0;
    for (const RCPtr<LListBoxItem>& control : mRows)
    {
        const RectT<double>& rect = control->GetRect();
        if (rect.y + rect.height > bottom)
            break;
        ++visible;
    }
    const int32_t last = mTopRow + visible - 1;
    if (row >= mTopRow && row <= last)
        return S_OK;
    // A view too small for a whole row still scrolls row by row.
    visible = std::max(visible, 1);
    int32_t top = row < mTopRow ? row : row - visible + 1;
    // Never past the last row, never above the first.
    top = std::max(std::min(top, count - visible), 0);
    ScrollToTopRow(top);
    return S_OK;
}

void LListBox::ActivateItem(int32_t row)
{
    if (row < 0 || row >= GetItemCount() || !IsItemSelectable(row))
        return;
    RCPtr<LListBox> self(this);
    if (!OnItemActivated(row))
        return;
    if (mDropDown)
        SetVisible(false);
    if (GetParent())
        SendNotification(LNotification::Create(u"NID_ITEM_ACTIVATED", nullptr));
}

// ---- the rows ----

int32_t LListBox::GetItemControlRow(const LControl* control) const
{
    for (size_t index = 0; index < mRows.size(); ++index)
        if (mRows[index].Get() == control)
            return mTopRow + static_cast<int32_t>(index);
    return -1;
}

int32_t LListBox::GetItemControlIndex(int32_t row) const
{
    const int64_t index = int64_t{row} - mTopRow;
    return index >= 0 && index < static_cast<int64_t>(mRows.size()) ? static_cast<int32_t>(index) : -1;
}

RCPtr<LListBoxItem> LListBox::GetItemControl(int32_t index) const
{
    return index >= 0 && index < static_cast<int32_t>(mRows.size()) ? mRows[index] : nullptr;
}

KVRESULT LListBox::SetItemHighlighted(int32_t row, bool highlighted)
{
    const int32_t index = GetItemControlIndex(row);
    if (index < 0)
        return S_FALSE;
    RCPtr<LListBoxItem>(mRows[index])->SetHighlighted(highlighted);
    return S_OK;
}

KVRESULT LListBox::ShowItemLook(int32_t row, int32_t lookIndex)
{
    const int32_t index = GetItemControlIndex(row);
    if (index < 0 || lookIndex < 0 || lookIndex >= mRows[index]->GetLookCount())
        return S_FALSE;
    return RCPtr<LListBoxItem>(mRows[index])->ShowLook(lookIndex);
}

RectT<double> LListBox::GetRowRect(int32_t row)
{
    const int32_t index = GetItemControlIndex(row);
    return index < 0 ? RectT<double>{} : mRows[index]->GetRect();
}

int32_t LListBox::GetRowAtPoint(const PointT<int32_t>& point)
{
    const RectT<double> client = GetClientRect(-1);
    const RectT<double> area = GetClientArea();
    const double x = point.x - client.x;
    const double y = point.y - client.y;
    if (x < 0 || x >= area.width || y < 0 || y >= area.height)
        return -1;
    const PointT<double>& scroll = GetScrollOffset();
    const PointT<int32_t> content = PointT<double>{x + scroll.x, y + scroll.y}.ToLong();
    for (int32_t index = static_cast<int32_t>(mRows.size()) - 1; index >= 0; --index)
    {
        LListBoxItem& control = *mRows[index];
        const RectT<double>& rect = control.GetRect();
        const PointT<int32_t> local = PointT<double>{content.x - rect.x, content.y - rect.y}.ToLong();
        if (control.HitTest(local))
        {
            const int32_t row = mTopRow + index;
            return row < GetItemCount() ? row : -1;
        }
    }
    return -1;
}

KVRESULT LListBox::SetDropDownMode(bool dropDown)
{
    mDropDown = dropDown;
    for (const RCPtr<LListBoxItem>& row : mRows)
        row->SetForwardCapture(dropDown);
    return S_OK;
}

// ---- the pointer on the rows ----

KVRESULT LListBox::OnItemMouseDown(const RCPtr<LNotificationDistributor>& sender,
                                   const RCPtr<LNotification>& notification)
{
    RCPtr<LListBoxItem> row = RCPtr<LListBoxItem>::DynamicCastFrom(sender);
    RCPtr<LMouseButtonParam> param = RCPtr<LMouseButtonParam>::DynamicCastFrom(notification->GetData());
    if (!row || !param || param->mButton != kMouseButtonLeft)
        return S_FALSE;
    const PointT<int32_t> point =
        MapPointFromControl(*row, {double(param->mPoint.x), double(param->mPoint.y)}).ToLong();
    RCPtr<LMouseButtonParam> moved = LMouseButtonParam::Create(param->mButton, point, param->mModifiers,
                                                               param->mIsDoubleClick, param->mButtonState);
    if (!mDropDown)
        HandleItemMouseDown(*row, moved);
    return S_FALSE;
}

void LListBox::HandleItemMouseDown(LListBoxItem& rowControl, const RCPtr<LMouseButtonParam>& param)
{
    const int32_t row = GetItemControlRow(&rowControl);
    if (row < 0 || row >= GetItemCount())
        return;
    RCPtr<LListBox> self(this);
    SelectRange(row, row, true);
    if (param && param->mIsDoubleClick)
        SendNotification(LNotification::Create(u"NID_ITEM_DOUBLE_CLICKED", nullptr));
}

KVRESULT LListBox::OnItemHoverChange(const RCPtr<LNotificationDistributor>& sender,
                                     const RCPtr<LNotification>& notification)
{
    RCPtr<LListBoxItem> row = RCPtr<LListBoxItem>::DynamicCastFrom(sender);
    if (!row || !row->IsEnabled(true))
        return S_FALSE;
    RCPtr<LListBox> self(this);
    const RCPtr<LConditionsParam> param = RCPtr<LConditionsParam>::DynamicCastFrom(notification->GetData());
    if (mDropDown && param && (param->mNewConditions & kConditionHoverOrHighlighted) != 0 &&
        (param->mOldConditions & kConditionHoverOrHighlighted) == 0)
        SelectRange(GetItemControlRow(row.Get()), -1, true);
    SendItemConditions(*row, notification, u"NID_ITEM_HOVER_CONDITION_CHANGE");
    return S_FALSE;
}

KVRESULT LListBox::OnItemLeftDragChange(const RCPtr<LNotificationDistributor>& sender,
                                        const RCPtr<LNotification>& notification)
{
    RCPtr<LListBoxItem> row = RCPtr<LListBoxItem>::DynamicCastFrom(sender);
    if (!row || !row->IsEnabled(true))
        return S_FALSE;
    SendItemConditions(*row, notification, u"NID_ITEM_LEFT_DRAG_CONDITION_CHANGE");
    return S_FALSE;
}

void LListBox::SendItemConditions(LListBoxItem& rowControl, const RCPtr<LNotification>& notification,
                                  const char16_t* id)
{
    const RCPtr<LConditionsParam> param = RCPtr<LConditionsParam>::DynamicCastFrom(notification->GetData());
    if (!param)
        return;
    SendNotification(LNotification::Create(
        id, LItemConditionsParam::Create(GetItemControlRow(&rowControl), rowControl.GetShownLookIndex(),
                                         rowControl.IsHovered() ? 1 : 0, param->mOldConditions,
                                         param->mNewConditions, param->mPressPoint)));
}

// ---- drop-down mode: the list box holds the capture of a press on a row ----

void LListBox::OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param)
{
    if (!mDropDown || !param || !mHasCapture || !(mLeftPressed || mLeftDragging))
        return;
    RCPtr<LListBox> self(this);
    const int32_t row = GetRowAtPoint(param->mPoint);
    if (row < 0)
        ClearSelection();
    else if (IsItemSelectable(row))
        SelectRange(row, -1, true);
}

void LListBox::OnLeftButtonUp(const RCPtr<LMouseButtonParam>& param)
{
    if (!mDropDown || !param)
        return;
    RCPtr<LListBox> self(this);
    const RCPtr<LControl> parent = GetParent();
    const int32_t row = GetRowAtPoint(param->mPoint);
    if (row >= 0 && parent)
    {
        ActivateItem(row);
        return;
    }
    // The list of a combo box or a menu entry closes on a release away from both.
    if (!RCPtr<LDropDownControl>::DynamicCastFrom(parent))
        return;
    const PointT<double> point =
        parent->MapPointFromControl(*this, {double(param->mPoint.x), double(param->mPoint.y)});
    const RectT<double>& rect = parent->GetRect();
    if (point.x < 0 || point.x >= rect.width || point.y < 0 || point.y >= rect.height)
        SetVisible(false);
}

// ---- keys ----

KVRESULT LListBox::PassKeyToBar(const RCPtr<LScrollbar>& bar, const RCPtr<LKeyParam>& param)
{
    if (!bar)
        return S_FALSE;
    static_cast<UITarget*>(RCPtr<LScrollbar>(bar).Get())->OnKey(LKeyParam::Create(param->mKeyCode, 0));
    return S_OK;
}

KVRESULT LListBox::OnKeyDown(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return S_FALSE;
    RCPtr<LListBox> self(this);
    const uint32_t code = param->mKeyCode.mCode;
    const int32_t count = GetItemCount();
    switch (code)
    {
    case kKeyUp:
    case kKeyShiftUp:
        for (int32_t row = std::min(mCaret, count) - 1; mCaret > 0 && row >= 0; --row)
            if (IsItemSelectable(row))
            {
                SelectRange(row, -1, true);
                break;
            }
        return S_OK;
    case kKeyDown:
    case kKeyShiftDown:
        for (int32_t row = std::max(mCaret, -1) + 1; row < count; ++row)
            if (IsItemSelectable(row))
            {
                SelectRange(row, -1, true);
                break;
            }
        return S_OK;
    case kKeyLeft:
    case kKeyRight:
        PassKeyToBar(mHBar, param);
        return S_OK;
    case kKeyEnter:
        if (mCaret >= 0)
            ActivateItem(mCaret);
        return S_OK;
    case kKeyPageUp:
    case kKeyPageDown:
        return PassKeyToBar(mVBar, param);
    case kKeyHome:
    case kKeyEnd:
    {
        const KVRESULT horizontal = PassKeyToBar(mHBar, param);
        const KVRESULT vertical = PassKeyToBar(mVBar, param);
        return horizontal == S_OK || vertical == S_OK ? S_OK : S_FALSE;
    }
    default:
        return S_FALSE;
    }
}

} // namespace KV
