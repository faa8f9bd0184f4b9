// What a control offers the menus that show its items: the state of an item, the updater
// through which menus find the control, and the context menus its string table
// describes.

#include "ControlBase/Control.h"
#include "ControlBase/MenuItemUpdater.h"
#include "Application/FrameworkApp.h"
#include "ControlBase/RootWindow.h"
#include "Notification/Notification.h"
#include "Controls/MenuDescriptor.h"
#include "Controls/PopupMenu.h"
#include "ControlBase/ControlFactory.h"
#include "Storage/Array.h"

#include <map>

namespace KV {

namespace {

constexpr char16_t kContextMenuPrefix[] = u"CONTEXT_MENU";
constexpr char16_t kContextMenuName[] = u"contextMenu";

} // namespace

RCPtr<LMenuItemUpdater> LMenuItemUpdater::Create(const RCPtr<LControl>& control)
{
    return RCPtr<LMenuItemUpdater>(new LMenuItemUpdater(control));
}

LMenuItemUpdater::LMenuItemUpdater(const RCPtr<LControl>& control) : mControl(control) {}

LMenuItemUpdater::~LMenuItemUpdater() = default;

KVRESULT LControl::GetMenuItemState(const RCPtr<LMenuDescriptor>&, int32_t, const String&, LMenuItemInfo&)
{
    return S_FALSE;
}

const RCPtr<LMenuItemUpdater>& LControl::GetMenuItemUpdater()
{
    if (!mMenuItemUpdater)
    {
        mMenuItemUpdater = LMenuItemUpdater::Create(RCPtr<LControl>(this));
        // The updater's reference must not keep the control's tree alive.
        AdjustInternalRefCount(1);
    }
    return mMenuItemUpdater;
}

void LControl::GetContextMenuEntries(std::vector<std::vector<LStringTable::Entry>>& menus) const
{
    menus.clear();
    if (!mStringTable)
        return;
    const String prefix(kContextMenuPrefix);
    const size_t prefixLength = prefix.View().size();
    Array<LStringTable::Entry> entries;
    mStringTable->GetEntriesWithPrefix(prefix, entries);

    // "CONTEXT_MENU.<path>": one menu. Else "CONTEXT_MENU<n>.<path>": one menu per n, in
    // the order of the n texts (the table lists its keys in that order already).
    std::vector<LStringTable::Entry> single;
    std::map<std::u16string, std::vector<LStringTable::Entry>> numbered;
    for (uint32_t index = 0; index < entries.GetCount(); ++index)
    {
        const LStringTable::Entry& entry = *entries.GetAtConst(index);
        const std::u16string_view key = entry.first.View();
        const size_t dot = key.find(u'.', prefixLength);
        if (dot == std::u16string_view::npos)
            continue;
        const String path(std::u16string(key.substr(dot + 1)).c_str());
        if (dot == prefixLength)
            single.push_back({path, entry.second});
        else
            numbered[std::u16string(key.substr(prefixLength, dot - prefixLength))].push_back(
                {path, entry.second});
    }
    if (!single.empty())
    {
        menus.push_back(std::move(single));
        return;
    }
    for (auto& [number, menu] : numbered)
        menus.push_back(std::move(menu));
}

void LControl::BuildContextMenu(std::vector<RCPtr<LMenuDescriptor>>& menus) const
{
    std::vector<std::vector<LStringTable::Entry>> entries;
    GetContextMenuEntries(entries);
    for (const std::vector<LStringTable::Entry>& menu : entries)
        menus.push_back(LMenuDescriptor::BuildFromPaths(menu));
}

KVRESULT LControl::SetContextMenu(const RCPtr<LMenuDescriptor>& menu)
{
    if (mContextMenu)
        BindMenuHotKeys(mContextMenu, false);
    mContextMenu = menu;
    if (mContextMenu)
        BindMenuHotKeys(mContextMenu, true);
    return S_OK;
}

KVRESULT LControl::ShowContextMenu(const RCPtr<LMenuDescriptor>& menu)
{
    RCPtr<LControl> self(this);
    const String name(kContextMenuName);
    const RCPtr<LControlFactory> factory = GetApplicationFactory();
    // A skin without the descriptor shows no context menus.
    const RCPtr<LControlDescriptor> descriptor = factory ? factory->FindControlDescriptor(name) : nullptr;
    if (!menu || !descriptor)
        return S_OK;
    // The new popup needs the name: a menu still shown is closed first, and a closed one
    // still waiting for the idle pass leaves now. Made beside one of the same name, the
    // new popup would be refused by this control and left without parent.
    if (const RCPtr<LControl> old = FindChild(name))
    {
        auto* popup = dynamic_cast<LPopupMenu*>(old.Get());
        if (!popup)
            return S_OK; // a control of the owner's own under that name
        if (!popup->IsClosed())
            popup->CloseMenu();
        ProcessPendingRemovals();
        if (FindChild(name))
            return S_OK;
    }
    // Made hidden: a shown control made under one that has the focus takes it, and a
    // popup given the focus it holds already closes.
    const RCPtr<LLayoutDescriptor> layout =
        descriptor->mLayout ? descriptor->mLayout->Clone() : LLayoutDescriptor::Create();
    layout->mIsVisible = false;
    const RCPtr<LControl> made =
        factory->CreateControl(factory->CloneControlDescriptor(descriptor, layout, name), self);
    const RCPtr<LPopupMenu> popup = RCPtr<LPopupMenu>::DynamicCastFrom(made);
    if (!popup || popup->GetParent().Get() != this)
    {
        // Another class under that name is no menu: it does not stay.
        if (made && made->GetParent().Get() == this)
            made->RemoveFromTree();
        return S_OK;
    }
    popup->SetVisible(false);
    popup->SetMenuDescriptor(menu);
    OnContextMenu(popup);
    popup->ShowAtPointer();
    return S_OK;
}

void LControl::BindMenuHotKeys(const RCPtr<LMenuDescriptor>& menu, bool bind)
{
    if (!menu || !mHandler)
        return;
    const RCPtr<LRootWindow> window = GetRootWindow();
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    for (uint32_t index = 0; index < menu->GetItemCount(); ++index)
    {
        const RCPtr<LMenuItemDescriptor> item = menu->GetItem(static_cast<int32_t>(index));
        if (!item)
            continue;
        if (item->IsSubmenu())
        {
            BindMenuHotKeys(RCPtr<LMenuDescriptor>(item.Get()), bind);
            continue;
        }
        const char16_t* name = item->GetName().GetText();
        if (item->GetName().IsEmpty())
            continue;
        const bool isHotKey =
            (window && window->GetHotKeyManager()->GetKeyCodeTable().HasName(name)) ||
            (app && app->GetHotKeyManager() && app->GetHotKeyManager()->GetKeyCodeTable().HasName(name));
        if (!isHotKey)
            continue;
        if (bind)
            mHandler->AddHandler(&LControl::ForwardMenuHotKey, name);
        else
            mHandler->RemoveHandler(nullptr, name);
    }
}

KVRESULT LControl::ForwardMenuHotKey(const RCPtr<LNotificationDistributor>&,
                                     const RCPtr<LNotification>& notification)
{
    if (!notification)
        return S_FALSE;
    const NotificationId name = notification->GetId();
    RCPtr<LNotificationReceiver> target;
    const RCPtr<LRootWindow> window = GetRootWindow();
    if (window && window->GetHotKeyManager()->GetKeyCodeTable().HasName(name))
        target = window->GetHotKeyManager()->GetTarget();
    else if (LFrameworkApp* app = LFrameworkApp::GetInstance(); app && app->GetHotKeyManager())
        target = app->GetHotKeyManager()->GetTarget();
    if (target)
        DeliverNotification(target, name, nullptr);
    return S_FALSE;
}

} // namespace KV
