#pragma once
// LPopupMenu: a menu descriptor shown as a list of rows. It opens submenus as child
// popups (on a click, Enter or Right, or after the pointer rests on an entry), asks the
// control that owns the menu for the state of each item when it shows, shows the key
// bound to each command, and on activation sends the item's name as a notification to the
// owner: at once, or posted into a queue (the window's, for a menu bar) so that it is
// handled at idle, after the menu closed.
//
// It is a checked list box in drop-down mode: hovering selects, releasing activates.
// Its rows are LMenuListBoxItem controls cloned from "templateItem", each with a
// "checkBox" and a "hotKeyLabel" child.
//
// A context menu lives for one showing and removes itself when it closes; a menu bar's
// popup (auto-close off) is only shown and hidden by its entry; a submenu is a child of
// the popup that opened it.

#include "ControlBase/MenuItemUpdater.h"
#include "Controls/CheckedListBox.h"
#include "Controls/MenuDescriptor.h"

namespace KV {

class LMenuListBoxItem : public LCheckedListBoxItem
{
public:
    LMenuListBoxItem(const RCPtr<LControl>& parent, const String& name);

protected:
    ~LMenuListBoxItem() override;
};

class LPopupMenu : public LCheckedListBox
{
public:
    // A pointer resting on a submenu entry opens it after this long.
    static constexpr Milliseconds kSubmenuDelayMs = 250;

    LPopupMenu(const RCPtr<LControl>& parent, const String& name);

    // Shows a copy of the menu, so the caller's descriptor never changes. E_INVALIDARG for null.
    KVRESULT SetMenuDescriptor(const RCPtr<LMenuDescriptor>& menu);
    const RCPtr<LMenuDescriptor>& GetMenuDescriptor() const noexcept { return mMenu; }
    // Item notifications are posted into the queue instead of being delivered at once.
    // E_INVALIDARG for null, E_FAIL when an owner receiver is set already.
    KVRESULT SetActivationQueue(const RCPtr<LNotificationQueue>& queue);
    // Places the popup at the pointer, inside the window, shows it and gives it the focus.
    KVRESULT ShowAtPointer();
    // Closes the whole chain this popup belongs to, from its top.
    KVRESULT CloseMenu();
    // Closes the open submenu chain below this popup.
    KVRESULT CloseSubmenu();
    // E_INVALIDARG when the row's item has no sub-items.
    KVRESULT OpenSubmenu(int32_t row);
    const RCPtr<LPopupMenu>& GetOpenSubmenu() const noexcept { return mOpenSubmenu; }

    // Whose control answers the state of the items; without one, the first ancestor that
    // is not a popup gives its own.
    void SetItemUpdater(const RCPtr<LMenuItemUpdater>& updater) { mItemUpdater = updater; }
    const RCPtr<LMenuItemUpdater>& GetItemUpdater();
    // Off: the popup never hides or closes itself; its owner does.
    void SetAutoClose(bool autoClose) noexcept { mAutoClose = autoClose; }
    bool IsAutoClose() const noexcept { return mAutoClose; }
    bool IsClosed() const noexcept { return mClosed; }

    // The owner's answers for every leaf, from the last to the first.
    void UpdateItemStates();
    // 1 (nothing changed, nothing redrawn) when the info equals the item; E_INVALIDARG
    // past the end.
    KVRESULT ApplyItemInfo(int32_t row, const LMenuItemInfo& info);
    // Fills the empty hot-key labels of the menu's leaves from the key tables. E_FAIL
    // without a menu or an owner.
    KVRESULT UpdateHotKeyLabels(const RCPtr<LMenuDescriptor>& menu);
    // The width a row needs: its text, its hot-key label and the margin.
    virtual int32_t MeasureRowWidth(int32_t row);

    KVRESULT Initialize() override;
    KVRESULT PostInitialize() override;
    KVRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    KVRESULT SetFocus(bool forward) override;
    // A click does not move the focus to the popup.
    KVRESULT RequestFocus() override { return S_OK; }
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    void OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param) override;
    KVRESULT OnKeyDown(const RCPtr<LKeyParam>& param) override;
    void OnIdle() override;

    void OnSelectionChanged() override;
    bool OnItemActivated(int32_t row) override;
    KVRESULT CreateItemControl() override;
    KVRESULT UpdateItemControl(int32_t row) override;
    int32_t GetContentHeight() override;
    bool IsItemSelectable(int32_t row) override;
    // Menu rows are never reordered.
    KVRESULT SwapItems(int32_t, int32_t) override { return E_NOTIMPL; }

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LPopupMenu() override;

private:
    RCPtr<LMenuItemDescriptor> ItemAt(int32_t row) const;
    // The parent as a popup; null for the top of a chain.
    LPopupMenu* ParentPopup() const;
    // Who receives the item notifications: the owner receiver, else the first ancestor
    // that is not a popup.
    RCPtr<LNotificationReceiver> GetOwnerReceiver() const;
    LControl* GetOwnerControl() const;
    // Whether the popup is one of this popup's open submenus or one of its parents.
    bool IsInMenuChain(const LPopupMenu* popup) const;
    KVRESULT RebuildItems();
    void ApplySizeLimits();
    void ActivateMenuItem(int32_t row);
    // In a menu bar: the focus goes back to the control that had it before the bar; false
    // when there is no bar or no such control.
    bool ReturnFocusFromMenuBar();
    void StartSubmenuTimer();
    void CancelSubmenuTimer();
    bool IsShownWithSize();
    KVRESULT OnRowHoverChange(const RCPtr<LNotificationDistributor>& sender,
                              const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LPopupMenu>> mPopupHandler;
    RCPtr<LMenuDescriptor> mMenu;
    RCPtr<LPopupMenu> mOpenSubmenu;
    RCPtr<LMenuItemDescriptor> mSubmenuEntry;
    RCPtr<LNotificationReceiver> mOwnerReceiver;
    RCPtr<LMenuItemUpdater> mItemUpdater;
    bool mSubmenuTimerPending = false;
    Milliseconds mSubmenuTimerStart = 0;
    bool mFocusTransfer = false;
    bool mAutoClose = true;
    bool mClosed = false;
    int32_t mSeparatorHeight = 0;
    int32_t mSeparatorCount = 0;
    int32_t mTextMargin = -1;
};

} // namespace KV
