#include "Controls/CheckedListBox.h"

#include <optional>
#include <typeinfo>

namespace KV {

namespace {

constexpr int32_t kIconLook = 3;

} // namespace

// ---- LCheckedListBoxItem ----

LCheckedListBoxItem::LCheckedListBoxItem(const RCPtr<LControl>& parent, const String& name)
    : LListBoxItem(parent, name)
{
}

LCheckedListBoxItem::~LCheckedListBoxItem() = default;

KVRESULT LCheckedListBoxItem::Initialize()
{
    const KVRESULT base = LListBoxItem::Initialize();
    mOwnHandler = LNotificationHandler<LCheckedListBoxItem>::Create(this);
    mCheckBox = FindSubControl<LButton>(*this, u"checkBox");
    if (mOwnHandler && mCheckBox)
    {
        KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LCheckedListBoxItem::OnCheckBoxHoverChange,
                                                      RCPtr<LNotificationDistributor>(mCheckBox),
                                                      u"NID_HOVER_CONDITION_CHANGE"));
        mCheckBox->SetNotFocusable(true);
        mCheckBox->SetUseParentToolTip(true);
    }
    return base;
}

KVRESULT LCheckedListBoxItem::OnCheckBoxHoverChange(const RCPtr<LNotificationDistributor>&,
                                                    const RCPtr<LNotification>& notification)
{
    const auto* param = dynamic_cast<const LConditionsParam*>(notification->GetData().Get());
    if (param)
        SetHighlighted((param->mNewConditions & kConditionHover) != 0 &&
                       (param->mOldConditions & kConditionHover) == 0);
    return S_OK;
}

bool LCheckedListBoxItem::SetLookAndCheckBox(int32_t lookIndex, bool exclusive)
{
    const bool shown = KV_SUCCEEDED(SetLookWeight(lookIndex, 1.0f, exclusive));
    if (!shown || !IsCreated() || !mCheckBoxFollowsLook)
        return shown;
    return KV_SUCCEEDED(ShowCheckBoxLook(lookIndex));
}

KVRESULT LCheckedListBoxItem::ShowCheckBoxLook(int32_t lookIndex)
{
    if (!IsCreated() || !mCheckBox)
        return S_FALSE;
    return mCheckBox->ShowLook(lookIndex);
}

void LCheckedListBoxItem::SetCheckBoxVisible(bool visible)
{
    if (mCheckBox)
        mCheckBox->SetVisible(visible);
}

void LCheckedListBoxItem::SetCheckBoxValue(bool checked)
{
    if (mCheckBox)
        mCheckBox->SetNormalizedValue(checked ? 1.0 : 0.0);
}

void LCheckedListBoxItem::SetCheckBoxImage(const RCPtr<LBitmap>& image)
{
    if (!mCheckBox)
        return;
    for (int32_t look = mCheckBox->GetLookCount() - 1; look >= 0; --look)
        mCheckBox->SetLookBitmap(image, ResizeType::Tile, look, false);
}

KVRESULT LCheckedListBoxItem::Receive(const RCPtr<LNotificationDistributor>& sender,
                                      const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LListBoxItem>(*this, mOwnHandler, sender, notification);
}

KVRESULT LCheckedListBoxItem::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LListBoxItem>(*this, mOwnHandler, distributor, id);
}

// ---- LCheckedListBox ----

LCheckedListBox::LCheckedListBox(const RCPtr<LControl>& parent, const String& name) : LListBox(parent, name)
{
}

LCheckedListBox::~LCheckedListBox() = default;

KVRESULT LCheckedListBox::Initialize()
{
    const KVRESULT base = LListBox::Initialize();
    // The rows made by the list box's set-up made the table already.
    if (!mCheckedHandler)
        mCheckedHandler = LNotificationHandler<LCheckedListBox>::Create(this);
    // Only the icon list itself takes icons from look 3; its subclasses use that look for
    // themselves.
    if (typeid(*this) == typeid(LCheckedListBox) && GetLookCount() > kIconLook)
    {
        if (const RCPtr<LLook> look = GetLook(kIconLook))
            for (const RCPtr<LVisualPart>& part : look->GetParts())
                if (part && part->GetBitmap())
                    mIcons.push_back(part->GetBitmap());
        SetCheckBoxLooksExternal(true);
        UpdateItemControls(GetTopRow());
    }
    return base;
}

void LCheckedListBox::SetItemChecked(int32_t row, bool checked)
{
    if (row < 0 || row >= static_cast<int32_t>(mChecks.size()) ||
        mChecks[static_cast<size_t>(row)].checked == checked)
        return;
    mChecks[static_cast<size_t>(row)].checked = checked;
    mCheckedCount += checked ? 1 : -1;
    UpdateItemControl(row);
}

bool LCheckedListBox::IsItemChecked(int32_t row) const
{
    return row >= 0 && row < static_cast<int32_t>(mChecks.size()) &&
           mChecks[static_cast<size_t>(row)].checked;
}

RCPtr<LBitmap> LCheckedListBox::GetItemImage(int32_t row) const
{
    if (row < 0 || row >= static_cast<int32_t>(mChecks.size()))
        return nullptr;
    if (!mIcons.empty())
        return mIcons[static_cast<size_t>(row) % mIcons.size()];
    return mChecks[static_cast<size_t>(row)].image;
}

void LCheckedListBox::SetItemImage(int32_t row, const RCPtr<LBitmap>& image)
{
    if (row < 0 || row >= static_cast<int32_t>(mChecks.size()))
        return;
    mChecks[static_cast<size_t>(row)].image = image;
    UpdateItemControl(row);
}

void LCheckedListBox::SetCheckBoxLooksExternal(bool external)
{
    mCheckBoxLooksExternal = external;
    for (int32_t index = 0; index < GetItemControlCount(); ++index)
        if (const auto row = RCPtr<LCheckedListBoxItem>::DynamicCastFrom(GetItemControl(index)))
            if (row->GetCheckBox())
                row->GetCheckBox()->SetPassive(external);
}

void LCheckedListBox::Recount()
{
    mChecks.resize(static_cast<size_t>(GetItemCount()));
    mCheckedCount = 0;
    for (const CheckState& state : mChecks)
        mCheckedCount += state.checked ? 1 : 0;
}

int32_t LCheckedListBox::SetItemCount(int32_t count)
{
    const int32_t result = LListBox::SetItemCount(count);
    Recount();
    return result;
}

KVRESULT LCheckedListBox::SwapItems(int32_t a, int32_t b)
{
    const KVRESULT result = LListBox::SwapItems(a, b);
    if (KV_SUCCEEDED(result) && a >= 0 && b >= 0 && static_cast<size_t>(a) < mChecks.size() &&
        static_cast<size_t>(b) < mChecks.size())
        std::swap(mChecks[static_cast<size_t>(a)], mChecks[static_cast<size_t>(b)]);
    return result;
}

KVRESULT LCheckedListBox::InsertItem(int32_t row)
{
    const KVRESULT result = LListBox::InsertItem(row);
    if (KV_SUCCEEDED(result) && row >= 0 && static_cast<size_t>(row) <= mChecks.size())
        mChecks.insert(mChecks.begin() + row, CheckState{});
    return result;
}

KVRESULT LCheckedListBox::RemoveItem(int32_t row)
{
    const KVRESULT result = LListBox::RemoveItem(row);
    if (KV_SUCCEEDED(result) && row >= 0 && static_cast<size_t>(row) < mChecks.size())
    {
        mCheckedCount -= mChecks[static_cast<size_t>(row)].checked ? 1 : 0;
        mChecks.erase(mChecks.begin() + row);
    }
    return result;
}

KVRESULT LCheckedListBox::CreateItemControl()
{
    const KVRESULT result = LListBox::CreateItemControl();
    if (KV_FAILED(result) || GetItemControlCount() == 0)
        return result;
    const auto row = RCPtr<LCheckedListBoxItem>::DynamicCastFrom(GetItemControl(GetItemControlCount() - 1));
    if (!row)
        return result;
    row->SetCheckBoxFollowsLook(mCheckBoxFollowsLook);
    const RCPtr<LButton>& checkBox = row->GetCheckBox();
    if (!checkBox)
        return result;
    checkBox->SetPassive(mCheckBoxLooksExternal);
    checkBox->SetAutoValueSet(mCheckBoxTogglesItself);
    if (!mCheckedHandler)
        mCheckedHandler = LNotificationHandler<LCheckedListBox>::Create(this);
    const RCPtr<LNotificationDistributor> sender(checkBox);
    if (mCheckBoxTogglesItself)
        KV_THROW_IF_FAILED(mCheckedHandler->AddHandlerFor(&LCheckedListBox::OnCheckBoxValueChange, sender,
                                                          u"NID_VALUE_CHANGE"));
    else
        KV_THROW_IF_FAILED(
            mCheckedHandler->AddHandlerFor(&LCheckedListBox::OnCheckBoxClicked, sender, u"NID_LEFT_CLICK"));
    UpdateItemControl(GetTopRow() + GetItemControlCount() - 1);
    return result;
}

KVRESULT LCheckedListBox::UpdateItemControl(int32_t row)
{
    const int32_t index = GetItemControlIndex(row);
    if (index < 0)
        return S_FALSE;
    const KVRESULT result = LListBox::UpdateItemControl(row);
    const auto rowControl = RCPtr<LCheckedListBoxItem>::DynamicCastFrom(GetItemControl(index));
    if (!rowControl || !rowControl->GetCheckBox())
        return result;
    const bool exists = row >= 0 && row < GetItemCount();
    {
        // The change is the list's own, not a click.
        const RCPtr<LNotificationDistributor> sender(rowControl->GetCheckBox());
        std::optional<CAutoNotificationDisabler<LCheckedListBox>> quiet;
        if (mCheckBoxTogglesItself && mCheckedHandler &&
            mCheckedHandler->HasHandler(sender.Get(), u"NID_VALUE_CHANGE"))
            quiet.emplace(mCheckedHandler, sender, u"NID_VALUE_CHANGE");
        rowControl->SetCheckBoxValue(exists && IsItemChecked(row));
    }
    rowControl->SetCheckBoxImage(exists ? GetItemImage(row) : nullptr);
    rowControl->SetCheckBoxVisible(exists);
    return result;
}

int32_t LCheckedListBox::RowOfCheckBox(const RCPtr<LNotificationDistributor>& checkBox) const
{
    const auto* control = dynamic_cast<LControl*>(checkBox.Get());
    if (!control || !control->GetParent())
        return -1;
    const int32_t row = GetItemControlRow(control->GetParent().Get());
    return row >= 0 && row < GetItemCount() ? row : -1;
}

void LCheckedListBox::ReportCheckBox(const RCPtr<LNotificationDistributor>& sender, const char16_t* id)
{
    const int32_t row = RowOfCheckBox(sender);
    const auto* checkBox = dynamic_cast<LControl*>(sender.Get());
    if (row < 0 || !checkBox)
        return;
    const double value = checkBox->GetNormalizedValue();
    RCPtr<LIndexedDataWithValueParam> param = LIndexedDataWithValueParam::Create(nullptr, row, value);
    if (static_cast<size_t>(row) >= mChecks.size())
        Recount();
    CheckState& state = mChecks[static_cast<size_t>(row)];
    const bool checked = value >= 0.5;
    // The count follows only a flag that really flipped, so that it always equals the
    // number of checked items.
    if (state.checked != checked)
        mCheckedCount += checked ? 1 : -1;
    state.checked = checked;
    SelectRange(row, row, true);
    SendNotification(LNotification::Create(id, RCPtr<LRefCountedObject>(param)));
}

KVRESULT LCheckedListBox::OnCheckBoxValueChange(const RCPtr<LNotificationDistributor>& sender,
                                                const RCPtr<LNotification>&)
{
    ReportCheckBox(sender, u"NID_ITEM_CHECK_CHANGE");
    return S_FALSE;
}

// The check box keeps its value here: the owner decides and calls SetItemChecked.
KVRESULT LCheckedListBox::OnCheckBoxClicked(const RCPtr<LNotificationDistributor>& sender,
                                            const RCPtr<LNotification>&)
{
    ReportCheckBox(sender, u"NID_ITEM_CHECKBOX_CLICKED");
    return S_FALSE;
}

KVRESULT LCheckedListBox::Receive(const RCPtr<LNotificationDistributor>& sender,
                                  const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LListBox>(*this, mCheckedHandler, sender, notification);
}

KVRESULT LCheckedListBox::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LListBox>(*this, mCheckedHandler, distributor, id);
}

} // namespace KV
