#pragma once
// LTabControl: pages switched by a row of tab buttons. The skin gives two panels,
// "buttonHolder" with the tab buttons and "pageHolder" with the pages; a button and its
// page carry the same name. Pressing a tab button shows its page, hides the others, turns
// the pressed button on and the other tab buttons off, and sends "NID_TAB_SELECTED" with
// the page shown (no data when no page has the name). Selecting by code sends nothing.
//
// After creation the first tab button in tab order is selected.

#include "Controls/Button.h"
#include "Controls/Panel.h"

namespace KV {

class LTabControl : public LPanel
{
public:
    LTabControl(const RCPtr<LControl>& parent, const String& name);

    // Finds the holders and selects the first tab; E_FAIL, with no button registered, when
    // that fails (no holders, no buttons, or a first child in tab order that is no button).
    KVRESULT Initialize() override;
    // A new skin shows the selected tab again.
    KVRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;

    // Turns on the buttons of that name (exact comparison) and off the others, then shows
    // the pages of that name and hides the others. E_FAIL without the button holder, or
    // without the page holder (then the buttons are switched and the name not kept).
    KVRESULT SelectTab(const String& name);
    // The tab of the button holder's child at that place in tab order; E_FAIL when there is
    // no such child or it is no button.
    KVRESULT SelectTabByIndex(uint32_t index);
    // The insertion index of the last page of that name; -1 when there is none.
    int32_t FindPageIndex(const String& name);
    const String& GetSelectedName() const noexcept { return mSelectedName; }

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LTabControl() override;

private:
    KVRESULT OnTabClicked(const RCPtr<LNotificationDistributor>& sender,
                          const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LTabControl>> mOwnHandler;
    RCPtr<LPanel> mButtonHolder;
    RCPtr<LPanel> mPageHolder;
    String mSelectedName;
};

} // namespace KV
