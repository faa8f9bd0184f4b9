#include "Controls/MainMenu.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/RootWindow.h"
#include "Controls/PopupMenu.h"
#include "Notification/NotificationParams.h"

#include <cwctype>
#include <utility>

namespace KV {

namespace {

constexpr char16_t kTemplateName[] = u"templateMenu";
constexpr char16_t kLabelPrefix[] = u"MENU_LABEL.";
// Label numbers beyond this are taken for mistakes: the list of labels would otherwise
// grow to whatever number a string table names.
constexpr int32_t kMaxLabelNumber = 255;
constexpr uint32_t kVirtualKeyAlt = 0x12;
constexpr uint32_t kVirtualKeyF10 = 0x79;

RCPtr<LControlFactory> Factory()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->GetControlFactory() : nullptr;
}

} // namespace

LMainMenu::LMainMenu(const RCPtr<LControl>& parent, const String& name) : LControl(parent, name) {}

LMainMenu::~LMainMenu() = default;

std::vector<RCPtr<LComboMenu>> LMainMenu::Entries()
{
    std::vector<RCPtr<LComboMenu>> entries;
    ChildControlList& children = GetChildren();
    for (uint32_t index = 0; index < children.GetCount(); ++index)
        if (const auto entry = RCPtr<LComboMenu>::DynamicCastFrom(children.GetAt(index, kInsertionOrder)))
            entries.push_back(entry);
    return entries;
}

int32_t LMainMenu::GetMenuCount()
{
    return static_cast<int32_t>(Entries().size());
}

RCPtr<LComboMenu> LMainMenu::GetMenuControl(int32_t index)
{
    const std::vector<RCPtr<LComboMenu>> entries = Entries();
    return index >= 0 && static_cast<size_t>(index) < entries.size() ? entries[static_cast<size_t>(index)]
                                                                     : nullptr;
}

RCPtr<LMenuDescriptor> LMainMenu::GetEntryMenu(int32_t index)
{
    const RCPtr<LComboMenu> entry = GetMenuControl(index);
    return entry && entry->GetPopupMenu() ? entry->GetPopupMenu()->GetMenuDescriptor() : nullptr;
}

bool LMainMenu::SetMenuItemUpdater(const RCPtr<LMenuItemUpdater>& updater)
{
    if (mExternalUpdater == updater)
        return true;
    mExternalUpdater = updater;
    return false;
}

KVRESULT LMainMenu::Initialize()
{
    const KVRESULT base = LControl::Initialize();
    SetNotFocusable(true);
    ChildControlList& children = GetChildren();
    for (int32_t index = static_cast<int32_t>(children.GetCount()) - 1; index >= 0; --index)
    {
        const auto entry =
            RCPtr<LComboMenu>::DynamicCastFrom(children.GetAt(static_cast<uint32_t>(index), kInsertionOrder));
        if (!entry)
            continue;
        if (entry->GetName() == kTemplateName)
        {
            mTemplate = entry->GetDescriptor();
            entry->RemoveFromTree();
            mTemplateSeen = true;
            continue;
        }
        entry->SetNotFocusable(false);
        entry->SetHoldsFocusForChildren(true);
        if (entry->GetPopupMenu())
            entry->GetPopupMenu()->SetItemUpdater(GetMenuItemUpdater());
        ++mStaticCount;
        if (!mTemplate)
            mTemplate = entry->GetDescriptor();
    }
    AddMenusFromStringTable();
    // The siblings' keys come by the parent; a bar with hot keys of its own is registered
    // for them already.
    if (GetParent() && GetLocalHotKeys().IsEmpty())
        RegisterNotification(GetParent(), u"NID_SIBLING_KEY");
    return base;
}

KVRESULT LMainMenu::Receive(const RCPtr<LNotificationDistributor>& sender,
                            const RCPtr<LNotification>& notification)
{
    if (notification && GetNotificationIdText(notification->GetId()).EqualsText(u"NID_SIBLING_KEY"))
        if (auto* sibling = dynamic_cast<LSiblingKeyParam*>(notification->GetData().Get());
            sibling && IsShown(true) && IsEnabled(true) && HandleMenuKey(sibling->mKeyCode))
        {
            sibling->mResult = 0;
            return S_FALSE;
        }
    return LControl::Receive(sender, notification);
}

bool LMainMenu::HandleMenuKey(const KeyCode& key)
{
    const uint32_t code = key.mCode;
    if (code & KeyCode::kNoKey)
        return false;
    const uint32_t virtualKey = (code & KeyCode::kVirtualKeyMask) >> KeyCode::kVirtualKeyShift;
    const bool pressed = (code & KeyCode::kPressed) != 0;
    const uint32_t modifiers = code & (KeyCode::kCtrl | KeyCode::kShift | KeyCode::kAlt | KeyCode::kCmd);
    const std::vector<RCPtr<LComboMenu>> entries = Entries();
    const auto open = [](const RCPtr<LComboMenu>& entry) {
        if (!entry || !entry->IsEnabled(true))
            return false;
        entry->SetDropDownOpen(true);
        if (const RCPtr<LPopupMenu> popup = entry->GetPopupMenu())
            popup->SelectRange(0, -1, true);
        return true;
    };
    if (virtualKey == kVirtualKeyAlt)
    {
        // Alt alone, pressed and released, opens the bar's first menu.
        if (pressed)
        {
            mAltAlone = key.mWasDown == 0 || mAltAlone;
            return false;
        }
        return std::exchange(mAltAlone, false) && !entries.empty() && open(entries.front());
    }
    if (pressed)
        mAltAlone = false;
    if (!pressed || entries.empty())
        return false;
    if (virtualKey == kVirtualKeyF10 && modifiers == 0)
        return open(entries.front());
    if (modifiers == KeyCode::kAlt && virtualKey >= 'A' && virtualKey <= 'Z')
        for (const RCPtr<LComboMenu>& entry : entries)
        {
            const std::u16string_view label = entry->GetText().View();
            if (!label.empty() && std::towupper(label.front()) == static_cast<wint_t>(virtualKey))
                return open(entry);
        }
    return false;
}

void LMainMenu::AddMenusFromStringTable()
{
    const RCPtr<LStringTable>& table = GetStringTable();
    if (!table)
        return;
    Array<LStringTable::Entry> entries;
    table->GetEntriesWithPrefix(String(kLabelPrefix), entries);
    std::vector<String> labels(entries.GetCount());
    const int32_t prefixLength = String(kLabelPrefix).GetLength();
    for (uint32_t index = 0; index < entries.GetCount(); ++index)
    {
        const LStringTable::Entry& entry = *entries.GetAtConst(index);
        const int32_t number = entry.first.MidFrom(prefixLength).ToInt();
        if (number < 0 || number > kMaxLabelNumber)
            continue;
        if (static_cast<size_t>(number) >= labels.size())
            labels.resize(static_cast<size_t>(number) + 1);
        labels[static_cast<size_t>(number)] = entry.second;
    }
    std::vector<RCPtr<LMenuDescriptor>> menus;
    BuildContextMenu(menus);
    if (menus.empty() || menus.size() != labels.size())
        return;
    for (size_t index = 0; index < menus.size(); ++index)
        AddMenu(static_cast<int32_t>(index), labels[index], labels[index], menus[index]);
}

KVRESULT LMainMenu::AddMenuControl(const String& name)
{
    if (FindChild(name))
        return E_INVALIDARG;
    const RCPtr<LControlFactory> factory = Factory();
    if (!mTemplate || !mTemplate->mLayout || !factory)
        return E_FAIL;
    RCPtr<LLayoutDescriptor> layout = mTemplate->mLayout->Clone();
    const std::vector<RCPtr<LComboMenu>> entries = Entries();
    const int32_t dynamicCount = static_cast<int32_t>(entries.size()) - mStaticCount;
    if ((dynamicCount > 0 || !mTemplateSeen) && !entries.empty())
    {
        // The new entry starts where the last one ends.
        layout->mXPosition.mPlacementAnchor = 0;
        layout->mXPosition.mReference = PositionReference::Control;
        layout->mXPosition.mControlName = entries.back()->GetName();
        layout->mXPosition.mRel = 1.0f;
        layout->mXPosition.mAbs = 0;
    }
    const RCPtr<LControlDescriptor> descriptor = factory->CloneControlDescriptor(mTemplate, layout, name);
    const auto entry =
        RCPtr<LComboMenu>::DynamicCastFrom(factory->CreateControl(descriptor, RCPtr<LControl>(this)));
    if (!entry)
        return E_FAIL;
    entry->SetNotFocusable(false);
    entry->SetHoldsFocusForChildren(true);
    if (const RCPtr<LPopupMenu>& popup = entry->GetPopupMenu())
    {
        popup->SetItemUpdater(GetMenuItemUpdater());
        if (const RCPtr<LRootWindow> window = GetRootWindow())
            popup->SetActivationQueue(RCPtr<LNotificationQueue>(window));
    }
    return S_OK;
}

int32_t LMainMenu::AddMenu(int32_t index, const String& name, const String& label,
                           const RCPtr<LMenuDescriptor>& menu)
{
    const int32_t dynamicCount = GetMenuCount() - mStaticCount;
    if (index < 0 || index > dynamicCount)
        return E_INVALIDARG;
    return InsertMenu(index == dynamicCount ? String() : GetMenuText(index), name, label, menu);
}

int32_t LMainMenu::InsertMenu(const String& before, const String& name, const String& label,
                              const RCPtr<LMenuDescriptor>& menu)
{
    int32_t position = GetMenuCount();
    if (!before.IsEmpty())
    {
        const int32_t found = FindMenu(before);
        if (found < 0)
            return E_INVALIDARG;
        position = found + mStaticCount;
    }
    const KVRESULT added = AddMenuControl(name);
    if (KV_FAILED(added))
        return added;
    const std::vector<RCPtr<LComboMenu>> entries = Entries();
    // The entries from the position on move one place to the right, contents and names.
    for (int32_t index = static_cast<int32_t>(entries.size()) - 1; index > position; --index)
    {
        const RCPtr<LComboMenu>& entry = entries[static_cast<size_t>(index)];
        const RCPtr<LComboMenu>& previous = entries[static_cast<size_t>(index) - 1];
        if (entry->GetPopupMenu() && previous->GetPopupMenu() &&
            previous->GetPopupMenu()->GetMenuDescriptor())
            entry->GetPopupMenu()->SetMenuDescriptor(previous->GetPopupMenu()->GetMenuDescriptor());
        entry->SetText(previous->GetText());
        const String previousName = previous->GetName();
        previous->Rename(previousName.Concat(String(u"_")));
        entry->Rename(previousName);
    }
    const RCPtr<LComboMenu>& entry = entries[static_cast<size_t>(position)];
    entry->SetText(label);
    if (entry->GetPopupMenu() && menu)
        entry->GetPopupMenu()->SetMenuDescriptor(menu);
    entry->Rename(name);
    ChainEntries(entries, static_cast<size_t>(position) + 1);
    return position - mStaticCount;
}

void LMainMenu::ChainEntries(const std::vector<RCPtr<LComboMenu>>& entries, size_t from)
{
    // The names moved with the contents; an entry placed after a named neighbour follows
    // that neighbour's new name, not its own.
    for (size_t index = std::max<size_t>(from, 1); index < entries.size(); ++index)
    {
        LayoutAxisSpec axis = entries[index]->GetLayout()->GetAxisSpec(0);
        if (axis.mPosition.mReference != PositionReference::Control)
            continue;
        axis.mPosition.mControlName = entries[index - 1]->GetName();
        entries[index]->SetLayoutAxis(0, axis);
    }
}

int32_t LMainMenu::FindMenu(const String& text)
{
    const std::vector<RCPtr<LComboMenu>> entries = Entries();
    for (int32_t index = static_cast<int32_t>(entries.size()) - 1; index >= 0; --index)
        if (entries[static_cast<size_t>(index)]->GetText() == text)
            return index < mStaticCount ? -1 : index - mStaticCount;
    return -1;
}

String LMainMenu::GetMenuText(int32_t dynamicIndex)
{
    const RCPtr<LComboMenu> entry = dynamicIndex < 0 ? nullptr : GetMenuControl(dynamicIndex + mStaticCount);
    return entry ? entry->GetText() : String();
}

KVRESULT LMainMenu::GetMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex,
                                     const String& itemId, LMenuItemInfo& info)
{
    if (!mExternalUpdater)
        return S_FALSE;
    const RCPtr<LControl>& control = mExternalUpdater->GetControl();
    if (!control)
        return E_FAIL;
    return RCPtr<LControl>(control)->GetMenuItemState(menu, itemIndex, itemId, info);
}

RCPtr<LControl> LMainMenu::GetEditTarget()
{
    if (mRememberedFocus && mRememberedFocus->IsEditTarget())
        return mRememberedFocus;
    return GetParent() ? RCPtr<LControl>(GetParent())->GetEditTarget() : nullptr;
}

void LMainMenu::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    LControl::OnConditionsChanged(param);
    if (!param || (param->mNewConditions & kConditionContainsFocus) == 0 ||
        (param->mOldConditions & kConditionContainsFocus) != 0)
        return;
    if (const RCPtr<LRootWindow> window = GetRootWindow())
        mRememberedFocus = window->GetSavedFocusControl();
}

void LMainMenu::ProcessRootWindowAquired()
{
    if (const RCPtr<LRootWindow> window = GetRootWindow())
        for (const RCPtr<LComboMenu>& entry : Entries())
            if (entry->GetPopupMenu())
                entry->GetPopupMenu()->SetActivationQueue(RCPtr<LNotificationQueue>(window));
    LControl::ProcessRootWindowAquired();
}

KVRESULT LMainMenu::AdoptChild(const RCPtr<LControl>& child, const RCPtr<LControlDescriptor>& descriptor)
{
    if (!child)
    {
        if (descriptor && descriptor->mName == kTemplateName)
            mTemplate = descriptor;
        return S_OK;
    }
    const KVRESULT result = LControl::AdoptChild(child, descriptor);
    if (!mTemplate && dynamic_cast<LComboMenu*>(child.Get()))
        mTemplate = descriptor;
    return result;
}

KVRESULT LMainMenu::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    if (!IsCreated())
        return LControl::ApplyDescriptor(descriptor);
    // A new skin rebuilds the children; the dynamic entries come back with their menus.
    mTemplate.Reset();
    struct Saved
    {
        String name;
        String text;
        RCPtr<LMenuDescriptor> menu;
    };
    std::vector<Saved> saved;
    const std::vector<RCPtr<LComboMenu>> entries = Entries();
    for (size_t index = static_cast<size_t>(mStaticCount); index < entries.size(); ++index)
        saved.push_back(
            {entries[index]->GetName(), entries[index]->GetText(),
             entries[index]->GetPopupMenu() ? entries[index]->GetPopupMenu()->GetMenuDescriptor() : nullptr});
    const KVRESULT result = LControl::ApplyDescriptor(descriptor);
    if (!mTemplate && descriptor)
        for (uint32_t index = 0; index < descriptor->mChildren.GetCount(); ++index)
        {
            const RCPtr<LControlDescriptor>& child = *descriptor->mChildren.GetAtConst(index);
            if (child && child->mName == kTemplateName)
                mTemplate = child;
        }
    for (const Saved& entry : saved)
    {
        if (KV_FAILED(AddMenuControl(entry.name)))
            continue;
        const RCPtr<LControl> added = FindChild(entry.name);
        const auto combo = RCPtr<LComboMenu>::DynamicCastFrom(added);
        if (!combo)
            continue;
        if (combo->GetPopupMenu() && entry.menu)
            combo->GetPopupMenu()->SetMenuDescriptor(entry.menu);
        combo->SetText(entry.text);
    }
    return result;
}

} // namespace KV
