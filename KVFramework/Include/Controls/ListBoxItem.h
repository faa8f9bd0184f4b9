#pragma once
// LListBoxItem: one row of a list box, or a stand-alone two-state overlay button. A list
// box keeps a few of them, one per visible row, and fills each with the text, selection
// value and flags of the item the row shows; the row only picks which of its fourteen
// looks to show from its state.
//
// The row is "on" (selected) while its value is at least 0.5; rows of the sub-menu set
// use the second set of looks; a separator shows look 13 and no text.

#include "Controls/ControlClass.h"

namespace KV {

class LListBoxItem : public LControl
{
public:
    // The look indexes, per state: off, off in the sub-menu set, on, on in the sub-menu set.
    static constexpr int32_t kLookNormal[4] = {0, 3, 7, 10};
    static constexpr int32_t kLookHover[4] = {1, 4, 8, 11};
    static constexpr int32_t kLookPressed[4] = {2, 5, 9, 12};
    static constexpr int32_t kLookDisabled[4] = {6, 6, 13, 13};
    static constexpr int32_t kLookSeparator = 13;

    LListBoxItem(const RCPtr<LControl>& parent, const String& name);

    // Rows never take the focus: their list box does.
    KVRESULT PostInitialize() override;
    // The whole text while the first line is cut off, else the string table's tool tip.
    String GetToolTipText() override;
    void OnValueChanged() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    // With capture forwarding on, the parent takes the capture of a press on the row, at the
    // same place in its own coordinates; without a parent the row takes it itself.
    KVRESULT BeginMouseCapture(int button, int32_t x, int32_t y) override;

    // The look 0..13 the present state shows.
    virtual int32_t GetLookIndex();
    // Shows that look alone and repaints the row. Returns 0.
    KVRESULT RefreshLook();

    // A separator shows no text; clearing the flag leaves the text empty until the owner
    // sets it again.
    void SetSeparator(bool separator);
    bool IsSeparator() const noexcept { return mSeparator; }
    // The look refreshes when the flag changes.
    void SetHasSubMenu(bool hasSubMenu);
    bool HasSubMenu() const noexcept { return mHasSubMenu; }
    void SetForwardCapture(bool forward) noexcept { mForwardCapture = forward; }
    bool ForwardsCapture() const noexcept { return mForwardCapture; }
    bool IsOn() const noexcept { return GetNormalizedValue() >= 0.5; }

protected:
    ~LListBoxItem() override;

    bool mHasSubMenu = false;
    bool mForwardCapture = false;
    bool mSeparator = false;
};

} // namespace KV
