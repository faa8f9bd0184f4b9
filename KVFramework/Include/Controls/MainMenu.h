#pragma once
// LMainMenu: a menu bar. Its entries are LComboMenu children, each with a popup menu:
// static entries written in the skin, and dynamic entries cloned from the skin child
// "templateMenu" and filled from the bar's string table ("MENU_LABEL.<n>" labels and the
// "CONTEXT_MENU" menus). Choosing an item posts its notification into the window's queue,
// where whoever registered for it with the root window receives it at idle. The state of
// the items is asked of the control the application names (SetMenuItemUpdater).
//
// The bar remembers which control had the focus before the bar took it, for edit
// commands and to give the focus back after a choice.

#include "Controls/ComboMenu.h"

#include <vector>

namespace KV {

class LMainMenu : public LControl
{
public:
    LMainMenu(const RCPtr<LControl>& parent, const String& name);

    // True when it was that updater already.
    bool SetMenuItemUpdater(const RCPtr<LMenuItemUpdater>& updater);
    // A new dynamic entry at the dynamic index (at most their count): its index, or
    // E_INVALIDARG (the bar unchanged) for an index past the count or a name in use.
    int32_t AddMenu(int32_t index, const String& name, const String& label,
                    const RCPtr<LMenuDescriptor>& menu);
    // A new dynamic entry before the one labelled `before` (empty: at the end).
    int32_t InsertMenu(const String& before, const String& name, const String& label,
                       const RCPtr<LMenuDescriptor>& menu);
    // The dynamic index of the last entry with that text; -1 when none (or a static one).
    int32_t FindMenu(const String& text);
    String GetMenuText(int32_t dynamicIndex);
    int32_t GetMenuCount();
    // By entry index (static entries first); null past the end.
    RCPtr<LComboMenu> GetMenuControl(int32_t index);
    RCPtr<LMenuDescriptor> GetEntryMenu(int32_t index);
    int32_t GetStaticMenuCount() const noexcept { return mStaticCount; }
    // A new entry cloned from the template, at the end. E_INVALIDARG for a name in use.
    KVRESULT AddMenuControl(const String& name);
    const RCPtr<LControl>& GetRememberedFocus() const noexcept { return mRememberedFocus; }

    KVRESULT Initialize() override;
    KVRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    KVRESULT AdoptChild(const RCPtr<LControl>& child, const RCPtr<LControlDescriptor>& descriptor) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    void ProcessRootWindowAquired() override;
    // Asked by the entries' popups: the named control answers; 1 without one.
    KVRESULT GetMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex, const String& itemId,
                              LMenuItemInfo& info) override;
    // The control that had the focus before the bar, when it edits; else the parent's.
    RCPtr<LControl> GetEditTarget() override;
    // The bar's keys, offered by the parent when a sibling passes a key on: F10, or Alt
    // pressed and released alone, opens the first entry; Alt with a letter opens the entry
    // whose label starts with it.
    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    // The key as the bar takes it; false when it is not one of the bar's.
    bool HandleMenuKey(const KeyCode& key);

protected:
    ~LMainMenu() override;

private:
    std::vector<RCPtr<LComboMenu>> Entries();
    // Entries from the string table: labels and menus, when their counts agree.
    void AddMenusFromStringTable();
    // Each moved entry starts where the one before it ends.
    void ChainEntries(const std::vector<RCPtr<LComboMenu>>& entries, size_t from);

    RCPtr<LControl> mRememberedFocus;
    RCPtr<LControlDescriptor> mTemplate;
    RCPtr<LMenuItemUpdater> mExternalUpdater;
    int32_t mStaticCount = 0;
    bool mTemplateSeen = false;
    // Alt went down and no other key came since.
    bool mAltAlone = false;
};

} // namespace KV
