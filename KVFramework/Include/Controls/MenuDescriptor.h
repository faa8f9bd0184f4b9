#pragma once
// Menus as data, before a popup menu or a menu bar shows them.
//
// LMenuDescriptor is an ordered list of items; LMenuItemDescriptor is one item, and since
// it is a descriptor itself, its own list is its submenu. A menu is built in code or from
// string-table entries whose keys are paths ("00.NID_OPEN", "01.Tools.", "Tools.00.NID_X").
//
// An item points back at the descriptor that holds it. That reference counts as internal
// on the holder, so a menu and its items, which hold each other, are freed together when
// the last reference from outside goes: the menu then lets its items go.

#include "ControlBase/StringTable.h"
#include "ObjectBase/TaggableObject.h"
#include "Storage/RCPtrArray.h"
#include "Storage/StringT.h"

#include <span>

namespace KV {

class LMenuItemDescriptor;

// The state of one item: the answer of a control asked about an item it owns.
struct LMenuItemInfo
{
    bool enabled = false;
    bool checked = false;
    String text;

    bool operator==(const LMenuItemInfo& other) const
    {
        return enabled == other.enabled && checked == other.checked && text == other.text;
    }
};

class LMenuDescriptor : public virtual LTaggableObject
{
public:
    static RCPtr<LMenuDescriptor> Create();
    // The menu that string-table entries describe by their key paths; never null. Entries
    // whose key does not fit the scheme are left out.
    static RCPtr<LMenuDescriptor> BuildFromPaths(std::span<const LStringTable::Entry> entries);

    uint32_t GetItemCount() const { return mItems.GetCount(); }
    // Null past the end.
    RCPtr<LMenuItemDescriptor> GetItem(int32_t index) const;
    bool HasItems() const { return mItems.GetCount() > 0; }

    // The index, or E_INVALIDARG (nothing changed) for an index past the count. The item
    // becomes this descriptor's.
    int32_t InsertItem(int32_t index, const RCPtr<LMenuItemDescriptor>& item);
    // A new enabled or disabled command item at the index (a position: appending passes the
    // count).
    int32_t AddItem(int32_t index, const String& text, const String& name, bool enabled, bool checked);
    int32_t InsertSeparator(int32_t index);
    // Lets every item go, last first, and leaves the descriptor's own parent. Returns 0.
    KVRESULT RemoveAllItems();
    // E_INVALIDARG past the end, info then {false, false, ""}.
    KVRESULT GetItemInfo(int32_t index, LMenuItemInfo& info) const;
    // A new top-level descriptor holding deep copies of the items: changing the copy never
    // changes this one.
    RCPtr<LMenuDescriptor> Copy() const;

    const RCPtr<LMenuDescriptor>& GetParent() const noexcept { return mParent; }
    // The parent's internal count follows the link.
    void SetParent(const RCPtr<LMenuDescriptor>& parent);

    // The last outside reference is going: the items, which point back here, go first.
    KVRESULT ReleaseInternalReferences() override;

protected:
    LMenuDescriptor() = default;
    ~LMenuDescriptor() override;

    void CopyItemsInto(LMenuDescriptor& target) const;

private:
    RCPtrArray<LMenuItemDescriptor> mItems;
    RCPtr<LMenuDescriptor> mParent;
};

class LMenuItemDescriptor : public LMenuDescriptor
{
public:
    static RCPtr<LMenuItemDescriptor> Create(const String& text, const String& name, bool enabled,
                                             bool checked);
    static RCPtr<LMenuItemDescriptor> CreateSeparator();

    // A deep copy with its own sub-items and no parent.
    RCPtr<LMenuItemDescriptor> Clone() const;

    // The display text.
    String ToString() const override { return mText; }
    const String& GetText() const noexcept { return mText; }
    void SetText(const String& text) { mText = text; }
    // For a command, the identifier of the notification that choosing it sends; empty for
    // separators and submenu entries.
    const String& GetName() const noexcept { return mName; }
    const String& GetHotKeyLabel() const noexcept { return mHotKeyLabel; }
    void SetHotKeyLabel(const String& label) { mHotKeyLabel = label; }
    // Shown in the status bar while the pointer rests on the item.
    const String& GetStatusText() const noexcept { return mStatusText; }
    void SetStatusText(const String& text) { mStatusText = text; }
    bool IsEnabled() const noexcept { return mEnabled; }
    void SetEnabled(bool enabled) noexcept { mEnabled = enabled; }
    bool IsChecked() const noexcept { return mChecked; }
    void SetChecked(bool checked) noexcept { mChecked = checked; }
    bool IsSeparator() const noexcept { return mSeparator; }
    // A submenu entry is an item with items.
    bool IsSubmenu() const { return HasItems(); }

protected:
    ~LMenuItemDescriptor() override;

private:
    LMenuItemDescriptor(const String& text, const String& name, bool enabled, bool checked, bool separator);

    String mText;
    String mHotKeyLabel;
    String mStatusText;
    String mName;
    bool mEnabled;
    bool mChecked;
    bool mSeparator;
};

} // namespace KV
