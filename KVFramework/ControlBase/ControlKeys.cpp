// The path of a key through the controls: the focused control's local hot keys, its own
// key handling, Tab navigation among the siblings, the siblings' hot keys, and last the
// window's and the application's global hot keys.

#include "Application/FrameworkApp.h"
#include "ControlBase/Control.h"
#include "ControlBase/RootWindow.h"
#include "Notification/Notification.h"
#include "Notification/NotificationId.h"

#include <algorithm>
#include <climits>

namespace KV {

namespace {

const NotificationId kSiblingKeyId = InternNotificationId(u"NID_SIBLING_KEY");

constexpr uint8_t kVirtualKeyTab = 0x09;

bool IsTabPress(const KeyCode& key)
{
    return (key.mCode & KeyCode::kNoKey) == 0 && (key.mCode & KeyCode::kPressed) != 0 &&
           ((key.mCode & KeyCode::kVirtualKeyMask) >> KeyCode::kVirtualKeyShift) == kVirtualKeyTab;
}

RCPtr<LControl> LastPassed(const LKeyParam& param)
{
    const uint32_t count = param.mControls.GetCount();
    return count == 0 ? nullptr : *param.mControls.GetAtConst(count - 1);
}

} // namespace

KVRESULT LControl::OnKey(const RCPtr<LKeyParam>& param)
{
    if (!param || !AcceptsInput())
        return S_FALSE;
    RCPtr<LControl> self(this);
    // The control's own local hot keys come first.
    RCPtr<LSiblingKeyParam> sibling = LSiblingKeyParam::Create(param->mKeyCode, self);
    Receive(nullptr, LNotification::Create(u"NID_SIBLING_KEY", sibling));
    if (sibling->mResult == 0 || OnKeyDown(param) != S_FALSE)
        return S_OK;

    param->mControls.AddItem(self);
    if (IsTabPress(param->mKeyCode))
    {
        if (mWantsTab)
            return S_FALSE;
        PassNavigationUp(param);
        return S_OK;
    }
    if (mParent)
        return RCPtr<LControl>(mParent)->ProcessHotKeys(param);
    return ProcessWindowHotKeys(param);
}

KVRESULT LControl::ProcessHotKeys(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    const KVRESULT result = DispatchSiblingKey(param);
    if (result != S_FALSE)
        return result;
    return ProcessWindowHotKeys(param);
}

KVRESULT LControl::ProcessWindowHotKeys(const RCPtr<LKeyParam>& param)
{
    if (RCPtr<LRootWindow> window = GetRootWindow())
        if (window->GetHotKeyManager()->HandleKey(param->mKeyCode) != S_FALSE)
            return S_OK;
    if (LFrameworkApp* app = LFrameworkApp::GetInstance())
        if (app->GetHotKeyManager() && app->GetHotKeyManager()->HandleKey(param->mKeyCode) != S_FALSE)
            return S_OK;
    return S_FALSE;
}

KVRESULT LControl::DispatchSiblingKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    const RCPtr<LNotificationClientPool> pool = FindClientPool(kSiblingKeyId);
    if (!pool || pool->GetCount() == 0)
        return S_FALSE;
    RCPtr<LControl> self(this);
    const std::vector<RCPtr<LNotificationReceiver>> clients = pool->GetClientsLastFirst();
    std::vector<size_t> order;
    SortByTabOrder(param, clients, order);

    const RCPtr<LControl> source = LastPassed(*param);
    RCPtr<LSiblingKeyParam> sibling = LSiblingKeyParam::Create(param->mKeyCode, source);
    const RCPtr<LNotification> notification = LNotification::Create(u"NID_SIBLING_KEY", sibling);
    for (auto index = order.rbegin(); index != order.rend(); ++index)
    {
        const RCPtr<LNotificationReceiver>& client = clients[*index];
        if (source && client.Get() == static_cast<LNotificationReceiver*>(source.Get()))
            continue;
        client->Receive(self, notification);
        if (sibling->mResult == 0)
            return S_OK;
    }
    return S_FALSE;
}

void LControl::SortByTabOrder(const RCPtr<LKeyParam>& param,
                              const std::vector<RCPtr<LNotificationReceiver>>& clients,
                              std::vector<size_t>& order)
{
    struct Entry
    {
        size_t client;
        int64_t rank;
        bool focusable;
    };
    // Clients that are not children of this control rank below every child, in the
    // order they come.
    int64_t outsider = INT32_MIN;
    std::vector<Entry> entries;
    entries.reserve(clients.size());
    for (size_t index = 0; index < clients.size(); ++index)
    {
        auto* control = dynamic_cast<LControl*>(clients[index].Get());
        if (control && control->mParent.Get() == this)
            entries.push_back(
                {index, FindChildIndex(RCPtr<LControl>(control), kTabOrder), !control->mNotFocusable});
        else
            entries.push_back({index, outsider++, false});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.rank < b.rank; });

    const RCPtr<LControl> source = param ? LastPassed(*param) : nullptr;
    const int64_t sourceRank =
        source && source->mParent.Get() == this ? FindChildIndex(source, kTabOrder) : int64_t{-1};
    order.clear();
    size_t first = 0;
    while (first < entries.size() && !entries[first].focusable)
        order.push_back(entries[first++].client);
    // Read from the end, the siblings before the source come first, then the list wraps
    // round to the last one.
    for (size_t index = first; index < entries.size(); ++index)
        if (entries[index].rank > sourceRank)
            order.push_back(entries[index].client);
    for (size_t index = first; index < entries.size(); ++index)
        if (entries[index].rank <= sourceRank)
            order.push_back(entries[index].client);
}

KVRESULT LControl::HandleSiblingKey(const RCPtr<LNotification>& notification)
{
    auto* sibling = dynamic_cast<LSiblingKeyParam*>(notification->GetData().Get());
    if (!sibling || !AcceptsInput())
        return S_FALSE;
    const String name = mLocalHotKeys.FindNameByKeyCode(sibling->mKeyCode);
    if (name.IsEmpty())
        return S_FALSE;
    sibling->mResult = 0;
    RCPtr<LControl> self(this);
    DeliverNotification(self, name.GetText(), RCPtr<LRefCountedObject>(sibling));
    return S_FALSE;
}

void LControl::PassNavigationUp(const RCPtr<LKeyParam>& param)
{
    if (mParent)
        RCPtr<LControl>(mParent)->HandleNavigationKey(param);
    else if (RCPtr<LRootWindow> window = GetRootWindow())
        window->NavigateWindows(param);
}

void LControl::HandleNavigationKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return;
    RCPtr<LControl> self(this);
    const bool backward = (param->mKeyCode.mCode & KeyCode::kShift) != 0;
    if (param->mKeyCode.mCode & KeyCode::kCtrl)
    {
        // Ctrl+Tab leaves the container at once, as a Tab that may leave it.
        KeyCode tab;
        tab.mCode = kVirtualKeyTab | (backward ? KeyCode::kShift : 0);
        RCPtr<LKeyParam> up = LKeyParam::Create(tab, 0);
        up->mControls.AddItem(self);
        PassNavigationUp(up);
        return;
    }
    const RCPtr<LControl> from = LastPassed(*param);
    const int32_t fromIndex = from ? FindChildIndex(from, kTabOrder) : -1;
    RCPtr<LControl> next = GetNextTabStop(from, backward);
    for (uint32_t steps = 0; next && next != from && steps < mChildren.GetCount(); ++steps)
    {
        const int32_t nextIndex = FindChildIndex(next, kTabOrder);
        const bool wrapped = backward ? nextIndex >= fromIndex : nextIndex <= fromIndex;
        if (param->mFromInput == 0 && wrapped)
            break;
        if (next->IsFocusable() || next->HasFocusableChild())
        {
            next->SetFocus(!backward);
            return;
        }
        next = GetNextTabStop(next, backward);
    }
    // A key of the window stays inside: Tab cycles among the siblings.
    if (param->mFromInput == 0)
    {
        param->mControls.AddItem(self);
        PassNavigationUp(param);
    }
}

bool LControl::HasLocalHotKey(const String& name) const
{
    return !name.IsEmpty() && mLocalHotKeys.HasName(name.GetText());
}

KeyCode LControl::GetLocalHotKey(const String& name) const
{
    return mLocalHotKeys.GetFirstKeyCode(name.GetText());
}

} // namespace KV
