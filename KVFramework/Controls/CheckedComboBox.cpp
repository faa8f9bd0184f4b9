#include "Controls/CheckedComboBox.h"

#include "Controls/Button.h"
#include "Controls/CheckedListBox.h"
#include "Notification/Notification.h"

#include <stdexcept>

namespace KV {

LCheckedComboBox::LCheckedComboBox(const RCPtr<LControl>& parent, const String& name)
    : LComboBox(parent, name)
{
}

LCheckedComboBox::~LCheckedComboBox() = default;

KVRESULT LCheckedComboBox::Receive(const RCPtr<LNotificationDistributor>& sender,
                                   const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LComboBox>(*this, mCheckedHandler, sender, notification);
}

KVRESULT LCheckedComboBox::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LComboBox>(*this, mCheckedHandler, distributor, id);
}

RCPtr<LButton> LCheckedComboBox::GetCheckBox()
{
    return FindSubControl<LButton>(*this, u"checkBox");
}

KVRESULT LCheckedComboBox::Initialize()
{
    mCheckedList = FindSubControl<LCheckedListBox>(*this, u"listBox");
    if (KV_FAILED(LComboBox::Initialize()) || !mCheckedList)
        return E_FAIL;
    const RCPtr<LButton> checkBox = GetCheckBox();
    if (checkBox)
        checkBox->SetUseParentToolTip(true);
    mCheckedList->SetDropDownMode(true);
    // With icons the field's box only shows the row: it takes no clicks and keeps the
    // looks it is given.
    if (mCheckedList->GetIconCount() > 0 && checkBox)
        checkBox->SetPassive(true);
    mCheckedHandler = LNotificationHandler<LCheckedComboBox>::Create(this);
    try
    {
        KV_THROW_IF_FAILED(mCheckedHandler->AddHandlerFor(&LCheckedComboBox::OnItemCheckChange,
                                                          RCPtr<LNotificationDistributor>(mCheckedList),
                                                          u"NID_ITEM_CHECK_CHANGE"));
    }
    catch (const std::runtime_error&)
    {
        return E_FAIL;
    }
    return S_OK;
}

KVRESULT LCheckedComboBox::PostInitialize()
{
    if (mCheckedList && GetSelectedIndex() >= 0)
        if (const RCPtr<LButton> checkBox = GetCheckBox())
            ShowImageOnCheckBox(checkBox, mCheckedList->GetItemImage(GetSelectedIndex()));
    return LComboBox::PostInitialize();
}

void LCheckedComboBox::ShowImageOnCheckBox(const RCPtr<LButton>& checkBox, const RCPtr<LBitmap>& image)
{
    for (int32_t look = 0; look < checkBox->GetLookCount(); ++look)
        checkBox->SetLookBitmap(image, ResizeType::Tile, look, false);
}

int32_t LCheckedComboBox::SetSelectedIndex(int32_t index)
{
    RCPtr<LCheckedComboBox> self(this);
    if (const RCPtr<LButton> checkBox = GetCheckBox())
    {
        RCPtr<LBitmap> image;
        if (mCheckedList && index >= 0 && index < mCheckedList->GetItemCount())
        {
            checkBox->SetNormalizedValue(mCheckedList->IsItemChecked(index) ? 1.0 : 0.0);
            image = mCheckedList->GetItemImage(index);
        }
        ShowImageOnCheckBox(checkBox, image);
    }
    return LComboBox::SetSelectedIndex(index);
}

int32_t LCheckedComboBox::SetItemCount(int32_t count)
{
    RCPtr<LCheckedComboBox> self(this);
    const int32_t result = LComboBox::SetItemCount(count);
    UpdateLook();
    return result;
}

KVRESULT LCheckedComboBox::UpdateLook()
{
    int32_t look = ChooseStateLook();
    if (mCheckedList && mCheckedList->GetCheckedCount() > 0)
        look += kCheckedLookOffset;
    if (look < GetLookCount())
        ShowLook(look);
    if (mCheckBoxFollowsLook)
        if (const RCPtr<LButton> checkBox = GetCheckBox(); checkBox && look < checkBox->GetLookCount())
            checkBox->ShowLook(look);
    return S_OK;
}

void LCheckedComboBox::SetCheckBoxFollowsLook(bool follows)
{
    mCheckBoxFollowsLook = follows;
    UpdateLook();
}

KVRESULT LCheckedComboBox::OnItemCheckChange(const RCPtr<LNotificationDistributor>&,
                                             const RCPtr<LNotification>& notification)
{
    RCPtr<LCheckedComboBox> self(this);
    // Only the first check and the last uncheck move the field between its two sets of
    // looks.
    if (mCheckedList && mCheckedList->GetCheckedCount() <= 1)
        UpdateLook();
    if (notification)
        SendNotification(LNotification::Create(u"NID_ITEM_CHECK_CHANGE", notification->GetData()));
    return S_FALSE;
}

} // namespace KV
