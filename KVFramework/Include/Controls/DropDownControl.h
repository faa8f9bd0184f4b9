#pragma once
// LDropDownControl: the base of the controls that open a drop-down part below themselves
// (combo boxes, the combo slider, the entries of a menu bar). It decides when the part
// opens and closes: a left press on the control toggles it, and the control losing the
// focus closes it. What the part is, and how it opens, is the subclass's.

#include "ControlBase/Control.h"
#include "Notification/NotificationHandler.h"

namespace KV {

class LDropDownControl : public LControl
{
public:
    LDropDownControl(const RCPtr<LControl>& parent, const String& name);

    virtual bool IsDropDownOpen() = 0;
    // Returns 0.
    virtual KVRESULT SetDropDownOpen(bool open) = 0;

    // Listens to the control's own presses.
    KVRESULT Initialize() override;
    // Taking the focus closes an open drop-down, and remembers that it did: the press
    // that brought the focus must not open it again.
    KVRESULT SetFocus(bool forward) override;
    // A new left press opens the drop-down, unless the press just closed it.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    // The focus moving elsewhere closes the drop-down.
    bool ReleaseFocus() override;

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LDropDownControl() override;

private:
    KVRESULT OnMouseDownNotification(const RCPtr<LNotificationDistributor>& sender,
                                     const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LDropDownControl>> mOwnHandler;
    bool mClosedOnFocus = false;
    bool mSwallowPress = false;
    bool mClosingOnFocus = false;
};

} // namespace KV
