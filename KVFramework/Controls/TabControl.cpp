#include "Controls/TabControl.h"

#include "Notification/Notification.h"

namespace KV {

LTabControl::LTabControl(const RCPtr<LControl>& parent, const String& name) : LPanel(parent, name) {}

LTabControl::~LTabControl() = default;

KVRESULT LTabControl::Initialize()
{
    if (KV_FAILED(LPanel::Initialize()))
        return E_FAIL;
    mButtonHolder = FindSubControl<LPanel>(*this, u"buttonHolder");
    mPageHolder = FindSubControl<LPanel>(*this, u"pageHolder");
    const KVRESULT selected = SelectTabByIndex(0);
    if (KV_FAILED(selected))
        return selected;
    mOwnHandler = LNotificationHandler<LTabControl>::Create(this);
    ChildControlList& buttons = mButtonHolder->GetChildren();
    for (uint32_t i = 0; i < buttons.GetCount(); ++i)
        if (RCPtr<LButton> button = RCPtr<LButton>::DynamicCastFrom(buttons.GetAt(i, kInsertionOrder)))
            KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(
                &LTabControl::OnTabClicked, RCPtr<LNotificationDistributor>(button), u"NID_LEFT_CLICK"));
    return selected;
}

KVRESULT LTabControl::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    const KVRESULT result = LPanel::ApplyDescriptor(descriptor);
    if (IsCreated())
        SelectTab(String(mSelectedName));
    return result;
}

KVRESULT LTabControl::Receive(const RCPtr<LNotificationDistributor>& sender,
                              const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LPanel>(*this, mOwnHandler, sender, notification);
}

KVRESULT LTabControl::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LPanel>(*this, mOwnHandler, distributor, id);
}

KVRESULT LTabControl::SelectTab(const String& name)
{
    if (!mButtonHolder)
        return E_FAIL;
    RCPtr<LTabControl> self(this);
    ChildControlList& buttons = mButtonHolder->GetChildren();
    for (uint32_t i = buttons.GetCount(); i-- > 0;)
        if (RCPtr<LButton> button = RCPtr<LButton>::DynamicCastFrom(buttons.GetAt(i, kInsertionOrder)))
            button->SetNormalizedValue(button->GetName() == name ? 1.0 : 0.0);
    if (!mPageHolder)
        return E_FAIL;
    ChildControlList& pages = mPageHolder->GetChildren();
    for (uint32_t i = pages.GetCount(); i-- > 0;)
    {
        RCPtr<LControl> page = pages.GetAt(i, kInsertionOrder);
        page->SetVisible(page->GetName() == name);
    }
    mSelectedName = name;
    return S_OK;
}

KVRESULT LTabControl::SelectTabByIndex(uint32_t index)
{
    if (!mButtonHolder || index >= mButtonHolder->GetChildren().GetCount())
        return E_FAIL;
    // The tabs count in the order the user steps through them.
    RCPtr<LButton> button =
        RCPtr<LButton>::DynamicCastFrom(mButtonHolder->GetChildren().GetAt(index, kTabOrder));
    return button ? SelectTab(button->GetName()) : E_FAIL;
}

int32_t LTabControl::FindPageIndex(const String& name)
{
    if (!mPageHolder)
        return -1;
    ChildControlList& pages = mPageHolder->GetChildren();
    for (uint32_t i = pages.GetCount(); i-- > 0;)
        if (pages.GetAt(i, kInsertionOrder)->GetName() == name)
            return static_cast<int32_t>(i);
    return -1;
}

KVRESULT LTabControl::OnTabClicked(const RCPtr<LNotificationDistributor>& sender, const RCPtr<LNotification>&)
{
    auto* button = dynamic_cast<LControl*>(sender.Get());
    if (!button)
        return S_FALSE;
    RCPtr<LTabControl> self(this);
    SelectTab(String(button->GetName()));
    RCPtr<LControl> page;
    if (const int32_t index = FindPageIndex(mSelectedName); index >= 0)
        page = mPageHolder->GetChildren().GetAt(static_cast<uint32_t>(index), kInsertionOrder);
    SendNotification(LNotification::Create(u"NID_TAB_SELECTED", page));
    return S_FALSE;
}

} // namespace KV
