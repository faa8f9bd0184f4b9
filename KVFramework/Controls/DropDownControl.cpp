#include "Controls/DropDownControl.h"

#include "Controls/ControlClass.h"

namespace KV {

// A press on the control runs, in this order: the focus request (SetFocus closes an open
// drop-down and notes it), the control's "NID_MOUSE_DOWN" (the press is then marked as
// swallowed), then the condition update (a new left press opens unless swallowed). So a
// press opens a closed drop-down and closes an open one.

LDropDownControl::LDropDownControl(const RCPtr<LControl>& parent, const String& name) : LControl(parent, name)
{
}

LDropDownControl::~LDropDownControl() = default;

KVRESULT LDropDownControl::Initialize()
{
    const KVRESULT base = LControl::Initialize();
    mOwnHandler = LNotificationHandler<LDropDownControl>::Create(this);
    if (mOwnHandler)
        KV_THROW_IF_FAILED(mOwnHandler->AddHandlerFor(&LDropDownControl::OnMouseDownNotification,
                                                      RCPtr<LNotificationDistributor>(this),
                                                      u"NID_MOUSE_DOWN"));
    return base;
}

KVRESULT LDropDownControl::SetFocus(bool forward)
{
    const KVRESULT result = LControl::SetFocus(forward);
    if (IsDropDownOpen())
    {
        mClosedOnFocus = true;
        // Closing may hand the focus back here (the drop-down had it): that nested call
        // must not forget the close.
        mClosingOnFocus = true;
        SetDropDownOpen(false);
        mClosingOnFocus = false;
    }
    else if (!mClosingOnFocus)
        mClosedOnFocus = false;
    return result;
}

KVRESULT LDropDownControl::OnMouseDownNotification(const RCPtr<LNotificationDistributor>&,
                                                   const RCPtr<LNotification>&)
{
    if (mClosedOnFocus)
        mSwallowPress = true;
    return S_OK;
}

void LDropDownControl::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    LControl::OnConditionsChanged(param);
    if (!param || (param->mNewConditions & kConditionLeftPressed) == 0 ||
        (param->mOldConditions & kConditionLeftPressed) != 0)
        return;
    if (mSwallowPress)
        mSwallowPress = false;
    else
        SetDropDownOpen(true);
}

bool LDropDownControl::ReleaseFocus()
{
    SetDropDownOpen(false);
    return LControl::ReleaseFocus();
}

KVRESULT LDropDownControl::Receive(const RCPtr<LNotificationDistributor>& sender,
                                   const RCPtr<LNotification>& notification)
{
    return ReceiveThroughOwnTable<LControl>(*this, mOwnHandler, sender, notification);
}

KVRESULT LDropDownControl::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    return DetachFromOwnTable<LControl>(*this, mOwnHandler, distributor, id);
}

} // namespace KV
