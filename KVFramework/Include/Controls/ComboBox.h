#pragma once
// LComboBox: a field with a drop-down list. Its child "listBox" (run in drop-down mode)
// is the list; an optional child "textBox" makes the field editable. The combo box keeps
// the selected row, shows its text, opens the list below or above itself by the room in
// the window, and passes its text box's notifications on as its own
// ("NID_TEXTBOX_TEXT_CHANGE", "NID_TEXTBOX_VALIDATING", "NID_TEXTBOX_VALIDATED"), besides
// "NID_SELECTION_CHANGE" and "NID_DROPDOWN_OPENING". Texts are matched to rows without
// regard to letter case; a typed text that matches no row is not added to the list.

#include "Controls/ControlClass.h"
#include "Controls/DropDownControl.h"

namespace KV {

class LListBox;
class LTextBox;
struct ListBoxItemRecord;

class LComboBox : public LDropDownControl
{
public:
    // The looks: closed (plain, focused, hovered, both), open (plain, hovered), disabled.
    static constexpr int32_t kLookNormal = 0;
    static constexpr int32_t kLookFocused = 1;
    static constexpr int32_t kLookHovered = 2;
    static constexpr int32_t kLookHoveredFocused = 3;
    static constexpr int32_t kLookOpen = 4;
    static constexpr int32_t kLookOpenHovered = 5;
    static constexpr int32_t kLookDisabled = 6;
    // The list keeps this far from the window's edges.
    static constexpr double kWindowMargin = 5;

    LComboBox(const RCPtr<LControl>& parent, const String& name);

    KVRESULT ApplyAttributes() override;
    KVRESULT Initialize() override;
    KVRESULT PostInitialize() override;

    // The selected row afterwards (-1: none). A negative index clears the selection
    // silently; a change of row sends "NID_SELECTION_CHANGE".
    virtual int32_t SetSelectedIndex(int32_t index);
    int32_t GetSelectedIndex() const noexcept { return mSelectedIndex; }
    // The list box's answer; E_FAIL without a list box.
    virtual int32_t SetItemCount(int32_t count);
    // Shows the look of the present state. Returns 0.
    virtual KVRESULT UpdateLook();

    // Appends a row of that text; its index or an error.
    int32_t AddItem(const String& text);
    // E_INVALIDARG for null data, E_FAIL without a list box.
    int32_t InsertItem(int32_t index, const RCPtr<LRefCountedObject>& data);
    const ListBoxItemRecord& GetItem(int32_t index) const;
    const RCPtr<LListBox>& GetListBox() const noexcept { return mListBox; }
    RCPtr<LTextBox> GetTextBox();

    // The row whose text it is, when there is one, becomes selected. 0 when the text
    // changed, 1 when it was the same.
    KVRESULT SetText(const String& text) override;

    bool IsDropDownOpen() override;
    KVRESULT SetDropDownOpen(bool open) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    // Down or Enter opens a closed list, Escape closes an open one.
    KVRESULT OnKeyDown(const RCPtr<LKeyParam>& param) override;
    KVRESULT ProcessHotKeys(const RCPtr<LKeyParam>& param) override;
    // The whole text while the field cuts it off, else the tool tip it has.
    String GetToolTipText() override;

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LComboBox() override;

    // The row whose text equals the text, ignoring case; -1 when none.
    int32_t FindRowOfText(const String& text) const;
    void ApplyListSizeLimits();
    // The look of the present state among the seven: disabled, open (hovered or not), or
    // closed (focused, hovered, both or neither).
    int32_t ChooseStateLook();
    // Places the list below or above the field, as the window leaves room.
    void PlaceList();

    RCPtr<LListBox> mListBox;
    int32_t mSelectedIndex = -1;
    int32_t mInitialSelectedIndex = 0;
    PointT<double> mPressPoint; // where the left button went down, in the list box's coordinates

private:
    KVRESULT OnListVisibilityChange(const RCPtr<LNotificationDistributor>& sender,
                                    const RCPtr<LNotification>& notification);
    KVRESULT OnItemActivated(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification);
    KVRESULT OnTextBoxNotification(const RCPtr<LNotificationDistributor>& sender,
                                   const RCPtr<LNotification>& notification);
    KVRESULT OnTextValidated(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification);
    KVRESULT OnTextBoxFocusChange(const RCPtr<LNotificationDistributor>& sender,
                                  const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LComboBox>> mOwnHandler;
};

} // namespace KV
