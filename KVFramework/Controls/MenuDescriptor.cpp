#include "Controls/MenuDescriptor.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace KV {

// ---- LMenuDescriptor ----

RCPtr<LMenuDescriptor> LMenuDescriptor::Create()
{
    return RCPtr<LMenuDescriptor>(new LMenuDescriptor());
}

LMenuDescriptor::~LMenuDescriptor() = default;

RCPtr<LMenuItemDescriptor> LMenuDescriptor::GetItem(int32_t index) const
{
    if (index < 0 || static_cast<uint32_t>(index) >= mItems.GetCount())
        return nullptr;
    return *mItems.GetAtConst(static_cast<uint32_t>(index));
}

int32_t LMenuDescriptor::InsertItem(int32_t index, const RCPtr<LMenuItemDescriptor>& item)
{
    if (index < 0 || static_cast<uint32_t>(index) > mItems.GetCount() || !item)
        return E_INVALIDARG;
    const int32_t result = mItems.InsertItem(static_cast<uint32_t>(index), item);
    if (result < 0)
        return result;
    item->SetParent(RCPtr<LMenuDescriptor>(this));
    return index;
}

int32_t LMenuDescriptor::AddItem(int32_t index, const String& text, const String& name, bool enabled,
                                 bool checked)
{
    return InsertItem(index, LMenuItemDescriptor::Create(text, name, enabled, checked));
}

int32_t LMenuDescriptor::InsertSeparator(int32_t index)
{
    return InsertItem(index, LMenuItemDescriptor::CreateSeparator());
}

KVRESULT LMenuDescriptor::RemoveAllItems()
{
    while (mItems.GetCount() > 0)
    {
        const uint32_t last = mItems.GetCount() - 1;
        (*mItems.GetAt(last))->SetParent(nullptr);
        RCPtr<LMenuItemDescriptor> removed;
        mItems.RemoveItem(last, removed);
    }
    SetParent(nullptr);
    return S_OK;
}

KVRESULT LMenuDescriptor::GetItemInfo(int32_t index, LMenuItemInfo& info) const
{
    info = LMenuItemInfo{};
    const RCPtr<LMenuItemDescriptor> item = GetItem(index);
    if (!item)
        return E_INVALIDARG;
    info = LMenuItemInfo{item->IsEnabled(), item->IsChecked(), item->GetText()};
    return S_OK;
}

void LMenuDescriptor::CopyItemsInto(LMenuDescriptor& target) const
{
    for (uint32_t index = 0; index < mItems.GetCount(); ++index)
        target.InsertItem(static_cast<int32_t>(target.GetItemCount()), (*mItems.GetAtConst(index))->Clone());
}

RCPtr<LMenuDescriptor> LMenuDescriptor::Copy() const
{
    RCPtr<LMenuDescriptor> copy = Create();
    CopyItemsInto(*copy);
    return copy;
}

void LMenuDescriptor::SetParent(const RCPtr<LMenuDescriptor>& parent)
{
    if (parent == mParent)
        return;
    // The old parent's count goes down only after our reference to it is gone, so that
    // the release that follows sees the counts as they will stay.
    RCPtr<LMenuDescriptor> old = std::move(mParent);
    if (old)
        old->AdjustInternalRefCount(-1);
    mParent = parent;
    if (mParent)
        mParent->AdjustInternalRefCount(1);
}

KVRESULT LMenuDescriptor::ReleaseInternalReferences()
{
    RemoveAllItems();
    return S_OK;
}

// ---- LMenuItemDescriptor ----

LMenuItemDescriptor::LMenuItemDescriptor(const String& text, const String& name, bool enabled, bool checked,
                                         bool separator)
    : mText(text), mName(name), mEnabled(enabled), mChecked(checked), mSeparator(separator)
{
}

LMenuItemDescriptor::~LMenuItemDescriptor() = default;

RCPtr<LMenuItemDescriptor> LMenuItemDescriptor::Create(const String& text, const String& name, bool enabled,
                                                       bool checked)
{
    return RCPtr<LMenuItemDescriptor>(new LMenuItemDescriptor(text, name, enabled, checked, false));
}

RCPtr<LMenuItemDescriptor> LMenuItemDescriptor::CreateSeparator()
{
    return RCPtr<LMenuItemDescriptor>(new LMenuItemDescriptor(String(), String(), true, false, true));
}

RCPtr<LMenuItemDescriptor> LMenuItemDescriptor::Clone() const
{
    RCPtr<LMenuItemDescriptor> clone(new LMenuItemDescriptor(mText, mName, mEnabled, mChecked, mSeparator));
    CopyItemsInto(*clone);
    clone->mStatusText = mStatusText;
    clone->mHotKeyLabel = mHotKeyLabel;
    return clone;
}

// ---- menus from key paths ----

namespace {

using PathList = std::vector<LStringTable::Entry>;
using SubmenuLists = std::map<std::u16string, PathList>;

// The pieces of a key between its dots; a trailing dot adds no empty piece.
std::vector<std::u16string> SplitKey(std::u16string_view key)
{
    std::vector<std::u16string> pieces;
    size_t start = 0;
    while (start < key.size())
    {
        const size_t dot = key.find(u'.', start);
        if (dot == std::u16string_view::npos)
        {
            pieces.emplace_back(key.substr(start));
            break;
        }
        pieces.emplace_back(key.substr(start, dot - start));
        start = dot + 1;
    }
    return pieces;
}

// Files each entry under the top-level list or the list of the submenu its first piece
// names; numbers must run 0, 1, 2... within a list.
void CollectPaths(std::span<const LStringTable::Entry> entries, PathList& top, SubmenuLists& submenus)
{
    for (const LStringTable::Entry& entry : entries)
    {
        const std::u16string_view key = entry.first.View();
        const std::vector<std::u16string> pieces = SplitKey(key);
        if (pieces.size() < 2 || pieces[0].empty())
            continue;
        PathList* list = nullptr;
        std::u16string number;
        std::u16string itemKey;
        bool keyFromPiece = true;
        if (pieces[0][0] >= u'0' && pieces[0][0] <= u'9')
        {
            list = &top;
            number = pieces[0];
            itemKey = pieces[1];
        }
        else
        {
            list = &submenus[pieces[0]];
            number = pieces[1];
            keyFromPiece = pieces.size() > 2;
            if (keyFromPiece)
                itemKey = pieces[2];
        }
        if (keyFromPiece && key.back() == u'.')
            itemKey += u'.';
        if (String(number.c_str()).ToInt() != static_cast<int32_t>(list->size()))
            continue;
        list->push_back({String(itemKey.c_str()), entry.second});
    }
}

// Turns a list into items of target. path: the submenus being built, outermost first; a
// submenu that names one of them would never end and is left out.
void BuildItems(LMenuDescriptor& target, const PathList& list, const SubmenuLists& submenus,
                std::set<std::u16string>& path)
{
    for (const LStringTable::Entry& pair : list)
    {
        const std::u16string_view key = pair.first.View();
        const std::u16string_view whole = pair.second.View();
        const size_t bar = whole.find(u'|');
        const String text(std::u16string(whole.substr(0, bar)).c_str());
        const String status(bar == std::u16string_view::npos
                                ? String()
                                : String(std::u16string(whole.substr(bar + 1)).c_str()));
        const int32_t end = static_cast<int32_t>(target.GetItemCount());
        if (!key.empty() && key.back() == u'.')
        {
            const std::u16string name(key.substr(0, key.find_last_not_of(u'.') + 1));
            const auto found = submenus.find(name);
            if (found == submenus.end() || path.count(name) != 0)
                continue;
            RCPtr<LMenuItemDescriptor> entry = LMenuItemDescriptor::Create(text, String(), true, false);
            if (!status.IsEmpty())
                entry->SetStatusText(status);
            target.InsertItem(end, entry);
            path.insert(name);
            BuildItems(*entry, found->second, submenus, path);
            path.erase(name);
        }
        else if (key == u"-")
            target.InsertSeparator(end);
        else
        {
            RCPtr<LMenuItemDescriptor> item = LMenuItemDescriptor::Create(text, pair.first, true, false);
            item->SetStatusText(status);
            target.InsertItem(end, item);
        }
    }
}

} // namespace

RCPtr<LMenuDescriptor> LMenuDescriptor::BuildFromPaths(std::span<const LStringTable::Entry> entries)
{
    PathList top;
    SubmenuLists submenus;
    CollectPaths(entries, top, submenus);
    RCPtr<LMenuDescriptor> menu = Create();
    std::set<std::u16string> path;
    BuildItems(*menu, top, submenus, path);
    return menu;
}

} // namespace KV
