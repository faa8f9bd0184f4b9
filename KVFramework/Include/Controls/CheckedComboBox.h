#pragma once
// LCheckedComboBox: a combo box whose list is a checked list box, rows with check boxes
// and, in the icon variant ("Framework.ComboBoxWithIcons"), icons. The closed field
// mirrors the selected row: its own optional "checkBox" child shows the row's check state
// and image, and the field's look tells whether any row is checked (looks 7 to 13 then,
// the combo box's 0 to 6 otherwise). Check changes in the list are passed on as the combo
// box's own "NID_ITEM_CHECK_CHANGE", with the list's data.

#include "Controls/ComboBox.h"

namespace KV {

class LButton;
class LCheckedListBox;

class LCheckedComboBox : public LComboBox
{
public:
    // The looks of a field with at least one checked row: the combo box's, this much higher.
    static constexpr int32_t kCheckedLookOffset = 7;

    LCheckedComboBox(const RCPtr<LControl>& parent, const String& name);

    // E_FAIL, as the combo box's, and for a "listBox" that is not a checked list box.
    KVRESULT Initialize() override;
    KVRESULT PostInitialize() override;
    // The field's check box shows the row's check state and image first.
    int32_t SetSelectedIndex(int32_t index) override;
    int32_t SetItemCount(int32_t count) override;
    // The field's look; its "checkBox" shows the same look index too when it follows the
    // field's look.
    KVRESULT UpdateLook() override;
    // Whether the field's check box shows the field's look (off by default: it shows its
    // own). Shown at once.
    void SetCheckBoxFollowsLook(bool follows);
    bool GetCheckBoxFollowsLook() const noexcept { return mCheckBoxFollowsLook; }

    const RCPtr<LCheckedListBox>& GetCheckedListBox() const noexcept { return mCheckedList; }
    RCPtr<LButton> GetCheckBox();

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LCheckedComboBox() override;

private:
    KVRESULT OnItemCheckChange(const RCPtr<LNotificationDistributor>& sender,
                               const RCPtr<LNotification>& notification);
    // The image over every look of the field's check box; none clears them.
    void ShowImageOnCheckBox(const RCPtr<LButton>& checkBox, const RCPtr<LBitmap>& image);

    RCPtr<LNotificationHandler<LCheckedComboBox>> mCheckedHandler;
    RCPtr<LCheckedListBox> mCheckedList;
    bool mCheckBoxFollowsLook = false;
};

} // namespace KV
