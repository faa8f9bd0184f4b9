// The list box's items: records, their texts, insertion and removal, and items from
// string tables.

#include "Controls/ListBox.h"

#include "Storage/WrapperStringable.h"

#include <algorithm>
#include <map>

namespace KV {

namespace {

// Stands for every row that does not exist.
const ListBoxItemRecord kEmptyRecord;

// Item numbers of string tables above this are skin errors, not lists of that length.
constexpr int32_t kMaxStringTableItem = 0xFFFF;

bool TextsEqual(const String& a, const String& b, bool caseSensitive)
{
    return caseSensitive ? a == b : a.ToLower() == b.ToLower();
}

// Sets the flag while the scope lasts: many items change and the layout waits for the end.
class LayoutSuspension
{
public:
    explicit LayoutSuspension(bool& flag) : mFlag(flag), mWas(flag) { mFlag = true; }
    ~LayoutSuspension() { mFlag = mWas; }
    LayoutSuspension(const LayoutSuspension&) = delete;
    LayoutSuspension& operator=(const LayoutSuspension&) = delete;

private:
    bool& mFlag;
    bool mWas;
};

} // namespace

RCPtr<LRefCountedObject> LListBox::MakeTextData(const String& text)
{
    return RCPtr<LRefCountedObject>(LWrapperStringable<>::Create(text));
}

int32_t LListBox::GetItemCount() const
{
    return static_cast<int32_t>(mRecords.size());
}

const ListBoxItemRecord& LListBox::GetItem(int32_t row) const
{
    return row >= 0 && row < GetItemCount() ? mRecords[row] : kEmptyRecord;
}

KVRESULT LListBox::InsertItem(int32_t row)
{
    if (row < 0 || row > GetItemCount())
        return E_INVALIDARG;
    mRecords.insert(mRecords.begin() + row, ListBoxItemRecord{});
    return S_OK;
}

KVRESULT LListBox::RemoveItem(int32_t row)
{
    if (row < 0 || row >= GetItemCount())
        return E_INVALIDARG;
    if (mRecords[row].mValue >= 0.5)
        --mSelectedCount;
    mRecords.erase(mRecords.begin() + row);
    return S_OK;
}

KVRESULT LListBox::SwapItems(int32_t a, int32_t b)
{
    if (a < 0 || b < 0 || a >= GetItemCount() || b >= GetItemCount())
        return E_INVALIDARG;
    std::swap(mRecords[a], mRecords[b]);
    return S_OK;
}

String LListBox::GetItemText(int32_t row) const
{
    const ListBoxItemRecord& record = GetItem(row);
    return record.mData ? record.mData->ToString() : String();
}

double LListBox::GetItemValue(int32_t row) const
{
    return GetItem(row).mValue;
}

KVRESULT LListBox::SetItemValue(int32_t row, double value)
{
    if (row < 0 || row >= GetItemCount())
        return S_OK;
    ListBoxItemRecord& record = mRecords[row];
    const bool was = record.mValue >= 0.5;
    const bool now = value >= 0.5;
    record.mValue = value;
    if (was != now)
        mSelectedCount += now ? 1 : -1;
    UpdateItemControl(row);
    return S_OK;
}

int32_t LListBox::SetItemSubMenuFlag(int32_t row, bool hasSubMenu)
{
    if (row < 0 || row >= GetItemCount())
        return 0;
    mRecords[row].mHasSubMenu = hasSubMenu;
    UpdateItemControl(row);
    return 1;
}

int32_t LListBox::SetItemSeparator(int32_t row, bool separator)
{
    if (row < 0 || row >= GetItemCount())
        return 0;
    mRecords[row].mSeparator = separator;
    UpdateItemControl(row);
    return 1;
}

bool LListBox::GetItemSubMenuFlag(int32_t row) const
{
    return GetItem(row).mHasSubMenu;
}

int32_t LListBox::InsertItemWithData(int32_t row, const RCPtr<LRefCountedObject>& data)
{
    if (KV_FAILED(InsertItem(row)))
        return E_INVALIDARG;
    RCPtr<LListBox> self(this);
    mRecords[row].mData = data;
    EnsureItemControls();
    UpdateItemControls(row);
    LayoutItemControls();
    if (const int32_t width = MeasureItem(row); width > mWidestItemWidth)
        SetWidestItemWidth(width);
    if (mDropDown)
        FitHeightToContent(GetContentHeight());
    return row;
}

int32_t LListBox::RemoveItemAt(int32_t row)
{
    if (row < 0 || row >= GetItemCount())
        return E_INVALIDARG;
    RCPtr<LListBox> self(this);
    const int32_t width = MeasureItem(row);
    DeselectItem(row);
    if (KV_FAILED(RemoveItem(row)))
        return E_INVALIDARG;
    const int32_t count = GetItemCount();
    if (mCaret >= count || mAnchor >= count)
        mCaret = mAnchor = -1;
    EnsureItemControls();
    UpdateItemControls(row);
    // The extent shrinks with the content.
    LayoutItemControls();
    if (width >= mWidestItemWidth)
        UpdateWidestItem();
    if (mDropDown)
        FitHeightToContent(GetContentHeight());
    return count;
}

KVRESULT LListBox::RemoveAllItems()
{
    RCPtr<LListBox> self(this);
    KVRESULT result = S_OK;
    for (int32_t row = GetItemCount() - 1; row >= 0; --row)
        if (KV_FAILED(RemoveItemAt(row)))
            result = E_FAIL;
    mAnchor = mCaret = -1;
    return result;
}

int32_t LListBox::SetItemCount(int32_t count)
{
    if (count < 0)
        return E_INVALIDARG;
    if (count == GetItemCount())
        return count;
    RCPtr<LListBox> self(this);
    {
        LayoutSuspension suspended(mLayoutSuspended);
        while (GetItemCount() < count)
            if (KV_FAILED(InsertItemWithData(GetItemCount(), nullptr)))
                return -GetItemCount();
        while (GetItemCount() > count)
            if (KV_FAILED(RemoveItemAt(GetItemCount() - 1)))
                return -GetItemCount();
    }
    LayoutItemControls();
    UpdateWidestItem();
    if (mDropDown)
        FitHeightToContent(GetContentHeight());
    return count;
}

KVRESULT LListBox::SetItemData(int32_t row, const RCPtr<LRefCountedObject>& data)
{
    if (row < 0 || row >= GetItemCount() || mRecords[row].mData == data)
        return S_OK;
    RCPtr<LListBox> self(this);
    const int32_t oldWidth = MeasureItem(row);
    mRecords[row].mData = data;
    RefreshItemText(row);
    if (oldWidth >= mWidestItemWidth)
        UpdateWidestItem();
    else if (const int32_t width = MeasureItem(row); width > mWidestItemWidth)
        SetWidestItemWidth(width);
    return S_OK;
}

KVRESULT LListBox::SetItemRecord(int32_t row, const RCPtr<LRefCountedObject>& data, double value,
                                 bool hasSubMenu, bool separator)
{
    if (row < 0 || row >= GetItemCount())
        return S_OK;
    RCPtr<LListBox> self(this);
    mRecords[row].mHasSubMenu = hasSubMenu;
    mRecords[row].mSeparator = separator;
    SetItemValue(row, value);
    SetItemData(row, data);
    RefreshItemText(row);
    return S_OK;
}

void LListBox::RefreshItemText(int32_t row)
{
    if (GetItemControlIndex(row) < 0)
        return;
    RCPtr<LListBox> self(this);
    UpdateItemControl(row);
    if (mDropDown)
    {
        LayoutItemControls();
        FitHeightToContent(GetContentHeight());
    }
}

int32_t LListBox::FindItemByText(const String& text, bool caseSensitive) const
{
    for (int32_t row = GetItemCount() - 1; row >= 0; --row)
        if (mRecords[row].mData && TextsEqual(GetItemText(row), text, caseSensitive))
            return row;
    return -1;
}

int32_t LListBox::SelectNextByText(const String& text, int32_t start, bool caseSensitive)
{
    const int32_t count = GetItemCount();
    if (start < -1 || start >= count)
        start = -1;
    for (int32_t step = 1; step <= count; ++step)
    {
        const int32_t row = (start + step) % count;
        if (mRecords[row].mData && TextsEqual(GetItemText(row), text, caseSensitive))
        {
            SelectRange(row, -1, true);
            return row;
        }
    }
    return -1;
}

KVRESULT LListBox::LoadItemsFromStringTable(const RCPtr<LStringTable>& table)
{
    if (!table)
        return E_INVALIDARG;
    RCPtr<LListBox> self(this);
    RemoveAllItems();
    Array<LStringTable::Entry> entries;
    table->GetEntriesWithPrefix(String(u"ITEM."), entries);
    std::map<int32_t, String> texts;
    for (uint32_t i = 0; i < entries.GetCount(); ++i)
    {
        const LStringTable::Entry& entry = *entries.GetAtConst(i);
        // The row number: decimal digits, blanks before them allowed. A key without them, a
        // negative number or one no list could hold names no item.
        const String number = entry.first.MidFrom(5).TrimLeft();
        if (number.GetLength() == 0 || number.GetText()[0] < u'0' || number.GetText()[0] > u'9')
            continue;
        const int32_t n = number.ToInt();
        if (n < 0 || n > kMaxStringTableItem)
            continue;
        texts[n] = entry.second;
    }
    if (texts.empty())
        return S_OK;
    {
        LayoutSuspension suspended(mLayoutSuspended);
        SetItemCount(texts.rbegin()->first + 1);
        for (int32_t row = 0; row < GetItemCount(); ++row)
        {
            const auto found = texts.find(row);
            SetItemData(row, MakeTextData(found != texts.end() ? found->second : String()));
        }
    }
    LayoutItemControls();
    UpdateWidestItem();
    if (mDropDown)
        FitHeightToContent(GetContentHeight());
    return S_OK;
}

} // namespace KV
