#pragma once
// LComboMenu: one entry of a menu bar. A labelled control that drops its permanent child
// popup "popupMenu" below itself: a press toggles it, the focus leaving closes it, an
// activated item closes it, and moving the pointer onto another entry of the bar while a
// menu is open opens that entry's menu instead. The popup is kept inside the window.
//
// Looks: 0 normal, 1 hovered, 2 open, 3 disabled.

#include "Controls/DropDownControl.h"
#include "Controls/PopupMenu.h"

namespace KV {

class LComboMenu : public LDropDownControl
{
public:
    static constexpr int32_t kLookNormal = 0;
    static constexpr int32_t kLookHover = 1;
    static constexpr int32_t kLookOpen = 2;
    static constexpr int32_t kLookDisabled = 3;

    LComboMenu(const RCPtr<LControl>& parent, const String& name);

    // Open is nothing but the popup being shown with a size.
    bool IsDropDownOpen() override;
    KVRESULT SetDropDownOpen(bool open) override;
    // The popup never closes itself: the entry shows and hides it.
    KVRESULT Initialize() override;
    // Notes where the skin places the popup; it opens there, moved left to fit the window.
    KVRESULT PostInitialize() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;

    const RCPtr<LPopupMenu>& GetPopupMenu() const noexcept { return mPopup; }
    // The entry of the same bar whose popup is open; null when none is.
    RCPtr<LComboMenu> FindOpenSibling();

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LComboMenu() override;

private:
    // Open, else hovered, else normal.
    void ShowStateLook();
    KVRESULT OnPopupVisibilityChange(const RCPtr<LNotificationDistributor>& sender,
                                     const RCPtr<LNotification>& notification);
    KVRESULT OnPopupItemActivated(const RCPtr<LNotificationDistributor>& sender,
                                  const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LComboMenu>> mMenuHandler;
    RCPtr<LPopupMenu> mPopup;
    double mPopupOffsetX = 0;
    PointT<double> mPressPoint; // in the popup's coordinates
};

} // namespace KV
