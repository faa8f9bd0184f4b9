#pragma once
// LCheckedListBox: a list box whose rows carry a check box. Each item has a checked flag
// and an image of its own; in the icon variant ("Framework.ListBoxWithIcons") the rows
// show icons taken from the list box's look 3 in turn instead.
//
// Its rows are LCheckedListBoxItem controls: a list-box row with a "checkBox" child (a
// button) that shows the flag and the image. Popup menus build on both.
//
// Notifications (each with an LIndexedDataWithValueParam: the row and the check box's
// value): "NID_ITEM_CHECK_CHANGE" when a check box that toggles itself was clicked,
// "NID_ITEM_CHECKBOX_CLICKED" when one that does not was clicked (the owner then decides
// and calls SetItemChecked). Setting a flag in code sends nothing.

#include "Controls/Button.h"
#include "Controls/ListBox.h"
#include "Graphics/Bitmap.h"
#include "Storage/ConstRCPtrArray.h"

#include <vector>

namespace KV {

class LCheckedListBoxItem : public LListBoxItem
{
public:
    LCheckedListBoxItem(const RCPtr<LControl>& parent, const String& name);

    // The check box takes no focus, shares the row's tool tip, and lights the row up
    // while the pointer is over it.
    KVRESULT Initialize() override;

    // Shows the look alone on the row, and on the check box too when the box follows the
    // row's look. Whether that worked.
    virtual bool SetLookAndCheckBox(int32_t lookIndex, bool exclusive);
    // Once the row is created: the check box's answer; else 1.
    KVRESULT ShowCheckBoxLook(int32_t lookIndex);
    void SetCheckBoxVisible(bool visible);
    void SetCheckBoxValue(bool checked);
    // The image over every look of the check box.
    void SetCheckBoxImage(const RCPtr<LBitmap>& image);
    const RCPtr<LButton>& GetCheckBox() const noexcept { return mCheckBox; }
    void SetCheckBoxFollowsLook(bool follows) noexcept { mCheckBoxFollowsLook = follows; }

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LCheckedListBoxItem() override;

private:
    KVRESULT OnCheckBoxHoverChange(const RCPtr<LNotificationDistributor>& sender,
                                   const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LCheckedListBoxItem>> mOwnHandler;
    RCPtr<LButton> mCheckBox;
    bool mCheckBoxFollowsLook = false;
};

class LCheckedListBox : public LListBox
{
public:
    LCheckedListBox(const RCPtr<LControl>& parent, const String& name);

    // The list box's set-up; the icon variant also collects its icons from look 3.
    KVRESULT Initialize() override;

    // Stores the flag and shows it when it changed; sends nothing. Nothing for a missing row.
    void SetItemChecked(int32_t row, bool checked);
    bool IsItemChecked(int32_t row) const;
    int32_t GetCheckedCount() const noexcept { return mCheckedCount; }
    // With icons: icon (row mod icon count); else the item's own image. Null for a missing row.
    RCPtr<LBitmap> GetItemImage(int32_t row) const;
    void SetItemImage(int32_t row, const RCPtr<LBitmap>& image);
    // The check boxes keep the looks their owner gives them instead of choosing their own.
    void SetCheckBoxLooksExternal(bool external);
    // Whether a click toggles a check box by itself (the default) or only reports the click.
    void SetCheckBoxTogglesItself(bool toggles) noexcept { mCheckBoxTogglesItself = toggles; }
    void SetCheckBoxFollowsLook(bool follows) noexcept { mCheckBoxFollowsLook = follows; }
    size_t GetIconCount() const noexcept { return mIcons.size(); }

    // The records grow and shrink with the list's own; the checked count is counted again.
    int32_t SetItemCount(int32_t count) override;
    KVRESULT SwapItems(int32_t a, int32_t b) override;
    KVRESULT InsertItem(int32_t row) override;
    KVRESULT RemoveItem(int32_t row) override;
    KVRESULT CreateItemControl() override;
    KVRESULT UpdateItemControl(int32_t row) override;

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LCheckedListBox() override;

    // The row whose row control holds this check box; -1 when it is none.
    int32_t RowOfCheckBox(const RCPtr<LNotificationDistributor>& checkBox) const;

    RCPtr<LNotificationHandler<LCheckedListBox>> mCheckedHandler;

private:
    struct CheckState
    {
        bool checked = false;
        RCPtr<LBitmap> image;
    };

    KVRESULT OnCheckBoxValueChange(const RCPtr<LNotificationDistributor>& sender,
                                   const RCPtr<LNotification>& notification);
    KVRESULT OnCheckBoxClicked(const RCPtr<LNotificationDistributor>& sender,
                               const RCPtr<LNotification>& notification);
    // Takes the check box's value into its item, selects the row alone and sends the
    // notification; nothing when the check box shows no item.
    void ReportCheckBox(const RCPtr<LNotificationDistributor>& sender, const char16_t* id);
    void Recount();

    std::vector<CheckState> mChecks; // one per record, in row order
    bool mCheckBoxFollowsLook = false;
    bool mCheckBoxLooksExternal = false;
    bool mCheckBoxTogglesItself = true;
    int32_t mCheckedCount = 0;
    std::vector<RCPtr<LBitmap>> mIcons;
};

} // namespace KV
